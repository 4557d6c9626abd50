// The six level backdrops. They sit behind the level tiles and do not
// scroll, so they are kept calm: mid to dark values, broad shapes, little
// fine detail, and each with its own colour key so the levels differ.
#include <algorithm>
#include <cmath>

#include "scenery.h"
#include "scenes.h"

namespace gfx {

namespace {

constexpr int W = 320, H = 240;

void DimStars(Canvas& c, uint32_t seed, int count, int maxY, Rgba col, float alpha) {
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        int x = rng.Int(0, W - 1), y = rng.Int(0, maxY);
        float a = alpha * (0.4f + 0.6f * float(y < maxY / 2 ? 1 : 0.6f)) * rng.Range(0.5f, 1.0f);
        c.Blend(x, y, col, a);
    }
}

void Smoke(Canvas& c, float x, float y, uint32_t seed, Rgba col) {
    for (int i = 0; i < 14; ++i) {
        float t = float(i) / 14.0f;
        float sx = x + std::sin(t * 5.0f + float(seed % 7)) * 3.0f + t * 10.0f;
        float sy = y - t * 34.0f;
        c.SoftEllipse(sx, sy, 2.0f + t * 4.0f, 1.5f + t * 3.0f, col, 0.16f * (1.0f - t));
    }
}

}  // namespace

Canvas Back1Village(const Context& ctx) {
    Canvas c(W, H);
    VerticalGradient(c, 0, 170, MakeRamp(ctx, {"dusk0", "dusk0", "dusk1", "dusk2", "dusk3", "dusk4"}));
    DimStars(c, 11u, 40, 70, ctx.C("lav4"), 0.7f);
    c.Glow(250, 168, 120, ctx.C("dusk4"), 0.35f, 1.6f);
    Moon(c, ctx, 62, 38, 7, 0.12f);
    // Distant mountains lit pink on their tops.
    MountainRange(c, 101u, 160, 48, 7, MakeRamp(ctx, {"lav2", "lav1"}), MakeRamp(ctx, {"lav1", "lav0"}), ctx.C("dusk4"),
                  ctx.C("lav3"), 0.3f);
    auto hills = RidgeProfile(W, 102u, 162, 8, 55);
    FillRidge(c, hills, MakeRamp(ctx, {"lav3", "lav2", "lav1"}), 30);
    // The village: a row of cottages and a church.
    HouseColours hc{ctx.C("plum1"), ctx.C("plum0"), ctx.C("plum2"), ctx.C("lav4"),
                    ctx.C("lav3"),  ctx.C("lamp1"), ctx.C("lamp0"), ctx.C("plum0")};
    struct HouseSpot {
        int x, w, h;
        bool chimney;
    };
    const HouseSpot spots[] = {{4, 22, 13, true},    {34, 28, 16, false}, {70, 20, 12, true},  {98, 26, 15, true},
                               {158, 24, 14, false}, {190, 30, 17, true}, {262, 22, 13, true}, {292, 26, 15, false}};
    Rng rng(HashName("back1"));
    for (const auto& s : spots) {
        House(c, s.x, 192, s.w, s.h, hc, rng.Next() & 0xffff, s.chimney);
        if (s.chimney)
            Smoke(c, float(s.x + s.w * 2 / 3 + 1), float(192 - s.h - s.w / 2 - 2), uint32_t(s.x), ctx.C("lav4"));
    }
    // Church with a steeple between the cottages.
    {
        int x = 228, base = 192;
        c.FillRect(x, base - 22, 24, 22, ctx.C("plum1"));
        c.FillRect(x, base - 22, 5, 22, ctx.C("plum0"));
        c.FillRect(x + 8, base - 44, 9, 22, ctx.C("plum1"));
        for (int i = 0; i < 14; ++i)
            for (int xx = x + 12 - i / 2 - 1; xx <= x + 12 + i / 2; ++xx)
                c.Set(xx, base - 58 + i, i < 3 ? ctx.C("lav4") : ctx.C("plum2"));
        c.FillRect(x + 12, base - 64, 1, 6, ctx.C("gold1"));
        c.FillRect(x + 10, base - 62, 5, 1, ctx.C("gold1"));
        c.Glow(x + 12.5f, base - 34.0f, 9, ctx.C("lamp0"), 0.35f);
        c.FillEllipse(x + 12.5f, base - 34.0f, 2.5f, 2.5f, ctx.C("lamp1"));
        for (int xx = x - 2; xx < x + 26; ++xx) c.Set(xx, base - 23, ctx.C("lav4"));
        c.FillRect(x + 16, base - 10, 5, 10, ctx.C("plum0"));
        c.FillRect(x + 17, base - 9, 3, 9, ctx.C("lamp0"));
    }
    // Fir trees between houses.
    PineColours pc{ctx.C("pine0"), ctx.C("pine1"), ctx.C("pine2"), ctx.C("lav4"), ctx.C("wood0")};
    for (float x : {27.0f, 64.0f, 130.0f, 146.0f, 184.0f, 284.0f})
        PineTree(c, x, 194, 26 + int(x) % 9, pc, 0.5f, uint32_t(x));
    // Snowy ground in the blue of late evening.
    std::vector<int> ground(W);
    for (int x = 0; x < W; ++x) ground[x] = 190 + int(std::lround(std::sin(float(x) * 0.03f) * 2.0f));
    SnowGround(c, ground, MakeRamp(ctx, {"lav4", "lav3", "lav2", "lav1"}), 50, 21u);
    Tint(c, ctx.C("lav0"), 0.12f);
    return c;
}

