// Review pictures (outside the game folder): a contact sheet of every picture
// and strip cell, enlarged and labelled, zoomed sprite sheets, and mock-ups
// of the screens composed the way the game draws them.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "generator.h"
#include "mockups.h"

namespace gfx {

namespace {

// What the game sees: masked pictures lose their magenta pixels.
Canvas AsLoaded(const Picture& p) {
    Canvas c = p.image;
    if (p.kind == PngKind::kMasked)
        c.Harden();
    else if (p.kind == PngKind::kOpaque)
        for (Rgba& px : c.px) px.a = 255;
    return c;
}

void Checker(Canvas& c, int x, int y, int w, int h) {
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            bool dark = ((i / 6) + (j / 6)) % 2;
            c.Set(x + i, y + j, dark ? Rgba(96, 100, 110) : Rgba(128, 132, 142));
        }
}

int ZoomFor(const Picture& p) {
    int w = p.cellW ? p.cellW : p.image.w, h = p.cellH ? p.cellH : p.image.h;
    if (w <= 8 && h <= 8) return 8;
    if (w <= 32 && h <= 32) return 4;
    if (w <= 80 && h <= 80) return 3;
    if (w <= 170 && h <= 100) return 2;
    return 1;
}

struct Flow {
    Canvas& sheet;
    int x = 8, y = 8, rowH = 0;
    void Place(int w, int h, int& ox, int& oy) {
        if (x + w > sheet.w - 8) {
            x = 8;
            y += rowH + 10;
            rowH = 0;
        }
        ox = x;
        oy = y;
        x += w + 12;
        rowH = std::max(rowH, h);
    }
};

void Tile(Canvas& sheet, const Context& ctx, Flow& flow, const Canvas& img, int zoom, const std::string& label,
          const std::string& sub) {
    Canvas big = img.ScaleNearest(zoom);
    int w = std::max({big.w, ctx.bold->Width(label, 11) + 2, ctx.regular->Width(sub, 9) + 2}), h = big.h + 28;
    int x, y;
    flow.Place(w, h, x, y);
    if (y + h > sheet.h) return;
    DrawText(sheet, *ctx.bold, label, 11, x, y, Rgba(255, 240, 180));
    DrawText(sheet, *ctx.regular, sub, 9, x, y + 12, Rgba(170, 180, 200));
    Checker(sheet, x, y + 26, big.w, big.h);
    sheet.Draw(big, x, y + 26);
}

Canvas ContactSheet(const Context& ctx, bool measureOnly, int height) {
    Canvas sheet(1500, height, Rgba(34, 36, 46));
    Flow flow{sheet};
    for (const auto& p : ctx.pictures) {
        Canvas loaded = AsLoaded(p);
        std::string size = std::to_string(p.image.w) + "x" + std::to_string(p.image.h);
        std::string kind = p.kind == PngKind::kAlpha ? "RGBA" : p.kind == PngKind::kMasked ? "masked" : "opaque";
        if (p.cellW) {
            int cells = (p.image.w / p.cellW) * (p.image.h / p.cellH);
            int perRow = p.image.w / p.cellW;
            for (int i = 0; i < cells; ++i) {
                Canvas cell = loaded.Crop((i % perRow) * p.cellW, (i / perRow) * p.cellH, p.cellW, p.cellH);
                Tile(sheet, ctx, flow, cell, 4, p.file + " #" + std::to_string(i),
                     i == 0 ? size + " " + kind : std::string());
            }
        } else {
            Tile(sheet, ctx, flow, loaded, ZoomFor(p), p.file, size + " " + kind + ": " + p.note);
        }
    }
    if (measureOnly) {
        Canvas dims(1, flow.y + flow.rowH + 16);
        return dims;
    }
    return sheet;
}

}  // namespace

void WriteReview(const Context& ctx) {
    int height = ContactSheet(ctx, true, 100000).h;
    WritePng(ContactSheet(ctx, false, height), ctx.reviewDir + "/contact_sheet.png", PngKind::kOpaque);

    // Sprite strips at 6x, for a close look at the walk cycles.
    for (const Picture& p : ctx.pictures) {
        if (!p.cellW) continue;
        const std::string& file = p.file;
        Canvas loaded = AsLoaded(p);
        int perRow = 8, cells = p.image.w / p.cellW, zoom = 6, gap = 6;
        int rows = (cells + perRow - 1) / perRow;
        Canvas sheet(perRow * (p.cellW * zoom + gap) + gap, rows * (p.cellH * zoom + gap + 14) + gap, Rgba(34, 36, 46));
        for (int i = 0; i < cells; ++i) {
            int x = gap + (i % perRow) * (p.cellW * zoom + gap), y = gap + (i / perRow) * (p.cellH * zoom + gap + 14);
            DrawText(sheet, *ctx.regular, std::to_string(i), 11, x, y, Rgba(255, 240, 180));
            Checker(sheet, x, y + 14, p.cellW * zoom, p.cellH * zoom);
            sheet.Draw(loaded.Crop(i * p.cellW, 0, p.cellW, p.cellH).ScaleNearest(zoom), x, y + 14);
        }
        std::string stem = std::filesystem::path(file).stem().string();
        WritePng(sheet, ctx.reviewDir + "/zoom_" + stem + ".png", PngKind::kOpaque);
    }
    WriteMockups(ctx);
}

}  // namespace gfx
