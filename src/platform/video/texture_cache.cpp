// Images' frames as the display device's textures: made on first use, made
// again when their pixels change or the display mode is new, and the frames
// of a strip gathered into one sheet.
#include "platform/video/texture_cache.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace sq {

namespace {

// A picture made once (not redrawn every frame) larger than this gives its
// pixels' copy back after the upload: a splash or a background would
// otherwise keep its size in the scratch buffer for the whole run.
constexpr std::size_t kKeptScratchBytes = std::size_t(256) << 10;

void LetGoIfLarge(std::vector<uint8_t>& scratch) {
    if (scratch.capacity() <= kKeptScratchBytes) return;
    scratch.clear();
    scratch.shrink_to_fit();
}

int NextPowerOfTwo(int n) {
    int p = 1;
    while (p < n && p < (1 << 30)) p <<= 1;
    return p;
}

// Copies the picture into the top-left of a power-of-two RGBA texture and
// repeats its last column and row once beyond it, so that filtering at the
// picture's edge samples the picture and not the empty rest of the texture.
void BuildTexturePixels(const PixmapRef& ref, int tw, int th, std::vector<uint8_t>& out) {
    const TPixmap& p = *ref;
    out.assign(std::size_t(tw) * std::size_t(th) * 4, 0);
    auto put = [&](int x, int y, uint32_t argb) {
        uint8_t* d = out.data() + (std::size_t(y) * std::size_t(tw) + std::size_t(x)) * 4;
        d[0] = uint8_t(argb >> 16), d[1] = uint8_t(argb >> 8), d[2] = uint8_t(argb), d[3] = uint8_t(argb >> 24);
    };
    if (p.width <= tw && p.height <= th) {
        for (int y = 0; y < p.height; ++y) {
            if (p.format == kPfRGBA) {
                std::memcpy(out.data() + std::size_t(y) * std::size_t(tw) * 4, p.Row(y), std::size_t(p.width) * 4);
            } else if (p.format == kPfRGB) {
                const uint8_t* s = p.Row(y);
                uint8_t* d = out.data() + std::size_t(y) * std::size_t(tw) * 4;
                for (int x = 0; x < p.width; ++x, s += 3, d += 4) d[0] = s[0], d[1] = s[1], d[2] = s[2], d[3] = 255;
            } else {
                for (int x = 0; x < p.width; ++x) put(x, y, PixmapGetPixel(ref, x, y));
            }
        }
        if (p.width > 0 && p.width < tw)
            for (int y = 0; y < p.height; ++y)
                std::memcpy(out.data() + (std::size_t(y) * tw + p.width) * 4,
                            out.data() + (std::size_t(y) * tw + p.width - 1) * 4, 4);
        if (p.height > 0 && p.height < th) {
            int cols = std::min(p.width + 1, tw);
            std::memcpy(out.data() + std::size_t(p.height) * tw * 4, out.data() + std::size_t(p.height - 1) * tw * 4,
                        std::size_t(cols) * 4);
        }
        return;
    }
    // The implementation cannot hold the picture at full size: sample it down.
    for (int y = 0; y < th; ++y)
        for (int x = 0; x < tw; ++x)
            put(x, y, PixmapGetPixel(ref, int(int64_t(x) * p.width / tw), int(int64_t(y) * p.height / th)));
}

// RGBA of one frame with its border, (w + 2) x (h + 2), into `out`.
void BuildCellPixels(const PixmapRef& ref, std::vector<uint8_t>& out) {
    const int w = ref->width, h = ref->height, cw = w + 2;
    out.resize(std::size_t(cw) * std::size_t(h + 2) * 4);
    for (int y = 0; y < h + 2; ++y) {
        int sy = std::clamp(y - 1, 0, h - 1);
        uint8_t* row = out.data() + std::size_t(y) * std::size_t(cw) * 4;
        if (ref->format == kPfRGBA) {
            std::memcpy(row + 4, ref->Row(sy), std::size_t(w) * 4);
        } else {
            for (int x = 0; x < w; ++x) {
                uint32_t argb = PixmapGetPixel(ref, x, sy);
                uint8_t* d = row + std::size_t(x + 1) * 4;
                d[0] = uint8_t(argb >> 16), d[1] = uint8_t(argb >> 8), d[2] = uint8_t(argb), d[3] = uint8_t(argb >> 24);
            }
        }
        std::memcpy(row, row + 4, 4);
        std::memcpy(row + std::size_t(w + 1) * 4, row + std::size_t(w) * 4, 4);
    }
}

}  // namespace

// Texture side that fits the device for a picture of width x height.
void TTextureCache::FitTextureSize(int& tw, int& th) {
    TDisplayDevice& dev = *device_;
    while (!dev.TextureSizeOk(tw, th) && (tw > 1 || th > 1)) {
        if (tw >= th)
            tw = std::max(tw / 2, 1);
        else
            th = std::max(th / 2, 1);
    }
}