Canvas Back2Forest(const Context& ctx) {
    Canvas c(W, H);
    VerticalGradient(c, 0, 175, MakeRamp(ctx, {"night0", "night1", "night2", "teal0", "teal1", "teal2"}));
    DimStars(c, 12u, 70, 90, ctx.C("snow3"), 0.8f);
    Moon(c, ctx, 236, 46, 11, 0.22f);
    auto far = RidgeProfile(W, 201u, 142, 22, 80);
    FillRidge(c, far, MakeRamp(ctx, {"pine4", "pine3"}), 40);
    SnowCap(c, far, ctx.C("lake3"), ctx.C("pine4"), 1, 4, 7u);
    // Three rows of pines, lighter and smaller with distance.
    Rng rng(HashName("back2"));
    PineColours farPine{ctx.C("pine3"), ctx.C("pine4"), ctx.C("teal2"), ctx.C("lake3"), ctx.C("pine2")};
    for (int x = -4; x < W + 6; x += rng.Int(5, 9))
        PineTree(c, float(x), 172 + rng.Int(0, 4), rng.Int(16, 26), farPine, 0.35f, rng.Next() & 0xffff);
    PineColours midPine{ctx.C("pine1"), ctx.C("pine2"), ctx.C("pine3"), ctx.C("snow2"), ctx.C("wood0")};
    for (int x = -6; x < W + 10; x += rng.Int(14, 24))
        PineTree(c, float(x), 202 + rng.Int(0, 6), rng.Int(40, 62), midPine, 0.45f, rng.Next() & 0xffff);
    std::vector<int> ground(W);
    for (int x = 0; x < W; ++x) ground[x] = 200 + int(std::lround(std::sin(float(x) * 0.025f + 1.0f) * 3.0f));
    SnowGround(c, ground, MakeRamp(ctx, {"snow2", "snow1", "snow0", "night3"}), 44, 22u);
    // Tall dark pines framing the sides, the middle left open.
    PineColours nearPine{ctx.C("pine0"), ctx.C("pine1"), ctx.C("pine2"), ctx.C("snow2"), ctx.C("wood0")};
    PineTree(c, 14, 246, 130, nearPine, 0.5f, 31u);
    PineTree(c, 46, 250, 92, nearPine, 0.5f, 32u);
    PineTree(c, 300, 248, 140, nearPine, 0.5f, 33u);
    PineTree(c, 270, 252, 84, nearPine, 0.5f, 34u);
    Tint(c, ctx.C("night0"), 0.12f);
    return c;
}

