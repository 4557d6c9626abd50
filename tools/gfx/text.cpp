#include "text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace gfx {

struct Font::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

Font::Font(const std::string& path) : impl_(std::make_unique<Impl>()) {
    if (FT_Init_FreeType(&impl_->library)) throw std::runtime_error("FreeType: cannot initialise");
    if (FT_New_Face(impl_->library, path.c_str(), 0, &impl_->face)) {
        FT_Done_FreeType(impl_->library);
        throw std::runtime_error("FreeType: cannot open font " + path);
    }
}

Font::~Font() {
    FT_Done_Face(impl_->face);
    FT_Done_FreeType(impl_->library);
}

namespace {
struct Glyph {
    int penX;  // 26.6 pen position of the glyph origin
    FT_UInt index;
};

// Lays the line out and calls fn(bitmap, left, top) for each glyph, with
// positions relative to the pen origin on the baseline.
template <class Fn>
int Layout(FT_Face face, const std::string& text, int size, float tracking, Fn&& fn) {
    if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(size))) throw std::runtime_error("FreeType: bad size");
    long pen = 0;
    FT_UInt prev = 0;
    for (unsigned char ch : text) {
        FT_UInt index = FT_Get_Char_Index(face, ch);
        if (prev && index && FT_HAS_KERNING(face)) {
            FT_Vector k;
            if (!FT_Get_Kerning(face, prev, index, FT_KERNING_DEFAULT, &k)) pen += k.x;
        }
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) || FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL))
            throw std::runtime_error("FreeType: cannot render glyph");
        FT_GlyphSlot slot = face->glyph;
        fn(slot->bitmap, int(std::lround(pen / 64.0)) + slot->bitmap_left, slot->bitmap_top);
        pen += slot->advance.x + long(tracking * 64);
        prev = index;
    }
    return int(std::lround(pen / 64.0 - tracking));
}
}  // namespace

int Font::Width(const std::string& text, int pixelSize, float tracking) const {
    int minX = 1 << 30, maxX = -(1 << 30);
    Layout(impl_->face, text, pixelSize, tracking, [&](const FT_Bitmap& bm, int left, int) {
        if (bm.width == 0) return;
        minX = std::min(minX, left);
        maxX = std::max(maxX, left + int(bm.width));
    });
    return maxX > minX ? maxX - minX : 0;
}

int Font::FitSize(const std::string& text, int maxWidth, int maxSize, float tracking) const {
    int size = maxSize;
    while (size > 6 && Width(text, size, tracking) > maxWidth) --size;
    return size;
}

Coverage Font::Render(const std::string& text, int pixelSize, int pad, float tracking) const {
    FT_Face face = impl_->face;
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize));
    int ascent = int(std::ceil(face->size->metrics.ascender / 64.0));
    int descent = int(std::ceil(-face->size->metrics.descender / 64.0));
    // First pass: horizontal ink extent.
    int minX = 1 << 30, maxX = -(1 << 30);
    Layout(face, text, pixelSize, tracking, [&](const FT_Bitmap& bm, int left, int) {
        if (bm.width == 0) return;
        minX = std::min(minX, left);
        maxX = std::max(maxX, left + int(bm.width));
    });
    if (maxX <= minX) minX = maxX = 0;
    Coverage cov;
    cov.w = maxX - minX + 2 * pad;
    cov.h = ascent + descent + 2 * pad;
    cov.baseline = ascent + pad;
    cov.a.assign(std::size_t(cov.w) * cov.h, 0.0f);
    Layout(face, text, pixelSize, tracking, [&](const FT_Bitmap& bm, int left, int top) {
        for (unsigned r = 0; r < bm.rows; ++r)
            for (unsigned c = 0; c < bm.width; ++c) {
                int x = left - minX + pad + int(c), y = cov.baseline - top + int(r);
                if (x < 0 || y < 0 || x >= cov.w || y >= cov.h) continue;
                float v = bm.buffer[r * bm.pitch + c] / 255.0f;
                float& d = cov.a[std::size_t(y) * cov.w + x];
                d = std::min(1.0f, d + v);
            }
    });
    return cov;
}

namespace {
Coverage Dilate(const Coverage& in, float radius) {
    Coverage out = in;
    int r = int(std::ceil(radius));
    for (int y = 0; y < in.h; ++y)
        for (int x = 0; x < in.w; ++x) {
            float m = 0;
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx) {
                    float d = std::sqrt(float(dx * dx + dy * dy));
                    if (d > radius + 0.01f) continue;
                    m = std::max(m, in.Get(x + dx, y + dy));
                }
            out.a[std::size_t(y) * in.w + x] = m;
        }
    return out;
}
}  // namespace

Canvas StyledText(const Font& font, const std::string& text, int pixelSize, const TextStyle& style) {
    int ow = style.outline.a ? int(std::ceil(style.outlineWidth)) : 0;
    int pad = ow + std::max(std::abs(style.shadowX), std::abs(style.shadowY)) + 1;
    Coverage ink = font.Render(text, pixelSize, pad, style.tracking);
    Coverage outer = style.outline.a ? Dilate(ink, style.outlineWidth) : ink;
    // Vertical extent of the ink for the gradient.
    int top = ink.h, bottom = 0;
    for (int y = 0; y < ink.h; ++y)
        for (int x = 0; x < ink.w; ++x)
            if (ink.Get(x, y) > 0.05f) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    Canvas out(ink.w, ink.h);
    for (int y = 0; y < ink.h; ++y)
        for (int x = 0; x < ink.w; ++x) {
            if (style.shadow.a) {
                float s = outer.Get(x - style.shadowX, y - style.shadowY);
                if (s > 0) out.Blend(x, y, style.shadow, s);
            }
            if (style.outline.a) {
                float o = outer.Get(x, y);
                if (o > 0) out.Blend(x, y, style.outline, o);
            }
            float i = ink.Get(x, y);
            if (i > 0) {
                float t = bottom > top ? float(y - top) / float(bottom - top) : 0.0f;
                Rgba fill = Mix(style.top, style.bottom, t);
                if (style.highlight.a && ink.Get(x, y - 1) < 0.5f && i >= 0.5f)
                    fill = Mix(fill, style.highlight, style.highlight.a / 255.0f);
                out.Blend(x, y, WithAlpha(fill, 255), i);
            }
        }
    if (style.hard) out.Harden();
    return out;
}

void DrawText(Canvas& dst, const Font& font, const std::string& text, int pixelSize, int x, int y, Rgba colour,
              int align, float tracking) {
    Coverage cov = font.Render(text, pixelSize, 0, tracking);
    int left = align == 1 ? x - cov.w / 2 : align == 2 ? x - cov.w : x;
    for (int j = 0; j < cov.h; ++j)
        for (int i = 0; i < cov.w; ++i) {
            float a = cov.Get(i, j);
            if (a > 0) dst.Blend(left + i, y + j, colour, a);
        }
}

void DrawShadowedText(Canvas& dst, const Font& font, const std::string& text, int pixelSize, int x, int y, Rgba colour,
                      Rgba shadow, int align, float tracking) {
    DrawText(dst, font, text, pixelSize, x + 1, y + 1, shadow, align, tracking);
    DrawText(dst, font, text, pixelSize, x, y, colour, align, tracking);
}

}  // namespace gfx
