// Backdrops of the screens outside play: the menu, the high-score table,
// the instructions, the credits picture, the end celebration and the splash.
#include <algorithm>
#include <cmath>

#include "decor.h"
#include "laid_picture.h"
#include "scenery.h"
#include "scenes.h"
#include "sprites.h"

namespace gfx {

namespace {

constexpr int W = 320, H = 240;

// Stars and twinkles over a sky. With `clear` they keep off its lettering
// (whose boxes are `scale` times this canvas's pixels), so that no star sits
// in a letter.
void StarField(Canvas& c, const Context& ctx, uint32_t seed, int count, int maxY, int twinkles,
               const LaidPicture* clear = nullptr, int scale = 1) {
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        int x = rng.Int(0, c.w - 1), y = rng.Int(0, maxY);
        float a = rng.Range(0.25f, 1.0f) * (1.0f - 0.5f * float(y) / float(maxY + 1));
        Rgba col = rng.Uniform() < 0.2f ? ctx.C("lamp2") : ctx.C("snow4");
        if (clear && clear->NearText(x * scale, y * scale, 2 * scale)) continue;
        c.Blend(x, y, col, a);
    }
    if (!clear) {
        for (int i = 0; i < twinkles; ++i)
            DrawSparkle(c, ctx, rng.Int(4, c.w - 5), rng.Int(4, maxY / 2), rng.Int(1, 2));
        return;
    }
    for (int placed = 0, tries = 0; placed < twinkles && tries < 50 * twinkles; ++tries) {
        const int x = rng.Int(4, c.w - 5);
        const int y = rng.Int(4, maxY / 2);
        const int arm = rng.Int(1, 2);
        if (clear->NearText(x * scale, y * scale, (arm + 6) * scale)) continue;
        DrawSparkle(c, ctx, x, y, arm);
        ++placed;
    }
}

// Round parcels stacked under a tree.
void GiftPile(Canvas& c, const Context& ctx, int x, int baseY, uint32_t seed) {
    Rng rng(seed);
    const char* papers[] = {"red2", "green2", "scarf1", "gold1", "lav2"};
    const char* ribbons[] = {"gold2", "red3", "gold3", "snow4", "gold2"};
    int px = x;
    for (int i = 0; i < 4; ++i) {
        int k = rng.Int(0, 4);
        int w = rng.Int(8, 12), h = rng.Int(6, 10);
        GiftBox(c, ctx, px, baseY, w, h, ctx.C(papers[k]), ctx.C(ribbons[k]));
        px += w + rng.Int(1, 3);
    }
}

}  // namespace

void ChristmasTree(Canvas& c, const Context& ctx, float x, int baseY, int height, uint32_t seed) {
    PineColours pc{ctx.C("green1"), ctx.C("green2"), ctx.C("green3"), ctx.C("snow3"), ctx.C("brown1")};
    Canvas tree(c.w, c.h);
    PineTree(tree, x, baseY, height, pc, 0.35f, seed);
    Canvas outlined(c.w, c.h);
    DrawWithOutline(outlined, tree, 0, 0, ctx.C("ink"));
    // Garland of lights, baubles.
    Rng rng(seed + 1);
    const char* bulbs[] = {"red3", "gold2", "scarf2", "green5", "aur4"};
    for (int i = 0; i < height / 3; ++i) {
        float f = rng.Range(0.15f, 0.92f);
        int y = baseY - height + int(f * float(height) * 0.88f);
        float half = float(height) * 0.30f * f * 0.85f;
        int bx = int(x + rng.Range(-half, half));
        if (tree.Get(bx, y).a == 0) continue;
        Rgba col = ctx.C(bulbs[rng.Int(0, 4)]);
        if (i % 3 == 0) {
            outlined.FillCircle(float(bx) + 0.5f, float(y) + 0.5f, 1.6f, col);
            outlined.Set(bx, y, ctx.C("snow4"));
        } else {
            outlined.Glow(float(bx) + 0.5f, float(y) + 0.5f, 4.0f, col, 0.5f);
            outlined.Set(bx, y, col);
        }
    }
    c.Draw(outlined, 0, 0);
    // Star on top.
    float sx = x + 0.5f, sy = float(baseY - height) - 1.0f;
    c.Glow(sx, sy, 14, ctx.C("gold3"), 0.45f);
    std::vector<float> pts;
    for (int i = 0; i < 10; ++i) {
        float a = -1.5708f + float(i) * 3.14159f / 5.0f;
        float r = i % 2 == 0 ? 6.0f : 2.6f;
        pts.push_back(sx + std::cos(a) * r);
        pts.push_back(sy + std::sin(a) * r);
    }
    Canvas star(c.w, c.h);
    star.FillPolygon(pts, ctx.C("gold2"));
    star.Set(int(sx), int(sy) - 1, ctx.C("gold3"));
    star.Set(int(sx) - 1, int(sy), ctx.C("gold3"));
    DrawWithOutline(c, star, 0, 0, ctx.C("ink"));
    GiftPile(c, ctx, int(x) - 20, baseY + 1, seed + 7);
}

