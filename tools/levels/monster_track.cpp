#include "monster_track.h"

#include "game/level_sim.h"
#include "game/live_bar.h"
#include "level_table.h"

namespace levels {

void TMonsterTrack::Record(std::shared_ptr<FmpMap> map, int startX, int startY, std::span<const TSpawnPoint> kind2,
                           std::span<const TSpawnPoint> kind1, std::span<const int> seeds, int steps) {
    steps_ = steps;
    monsters_ = int(kind2.size() + kind1.size());
    tracks_.clear();
    ys_.clear();
    for (const TSpawnPoint& p : kind2) ys_.push_back(float(p.y));
    for (const TSpawnPoint& p : kind1) ys_.push_back(float(p.y));
    TSimSnapshot snap;
    for (int seed : seeds) {
        std::vector<float> xs(size_t(steps_) * size_t(monsters_));
        {
            TLevelSim sim(seed);
            sim.SetSnow(false);
            sim.SetMixing(false);
            sim.LoadCustom(map, startX, startY, 1000000, kind2, kind1);
            for (int t = 0; t < steps_; ++t) {
                sim.Step(0);
                sim.SaveInto(snap);
                // The player standing at the start must not die: a death
                // would stop the monsters for its whole sequence.
                if (snap.energy < kFullEnergy) {
                    snap.energy = kFullEnergy;
                    sim.Restore(snap);
                }
                for (int m = 0; m < monsters_ && m < int(snap.enemies.size()); ++m)
                    xs[size_t(t) * size_t(monsters_) + size_t(m)] = snap.enemies[size_t(m)].x;
            }
        }
        tracks_.push_back(std::move(xs));
    }
}

bool TMonsterTrack::TouchesOnSeed(int seed, int step, float px, float py) const {
    if (step < 1 || step > steps_) return true;
    const float* xs = tracks_[size_t(seed)].data() + size_t(step - 1) * size_t(monsters_);
    // The game's test: the player's 28-pixel box less a 6-pixel margin at the
    // sides and at the monster's top against the monster's frame.
    constexpr float kW = float(kPlayerSize), kM = 6, kS = float(kMonsterSize);
    for (int m = 0; m < monsters_; ++m) {
        const float ex = xs[m], ey = ys_[size_t(m)];
        if (px + kW - kM > ex && px + kM < ex + kS && py + kW > ey + kM && py < ey + kS) return true;
    }
    return false;
}

bool TMonsterTrack::Touches(int step, float px, float py) const {
    for (int s = 0; s < Seeds(); ++s)
        if (TouchesOnSeed(s, step, px, py)) return true;
    return false;
}

}  // namespace levels
