// Lettered pictures: the title logo and subtitle, the five menu items, the
// level-complete heading, the game-over card, the record panel and the page
// behind the level tally.
#include <algorithm>
#include <cmath>

#include "decor.h"
#include "generator.h"

namespace gfx {

namespace {

Canvas Title(const Context& ctx) {
    int size = ctx.serif->FitSize("Snowquill", 236, 56, 1.0f);
    Canvas word = TrimClear(SnowyWord(ctx, *ctx.serif, "Snowquill", size, 991u, ctx.C("red3"), ctx.C("red1"), 3), 0);
    Canvas out(260, 68);
    int x = (out.w - word.w) / 2, y = (out.h - word.h) / 2 + 2;
    // Holly sprig tucked on the top left of the first letter, sparkles around.
    out.Put(word, x, y);
    DrawHolly(out, ctx, x + 6, y + 4, 1.0f, false);
    DrawSparkle(out, ctx, x + word.w - 6, y + 4, 3);
    DrawSparkle(out, ctx, x + word.w / 2 + 8, y + 1, 2);
    return out;
}

Canvas Subtitle(const Context& ctx) {
    TextStyle s;
    s.top = ctx.C("gold3");
    s.bottom = ctx.C("gold1");
    s.outline = ctx.C("ink");
    s.outlineWidth = 1.5f;
    s.shadow = ctx.C("night1");
    s.shadowX = 1;
    s.shadowY = 2;
    s.hard = true;
    int size = ctx.serif->FitSize("A Christmas Adventure", 160, 17);
    Canvas text = TrimClear(StyledText(*ctx.serif, "A Christmas Adventure", size, s), 0);
    Canvas out(170, text.h + 14);
    out.Put(text, (out.w - text.w) / 2, 0);
    // A ribbon of holly under the words.
    int y = text.h + 5;
    int cx = out.w / 2;
    for (int x = cx - 52; x <= cx + 52; ++x) {
        float wave = std::sin(float(x) * 0.22f) * 1.2f;
        out.Set(x, y + int(std::lround(wave)), ctx.C("green3"));
        out.Set(x, y + 1 + int(std::lround(wave)), ctx.C("green1"));
    }
    DrawHolly(out, ctx, cx - 1, y - 2, 1.0f, true);
    DrawBerry(out, ctx, cx - 55, y);
    DrawBerry(out, ctx, cx + 55, y);
    Canvas framed = out;
    framed.Outline(ctx.C("ink"));
    return framed;
}

TextStyle MenuStyle(const Context& ctx) {
    TextStyle s;
    s.top = ctx.C("gold3");
    s.bottom = ctx.C("gold1");
    s.outline = ctx.C("red0");
    s.outlineWidth = 1.5f;
    s.shadow = ctx.C("ink");
    s.shadowX = 1;
    s.shadowY = 1;
    s.highlight = WithAlpha(ctx.C("snow4"), 150);
    s.hard = true;
    s.tracking = 1.0f;
    return s;
}

Canvas MenuItem(const Context& ctx, const std::string& text) {
    Canvas t = TrimClear(StyledText(*ctx.bold, text, 15, MenuStyle(ctx)), 0);
    // Even sizes so the centred handle sits on whole pixels.
    Canvas out(t.w + (t.w & 1), t.h + (t.h & 1));
    out.Put(t, 0, 0);
    return out;
}

Canvas LevelComplete(const Context& ctx) {
    TextStyle s;
    s.top = ctx.C("red3");
    s.bottom = ctx.C("red1");
    s.outline = ctx.C("ink");
    s.outlineWidth = 1.5f;
    s.shadow = ctx.C("gold1");
    s.shadowX = 1;
    s.shadowY = 2;
    s.highlight = WithAlpha(ctx.C("red4"), 200);
    s.hard = true;
    int size = ctx.bold->FitSize("LEVEL COMPLETE!", 132, 20, 0.5f);
    s.tracking = 0.5f;
    Canvas t = TrimClear(StyledText(*ctx.bold, "LEVEL COMPLETE!", size, s), 0);
    Canvas out(138, 30);
    out.Put(t, (out.w - t.w) / 2, (out.h - t.h) / 2);
    return out;
}

// The page behind the level tally (drawn at x -10): a scroll with rolled ends.
Canvas Page(const Context& ctx) {
    Canvas c(300, 240);
    const int left = 58, right = 282, top = 32, bottom = 230;
    Parchment(c, ctx, left, top, right - left, bottom - top, 424u);
    // Ragged side edges.
    Rng rng(HashName("pagina2"));
    for (int y = top; y < bottom; ++y) {
        int bite = int(ValueNoise(0.0f, float(y) * 0.35f, 77u) * 3.0f);
        for (int i = 0; i < bite; ++i) c.Set(left + i, y, kClear);
        bite = int(ValueNoise(5.0f, float(y) * 0.35f, 78u) * 3.0f);
        for (int i = 0; i < bite; ++i) c.Set(right - 1 - i, y, kClear);
    }
    // Rolls at the top and bottom.
    auto roll = [&](int cy) {
        for (int y = cy - 6; y <= cy + 6; ++y)
            for (int x = left - 8; x < right + 8; ++x) {
                float t = float(y - cy) / 6.5f;
                float r = std::sqrt(std::max(0.0f, 1.0f - t * t));
                bool end = x < left - 3 || x >= right + 3;
                Rgba base = Mix(ctx.C("paper0"), ctx.C("paper2"), r * (t < 0 ? 1.0f : 0.75f));
                if (end) base = Mix(ctx.C("red0"), ctx.C("red3"), r * (t < 0 ? 1.0f : 0.7f));
                c.Set(x, y, base);
            }
        // Gold knobs on the roll ends.
        c.FillEllipse(float(left - 9), float(cy) + 0.5f, 3.0f, 4.0f, ctx.C("gold2"));
        c.FillEllipse(float(right + 8), float(cy) + 0.5f, 3.0f, 4.0f, ctx.C("gold2"));
        c.Set(left - 10, cy - 2, ctx.C("gold3"));
        c.Set(right + 7, cy - 2, ctx.C("gold3"));
    };
    roll(top);
    roll(bottom);
    // A thin red and green border inside the page.
    // Text on the page runs from screen y 45 to 216 (page rows 45..216).
    for (int x = left + 6; x < right - 6; ++x) {
        c.Set(x, top + 9, ctx.C("red2"));
        c.Set(x, bottom - 9, ctx.C("red2"));
        c.Set(x, top + 11, ctx.C("green2"));
        c.Set(x, bottom - 11, ctx.C("green2"));
    }
    for (int y = top + 9; y <= bottom - 9; ++y) {
        c.Set(left + 6, y, ctx.C("red2"));
        c.Set(right - 7, y, ctx.C("red2"));
    }
    for (int y = top + 11; y <= bottom - 11; ++y) {
        c.Set(left + 8, y, ctx.C("green2"));
        c.Set(right - 9, y, ctx.C("green2"));
    }
    DrawHolly(c, ctx, left + 11, top + 13, 1.0f, false);
    DrawHolly(c, ctx, right - 13, top + 13, 1.0f, true);
    DrawHolly(c, ctx, left + 11, bottom - 14, 1.0f, false);
    DrawHolly(c, ctx, right - 13, bottom - 14, 1.0f, true);
    (void)rng;
    Canvas out = c;
    out.Outline(ctx.C("brown0"));
    return out;
}

// The game-over card: frozen lettering over a parchment panel for the tally.
Canvas GameOver(const Context& ctx) {
    Canvas c(240, 172);
    // Panel: the tally lines fall at picture x 40..200, y 46..170.
    const int px = 22, py = 40, pw = 196, ph = 130;
    Parchment(c, ctx, px, py, pw, ph, 903u);
    for (int x = px; x < px + pw; ++x) {
        c.Set(x, py, ctx.C("gold1"));
        c.Set(x, py + ph - 1, ctx.C("gold1"));
        c.Set(x, py + 2, ctx.C("red2"));
        c.Set(x, py + ph - 3, ctx.C("red2"));
    }
    for (int y = py; y < py + ph; ++y) {
        c.Set(px, y, ctx.C("gold1"));
        c.Set(px + pw - 1, y, ctx.C("gold1"));
        c.Set(px + 2, y, ctx.C("red2"));
        c.Set(px + pw - 3, y, ctx.C("red2"));
    }
    // Rounded corners.
    for (int k = 0; k < 2; ++k) {
        c.Set(px + k, py, kClear);
        c.Set(px, py + k, kClear);
        c.Set(px + pw - 1 - k, py, kClear);
        c.Set(px + pw - 1, py + k, kClear);
        c.Set(px + k, py + ph - 1, kClear);
        c.Set(px, py + ph - 1 - k, kClear);
        c.Set(px + pw - 1 - k, py + ph - 1, kClear);
        c.Set(px + pw - 1, py + ph - 1 - k, kClear);
    }
    Canvas panel = c;
    panel.Outline(ctx.C("ink"));
    Canvas word = TrimClear(SnowyWord(ctx, *ctx.bold, "GAME OVER", 34, 313u, ctx.C("ice3"), ctx.C("ice1"), 2), 0);
    Canvas out(240, 172);
    out.Put(panel, 0, 0);
    out.Put(word, (out.w - word.w) / 2, std::max(0, 38 - word.h + 4));
    DrawHolly(out, ctx, px + pw - 18, py + ph - 16, 1.0f, false);
    return out;
}

// The record panel (drawn at 60, 80): heading, prompt and the name field,
// where the game types the name at (79, 148) and puts its cursor after it.
Canvas RecordPanel(const Context& ctx) {
    const int w = 150, h = 106;
    Canvas c(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float t = float(y) / h;
            Rgba col = Mix(ctx.C("green2"), ctx.C("green0"), t);
            float n = ValueNoise(float(x) * 0.2f, float(y) * 0.2f, 55u);
            c.Set(x, y, Shade(col, 0.92f + 0.12f * n));
        }
    // Gold double border and rounded corners.
    for (int x = 0; x < w; ++x) {
        for (int y : {0, h - 1}) c.Set(x, y, ctx.C("gold1"));
        for (int y : {2, h - 3}) c.Set(x, y, ctx.C("gold2"));
    }
    for (int y = 0; y < h; ++y) {
        for (int x : {0, w - 1}) c.Set(x, y, ctx.C("gold1"));
        for (int x : {2, w - 3}) c.Set(x, y, ctx.C("gold2"));
    }
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 3 - k; ++j) {
            c.Set(k, j, kClear);
            c.Set(w - 1 - k, j, kClear);
            c.Set(k, h - 1 - j, kClear);
            c.Set(w - 1 - k, h - 1 - j, kClear);
        }
    TextStyle head;
    head.top = ctx.C("gold3");
    head.bottom = ctx.C("gold1");
    head.outline = ctx.C("ink");
    head.outlineWidth = 1.5f;
    head.shadow = ctx.C("red0");
    head.shadowY = 1;
    head.hard = true;
    head.tracking = 0.5f;
    Canvas title = TrimClear(StyledText(*ctx.bold, "NEW RECORD!", 17, head), 0);
    c.Put(title, (w - title.w) / 2, 9);
    DrawText(c, *ctx.bold, "ENTER YOUR NAME", 10, w / 2 + 1, 39, ctx.C("ink"), 1, 0.5f);
    DrawText(c, *ctx.bold, "ENTER YOUR NAME", 10, w / 2, 38, ctx.C("snow3"), 1, 0.5f);
    // Name field: screen x 74..196, y 144..164 -> panel 14..136, 64..84.
    const int fx = 13, fy = 63, fw = 124, fh = 22;
    c.FillRect(fx, fy, fw, fh, ctx.C("brown0"));
    c.FillRect(fx + 1, fy + 1, fw - 2, fh - 2, ctx.C("paper1"));
    c.FillRect(fx + 2, fy + 2, fw - 3, fh - 3, ctx.C("paper3"));
    DrawHolly(c, ctx, 12, h - 11, 1.0f, false);
    DrawHolly(c, ctx, w - 13, h - 11, 1.0f, true);
    DrawText(c, *ctx.regular, "then press ENTER", 9, w / 2, 89, ctx.C("green5"), 1);
    return c;
}

}  // namespace