Canvas MenuBackdrop(const Context& ctx) {
    Canvas c(W, H);
    VerticalGradient(c, 0, 200, MakeRamp(ctx, {"night0", "night0", "night1", "night2", "night3"}));
    StarField(c, ctx, 71u, 140, 190, 6);
    Moon(c, ctx, 46, 100, 13, 0.25f);
    MountainRange(c, 72u, 196, 34, 8, MakeRamp(ctx, {"night3", "night2"}), MakeRamp(ctx, {"night2", "night1"}),
                  ctx.C("snow1"), ctx.C("snow0"), 0.3f);
    // Far village lights along the hills.
    Rng rng(HashName("MenuBack"));
    HouseColours hc{ctx.C("night1"), ctx.C("night0"), ctx.C("night2"), ctx.C("snow1"),
                    ctx.C("snow0"),  ctx.C("lamp1"),  ctx.C("lamp0"),  ctx.C("night0")};
    for (int x = 96; x < 236; x += rng.Int(16, 26))
        House(c, x, 206, rng.Int(10, 14), rng.Int(6, 9), hc, rng.Next() & 0xffff, false);
    std::vector<int> hills(W);
    for (int x = 0; x < W; ++x) hills[x] = 204 + int(std::lround(std::sin(float(x) * 0.02f + 0.6f) * 5.0f));
    SnowGround(c, hills, MakeRamp(ctx, {"snow2", "snow1", "snow0", "night3"}), 40, 73u);
    PineColours dark{ctx.C("pine0"), ctx.C("pine1"), ctx.C("pine2"), ctx.C("snow2"), ctx.C("wood0")};
    PineTree(c, 12, 246, 96, dark, 0.45f, 74u);
    PineTree(c, 40, 242, 62, dark, 0.45f, 75u);
    PineTree(c, 62, 238, 36, dark, 0.45f, 76u);
    ChristmasTree(c, ctx, 284, 228, 92, 77u);
    return c;
}

