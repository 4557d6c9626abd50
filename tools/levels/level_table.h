#pragma once
// The fixed facts every level map has to fit: where the player starts, how
// long the clock runs and where each monster appears (map pixels of the
// sprite's top-left corner, kind-2 monsters first, then kind-1, in creation
// order). The level tools keep their own copy so that they build without the
// game library; the checker's test compares it with the game's table.
#include <span>

namespace levels {

struct TPoint {
    int x, y;
};

struct TLevelFacts {
    int startX, startY;
    int timeLimit;  // seconds
    std::span<const TPoint> kind2;
    std::span<const TPoint> kind1;
};

inline constexpr int kLevelCount = 6;
// Level 1..6.
const TLevelFacts& LevelFacts(int level);

// Every monster is 24 x 24 and probes 2 pixels below its feet; the player is 28 x 28.
inline constexpr int kMonsterSize = 24;
inline constexpr int kPlayerSize = 28;

}  // namespace levels
