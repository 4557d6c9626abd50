#pragma once
// The level table: each level's background, map, clock, start point and the
// spawn points of its monsters.
#include <span>

#include "game/enemy.h"

struct TLevelInfo {
    const char* background;  // picture drawn unscrolled behind the map
    const char* mapFile;
    int timeLimit;  // seconds on the clock
    int startX, startY;
    std::span<const TSpawnPoint> kind2;  // in creation order
    std::span<const TSpawnPoint> kind1;
};

inline constexpr int kLevelCount = 6;
// Row of level 1..6 of the level table.
const TLevelInfo& LevelInfo(int level);
// Replaces row 1..6 with another level (the headless simulation plays its own
// maps through the game's code); nullptr puts the game's row back.
void OverrideLevelInfo(int level, const TLevelInfo* info);
