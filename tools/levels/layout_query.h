#pragma once
// Solidity straight from a layout, before any map file is written.
#include "solid_query.h"
#include "tile_catalog.h"

namespace levels {

class TLayoutQuery : public TSolidQuery {
public:
    explicit TLayoutQuery(const TLayout& layout) : layout_(layout) {}
    int PixelWidth() const override { return layout_.columns * 16; }
    int PixelHeight() const override { return layout_.rows * 16; }
    bool Solid(int layer, int x, int y) const override { return layout_.Solid(layer, x / 16, y / 16); }

private:
    const TLayout& layout_;
};

}  // namespace levels