bool TTextureCache::EnsureOwnTexture(TImage& image, TImageFrame& f, bool current) {
    TDisplayDevice& dev = *device_;
    int tw = NextPowerOfTwo(f.pixmap->width), th = NextPowerOfTwo(f.pixmap->height);
    FitTextureSize(tw, th);
    BuildTexturePixels(f.pixmap, tw, th, scratch_);
    uint32_t tex = dev.UploadTexture(current ? f.texture : 0, scratch_.data(), tw, th,
                                     (image.flags & kImgFiltered) != 0, (image.flags & kImgMipmapped) != 0);
    ++stats_->textureUploads;
    if (!(image.flags & kImgDynamic)) LetGoIfLarge(scratch_);
    f.texture = tex;
    f.generation = generation_;
    f.dirty = false;
    f.texWidth = tw;
    f.texHeight = th;
    f.texX = f.texY = 0;
    return tex != 0;
}

// Whether the frames of `image` go into one sheet, and how it is laid out.
bool TTextureCache::SheetLayout(const TImage& image, TSheetLayout& out) {
    int n = image.FrameCount();
    if (n < 2 || (image.flags & (kImgDynamic | kImgMipmapped))) return false;
    for (const TImageFrame& f : image.frames)
        if (!f.pixmap || f.pixmap->width != image.width || f.pixmap->height != image.height) return false;
    const int cw = image.width + 2, ch = image.height + 2;
    int tw = NextPowerOfTwo(cw);
    auto rowsFor = [&](int w) { return (n + w / cw - 1) / (w / cw); };
    while (int64_t(rowsFor(tw)) * ch > tw && tw < (1 << 14)) tw *= 2;
    int th = NextPowerOfTwo(rowsFor(tw) * ch);
    if (!device_->TextureSizeOk(tw, th)) return false;
    out.columns = tw / cw;
    out.tw = tw;
    out.th = th;
    return true;
}

bool TTextureCache::EnsureSheet(TImage& image, TImageFrame& f, const TSheetLayout& layout) {
    TDisplayDevice& dev = *device_;
    TImageFrame& first = image.frames[0];
    const int cw = image.width + 2, ch = image.height + 2;
    const bool sheetMade =
        first.texture && first.generation == generation_ && f.texture == first.texture && f.generation == generation_;
    if (sheetMade) {
        // Only this frame changed: its cell is replaced.
        BuildCellPixels(f.pixmap, scratch_);
        if (!dev.UpdateTexture(f.texture, f.texX - 1, f.texY - 1, scratch_.data(), cw, ch)) return false;
        ++stats_->textureUploads;
        f.dirty = false;
        return true;
    }
    std::vector<uint8_t>& sheet = sheetScratch_;
    sheet.assign(std::size_t(layout.tw) * std::size_t(layout.th) * 4, 0);
    for (int i = 0; i < image.FrameCount(); ++i) {
        BuildCellPixels(image.frames[std::size_t(i)].pixmap, scratch_);
        int x0 = (i % layout.columns) * cw, y0 = (i / layout.columns) * ch;
        for (int y = 0; y < ch; ++y)
            std::memcpy(sheet.data() + (std::size_t(y0 + y) * std::size_t(layout.tw) + std::size_t(x0)) * 4,
                        scratch_.data() + std::size_t(y) * std::size_t(cw) * 4, std::size_t(cw) * 4);
    }
    uint32_t old = first.generation == generation_ ? first.texture : 0;
    uint32_t tex = dev.UploadTexture(old, sheet.data(), layout.tw, layout.th, (image.flags & kImgFiltered) != 0, false);
    ++stats_->textureUploads;
    LetGoIfLarge(sheet);  // sheets are never dynamic
    for (int i = 0; i < image.FrameCount(); ++i) {
        TImageFrame& g = image.frames[std::size_t(i)];
        // A frame that had a texture of its own (drawn before it joined the
        // sheet) gives it back.
        if (g.texture && g.texture != old && g.texture != tex && g.generation == generation_)
            dev.DeleteTexture(g.texture);
        g.texture = tex;
        g.generation = generation_;
        g.dirty = false;
        g.texWidth = layout.tw;
        g.texHeight = layout.th;
        g.texX = (i % layout.columns) * cw + 1;
        g.texY = (i / layout.columns) * ch + 1;
    }
    return tex != 0;
}

bool TTextureCache::Ensure(TDisplayDevice& device, uint32_t generation, TDrawStats& stats, TImage& image,
                           TImageFrame& f) {
    device_ = &device;
    generation_ = generation;
    stats_ = &stats;
    if (!f.pixmap || f.pixmap->width <= 0 || f.pixmap->height <= 0) return false;
    bool current = f.texture && f.generation == generation_;
    if (current && !f.dirty) return true;
    TSheetLayout layout;
    if (SheetLayout(image, layout)) return EnsureSheet(image, f, layout);
    // A frame leaving a sheet (its size changed) must not overwrite the
    // texture its former neighbours still use.
    for (const TImageFrame& g : image.frames)
        if (&g != &f && g.texture == f.texture) current = false;
    return EnsureOwnTexture(image, f, current);
}

}  // namespace sq
