#pragma once
#include "generator.h"

namespace gfx {

Canvas SantaRight(const Context& ctx, int phase);  // one standing/walk pose, 28 x 28
Canvas SantaStrip(const Context& ctx);             // the 16-cell player strip
Canvas SnowmanStrip(const Context& ctx);           // the 24-cell kind-2 monster strip
Canvas GremlinStrip(const Context& ctx);           // the 16-cell kind-1 monster strip

}  // namespace gfx