void MakeLettering(Context& ctx) {
    ctx.Add("title.png", Title(ctx), PngKind::kMasked, "logo 'Snowquill', drawn at (30, 2)");
    ctx.Add("adventure.png", Subtitle(ctx), PngKind::kMasked, "subtitle, drawn at (140, 72)");
    ctx.Add("StartGFX.png", MenuItem(ctx, "START GAME"), PngKind::kMasked, "menu item, centred at (160, 140)");
    ctx.Add("HIScores.png", MenuItem(ctx, "HIGH SCORES"), PngKind::kMasked, "menu item, centred at (160, 158)");
    ctx.Add("instruction.png", MenuItem(ctx, "INSTRUCTIONS"), PngKind::kMasked, "menu item, centred at (160, 176)");
    ctx.Add("credits.png", MenuItem(ctx, "CREDITS"), PngKind::kMasked, "menu item, centred at (160, 194)");
    ctx.Add("options.png", MenuItem(ctx, "OPTIONS"), PngKind::kMasked, "menu item, centred at (160, 212)");
    ctx.Add("quit.png", MenuItem(ctx, "QUIT"), PngKind::kMasked, "menu item, centred at (160, 229)");
    ctx.Add("levelcomplete.png", LevelComplete(ctx), PngKind::kMasked, "heading, drawn at (91, 45)");
    ctx.Add("pagina2.png", Page(ctx), PngKind::kMasked, "scroll behind the level tally, drawn at (-10, 0)");
    ctx.Add("gameover.png", GameOver(ctx), PngKind::kMasked, "game-over card, centred at (160, 120)");
    ctx.Add("record.png", RecordPanel(ctx), PngKind::kMasked, "new-record panel, drawn at (60, 80)");
}

}  // namespace gfx
