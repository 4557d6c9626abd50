#include "scenes.h"

namespace gfx {

void MakeScenes(Context& ctx) {
    ctx.Add("MenuBack.png", MenuBackdrop(ctx), PngKind::kOpaque, "title menu backdrop");
    ctx.Add("back1.png", Back1Village(ctx), PngKind::kOpaque, "level 1: snowy village at dusk");
    ctx.Add("back2.png", Back2Forest(ctx), PngKind::kOpaque, "level 2: pine forest");
    ctx.Add("back3.png", Back3Lake(ctx), PngKind::kOpaque, "level 3: frozen lake");
    ctx.Add("back4.png", Back4Caves(ctx), PngKind::kOpaque, "level 4: ice caves");
    ctx.Add("back5.png", Back5Factory(ctx), PngKind::kOpaque, "level 5: toy factory");
    ctx.Add("back6.png", Back6Aurora(ctx), PngKind::kOpaque, "level 6: northern lights over the pole");
    ctx.Add("scores.png", ScoresBackdrop(ctx), PngKind::kOpaque, "high-score backdrop, table over x 70-316");
    ctx.Add("InstructionsBACK.png", InstructionsBackdrop(ctx), PngKind::kOpaque, "pale backdrop under dark text");
    ctx.Add("creditsBack.png", CreditsPicture(ctx), PngKind::kOpaque, "credits: the Snowquill team");
    ctx.Add("endScreen.png", EndPicture(ctx), PngKind::kOpaque, "end celebration, tally panel on the left");
    ctx.Add("splash.png", SplashPicture(ctx), PngKind::kOpaque, "640x480 splash with the game's name");
}

}  // namespace gfx
