#pragma once
// The level table, setting a level up and tearing it down, and the screen
// that plays a level: one logic step of every actor, one composed frame.
#include <memory>
#include <span>

#include "app/timed_speed.h"
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

class tMainGameLoop : public CTimedSpeed {
public:
    int Update() override;
    void Draw();

    float mapAnimTimer = 0;  // the map's block animations step when it passes 25
    int touching = 0;        // the last step found the player touching a monster
    float haloAlpha = 1.0f;  // the halo (and the player) during the death sequence
};
using MainGameLoopRef = std::shared_ptr<tMainGameLoop>;

// How long the death sequence runs, in ms from the last step before the death.
inline constexpr int kDeathSequenceMs = 5000;

void SetUpLevel(int level);
void PlacePlayerAtStart(int level);
void TearDownLevel();
