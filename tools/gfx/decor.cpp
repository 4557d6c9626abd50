#include "decor.h"

#include <algorithm>
#include <cmath>

namespace gfx {

namespace {
// Coverage to a hard mask at 50%.
bool Ink(const Coverage& c, int x, int y) { return c.Get(x, y) >= 0.5f; }

}  // namespace

void DrawHolly(Canvas& c, const Context& ctx, int x, int y, float scale, bool mirrored) {
    Canvas art = ctx.art["holly"];
    if (mirrored) art = art.FlipX();
    if (scale >= 2.0f) art = art.ScaleNearest(int(scale));
    DrawWithOutline(c, art, x - art.w / 2, y - art.h / 2, ctx.C("ink"));
}

void DrawBerry(Canvas& c, const Context& ctx, int x, int y) {
    Canvas b(3, 3);
    b.Set(1, 0, ctx.C("red2"));
    b.Set(0, 1, ctx.C("red2"));
    b.Set(1, 1, ctx.C("red4"));
    b.Set(2, 1, ctx.C("red1"));
    b.Set(1, 2, ctx.C("red1"));
    DrawWithOutline(c, b, x - 1, y - 1, ctx.C("ink"));
}

void DrawSparkle(Canvas& c, const Context& ctx, int x, int y, int arm) {
    c.Set(x, y, ctx.C("snow4"));
    for (int i = 1; i <= arm; ++i) {
        Rgba col = i == arm ? ctx.C("gold2") : ctx.C("gold3");
        c.Set(x + i, y, col);
        c.Set(x - i, y, col);
        c.Set(x, y + i, col);
        c.Set(x, y - i, col);
    }
}

// The logo: red letters with snow lying on every upward edge, a gold rim, a
// dark outline and a night-blue drop shadow.
Canvas SnowyWord(const Context& ctx, const Font& font, const std::string& word, int size, uint32_t seed, Rgba top,
                 Rgba bottom, int capDepth) {
    const int pad = 6;
    Coverage cov = font.Render(word, size, pad, 1.0f);
    int inkTop = cov.h, inkBottom = 0;
    for (int y = 0; y < cov.h; ++y)
        for (int x = 0; x < cov.w; ++x)
            if (Ink(cov, x, y)) inkTop = std::min(inkTop, y), inkBottom = std::max(inkBottom, y);
    Canvas letters(cov.w, cov.h);
    for (int y = 0; y < cov.h; ++y)
        for (int x = 0; x < cov.w; ++x) {
            if (!Ink(cov, x, y)) continue;
            // Depth below the nearest clear pixel above: snow lies on top.
            int depth = 0;
            while (depth < 8 && Ink(cov, x, y - depth - 1)) ++depth;
            float wobble = ValueNoise(float(x) * 0.45f, 0.0f, seed) * 2.6f;
            float drip = ValueNoise(float(x) * 0.9f, 3.0f, seed + 5) > 0.78f ? 2.0f : 0.0f;
            float t = float(y - inkTop) / float(std::max(1, inkBottom - inkTop));
            Rgba col = Mix(top, bottom, t);
            if (float(depth) < float(capDepth) + wobble + drip) {
                col = depth == 0                                              ? ctx.C("snow4")
                      : float(depth) > float(capDepth) + wobble + drip - 1.2f ? ctx.C("snow2")
                                                                              : ctx.C("snow3");
            } else if (!Ink(cov, x + 1, y) || !Ink(cov, x, y + 1)) {
                col = Shade(col, 0.72f);  // shaded lower right edges
            }
            letters.Set(x, y, col);
        }
    Canvas out(cov.w + 4, cov.h + 4);
    Canvas rim = letters;
    rim.Outline(ctx.C("gold1"));
    Canvas outline = rim;
    outline.Outline(ctx.C("ink"), true);
    Canvas shadow = outline;
    shadow.Outline(ctx.C("ink"), true);
    for (Rgba& p : shadow.px)
        if (p.a) p = ctx.C("night1");
    out.Put(shadow, 3, 3);
    out.Put(outline, 1, 1);
    out.Put(rim, 1, 1);
    out.Put(letters, 1, 1);
    return out;
}

Canvas TrimClear(const Canvas& c, int margin) {
    int x0 = c.w, y0 = c.h, x1 = -1, y1 = -1;
    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x)
            if (c.Get(x, y).a) x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    if (x1 < 0) return c;
    return c.Crop(x0 - margin, y0 - margin, x1 - x0 + 1 + 2 * margin, y1 - y0 + 1 + 2 * margin);
}

// Parchment with a light grain; rect in picture pixels.
void Parchment(Canvas& c, const Context& ctx, int x0, int y0, int w, int h, uint32_t seed) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) {
            float n = Fbm(float(x) * 0.09f, float(y) * 0.09f, seed, 3);
            float grain = ValueNoise(float(x) * 0.9f, float(y) * 0.25f, seed + 9);
            float ex = std::min(x - x0, x0 + w - 1 - x), ey = std::min(y - y0, y0 + h - 1 - y);
            float edge = std::clamp(std::min(ex, ey) / 10.0f, 0.0f, 1.0f);
            float v = 0.55f + 0.35f * n + 0.1f * grain;
            v = v * (0.55f + 0.45f * edge);
            Rgba col = v > 0.78f   ? ctx.C("paper3")
                       : v > 0.62f ? Mix(ctx.C("paper2"), ctx.C("paper3"), (v - 0.62f) / 0.16f)
                                   : Mix(ctx.C("paper1"), ctx.C("paper2"), (v - 0.4f) / 0.22f);
            c.Set(x, y, col);
        }
}

void GiftBox(Canvas& c, const Context& ctx, int x, int baseY, int w, int h, Rgba paper, Rgba ribbon) {
    Canvas g(w + 8, h + 8);
    int ox = 4, oy = 6;
    g.FillRect(ox, oy, w, h, paper);
    g.FillRect(ox, oy, std::max(1, w / 4), h, Shade(paper, 0.75f));
    g.FillRect(ox - 1, oy, w + 2, std::max(2, h / 5), Shade(paper, 1.15f));
    g.FillRect(ox + w / 2 - 1, oy, 2, h, ribbon);
    g.FillRect(ox - 1, oy + std::max(2, h / 5) / 2, w + 2, 1, ribbon);
    // Bow.
    g.Set(ox + w / 2 - 3, oy - 2, ribbon);
    g.Set(ox + w / 2 - 2, oy - 1, ribbon);
    g.Set(ox + w / 2 + 2, oy - 2, ribbon);
    g.Set(ox + w / 2 + 1, oy - 1, ribbon);
    g.Set(ox + w / 2 - 3, oy - 1, ribbon);
    g.Set(ox + w / 2 + 2, oy - 1, ribbon);
    DrawWithOutline(c, g, x - ox, baseY - h - oy, ctx.C("ink"));
}

}  // namespace gfx
