#pragma once
#include "generator.h"

namespace gfx {

// The hurt flash: Santa's frame and 16 pixels more on every side (the 32 x 30
// the game places it by, grown evenly).
inline constexpr int kFlashWidth = 64, kFlashHeight = 62;

Canvas SantaRight(const Context& ctx, int phase);  // one standing/walk pose, 28 x 28
Canvas SantaStrip(const Context& ctx);             // the 16-cell player strip
Canvas SnowmanStrip(const Context& ctx);           // the 24-cell kind-2 monster strip
Canvas GremlinStrip(const Context& ctx);           // the 16-cell kind-1 monster strip

}  // namespace gfx