Canvas Back3Lake(const Context& ctx) {
    Canvas c(W, H);
    VerticalGradient(c, 0, 130, MakeRamp(ctx, {"lake0", "lake1", "lake2", "lake3"}));
    // Soft clouds drifting over the mountains.
    for (int y = 10; y < 90; ++y)
        for (int x = 0; x < W; ++x) {
            float n = Fbm(float(x) / 70.0f, float(y) / 22.0f, 313u, 4);
            float a = std::clamp((n - 0.55f) / 0.2f, 0.0f, 1.0f) * 0.45f;
            if (a > 0) c.Blend(x, y, ctx.C("snow3"), a);
        }
    Canvas mountains(W, H);
    MountainRange(mountains, 301u, 143, 70, 6, MakeRamp(ctx, {"mount2", "mount1"}), MakeRamp(ctx, {"mount1", "mount0"}),
                  ctx.C("snow4"), ctx.C("snow2"), 0.38f);
    for (int x = 0; x < W; ++x)
        for (int y = 0; y < 146; ++y)
            if (mountains.Get(x, y).a) c.At(x, y) = mountains.Get(x, y);
    // Far shore with a line of tiny pines.
    PineColours shore{ctx.C("pine1"), ctx.C("pine2"), ctx.C("pine3"), ctx.C("snow3"), ctx.C("pine0")};
    Rng rng(HashName("back3"));
    for (int x = -2; x < W + 4; x += rng.Int(3, 7))
        PineTree(c, float(x), 142 + rng.Int(0, 2), rng.Int(8, 15), shore, 0.3f, rng.Next() & 0xffff);
    c.FillRect(0, 141, W, 4, ctx.C("snow2"));
    c.FillRect(0, 144, W, 1, ctx.C("snow1"));
    // The frozen lake: a mirror of the mountains, faded, with cracks.
    for (int y = 145; y < 206; ++y)
        for (int x = 0; x < W; ++x) {
            float t = float(y - 145) / 60.0f;
            Rgba base = DitherRamp(MakeRamp(ctx, {"lake3", "lake2", "lake1"}), t, x, y);
            int my = 145 - (y - 145) * 2;
            Rgba m = my >= 0 ? mountains.Get(x, my) : kClear;
            if (m.a) base = Mix(base, m, 0.35f * (1.0f - t));
            // Horizontal sheen streaks.
            float streak = ValueNoise(float(x) / 40.0f, float(y) * 0.7f, 17u);
            if (streak > 0.8f) base = Mix(base, ctx.C("lake4"), 0.35f);
            c.At(x, y) = base;
        }
    for (int i = 0; i < 9; ++i) {
        float x = rng.Range(0, W), y = rng.Range(150, 200);
        for (int s = 0; s < 5; ++s) {
            float nx = x + rng.Range(-14, 14), ny = y + rng.Range(-2, 3);
            c.Line(int(x), int(y), int(nx), int(ny), WithAlpha(ctx.C("lake4"), 140));
            x = nx, y = ny;
        }
    }
    std::vector<int> bank(W);
    for (int x = 0; x < W; ++x) bank[x] = 204 + int(std::lround((Fbm(float(x) / 40.0f, 2.0f, 333u, 3) - 0.5f) * 10.0f));
    SnowGround(c, bank, MakeRamp(ctx, {"snow4", "snow3", "snow2", "snow1"}), 40, 23u);
    Tint(c, ctx.C("lake0"), 0.3f);
    return c;
}

