#pragma once
// The rules a level map must keep to fit the game's fixed positions: every
// monster stands on ground exactly where it appears and has room to patrol,
// the player does not start inside a wall, the camera has a whole screen to
// show, and the level has gifts and exactly one exit.
#include <string>
#include <vector>

#include "level_table.h"
#include "solid_query.h"

namespace levels {

struct TPatrol {
    int kind = 0, x = 0, y = 0;
    int left = 0, right = 0;                                        // the monster's x can range over [left, right]
    int Length() const { return right + kMonsterSize + 1 - left; }  // ground pixels it walks over
};

struct TRulesReport {
    std::vector<std::string> faults;
    std::vector<TPatrol> patrols;  // kind-2 first, then kind-1, as spawned
    int gifts = 0;
    int exits = 0;  // connected groups of exit blocks
};

inline constexpr int kMinGifts = 20;
inline constexpr int kMinPatrolLength = 48;  // three blocks

TRulesReport CheckLevelRules(const TSolidQuery& map, const TLevelFacts& facts, int blockSize = 16);

}  // namespace levels
