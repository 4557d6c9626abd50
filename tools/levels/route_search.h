#pragma once
// Searches key inputs that take the player from the start to an exit block:
// a breadth-first search over held-key choices made every few steps, with
// the player's state rounded to a coarse grid so that each grid cell is
// expanded once. The first route found is the shortest at that granularity.
#include <cstdint>
#include <functional>
#include <vector>

#include "player_model.h"

namespace levels {

// Something that moves the player one logic step: the stand-alone model or
// the game's own player inside the level simulation.
class TMover {
public:
    virtual ~TMover() = default;
    virtual TMoverState Save() const = 0;
    virtual void Restore(const TMoverState& s) = 0;
    virtual TStepProbe Step(unsigned keys) = 0;
};

class TModelMover : public TMover {
public:
    explicit TModelMover(const TSolidQuery& map) : map_(map) {}
    TMoverState Save() const override { return s_; }
    void Restore(const TMoverState& s) override { s_ = s; }
    TStepProbe Step(unsigned keys) override { return StepPlayerModel(map_, s_, keys); }

private:
    const TSolidQuery& map_;
    TMoverState s_;
};

struct TSearchOptions {
    int holdSteps = 16;                                        // steps each key choice is held (at least)
    int maxSteps = 200 * 60;                                   // give up on routes longer than this
    float cellX = 8, cellY = 6, cellVx = 0.1f, cellVy = 0.3f;  // the grid states are rounded to
    int pixelWidth = 0, pixelHeight = 0;                       // states that fall far below the map are dropped
    bool keepSearchingForGifts = true;                         // explore everything reachable within maxSteps
    bool recordVisited = false;
    // Monsters: whether the player in state s is touched at `step` (from the
    // start, 1-based). Routes touched for more than `hurtBudget` steps are
    // dropped. With monsters about, waiting can pay, so a place may then be
    // expanded again once per `timeBucket` steps, up to `visitsPerPlace` times.
    std::function<bool(int step, const TMoverState& s)> touched;
    int hurtBudget = 0;
    int timeBucket = 0;
    int visitsPerPlace = 1;
};

struct TSearchResult {
    bool found = false;
    int routeSteps = 0;                             // logic steps from the start to the first exit contact
    int routeHurt = 0;                              // steps of the route on which a monster touches the player
    std::vector<unsigned> routeKeys;                // the keys of every step of the route
    std::vector<std::pair<int, int>> giftsReached;  // gift blocks the feet touched (column, row)
    size_t statesExpanded = 0;
    // Blocks the player's centre passed through while searching (column, row), when asked for.
    std::vector<std::pair<int, int>> visitedBlocks;
};

// The key choices tried at every decision.
inline constexpr unsigned kKeyChoices[] = {0, kKeyLeft, kKeyRight, kKeyUp, kKeyUp | kKeyLeft, kKeyUp | kKeyRight};

TSearchResult SearchRoute(TMover& mover, const TMoverState& start, const TSearchOptions& options);

// Plays `keys` from `start`; returns the step (1-based) at which the feet
// first met an exit block, or 0.
int ReplayRoute(TMover& mover, const TMoverState& start, const std::vector<unsigned>& keys);

}  // namespace levels
