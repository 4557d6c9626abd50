// Player and monster strips plus the small pictures: HUD icons, halo, hurt
// flash, snowflake, title star and the cloud layer.
#include "sprites.h"

#include <algorithm>
#include <cmath>

namespace gfx {

namespace {

constexpr float kPi = 3.14159265f;

// The HUD's icons: the outline closes round the corners too, so that each
// icon keeps a whole dark rim over snow, ice and bright tiles.
Canvas HudIcon(const Context& ctx, const std::string& art, int w, int h, int x, int y) {
    const Canvas& layer = ctx.art[art];
    Canvas ring(layer.w + 2, layer.h + 2);
    ring.Put(layer, 1, 1);
    ring.Outline(ctx.C("ink"), true);
    Canvas c(w, h);
    c.Put(ring, x - 1, y - 1);
    return c;
}

// A golden ring seen from slightly above, to float over a head.
Canvas Halo(const Context& ctx) {
    Canvas c(28, 8);
    const float cx = 14.0f, cy = 3.8f;
    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x) {
            float dx = (x + 0.5f - cx), dy = (y + 0.5f - cy);
            float outer = (dx * dx) / (10.5f * 10.5f) + (dy * dy) / (3.6f * 3.6f);
            float inner = (dx * dx) / (7.0f * 7.0f) + (dy * dy) / (1.6f * 1.6f);
            if (outer > 1.0f || inner < 1.0f) continue;
            // Lit from above: the far (upper) half of the ring is brighter.
            bool rim = outer > 0.78f || inner < 1.35f;
            Rgba col = dy < 0 ? ctx.C("gold3") : ctx.C("gold2");
            if (rim) col = dy < 0 ? ctx.C("gold2") : ctx.C("gold1");
            c.Set(x, y, col);
        }
    c.Set(8, 1, ctx.C("snow4"));
    c.Set(9, 1, ctx.C("snow4"));
    return c;
}

// A jagged burst in hot colours; the game draws it at 60% behind the player.
// Santa's 28 x 28 frame hides the middle, so the burst is twice his size:
// its long rays reach some 15 pixels past his outline on every side and its
// valleys still clear his frame. The game places it as it would a 32 x 30
// picture whose corner lies 2 left of and 1 above the frame (the handle set
// at start-up keeps that corner); the frame's centre is this one's centre.
Canvas Flash(const Context& ctx) {
    Canvas c(kFlashWidth, kFlashHeight);
    const float cx = kFlashWidth / 2.0f, cy = kFlashHeight / 2.0f;
    const int spikes = 16;
    std::vector<float> pts;
    Rng rng(HashName("flash"));
    for (int i = 0; i < spikes * 2; ++i) {
        float a = float(i) * kPi / float(spikes) + 0.1f;
        // Every other long ray is shorter, so the outline reads as a spark
        // rather than a gear wheel.
        float r =
            i % 2 == 1 ? rng.Range(17.0f, 19.0f) : (i % 4 == 0 ? rng.Range(28.0f, 30.5f) : rng.Range(23.0f, 26.0f));
        pts.push_back(cx + std::cos(a) * r);
        pts.push_back(cy + std::sin(a) * r * 0.97f);
    }
    Canvas shape(c.w, c.h);
    shape.FillPolygon(pts, Rgba(255, 255, 255));
    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x) {
            if (shape.Get(x, y).a < 128) continue;
            float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
            Rgba col = d < 10.0f   ? ctx.C("snow4")
                       : d < 15.0f ? ctx.C("gold3")
                       : d < 19.5f ? ctx.C("gold2")
                       : d < 24.0f ? ctx.C("lamp0")
                                   : ctx.C("red3");
            c.Set(x, y, col);
        }
    return c;
}

// A small cross of light; the snow effect tints each flake grey to white.
Canvas Flake(const Context& ctx) {
    Canvas c(3, 3);
    Rgba rim = ctx.C("snow3"), core = ctx.C("snow4");
    c.Set(1, 0, rim);
    c.Set(0, 1, rim);
    c.Set(1, 1, core);
    c.Set(2, 1, rim);
    c.Set(1, 2, rim);
    return c;
}

