#pragma once
#include <string>

#include "generator.h"

namespace gfx {

inline constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 192, 256, 512};

Canvas IconPicture(const Context& ctx);           // the 32 x 32 original
Canvas IconAtSize(const Context& ctx, int size);  // square, size x size
// The 32 x 32 original as scalable vector squares.
std::string IconSvg(const Context& ctx);
// Writes DIR/SIZE/NAME.png for every icon size and DIR/scalable/NAME.svg.
void WriteIcons(const Context& ctx, const std::string& dir, const std::string& name);

}  // namespace gfx
