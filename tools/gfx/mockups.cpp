// Screens composed the way the game draws them (positions, handles, tints,
// scales and alphas of the running game), to check that the pictures fit
// together. The game's 8 x 16 text is imitated with a monospaced font.
#include "mockups.h"

#include <algorithm>
#include <cmath>

namespace gfx {

namespace {

struct DrawState {
    float scaleX = 1, scaleY = 1, rotation = 0, alpha = 1;
    Rgba tint{255, 255, 255};
};

// What the game's images hold after loading: masked pictures lose magenta.
Canvas Loaded(const Context& ctx, const std::string& file) {
    const Picture& p = ctx.Find(file);
    Canvas c = p.image;
    if (p.kind == PngKind::kMasked) c.Harden();
    if (p.kind == PngKind::kOpaque)
        for (Rgba& px : c.px) px.a = 255;
    return c;
}

Rgba Sample(const Canvas& src, float u, float v, bool filtered) {
    if (!filtered) return src.Get(int(std::floor(u)), int(std::floor(v)));
    float x = u - 0.5f, y = v - 0.5f;
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    float fx = x - x0, fy = y - y0;
    auto at = [&](int xx, int yy) {
        xx = std::clamp(xx, 0, src.w - 1);
        yy = std::clamp(yy, 0, src.h - 1);
        return src.Get(xx, yy);
    };
    float acc[4] = {0, 0, 0, 0};
    auto add = [&](Rgba c, float w) {
        float a = c.a / 255.0f * w;
        acc[0] += c.r * a, acc[1] += c.g * a, acc[2] += c.b * a, acc[3] += a;
    };
    add(at(x0, y0), (1 - fx) * (1 - fy));
    add(at(x0 + 1, y0), fx * (1 - fy));
    add(at(x0, y0 + 1), (1 - fx) * fy);
    add(at(x0 + 1, y0 + 1), fx * fy);
    if (acc[3] <= 0) return kClear;
    return Rgba(int(acc[0] / acc[3]), int(acc[1] / acc[3]), int(acc[2] / acc[3]), int(acc[3] * 255));
}

// Draws with the handle, scale, rotation, tint and alpha of the game. Masked
// blending (alphaBlend false) drops pixels of alpha <= 0.5.
void Blit(Canvas& dst, const Canvas& src, float x, float y, float hx, float hy, const DrawState& s, bool filtered,
          bool alphaBlend) {
    float a = s.rotation * 3.14159265f / 180.0f;
    float ca = std::cos(a), sa = std::sin(a);
    float corners[4][2] = {{-hx, -hy}, {src.w - hx, -hy}, {src.w - hx, src.h - hy}, {-hx, src.h - hy}};
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (auto& c : corners) {
        float px = x + (c[0] * s.scaleX) * ca - (c[1] * s.scaleY) * sa;
        float py = y + (c[0] * s.scaleX) * sa + (c[1] * s.scaleY) * ca;
        minX = std::min(minX, px), maxX = std::max(maxX, px), minY = std::min(minY, py), maxY = std::max(maxY, py);
    }
    for (int py = std::max(0, int(minY)); py <= std::min(dst.h - 1, int(maxY) + 1); ++py)
        for (int px = std::max(0, int(minX)); px <= std::min(dst.w - 1, int(maxX) + 1); ++px) {
            float dx = px + 0.5f - x, dy = py + 0.5f - y;
            float lx = (dx * ca + dy * sa) / s.scaleX + hx, ly = (-dx * sa + dy * ca) / s.scaleY + hy;
            if (lx < 0 || ly < 0 || lx >= src.w || ly >= src.h) continue;
            Rgba c = Sample(src, lx, ly, filtered);
            c = Rgba(c.r * s.tint.r / 255, c.g * s.tint.g / 255, c.b * s.tint.b / 255, c.a);
            if (alphaBlend) {
                dst.Blend(px, py, WithAlpha(c, 255), c.a / 255.0f * s.alpha);
            } else if (c.a > 127) {
                dst.Set(px, py, WithAlpha(c, 255));
            }
        }
}

void Image(Canvas& dst, const Context& ctx, const std::string& file, float x, float y, bool centred = false,
           const DrawState& s = {}, bool alphaBlend = true, int cell = -1) {
    const Picture& p = ctx.Find(file);
    Canvas src = Loaded(ctx, file);
    if (cell >= 0) src = src.Crop(cell * p.cellW, 0, p.cellW, p.cellH);
    bool filtered = p.kind != PngKind::kMasked || file == "title.png";
    Blit(dst, src, x, y, centred ? src.w / 2.0f : 0, centred ? src.h / 2.0f : 0, s, filtered, alphaBlend);
}

void Text(Canvas& dst, const Context& ctx, const std::string& text, int x, int y, Rgba col) {
    // The built-in font puts capitals on rows 2..10 of a 16-pixel cell.
    DrawText(dst, *ctx.mono, text, 13, x, y, col, 0, 0.17f);
}

void Screen(const Context& ctx, const std::string& name, const Canvas& c) {
    WritePng(c.ScaleNearest(2), ctx.reviewDir + "/mock_" + name + ".png", PngKind::kOpaque);
}

Canvas Darkened(const Canvas& shot, int level) {
    Canvas c = shot;
    for (Rgba& p : c.px) p = Rgba(p.r * level / 255, p.g * level / 255, p.b * level / 255);
    return c;
}

// A stand-in level frame: backdrop, a strip of ground and the actors.
Canvas PlayFrame(const Context& ctx, const std::string& back, bool hurt, bool dying) {
    Canvas c = Loaded(ctx, back);
    for (int x = 0; x < 320; ++x)
        for (int y = 200; y < 240; ++y) c.Set(x, y, (x / 16 + y / 16) % 2 ? Rgba(120, 130, 160) : Rgba(150, 160, 190));
    for (int x = 180; x < 260; ++x)
        for (int y = 150; y < 160; ++y) c.Set(x, y, Rgba(150, 160, 190));
    Image(c, ctx, "pneve.png", 40, 174, false, {}, false, 2);
    Image(c, ctx, "pneve.png", 200, 124, false, {}, false, 15);
    Image(c, ctx, "Gring2.png", 250, 174, false, {}, false, 3);
    float px = 120, py = 172;
    if (hurt) {
        DrawState s;
        s.alpha = 0.6f;
        s.scaleX = 1.05f, s.scaleY = 0.95f;
        // The game moves the flash's handle so that a burst larger than
        // 32 x 30 stays centred where a 32 x 30 one would lie.
        const Canvas& flash = ctx.Find("flash.png").image;
        const float hx = float((flash.w - 32) / 2), hy = float((flash.h - 30) / 2);
        Image(c, ctx, "flash.png", px - 2 - hx, py - 1 - hy, false, s, true);
    }
    if (dying) {
        DrawState s;
        s.alpha = 0.8f;
        Image(c, ctx, "aureola.png", px + 60, py - 5 - 30, false, s, true);
        Image(c, ctx, "bnatale4.png", px + 60, py - 30, false, s, true, 0);
    }
    Image(c, ctx, "bnatale4.png", px, py, false, {}, false, 11);
    DrawState spin;
    spin.rotation = 30;
    Image(c, ctx, "pacco.png", 170, 180, true, spin, false);
    return c;
}

// White HUD lettering with a black rim all round, as the game draws it.
void RimmedText(Canvas& c, const Context& ctx, const std::string& text, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx || dy) Text(c, ctx, text, x + dx, y + dy, Rgba(0, 0, 0));
    Text(c, ctx, text, x, y, Rgba(255, 255, 255));
}

void Hud(Canvas& c, const Context& ctx, int gifts, int lives, float energy, int seconds) {
    Image(c, ctx, "pacco.png", 12, 10, true, {}, false);
    RimmedText(c, ctx, "x" + std::to_string(gifts), 19, 5);
    for (int i = lives; i >= 0; --i) Image(c, ctx, "lives.png", float(316 - 16 * (i + 1)), 4, false, {}, false);
    int x = 266, y = 25;
    for (int i = x - 1; i <= x + 50; ++i) c.Set(i, y - 1, Rgba(80, 80, 80)), c.Set(i, y + 3, Rgba(80, 80, 80));
    for (int j = y - 1; j <= y + 3; ++j) c.Set(x - 1, j, Rgba(80, 80, 80)), c.Set(x + 50, j, Rgba(80, 80, 80));
    for (int i = 0; i < int(energy); ++i)
        for (int j = 0; j < 3; ++j)
            c.Set(x + i, y + j, i < 10 ? Rgba(2, 141, 0) : i < 25 ? Rgba(1, 192, 0) : Rgba(0, 255, 0));
    char clock[32];
    std::snprintf(clock, sizeof clock, "TIME %02d:%02d", seconds / 60, seconds % 60);
    RimmedText(c, ctx, clock, 119, 7);
    Image(c, ctx, "Timer.png", 92, -4, false, {}, false);
}

void TallyIcons(Canvas& c, const Context& ctx, int dx) {
    Image(c, ctx, "pacco.png", 95.0f + dx, 85, true, {}, true);
    Image(c, ctx, "pneve.png", 83.0f + dx, 95, false, {}, true, 0);
    Image(c, ctx, "Gring2.png", 83.0f + dx, 124, false, {}, true, 0);
    Image(c, ctx, "Timer.png", 80.0f + dx, 145, false, {}, true);
}

void TallyLines(Canvas& c, const Context& ctx, int x, Rgba col) {
    Text(c, ctx, "x 007 = +01750", x, 80, col);
    Text(c, ctx, "x 002 = -00300", x, 105, col);
    Text(c, ctx, "x 001 = -00075", x, 132, col);
    Text(c, ctx, "01:35 = +950", x, 155, col);
}

}  // namespace