// The high-score table scrolls over x 70..316: keep it dark and plain there.
Canvas ScoresBackdrop(const Context& ctx) {
    Canvas c(W, H);
    VerticalGradient(c, 0, H, MakeRamp(ctx, {"night0", "night1", "night1", "night2"}));
    StarField(c, ctx, 81u, 50, 200, 0);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            float v = std::hypot((x - 190.0f) / 190.0f, (y - 120.0f) / 150.0f);
            if (v > 0.8f) c.Blend(x, y, ctx.C("night0"), std::min(1.0f, (v - 0.8f) * 1.5f));
        }
    std::vector<int> hills(W);
    for (int x = 0; x < W; ++x) hills[x] = 226 + int(std::lround(std::sin(float(x) * 0.03f) * 3.0f));
    SnowGround(c, hills, MakeRamp(ctx, {"snow0", "night3", "night2"}), 16, 82u);
    // The decorations stay left of the first column (x < 64).
    ChristmasTree(c, ctx, 31, 228, 100, 83u);
    // A wreath hanging above the tree.
    {
        float cx = 31, cy = 44;
        Canvas wreath(W, H);
        for (int i = 0; i < 26; ++i) {
            float a = float(i) * 6.2831853f / 26.0f;
            float r = 14.0f + (i % 2 ? 1.5f : -1.0f);
            wreath.FillCircle(cx + std::cos(a) * r, cy + std::sin(a) * r, 4.2f,
                              i % 3 ? ctx.C("green2") : ctx.C("green1"));
        }
        for (int i = 0; i < 26; ++i) {
            float a = float(i) * 6.2831853f / 26.0f + 0.12f;
            wreath.Set(int(cx + std::cos(a) * 15.0f), int(cy + std::sin(a) * 15.0f) - 1, ctx.C("green4"));
        }
        for (int yy = int(cy) - 9; yy <= int(cy) + 9; ++yy)
            for (int xx = int(cx) - 9; xx <= int(cx) + 9; ++xx)
                if (std::hypot(xx + 0.5f - cx, yy + 0.5f - cy) < 9.5f) wreath.Set(xx, yy, kClear);
        DrawWithOutline(c, wreath, 0, 0, ctx.C("ink"));
        Rng rng(84u);
        for (int i = 0; i < 9; ++i) {
            float a = rng.Range(0, 6.28f);
            DrawBerry(c, ctx, int(cx + std::cos(a) * 15.0f), int(cy + std::sin(a) * 15.0f));
        }
        Canvas bow(W, H);
        bow.FillPolygon({cx - 9, cy + 7, cx, cy + 12, cx - 9, cy + 17}, ctx.C("red2"));
        bow.FillPolygon({cx + 9, cy + 7, cx, cy + 12, cx + 9, cy + 17}, ctx.C("red2"));
        bow.FillPolygon({cx - 1, cy + 12, cx + 1, cy + 12, cx - 4, cy + 26, cx - 7, cy + 25}, ctx.C("red1"));
        bow.FillPolygon({cx - 1, cy + 12, cx + 1, cy + 12, cx + 7, cy + 25, cx + 4, cy + 26}, ctx.C("red1"));
        bow.FillCircle(cx, cy + 12, 2.2f, ctx.C("red3"));
        DrawWithOutline(c, bow, 0, 0, ctx.C("ink"));
        c.FillRect(int(cx), 0, 1, int(cy) - 17, ctx.C("gold1"));
    }
    // A thin gold rule between the decoration and the table.
    for (int y = 8; y < H - 8; ++y) c.Blend(63, y, ctx.C("gold1"), 0.35f);
    return c;
}

// The narration's lines are drawn in dark colours with black shadows, so this
// backdrop is pale and quiet: faint snow crystals and hills, no strong edges.
Canvas InstructionsBackdrop(const Context& ctx) {
    Canvas c(W, H);
    VerticalGradient(c, 0, H, MakeRamp(ctx, {"pale0", "pale1", "pale2", "pale3"}));
    // Large faint snow crystals.
    Rng rng(HashName("InstructionsBACK"));
    for (int i = 0; i < 7; ++i) {
        float cx = rng.Range(20, 300), cy = rng.Range(20, 220), r = rng.Range(14, 30);
        Rgba ink = ctx.C("pale_ink");
        for (int k = 0; k < 6; ++k) {
            float a = float(k) * 1.0471976f + 0.26f;
            float ex = cx + std::cos(a) * r, ey = cy + std::sin(a) * r;
            c.Line(int(cx), int(cy), int(ex), int(ey), WithAlpha(ink, 110));
            for (float t : {0.45f, 0.7f}) {
                float bx = cx + std::cos(a) * r * t, by = cy + std::sin(a) * r * t;
                for (float side : {-0.7f, 0.7f}) {
                    float b2 = a + side;
                    c.Line(int(bx), int(by), int(bx + std::cos(b2) * r * 0.25f), int(by + std::sin(b2) * r * 0.25f),
                           WithAlpha(ink, 90));
                }
            }
        }
    }
    std::vector<int> hills(W);
    for (int x = 0; x < W; ++x) hills[x] = 214 + int(std::lround((Fbm(float(x) / 60.0f, 1.0f, 91u, 3) - 0.5f) * 20.0f));
    FillRidge(c, hills, MakeRamp(ctx, {"pale2", "pale3"}), 20);
    // Candy-cane bands on the top and bottom edges.
    for (int x = 0; x < W; ++x)
        for (int y = 0; y < 3; ++y) {
            bool red = ((x + y) / 4) % 2 == 0;
            Rgba col = red ? ctx.C("pale_red") : ctx.C("pale_white");
            c.Set(x, y, col);
            c.Set(x, H - 1 - y, col);
        }
    return c;
}

