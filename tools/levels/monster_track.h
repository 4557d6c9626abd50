#pragma once
// Where every monster of a level is at every logic step, recorded once from
// the game's own monster update. Monsters do not react to the player (only a
// thrown gift changes them, and routes do not throw), so their positions are
// a function of time alone and a route search can ask whether the player
// would be touched at a given step without running the monsters itself.
//
// The kind-2 monsters draw their pace at random when they appear, so a track
// belongs to a random seed; several may be recorded, and then a touch on any
// of them counts.
#include <span>
#include <vector>

#include "game/enemy.h"
#include "map/fmp_map.h"

namespace levels {

class TMonsterTrack {
public:
    // Records `steps` logic steps of the monsters of a level, once per seed.
    // The map is loaded into a level simulation of its own; no other
    // simulation may exist meanwhile (there is one game).
    void Record(std::shared_ptr<FmpMap> map, int startX, int startY, std::span<const TSpawnPoint> kind2,
                std::span<const TSpawnPoint> kind1, std::span<const int> seeds, int steps);

    int Steps() const { return steps_; }
    int Seeds() const { return int(tracks_.size()); }
    // Whether a player whose box has its top-left at (x, y) is touched at
    // `step` (counted from the start of the level, the first step is 1) by a
    // monster of any recorded seed; the game's own contact test. Steps beyond
    // the recording count as touched.
    bool Touches(int step, float x, float y) const;
    bool TouchesOnSeed(int seed, int step, float x, float y) const;

private:
    int steps_ = 0, monsters_ = 0;
    std::vector<float> ys_;                   // monsters keep their height while alive
    std::vector<std::vector<float>> tracks_;  // per seed: steps_ x monsters_ positions
};

}  // namespace levels
