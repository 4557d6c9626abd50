#pragma once
// How much room a route leaves a human hand. A proven route presses every
// key on an exact step; a player starts a jump a little early or late, and a
// little before or past the place the route took off. For each jump of a
// route this measures how far the take-off may move, in pixels either way,
// and how early or late the jump key may go down, with the same key presses
// otherwise, and still land on the same ground.
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "game/main_game_loop.h"

class FmpMap;

namespace levels {

struct TJumpSlack {
    int step = 0;        // the route's take-off step
    int x = 0, y = 0;    // the player's place there (pixels)
    int landingRow = 0;  // the block row of the ground it lands on; -1: it goes into the exit door
    int pxLeft = 0;      // the take-off may be this much further left
    int pxRight = 0;     // or this much further right
    int msEarly = 0;     // the jump key may go down this much sooner
    int msLate = 0;      // or this much later
    int Px() const { return pxLeft < pxRight ? pxLeft : pxRight; }
    int Ms() const { return msEarly < msLate ? msEarly : msLate; }
};

struct TSlackLimits {
    int px = 32;   // offsets tried either way, in pixels
    int ms = 150;  // and in milliseconds (whole 5 ms steps)
};

// Every jump of `keys` played from the level's start with `seed`; a jump
// whose own landing cannot be told (the route ends in the air) is left out.
std::vector<TJumpSlack> MeasureSlack(const TLevelInfo& info, const std::function<std::shared_ptr<FmpMap>()>& loadMap,
                                     std::span<const unsigned> keys, int seed, const TSlackLimits& limits = {});

// A searched route takes off on the first step that works, at the edge of
// the room a player has. This moves each jump's key press, one jump at a time
// from the start, to the middle of the steps from which it still lands as
// before, keeping a move only when `stillProven` accepts the whole route
// after it (a later jump then starts from a slightly different place).
std::vector<unsigned> CenterJumps(const TLevelInfo& info, const std::function<std::shared_ptr<FmpMap>()>& loadMap,
                                  std::span<const unsigned> keys, int seed,
                                  const std::function<bool(std::span<const unsigned>)>& stillProven,
                                  const TSlackLimits& limits = {});

// The jump with the least room, by whichever of place and time is tighter
// against what is asked (`wantPx`, `wantMs`); nullptr when there is none.
const TJumpSlack* TightestJump(const std::vector<TJumpSlack>& jumps, int wantPx, int wantMs);

}  // namespace levels
