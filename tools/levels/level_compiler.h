#pragma once
// Turns a level's layout into an FMP document: one block structure per piece
// and animation frame, one block animation per animated piece, the tile
// pictures painted by tile_art, and the three layers the game reads.
#include <string>

#include "fmp_writer.h"
#include "level_source.h"
#include "tile_catalog.h"

namespace levels {

struct TCompileStats {
    int graphics = 0, blocks = 0, anims = 0;
};

FmpDocument CompileLevel(const TLevelSource& source, const TLayout& layout, TCompileStats* stats = nullptr);

}  // namespace levels