// The credits carry their own lettering. It is laid first, and the stars,
// the holly, the trees and the cast keep off it; each plain line has a dark
// rim all round, since the game lays translucent clouds over the picture.
LaidPicture CreditsLayers(const Context& ctx) {
    LaidPicture lay(W, H);
    VerticalGradient(lay.sky, 0, H, MakeRamp(ctx, {"night0", "night1", "night2", "night3"}));
    Canvas heading = SnowyWord(ctx, *ctx.serif, "Credits", 30, 131u, ctx.C("gold3"), ctx.C("gold1"), 2);
    heading = TrimClear(heading, 0);
    {
        Canvas layer(W, H);
        layer.Put(heading, (W - heading.w) / 2, 8);
        lay.AddLine("Credits", layer, nullptr, ctx.C("gold3"), ctx.C("gold1"));
    }
    auto line = [&](const std::string& text, int size, int y, Rgba col, const Font& font) {
        Canvas layer(W, H), fill(W, H);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (dx || dy) DrawText(layer, font, text, size, W / 2 + dx, y + dy, ctx.C("ink"), 1);
        DrawText(layer, font, text, size, W / 2 + 1, y + 1, ctx.C("ink"), 1);
        DrawText(fill, font, text, size, W / 2, y, col, 1);
        layer.Draw(fill, 0, 0);
        lay.AddLine(text, layer, &fill, col, col);
    };
    line("Snowquill", 16, 50, Mix(ctx.C("red4"), ctx.C("snow4"), 0.5f), *ctx.serif);
    line("a Christmas platform adventure", 10, 72, ctx.C("snow3"), *ctx.regular);
    line("made with love by", 11, 92, ctx.C("snow3"), *ctx.regular);
    TextStyle team;
    team.top = ctx.C("gold3");
    team.bottom = ctx.C("gold1");
    team.outline = ctx.C("ink");
    team.outlineWidth = 1.5f;
    team.shadow = ctx.C("red0");
    team.shadowY = 2;
    team.shadowX = 1;
    {
        Canvas name = TrimClear(StyledText(*ctx.bold, "the Snowquill team", 18, team), 0);
        Canvas layer(W, H);
        layer.Draw(name, (W - name.w) / 2, 109);
        lay.AddLine("the Snowquill team", layer, nullptr, team.top, team.bottom);
    }
    line("programming - pictures - music - sounds - levels", 10, 135, ctx.C("ice4"), *ctx.regular);
    line("Merry Christmas and a Happy New Year!", 11, 152, ctx.C("green5"), *ctx.bold);

    Canvas& c = lay.backdrop;
    c = lay.sky;
    StarField(c, ctx, 101u, 90, 170, 5, &lay);
    DrawHolly(c, ctx, (W - heading.w) / 2 - 12, 26, 1.0f, false);
    DrawHolly(c, ctx, (W + heading.w) / 2 + 12, 26, 1.0f, true);
    // The cast on a snowy ledge along the bottom.
    std::vector<int> ground(W);
    for (int x = 0; x < W; ++x) ground[x] = 222 + int(std::lround(std::sin(float(x) * 0.04f) * 2.0f));
    SnowGround(c, ground, MakeRamp(ctx, {"snow3", "snow2", "snow1"}), 18, 102u);
    const Picture& santa = ctx.Find("bnatale4.png");
    const Picture& snowman = ctx.Find("pneve.png");
    const Picture& gremlin = ctx.Find("Gring2.png");
    c.Draw(santa.image.Crop(11 * 28, 0, 28, 28).ScaleNearest(2), 134, 168);
    c.Draw(snowman.image.Crop(12 * 26, 0, 26, 26).ScaleNearest(2), 206, 172);
    c.Draw(gremlin.image.Crop(0, 0, 26, 26).ScaleNearest(2), 62, 172);
    // Trees low enough that their stars and glow stay below the last line.
    ChristmasTree(c, ctx, 284, 224, 42, 103u);
    ChristmasTree(c, ctx, 30, 224, 42, 104u);
    return lay;
}

Canvas CreditsPicture(const Context& ctx) { return CreditsLayers(ctx).Picture(); }

