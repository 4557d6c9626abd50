// The application icon: Santa standing on a snowy hill under the night sky,
// on a rounded tile. Drawn once as 32 x 32 pixel art; the larger sizes are
// that picture enlarged without smoothing, the smaller ones drawn down.
#include "icons.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "generator.h"
#include "sprites.h"

namespace gfx {

namespace {

constexpr int kBase = 32;

// Clears the tile's corners to a rounded square of radius r.
void RoundCorners(Canvas& c, int r) {
    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x) {
            int dx = x < r ? r - x : (x >= c.w - r ? x - (c.w - r - 1) : 0);
            int dy = y < r ? r - y : (y >= c.h - r ? y - (c.h - r - 1) : 0);
            if (dx > 0 && dy > 0 && float(dx * dx + dy * dy) > float(r * r) + 0.5f) c.Set(x, y, kClear);
        }
}

}  // namespace

Canvas IconPicture(const Context& ctx) {
    Canvas c(kBase, kBase, ctx.C("night1"));
    for (int y = 0; y < kBase; ++y)
        c.FillRect(0, y, kBase, 1, Mix(ctx.C("night0"), ctx.C("night3"), float(y) / float(kBase - 1)));
    // A few stars and the hill.
    for (auto [x, y] : {std::pair{5, 5}, {26, 4}, {21, 9}, {9, 12}, {28, 14}}) c.Set(x, y, ctx.C("snow0"));
    c.FillEllipse(16.0f, 36.0f, 22.0f, 10.0f, ctx.C("snow2"));
    c.FillEllipse(16.0f, 37.0f, 21.0f, 9.0f, ctx.C("snow0"));
    Canvas santa = SantaRight(ctx, 0);
    c.Put(santa, (kBase - santa.w) / 2, kBase - santa.h - 2);
    RoundCorners(c, 5);
    return c;
}

Canvas IconAtSize(const Context& ctx, int size) {
    Canvas base = IconPicture(ctx);
    if (size % kBase == 0) return base.ScaleNearest(size / kBase);
    // 16, 24 and 48: drawn down (or up) from the next whole multiple.
    int factor = std::max(1, (size + kBase - 1) / kBase);
    return base.ScaleNearest(factor).Resample(size, size);
}

std::string IconSvg(const Context& ctx) {
    // The pixel art as squares, one rectangle per run of equal pixels in a
    // row: sharp at any size, and only a few hundred elements.
    Canvas c = IconPicture(ctx);
    std::string svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 " +
        std::to_string(c.w) + " " + std::to_string(c.h) + "\" shape-rendering=\"crispEdges\">\n";
    char buf[160];
    for (int y = 0; y < c.h; ++y) {
        for (int x = 0; x < c.w;) {
            Rgba p = c.Get(x, y);
            int run = 1;
            while (x + run < c.w && c.Get(x + run, y) == p) ++run;
            if (p.a != 0) {
                std::snprintf(buf, sizeof buf,
                              "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"1\" fill=\"#%02x%02x%02x\"", x, y, run,
                              p.r, p.g, p.b);
                svg += buf;
                if (p.a != 255) {
                    std::snprintf(buf, sizeof buf, " fill-opacity=\"%.3f\"", p.a / 255.0);
                    svg += buf;
                }
                svg += "/>\n";
            }
            x += run;
        }
    }
    return svg + "</svg>\n";
}

void WriteIcons(const Context& ctx, const std::string& dir, const std::string& name) {
    std::filesystem::create_directories(dir + "/scalable");
    std::ofstream svg(dir + "/scalable/" + name + ".svg", std::ios::binary);
    svg << IconSvg(ctx);
    if (!svg) throw std::runtime_error("cannot write " + dir + "/scalable/" + name + ".svg");
    for (int size : kIconSizes) {
        std::string folder = dir + "/" + std::to_string(size);
        std::filesystem::create_directories(folder);
        WritePng(IconAtSize(ctx, size), folder + "/" + name + ".png", PngKind::kAlpha);
    }
}

}  // namespace gfx