Canvas Back4Caves(const Context& ctx) {
    Canvas c(W, H);
    // Cave wall: a dark noisy blue, brighter towards the middle.
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            float n = Fbm(float(x) / 50.0f, float(y) / 50.0f, 401u, 4);
            float centre = 1.0f - std::min(1.0f, std::hypot((x - 160.0f) / 200.0f, (y - 130.0f) / 150.0f));
            float t = std::clamp(n * 0.6f + centre * 0.6f - 0.15f, 0.0f, 1.0f);
            c.At(x, y) = DitherRamp(MakeRamp(ctx, {"cave0", "cave1", "cave2", "cave3"}), t, x, y);
        }
    Rng rng(HashName("back4"));
    // Big faceted ice crystals in the back wall.
    for (int i = 0; i < 12; ++i) {
        float x = rng.Range(10, W - 10), y = rng.Range(60, 220);
        float len = rng.Range(20, 50), wid = rng.Range(5, 10);
        float a = rng.Range(-0.6f, 0.6f) - 1.5708f;
        float dx = std::cos(a), dy = std::sin(a);
        std::vector<float> pts = {
            x - dy * wid, y + dx * wid, x + dx * len * 0.8f - dy * wid * 0.8f, y + dy * len * 0.8f + dx * wid * 0.8f,
            x + dx * len, y + dy * len, x + dx * len * 0.8f + dy * wid * 0.8f, y + dy * len * 0.8f - dx * wid * 0.8f,
            x + dy * wid, y - dx * wid};
        c.FillPolygon(pts, WithAlpha(ctx.C("cave4"), 150), true);
        std::vector<float> half = {x,
                                   y,
                                   x + dx * len,
                                   y + dy * len,
                                   x + dx * len * 0.8f + dy * wid * 0.8f,
                                   y + dy * len * 0.8f - dx * wid * 0.8f,
                                   x + dy * wid,
                                   y - dx * wid};
        c.FillPolygon(half, WithAlpha(ctx.C("ice1"), 90), true);
    }
    // Glowing crystal clusters.
    for (int i = 0; i < 5; ++i) {
        float x = 20.0f + float(i) * 70.0f + rng.Range(-10, 10), y = rng.Range(170, 215);
        c.Glow(x, y - 8, 34, ctx.C("ice2"), 0.28f, 1.8f);
        for (int k = 0; k < 4; ++k) {
            float a = -1.5708f + rng.Range(-0.7f, 0.7f);
            float len = rng.Range(8, 18), wid = rng.Range(2, 3.5f);
            float dx = std::cos(a), dy = std::sin(a);
            std::vector<float> pts = {x - dy * wid, y + dx * wid, x + dx * len,
                                      y + dy * len, x + dy * wid, y - dx * wid};
            c.FillPolygon(pts, ctx.C("ice2"), true);
            std::vector<float> lit = {x, y, x + dx * len, y + dy * len, x + dy * wid, y - dx * wid};
            c.FillPolygon(lit, ctx.C("ice3"), true, 0.8f);
        }
    }
    // Faint light falling from cracks in the roof.
    for (int i = 0; i < 3; ++i) {
        float x0 = 60.0f + float(i) * 95.0f;
        std::vector<float> beam = {x0, 0, x0 + 14, 0, x0 + 54, 240, x0 + 24, 240};
        c.FillPolygon(beam, ctx.C("ice3"), true, 0.06f);
    }
    // Icicles hanging from the roof: a pale far row, then a dark near row.
    auto icicles = [&](int count, float minLen, float maxLen, Rgba body, Rgba edge, float cover) {
        for (int i = 0; i < count; ++i) {
            float x = rng.Range(-5, W + 5), len = rng.Range(minLen, maxLen), wid = rng.Range(3, 8);
            std::vector<float> pts = {x - wid, -1, x + wid, -1, x + 0.5f, len};
            c.FillPolygon(pts, body, true, cover);
            std::vector<float> lit = {x, -1, x + wid, -1, x + 0.5f, len};
            c.FillPolygon(lit, edge, true, cover * 0.5f);
        }
    };
    icicles(40, 10, 45, ctx.C("cave3"), ctx.C("ice1"), 0.9f);
    c.FillRect(0, 0, W, 4, ctx.C("cave1"));
    icicles(22, 6, 26, ctx.C("cave1"), ctx.C("cave3"), 1.0f);
    // Floor of rough ice.
    auto floor = RidgeProfile(W, 402u, 226, 6, 30);
    FillRidge(c, floor, MakeRamp(ctx, {"cave3", "cave2", "cave1"}), 16);
    SnowCap(c, floor, ctx.C("ice1"), ctx.C("cave4"), 1, 2, 3u);
    return c;
}

