#pragma once
// "Is the map solid at this pixel of this layer?" -- the one question the
// player and the monsters ask the map, answered either from a level being
// built (before any file exists) or from a map file loaded by the game.
namespace levels {

class TSolidQuery {
public:
    virtual ~TSolidQuery() = default;
    virtual int PixelWidth() const = 0;
    virtual int PixelHeight() const = 0;
    // Pixel coordinates become a block by dividing with truncation toward
    // zero, exactly as the game does (so x = -1 still looks at column 0).
    virtual bool Solid(int layer, int x, int y) const = 0;
};

}  // namespace levels
