#pragma once
#include "generator.h"

namespace gfx {
// Screens composed roughly as the game draws them, written to the review folder.
void WriteMockups(const Context& ctx);
}  // namespace gfx