namespace {

void Firework(Canvas& c, const Context& ctx, float x, float y, float r, const char* colour, uint32_t seed) {
    Rng rng(seed);
    Rgba col = ctx.C(colour);
    c.Glow(x, y, r * 1.2f, col, 0.18f);
    int rays = 16;
    for (int i = 0; i < rays; ++i) {
        float a = float(i) * 6.2831853f / float(rays) + rng.Range(-0.1f, 0.1f);
        float len = r * rng.Range(0.75f, 1.0f);
        for (int k = 3; k < int(len); k += 2) {
            float t = float(k) / len;
            c.Blend(int(x + std::cos(a) * k), int(y + std::sin(a) * k + t * t * 3.0f), Mix(ctx.C("snow4"), col, t),
                    1.0f - t * 0.5f);
        }
        c.Set(int(x + std::cos(a) * len), int(y + std::sin(a) * len + 3.0f), ctx.C("snow4"));
    }
}

}  // namespace

// The celebration after level 6. The tallies and totals are drawn over the
// left (x 10..180, y 78..214), so a dark panel keeps them readable there.
Canvas EndPicture(const Context& ctx) {
    Canvas c(W, H);
    VerticalGradient(c, 0, H, MakeRamp(ctx, {"night0", "night1", "night2", "dusk0"}));
    StarField(c, ctx, 111u, 80, 200, 4);
    Firework(c, ctx, 232, 74, 26, "red3", 1u);
    Firework(c, ctx, 290, 44, 18, "gold2", 2u);
    Firework(c, ctx, 208, 24, 14, "aur1", 3u);
    Firework(c, ctx, 28, 40, 14, "scarf2", 4u);
    std::vector<int> ground(W);
    for (int x = 0; x < W; ++x) ground[x] = 224 + int(std::lround(std::sin(float(x) * 0.03f) * 2.0f));
    SnowGround(c, ground, MakeRamp(ctx, {"snow3", "snow2", "snow1"}), 16, 112u);
    ChristmasTree(c, ctx, 280, 226, 116, 113u);
    const Picture& santa = ctx.Find("bnatale4.png");
    c.Draw(santa.image.Crop(11 * 28, 0, 28, 28).ScaleNearest(2), 194, 172);
    // Banner.
    int size = ctx.serif->FitSize("Merry Christmas!", 296, 40, 1.0f);
    Canvas banner =
        TrimClear(SnowyWord(ctx, *ctx.serif, "Merry Christmas!", size, 141u, ctx.C("red3"), ctx.C("red1"), 2), 0);
    c.Put(banner, (W - banner.w) / 2, 4);
    DrawText(c, *ctx.bold, "All the gifts are back!", 11, W / 2 + 1, 4 + banner.h + 3, ctx.C("ink"), 1);
    DrawText(c, *ctx.bold, "All the gifts are back!", 11, W / 2, 3 + banner.h + 3, ctx.C("gold3"), 1);
    // Tally panel.
    const int px = 4, py = 74, pw = 184, ph = 144;
    for (int y = py; y < py + ph; ++y)
        for (int x = px; x < px + pw; ++x) {
            bool corner = (x - px < 3 || px + pw - 1 - x < 3) && (y - py < 3 || py + ph - 1 - y < 3);
            if (corner && std::hypot(float(std::min(x - px, px + pw - 1 - x) - 3),
                                     float(std::min(y - py, py + ph - 1 - y) - 3)) > 3.2f)
                continue;
            c.Blend(x, y, ctx.C("night0"), 0.78f);
        }
    for (int x = px + 3; x < px + pw - 3; ++x) {
        c.Set(x, py, ctx.C("gold1"));
        c.Set(x, py + ph - 1, ctx.C("gold1"));
    }
    for (int y = py + 3; y < py + ph - 3; ++y) {
        c.Set(px, y, ctx.C("gold1"));
        c.Set(px + pw - 1, y, ctx.C("gold1"));
    }
    return c;
}

