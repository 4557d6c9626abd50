#pragma once
#include "generator.h"
#include "laid_picture.h"

namespace gfx {

Canvas Back1Village(const Context& ctx);
Canvas Back2Forest(const Context& ctx);
Canvas Back3Lake(const Context& ctx);
Canvas Back4Caves(const Context& ctx);
Canvas Back5Factory(const Context& ctx);
Canvas Back6Aurora(const Context& ctx);

Canvas MenuBackdrop(const Context& ctx);
Canvas ScoresBackdrop(const Context& ctx);
Canvas InstructionsBackdrop(const Context& ctx);
Canvas CreditsPicture(const Context& ctx);
Canvas EndPicture(const Context& ctx);
Canvas SplashPicture(const Context& ctx);
// The two pictures with lettering, in their layers.
LaidPicture CreditsLayers(const Context& ctx);
LaidPicture SplashLayers(const Context& ctx);

// A decorated Christmas tree with a star and parcels under it.
void ChristmasTree(Canvas& c, const Context& ctx, float x, int baseY, int height, uint32_t seed);

}  // namespace gfx