// A soft white five-pointed star with a glow; the title tints each one.
Canvas Star() {
    Canvas c(32, 32);
    const float cx = 16.0f, cy = 16.5f;
    c.Glow(cx, cy, 15.5f, Rgba(255, 255, 255), 0.45f, 2.2f);
    std::vector<float> pts;
    for (int i = 0; i < 10; ++i) {
        float a = -kPi / 2 + float(i) * kPi / 5;
        float r = i % 2 == 0 ? 12.5f : 5.2f;
        pts.push_back(cx + std::cos(a) * r);
        pts.push_back(cy + std::sin(a) * r);
    }
    Canvas body(32, 32);
    body.FillPolygon(pts, Rgba(255, 255, 255), true);
    // Facet shading: lighter towards the upper left, so it reads as bevelled.
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            Rgba p = body.Get(x, y);
            if (!p.a) continue;
            float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            float k = 0.86f + 0.14f * std::clamp(-(dx + dy) / 10.0f, -1.0f, 1.0f);
            float centre = std::max(0.0f, 1.0f - std::hypot(dx, dy) / 5.0f);
            k = std::min(1.0f, k + centre * 0.2f);
            c.Blend(x, y, WithAlpha(Shade(Rgba(255, 255, 255), k), p.a));
        }
    return c;
}

// Soft cloud puffs whose alpha falls to nothing well inside the border: the
// title draws it 8 times enlarged and turning, so no edge may ever show.
Canvas Clouds() {
    const int size = 64;
    Canvas c(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float fx = float(x) / size, fy = float(y) / size;
            float n = Fbm(fx * 5.0f, fy * 5.0f, 7151u, 4);
            float r = std::hypot(x + 0.5f - 32.0f, y + 0.5f - 32.0f);
            float edge = std::clamp((30.5f - r) / 6.0f, 0.0f, 1.0f);
            edge = edge * edge * (3 - 2 * edge);
            float dens = std::clamp((n - 0.40f) / 0.30f, 0.0f, 1.0f);
            dens = dens * dens * (3 - 2 * dens);
            float a = dens * edge;
            if (a <= 0.004f) continue;
            // Brighter tops: compare with the noise a little higher up.
            float above = Fbm(fx * 5.0f, (fy - 0.03f) * 5.0f, 7151u, 4);
            float lit = std::clamp(0.85f + (n - above) * 3.0f, 0.70f, 1.0f);
            Rgba col = Mix(Rgba(196, 208, 232), Rgba(255, 255, 255), (lit - 0.7f) / 0.3f);
            c.At(x, y) = WithAlpha(col, int(a * 235));
        }
    return c;
}

}  // namespace

void MakeSprites(Context& ctx) {
    ctx.Add("bnatale4.png", SantaStrip(ctx), PngKind::kMasked, "Santa walk: 0-7 left, 8-15 right", 28, 28);
    ctx.Add("pneve.png", SnowmanStrip(ctx), PngKind::kMasked, "snowman hop: 0-11 right, 12-23 left", 26, 26);
    ctx.Add("Gring2.png", GremlinStrip(ctx), PngKind::kMasked, "gremlin walk: 0-7 right, 8-15 left", 26, 26);
    ctx.Add("lives.png", HudIcon(ctx, "lives", 16, 18, 1, 1), PngKind::kMasked, "life icon: Santa's head");
    ctx.Add("pacco.png", HudIcon(ctx, "pacco", 16, 16, 1, 1), PngKind::kMasked, "gift parcel");
    // Six clear rows on top: the HUD draws the clock at y -4, and on the
    // tallies its bells must stay clear of the gremlin's feet above it.
    ctx.Add("Timer.png", HudIcon(ctx, "timer", 18, 26, 1, 7), PngKind::kMasked, "alarm clock icon");
    ctx.Add("aureola.png", Halo(ctx), PngKind::kMasked, "golden halo over a 28-pixel figure");
    ctx.Add("flash.png", Flash(ctx), PngKind::kMasked, "hurt flash burst");
    ctx.Add("fiocco.png", Flake(ctx), PngKind::kMasked, "snowflake");
    ctx.Add("star.png", Star(), PngKind::kAlpha, "soft star, tinted by the title");
    ctx.Add("nuvole.png", Clouds(), PngKind::kAlpha, "soft clouds, drawn 8x and turning");
}

}  // namespace gfx
