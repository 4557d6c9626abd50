#pragma once
#include <string>

#include "canvas.h"

namespace gfx {

enum class PngKind {
    kMasked,  // RGB; clear pixels become magenta, the game's mask colour
    kOpaque,  // RGB; composited over black, never exactly magenta
    kAlpha,   // RGBA, for pictures that are drawn soft and unmasked
};

// Writes deterministically (no time stamp, fixed compression). Throws
// std::runtime_error on failure.
void WritePng(const Canvas& canvas, const std::string& path, PngKind kind);

}  // namespace gfx