void WriteMockups(const Context& ctx) {
    // Title menu.
    {
        Canvas c = Loaded(ctx, "MenuBack.png");
        for (float angle : {37.0f, -81.0f}) {
            DrawState s;
            s.tint = Rgba(150, 150, 150);
            s.scaleX = s.scaleY = 8;
            s.alpha = 0.5f;
            s.rotation = angle;
            Image(c, ctx, "nuvole.png", 160, 120, true, s, true);
        }
        Rng rng(5);
        for (int i = 0; i < 20; ++i) {
            DrawState s;
            s.scaleX = s.scaleY = rng.Range(0.4f, 1.0f);
            s.rotation = float(rng.Int(0, 360));
            s.tint = Rgba(rng.Int(60, 255), rng.Int(60, 255), rng.Int(60, 255));
            Image(c, ctx, "star.png", rng.Range(0, 320), rng.Range(0, 240), false, s, true);
        }
        Image(c, ctx, "title.png", 30, 2, false, {}, true);
        Image(c, ctx, "adventure.png", 140, 72, false, {}, true);
        const char* items[] = {"StartGFX.png", "HIScores.png", "instruction.png",
                               "credits.png",  "options.png",  "quit.png"};
        const int ys[] = {140, 158, 176, 194, 212, 229};
        for (int i = 0; i < 6; ++i) {
            DrawState s;
            if (i == 1)
                s.scaleX = s.scaleY = 1.36f;
            else
                s.tint = Rgba(200, 200, 255);
            Image(c, ctx, items[i], 160, float(ys[i]), true, s, false);
        }
        Rng flakes(9);
        for (int i = 0; i < 300; ++i) {
            DrawState s;
            int g = std::min(255, 130 + flakes.Int(0, 180));
            s.tint = Rgba(g, g, g);
            Image(c, ctx, "fiocco.png", float(flakes.Int(0, 320)), float(flakes.Int(0, 240)), false, s, true);
        }
        Screen(ctx, "menu", c);
    }
    // Play with the HUD, one per backdrop.
    for (int level = 1; level <= 6; ++level) {
        Canvas c = PlayFrame(ctx, "back" + std::to_string(level) + ".png", level == 1, level == 2);
        Hud(c, ctx, 3, 2, 37.5f, 185);
        Screen(ctx, "level" + std::to_string(level), c);
    }
    Canvas shot = PlayFrame(ctx, "back2.png", false, false);
    Hud(shot, ctx, 7, 1, 50, 95);
    // Level complete.
    {
        Canvas c = Darkened(shot, 100);
        DrawState page;
        page.alpha = 0.8f;
        Image(c, ctx, "pagina2.png", -10, 0, false, page, true);
        Image(c, ctx, "levelcomplete.png", 91, 45, false, {}, true);
        TallyIcons(c, ctx, 0);
        TallyLines(c, ctx, 108, Rgba(156, 76, 0));
        Text(c, ctx, "SCORE : 2325", 108, 180, Rgba(255, 0, 0));
        Text(c, ctx, "PRESS SPACE TO CONTINUE", 64, 200, Rgba(67, 70, 255));
        Screen(ctx, "levelcomplete", c);
    }
    // Game over after the zoom.
    {
        Canvas c = Darkened(shot, 120);
        Image(c, ctx, "gameover.png", 160, 120, true, {}, true);
        TallyIcons(c, ctx, 0);
        TallyLines(c, ctx, 108, Rgba(156, 76, 0));
        Text(c, ctx, "SCORE : 2325", 108, 180, Rgba(255, 0, 0));
        Text(c, ctx, "PRESS SPACE TO CONTINUE", 64, 206, Rgba(0, 255, 0));
        Screen(ctx, "gameover", c);
        // Mid-zoom frame.
        Canvas z = Darkened(shot, 120);
        DrawState s;
        s.scaleX = s.scaleY = 1.8f;
        Image(z, ctx, "gameover.png", 160, 120, true, s, true);
        Screen(ctx, "gameover_zoom", z);
    }
    // End screen.
    {
        Canvas c = Loaded(ctx, "endScreen.png");
        Image(c, ctx, "pacco.png", 25, 85, true, {}, false);
        Image(c, ctx, "pneve.png", 13, 95, false, {}, false, 0);
        Image(c, ctx, "Gring2.png", 13, 124, false, {}, false, 0);
        Image(c, ctx, "Timer.png", 10, 145, false, {}, false);
        TallyLines(c, ctx, 38, Rgba(156, 255, 100));
        const char* totals[] = {"TOTAL SCORE: 14250", "TOTAL TIME : 41:07", "TOTAL GIFTS: 48"};
        for (int i = 0; i < 3; ++i) {
            Text(c, ctx, totals[i], 18, 180 + 12 * i, Rgba(0, 0, 0));
            Text(c, ctx, totals[i], 17, 179 + 12 * i, Rgba(255, 100, 140));
        }
        Screen(ctx, "endscreen", c);
    }
    // New record over the game-over frame.
    {
        Canvas c = Darkened(shot, 150);
        Image(c, ctx, "record.png", 60, 80, false, {}, true);
        std::string name = "SANTA";
        Text(c, ctx, name, 80, 149, Rgba(0, 0, 0));
        Text(c, ctx, name, 79, 148, Rgba(205, 0, 0));
        c.FillRect(int(name.size()) * 8 + 81, 150, 8, 10, Rgba(152, 99, 59));
        Screen(ctx, "record", c);
        Canvas full = Darkened(shot, 150);
        Image(full, ctx, "record.png", 60, 80, false, {}, true);
        Text(full, ctx, "WWWWWWWWWWWW", 79, 148, Rgba(205, 0, 0));
        full.FillRect(12 * 8 + 81, 150, 8, 10, Rgba(152, 99, 59));
        Screen(ctx, "record_full", full);
    }
    // High scores.
    {
        Canvas c = Loaded(ctx, "scores.png");
        float tableX = 65, tableY = 12;
        for (int i = 0; i < 15; ++i) {
            float y = tableY + float(i) * 16;
            char score[16], gifts[16], level[16];
            std::snprintf(score, sizeof score, "%06d", (19 - i) * 100);
            std::snprintf(gifts, sizeof gifts, "%04d", 3 * i);
            std::snprintf(level, sizeof level, "%02d", 1 + i % 6);
            struct Col {
                std::string text;
                Rgba colour;
                float x;
            };
            const Col cols[] = {{std::to_string(i + 1) + ".", Rgba(255, 255, 255), 5},
                                {"SANTA CLAUS ", Rgba(255, 125, 125), 30},
                                {score, Rgba(250, 250, 160), 130},
                                {gifts, Rgba(255, 255, 0), 190},
                                {level, Rgba(0, 243, 0), 235}};
            for (const auto& col : cols) {
                Text(c, ctx, col.text, int(tableX + col.x), int(y), Rgba(0, 0, 0));
                Text(c, ctx, col.text, int(tableX + col.x - 1), int(y - 1), col.colour);
            }
        }
        Screen(ctx, "highscores", c);
    }
    // Instructions, lines in their dark rainbow colours.
    {
        Canvas c = Loaded(ctx, "InstructionsBACK.png");
        const char* lines[] = {"Long time ago few days before Christmas",
                               "an evil being stole all the gift which",
                               "were to be give to all the children of",
                               "the world risking to ruin Christmas for",
                               "everyone...",
                               "",
                               "so Santa Claus decided to leave for the",
                               "adventure and try to get back the gifts",
                               "and to give everyone a Merry Christmas.",
                               "Now its your turn to help him!!!",
                               "Use the arrow key to move and jump,",
                               "the control key to throw the gift and",
                               "kill the monsters... Be Careful..."};
        float phase = 60;
        for (int i = 0; i < 13; ++i) {
            int y = 20 + 12 * i;
            int a = int(float(y) + phase);
            float s = std::sin(float(a) * 3.14159f / 180), co = std::cos(float(a) * 3.14159f / 180);
            Rgba col(std::max(0, int(s * 100)), std::max(0, int(co * 100)), std::max(0, int(s * 100)));
            Text(c, ctx, lines[i], 1, y - 1, Rgba(0, 0, 0));
            Text(c, ctx, lines[i], 2, y, col);
        }
        Screen(ctx, "instructions", c);
    }
    // Credits under the cloud layers.
    {
        Canvas c = Loaded(ctx, "creditsBack.png");
        float alphas[] = {0.2f, 0.3f};
        float angles[] = {120.0f, -40.0f};
        for (int i = 0; i < 2; ++i) {
            DrawState s;
            s.tint = Rgba(150, 150, 150);
            s.scaleX = s.scaleY = 8;
            s.alpha = alphas[i];
            s.rotation = angles[i];
            Image(c, ctx, "nuvole.png", 160, 120, true, s, true);
        }
        Screen(ctx, "credits", c);
    }
}

}  // namespace gfx
