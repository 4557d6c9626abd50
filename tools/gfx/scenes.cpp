#include "scenes.h"

#include <algorithm>

namespace gfx {

namespace {

// Level tiles are bright (snow, ice, candy), so the backdrops behind them are
// held down: a mean brightness of at most 90 and softened highlights.
Canvas Calm(Canvas c) {
    double sum = 0;
    for (const Rgba& p : c.px) sum += 0.3 * p.r + 0.59 * p.g + 0.11 * p.b;
    double mean = sum / double(c.px.size());
    float k = mean > 90.0 ? float(90.0 / mean) : 1.0f;
    auto soft = [k](uint8_t v) {
        float x = float(v) * k;
        if (x > 190.0f) x = 190.0f + (x - 190.0f) * 0.5f;
        return uint8_t(std::clamp(int(x + 0.5f), 0, 255));
    };
    for (Rgba& p : c.px) p = Rgba(soft(p.r), soft(p.g), soft(p.b), p.a);
    return c;
}

}  // namespace

void MakeScenes(Context& ctx) {
    ctx.Add("MenuBack.png", MenuBackdrop(ctx), PngKind::kOpaque, "title menu backdrop");
    ctx.Add("back1.png", Calm(Back1Village(ctx)), PngKind::kOpaque, "level 1: snowy village at dusk");
    ctx.Add("back2.png", Calm(Back2Forest(ctx)), PngKind::kOpaque, "level 2: pine forest");
    ctx.Add("back3.png", Calm(Back3Lake(ctx)), PngKind::kOpaque, "level 3: frozen lake");
    ctx.Add("back4.png", Calm(Back4Caves(ctx)), PngKind::kOpaque, "level 4: ice caves");
    ctx.Add("back5.png", Calm(Back5Factory(ctx)), PngKind::kOpaque, "level 5: toy factory");
    ctx.Add("back6.png", Calm(Back6Aurora(ctx)), PngKind::kOpaque, "level 6: northern lights over the pole");
    ctx.Add("scores.png", ScoresBackdrop(ctx), PngKind::kOpaque, "high-score backdrop, table over x 70-316");
    ctx.Add("InstructionsBACK.png", InstructionsBackdrop(ctx), PngKind::kOpaque, "pale backdrop under dark text");
    ctx.Add("creditsBack.png", CreditsPicture(ctx), PngKind::kOpaque, "credits: the Snowquill team");
    ctx.Add("endScreen.png", EndPicture(ctx), PngKind::kOpaque, "end celebration, tally panel on the left");
    ctx.Add("splash.png", SplashPicture(ctx), PngKind::kOpaque, "640x480 splash with the game's name");
}

}  // namespace gfx