namespace {

void Gear(Canvas& c, float cx, float cy, float r, int teeth, Rgba body, Rgba shade, Rgba hub) {
    std::vector<float> pts;
    for (int i = 0; i < teeth * 4; ++i) {
        float a = float(i) * 6.2831853f / float(teeth * 4);
        float rr = (i % 4 == 1 || i % 4 == 2) ? r : r * 0.82f;
        pts.push_back(cx + std::cos(a) * rr);
        pts.push_back(cy + std::sin(a) * rr);
    }
    c.FillPolygon(pts, body, true);
    c.SoftEllipse(cx + r * 0.06f, cy + r * 0.06f, r * 0.62f, r * 0.62f, shade);
    c.SoftEllipse(cx, cy, r * 0.55f, r * 0.55f, body);
    for (int k = 0; k < 5; ++k) {
        float a = float(k) * 6.2831853f / 5.0f + 0.3f;
        c.SoftEllipse(cx + std::cos(a) * r * 0.34f, cy + std::sin(a) * r * 0.34f, r * 0.1f, r * 0.1f, shade);
    }
    c.SoftEllipse(cx, cy, r * 0.14f, r * 0.14f, hub);
}

void Teddy(Canvas& c, int x, int base, Rgba fur, Rgba dark) {
    c.FillEllipse(x + 0.5f, base - 5.0f, 4.5f, 5.0f, fur);
    c.FillEllipse(x + 0.5f, base - 13.0f, 4.0f, 3.8f, fur);
    c.FillEllipse(x - 3.0f, base - 16.0f, 1.6f, 1.6f, fur);
    c.FillEllipse(x + 4.0f, base - 16.0f, 1.6f, 1.6f, fur);
    c.FillEllipse(x + 0.5f, base - 4.5f, 2.4f, 3.0f, dark);
}

void Soldier(Canvas& c, int x, int base, const Context& ctx) {
    c.FillRect(x - 2, base - 8, 2, 8, ctx.C("night2"));
    c.FillRect(x + 1, base - 8, 2, 8, ctx.C("night2"));
    c.FillRect(x - 3, base - 16, 7, 8, ctx.C("red1"));
    c.FillRect(x - 3, base - 12, 7, 1, ctx.C("gold1"));
    c.FillRect(x - 2, base - 20, 5, 4, ctx.C("skin1"));
    c.FillRect(x - 3, base - 27, 7, 7, ctx.C("black0"));
}

}  // namespace

