#pragma once
// The tile pictures, painted in code: 16 x 16 pixels, red, green, blue and
// alpha bytes (alpha 0 = see-through). Every colour comes from one small
// palette, so the pictures also fit an 8-bit map.
#include <array>
#include <cstdint>
#include <vector>

#include "tile_catalog.h"

namespace levels {

inline constexpr int kTileSize = 16;
using TTilePixels = std::vector<uint8_t>;  // kTileSize * kTileSize * 4

// The picture of `frame` of a piece.
TTilePixels PaintPiece(const TPiece& piece, int frame);

// Whether a picture has no visible pixel.
bool TileIsEmpty(const TTilePixels& tile);

}  // namespace levels
