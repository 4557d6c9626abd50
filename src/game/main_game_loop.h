#pragma once
// game/: the level and its actors. Uses map/, sprite/, audio/, core/ and the
// platform.
//
// Setting a level up and tearing it down, and the screen that plays a level: one logic step of every actor, one
// composed frame.
#include <memory>

#include "core/timed_speed.h"
#include "game/enemy.h"
#include "game/level_table.h"

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
// How strong a full-bright flash is drawn with reduced flashing on.
inline constexpr float kReducedFlashStrength = 0.3f;

void SetUpLevel(int level);
void PlacePlayerAtStart(int level);
void TearDownLevel();