// The splash: the scene is pixel art at 320 x 240, doubled; the lettering is
// drawn crisp at the full 640 x 480, laid first so that the stars keep off it.
LaidPicture SplashLayers(const Context& ctx) {
    LaidPicture lay(2 * W, 2 * H);
    int size = ctx.serif->FitSize("Snowquill", 500, 130, 2.0f);
    Canvas logo = TrimClear(SnowyWord(ctx, *ctx.serif, "Snowquill", size, 151u, ctx.C("red3"), ctx.C("red1"), 6), 0);
    {
        Canvas layer(2 * W, 2 * H);
        layer.Put(logo, (640 - logo.w) / 2, 70);
        lay.AddLine("Snowquill", layer, nullptr, ctx.C("red3"), ctx.C("red1"));
    }
    TextStyle sub;
    sub.top = ctx.C("gold3");
    sub.bottom = ctx.C("gold1");
    sub.outline = ctx.C("ink");
    sub.outlineWidth = 2.0f;
    sub.shadow = ctx.C("night0");
    sub.shadowX = 2;
    sub.shadowY = 3;
    {
        Canvas subtitle = TrimClear(StyledText(*ctx.serif, "A Christmas Adventure", 30, sub), 0);
        Canvas layer(2 * W, 2 * H);
        layer.Draw(subtitle, (640 - subtitle.w) / 2, 70 + logo.h + 8);
        lay.AddLine("A Christmas Adventure", layer, nullptr, sub.top, sub.bottom);
    }
    {
        const char* presents = "the Snowquill team presents";
        Canvas layer(2 * W, 2 * H), fill(2 * W, 2 * H);
        DrawText(layer, *ctx.regular, presents, 16, 321, 27, ctx.C("ink"), 1);
        DrawText(fill, *ctx.regular, presents, 16, 320, 26, ctx.C("snow3"), 1);
        layer.Draw(fill, 0, 0);
        lay.AddLine(presents, layer, &fill, ctx.C("snow3"), ctx.C("snow3"));
    }

    Canvas sky(W, H);
    VerticalGradient(sky, 0, 190, MakeRamp(ctx, {"night0", "night0", "night1", "night2", "night3"}));
    lay.sky = sky.ScaleNearest(2);
    Canvas scene = sky;
    StarField(scene, ctx, 121u, 160, 180, 8, &lay, 2);
    Moon(scene, ctx, 296, 22, 12, 0.28f);
    MountainRange(scene, 122u, 190, 40, 8, MakeRamp(ctx, {"night3", "night2"}), MakeRamp(ctx, {"night2", "night1"}),
                  ctx.C("snow1"), ctx.C("snow0"), 0.3f);
    Rng rng(HashName("splash"));
    HouseColours hc{ctx.C("night1"), ctx.C("night0"), ctx.C("night2"), ctx.C("snow1"),
                    ctx.C("snow0"),  ctx.C("lamp1"),  ctx.C("lamp0"),  ctx.C("night0")};
    for (int x = 120; x < 300; x += rng.Int(18, 28))
        House(scene, x, 200, rng.Int(12, 18), rng.Int(8, 11), hc, rng.Next() & 0xffff, true);
    std::vector<int> hills(W);
    for (int x = 0; x < W; ++x) hills[x] = 198 + int(std::lround(std::sin(float(x) * 0.02f + 2.0f) * 6.0f));
    SnowGround(scene, hills, MakeRamp(ctx, {"snow3", "snow2", "snow1", "snow0"}), 42, 123u);
    PineColours dark{ctx.C("pine0"), ctx.C("pine1"), ctx.C("pine2"), ctx.C("snow2"), ctx.C("wood0")};
    PineTree(scene, 300, 250, 110, dark, 0.45f, 124u);
    PineTree(scene, 16, 250, 80, dark, 0.45f, 125u);
    ChristmasTree(scene, ctx, 250, 214, 50, 126u);
    Canvas& c = lay.backdrop;
    c = scene.ScaleNearest(2);
    // The cast, enlarged as pixel art.
    c.Draw(ctx.Find("bnatale4.png").image.Crop(11 * 28, 0, 28, 28).ScaleNearest(4), 96, 326);
    c.Draw(ctx.Find("pneve.png").image.Crop(15 * 26, 0, 26, 26).ScaleNearest(3), 300, 350);
    c.Draw(ctx.Find("Gring2.png").image.Crop(9 * 26, 0, 26, 26).ScaleNearest(3), 372, 352);
    return lay;
}

Canvas SplashPicture(const Context& ctx) { return SplashLayers(ctx).Picture(); }

}  // namespace gfx
