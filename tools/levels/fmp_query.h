#pragma once
// Solidity from a map the game's own loader read.
#include "map/fmp_map.h"
#include "solid_query.h"

namespace levels {

class TFmpQuery : public TSolidQuery {
public:
    explicit TFmpQuery(FmpMap& map) : map_(map) {}
    int PixelWidth() const override { return map_.mapWidth * map_.blockWidth; }
    int PixelHeight() const override { return map_.mapHeight * map_.blockHeight; }
    bool Solid(int layer, int x, int y) const override {
        map_.currentLayer = layer;
        return map_.IsSolidAt(x, y) != 0;
    }

private:
    FmpMap& map_;
};

}  // namespace levels
