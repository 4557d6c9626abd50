#pragma once
// Plays a route's keys through the game's own level simulation with the
// level's monsters (its real clock, energy and lives) and measures what the
// route asks of a player.
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "game/main_game_loop.h"
#include "level_rules.h"

class FmpMap;

namespace levels {

struct TRouteFigures {
    bool reachedExit = false;                 // with the first seed
    int steps = 0;                            // logic steps to the exit (5 ms each)
    int jumps = 0;                            // jumps started
    int monstersCrossed = 0;                  // monsters whose patrol ground the player passes through
    int zoneSteps = 0;                        // steps spent on some monster's patrol ground
    float energyLost = 0;                     // lost with the first seed, in whole energy bars
    int livesLost = 0;                        // lost with the first seed
    float energyLostOtherPaces = 0;           // the most lost with the other seeds (the route may then fail)
    int giftsOnRoute = 0;                     // gifts picked up on the way
    int giftsOffRoute = 0;                    // the level's other gifts
    std::vector<std::pair<int, int>> hurtAt;  // with the first seed: the block (column, row) of each hurt step

    float Seconds() const { return float(steps) / 200.0f; }
    float ZoneShare() const { return steps ? float(zoneSteps) / float(steps) : 0.0f; }
    // One number for how hard the way through is: a monster met counts 1,
    // each second spent on patrol ground 0.5, each jump 0.2, each tenth of an
    // energy bar lost 1.
    float Difficulty() const {
        return float(monstersCrossed) + 0.5f * float(zoneSteps) / 200.0f + 0.2f * float(jumps) + 10.0f * energyLost;
    }
};

// Replays `keys` on a level (`info` gives the start, clock and monsters; each
// play gets a fresh map from `loadMap`, as gifts picked up change it), once
// per seed; the first
// seed is the one the route is proven with, the others show what other
// monster paces would cost.
TRouteFigures MeasureRoute(const TLevelInfo& info, const std::function<std::shared_ptr<FmpMap>()>& loadMap,
                           std::span<const unsigned> keys, const std::vector<TPatrol>& patrols, int giftsInLevel,
                           std::span<const int> seeds);

}  // namespace levels