Canvas Back5Factory(const Context& ctx) {
    Canvas c(W, H);
    // Brick wall, low contrast.
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            int row = y / 7, off = (row % 2) * 8;
            bool mortar = y % 7 == 6 || (x + off) % 16 == 15;
            float n = ValueNoise(float((x + off) / 16), float(row), 501u);
            Rgba b = n > 0.66f ? ctx.C("brick2") : ctx.C("brick1");
            c.At(x, y) = mortar ? ctx.C("brick0") : b;
        }
    // Arched windows onto the snowy night.
    Rng rng(HashName("back5"));
    for (int i = 0; i < 3; ++i) {
        int wx = 30 + i * 100, wy = 34, ww = 60, wh = 70;
        Canvas win(ww, wh);
        VerticalGradient(win, 0, wh, MakeRamp(ctx, {"night1", "night2", "night3"}));
        Snowfall(win, 600u + uint32_t(i), 60, ctx.C("snow3"), 0.9f);
        auto roofs = RidgeProfile(ww, 610u + uint32_t(i), 58, 5, 10, 2);
        FillRidge(win, roofs, MakeRamp(ctx, {"snow1", "snow0"}), 12);
        for (int y = 0; y < wh; ++y)
            for (int x = 0; x < ww; ++x) {
                float dx = (x + 0.5f - ww / 2.0f) / (ww / 2.0f), dy = (y + 0.5f - ww / 2.0f) / (ww / 2.0f);
                if (y < ww / 2 && dx * dx + dy * dy > 1.0f) continue;
                c.Set(wx + x, wy + y, win.Get(x, y));
            }
        // Frame and glazing bars.
        for (int y = 0; y < wh; ++y)
            for (int x = -2; x < ww + 2; ++x) {
                float dx = (x + 0.5f - ww / 2.0f) / (ww / 2.0f), dy = (y + 0.5f - ww / 2.0f) / (ww / 2.0f);
                float d = y < ww / 2 ? std::sqrt(dx * dx + dy * dy) : std::fabs(dx);
                if (d > 1.0f && d < 1.07f) c.Set(wx + x, wy + y, ctx.C("wood2"));
            }
        c.FillRect(wx + ww / 2 - 1, wy + 2, 2, wh - 2, ctx.C("wood1"));
        c.FillRect(wx, wy + 40, ww, 2, ctx.C("wood1"));
        c.FillRect(wx - 4, wy + wh, ww + 8, 3, ctx.C("wood2"));
    }
    // Wooden posts and a beam.
    for (int x : {0, 104, 204, 306}) {
        c.FillRect(x, 0, 12, H, ctx.C("wood1"));
        c.FillRect(x, 0, 3, H, ctx.C("wood0"));
        c.FillRect(x + 9, 0, 1, H, ctx.C("wood2"));
    }
    c.FillRect(0, 18, W, 9, ctx.C("wood1"));
    c.FillRect(0, 26, W, 2, ctx.C("wood0"));
    // Brass gears behind the shelves.
    Gear(c, 70, 150, 26, 12, ctx.C("brass1"), ctx.C("brass0"), ctx.C("brass2"));
    Gear(c, 103, 128, 15, 9, ctx.C("brass1"), ctx.C("brass0"), ctx.C("brass2"));
    Gear(c, 250, 146, 30, 14, ctx.C("brass1"), ctx.C("brass0"), ctx.C("brass2"));
    // A shelf of finished toys.
    c.FillRect(0, 168, W, 4, ctx.C("wood2"));
    c.FillRect(0, 172, W, 2, ctx.C("wood0"));
    for (int x = 18; x < W; x += 46) {
        int kind = (x / 46) % 3;
        if (kind == 0) Teddy(c, x, 168, ctx.C("brown2"), ctx.C("brown3"));
        if (kind == 1) Soldier(c, x, 168, ctx);
        if (kind == 2) {
            c.FillRect(x - 5, 160, 8, 8, ctx.C("night3"));
            c.FillRect(x + 3, 160, 8, 8, ctx.C("green2"));
            c.FillRect(x - 1, 152, 8, 8, ctx.C("red1"));
        }
    }
    // Hanging lamps with warm pools of light.
    for (int x : {56, 156, 256}) {
        c.FillRect(x, 27, 1, 14, ctx.C("black1"));
        c.Glow(float(x) + 0.5f, 46, 60, ctx.C("lamp0"), 0.22f, 1.7f);
        std::vector<float> shade = {float(x) - 6, 46, float(x) + 7, 46, float(x) + 3, 40, float(x) - 2, 40};
        c.FillPolygon(shade, ctx.C("green1"));
        c.FillRect(x - 2, 46, 5, 2, ctx.C("lamp2"));
    }
    // Conveyor belt along the floor.
    c.FillRect(0, 206, W, 34, ctx.C("wood0"));
    c.FillRect(0, 200, W, 7, ctx.C("black1"));
    for (int x = 0; x < W; x += 8) c.FillRect(x, 201, 4, 1, ctx.C("black2"));
    for (int x = 6; x < W; x += 20) c.FillEllipse(float(x), 210, 3.5f, 3.5f, ctx.C("black2"));
    Tint(c, ctx.C("brick0"), 0.25f);
    return c;
}

namespace {

// Curtains of the aurora: bright lower hems, rays fading upwards.
void Aurora(Canvas& c, float baseY, float amp, uint32_t seed, Rgba low, Rgba high, float strength) {
    for (int x = 0; x < W; ++x) {
        float fx = float(x);
        float hem = baseY + std::sin(fx * 0.018f + float(seed)) * amp + (Fbm(fx / 40.0f, 0.0f, seed, 3) - 0.5f) * amp;
        float ray = 0.55f + 0.45f * Fbm(fx / 5.0f, 1.0f, seed + 3, 2);
        for (int y = 0; y < 200; ++y) {
            float d = hem - float(y);  // height above the hem
            if (d < -3) continue;
            float a = d < 0 ? (3 + d) / 3.0f : std::exp(-d / 38.0f);
            a *= ray * strength;
            float t = std::clamp(d / 60.0f, 0.0f, 1.0f);
            c.Blend(x, y, Mix(low, high, t), a);
        }
    }
}

}  // namespace

Canvas Back6Aurora(const Context& ctx) {
    Canvas c(W, H);
    VerticalGradient(c, 0, 185, MakeRamp(ctx, {"night0", "night0", "night1", "night2", "polar1"}));
    DimStars(c, 16u, 150, 180, ctx.C("snow4"), 0.9f);
    Aurora(c, 105, 22, 61u, ctx.C("aur1"), ctx.C("aur3"), 0.55f);
    Aurora(c, 70, 14, 62u, ctx.C("aur0"), ctx.C("aur4"), 0.35f);
    // Ice plain with pressure ridges, lit green by the sky.
    auto far = RidgeProfile(W, 601u, 178, 6, 40);
    FillRidge(c, far, MakeRamp(ctx, {"polar3", "polar2", "polar1"}), 20);
    SnowCap(c, far, Mix(ctx.C("snow3"), ctx.C("aur2"), 0.3f), ctx.C("polar3"), 1, 3, 11u);
    std::vector<int> ground(W);
    for (int x = 0; x < W; ++x) ground[x] = 196 + int(std::lround(std::sin(float(x) * 0.02f) * 3.0f));
    SnowGround(c, ground, MakeRamp(ctx, {"snow2", "snow1", "polar3", "polar2"}), 44, 26u);
    c.Glow(160, 200, 180, ctx.C("aur1"), 0.10f, 1.5f);
    // The pole itself: red and white stripes with a golden ball, and an igloo.
    {
        int x = 236, base = 198, h = 46;
        for (int y = base - h; y < base; ++y) {
            bool red = ((y - (base - h)) / 4) % 2 == 0;
            c.FillRect(x, y, 4, 1, red ? ctx.C("red2") : ctx.C("snow3"));
            c.Set(x, y, red ? ctx.C("red1") : ctx.C("snow1"));
        }
        c.Glow(x + 2.0f, float(base - h - 3), 10, ctx.C("gold2"), 0.4f);
        c.FillEllipse(x + 2.0f, float(base - h - 3), 3.5f, 3.5f, ctx.C("gold2"));
        c.Set(x + 2, base - h - 5, ctx.C("gold3"));
        c.FillEllipse(x + 2.0f, float(base), 8.0f, 2.0f, ctx.C("snow3"));
    }
    {
        float x = 62, base = 200;
        for (int y = int(base - 16); y < int(base); ++y)
            for (int xx = int(x - 18); xx <= int(x + 18); ++xx) {
                float dx = (xx + 0.5f - x) / 18.0f, dy = (y + 0.5f - base) / 16.0f;
                if (dx * dx + dy * dy > 1.0f) continue;
                bool joint = (int(base) - y) % 4 == 0 || ((xx + ((int(base) - y) / 4) * 3) % 7 == 0);
                Rgba col = dx > 0.2f ? ctx.C("snow2") : ctx.C("snow1");
                c.Set(xx, y, joint ? ctx.C("polar3") : col);
            }
        c.FillEllipse(x + 12.0f, base - 4.0f, 4.0f, 4.5f, ctx.C("night1"));
        c.Glow(x + 12.0f, base - 4.0f, 10, ctx.C("lamp0"), 0.3f);
    }
    Tint(c, ctx.C("night0"), 0.1f);
    return c;
}

}  // namespace gfx
