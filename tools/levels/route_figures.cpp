#include "route_figures.h"

#include <algorithm>

#include "game/level_sim.h"
#include "game/live_bar.h"
#include "map/fmp_map.h"

namespace levels {
namespace {

bool OnPatrolGround(const TPatrol& p, float px, float py) {
    // The contact box of the game against the whole stretch the monster walks.
    constexpr float kW = float(kPlayerSize), kM = 6, kS = float(kMonsterSize);
    return px + kW - kM > float(p.left) && px + kM < float(p.right) + kS && py + kW > float(p.y) + kM &&
           py < float(p.y) + kS;
}

}  // namespace

TRouteFigures MeasureRoute(const TLevelInfo& info, const std::function<std::shared_ptr<FmpMap>()>& loadMap,
                           std::span<const unsigned> keys, const std::vector<TPatrol>& patrols, int giftsInLevel,
                           std::span<const int> seeds) {
    TRouteFigures f;
    TSimSnapshot snap, probe;
    for (size_t s = 0; s < seeds.size(); ++s) {
        std::shared_ptr<FmpMap> map = loadMap();
        TLevelSim sim(seeds[s]);
        sim.SetSnow(false);
        sim.SetMixing(false);
        sim.LoadCustom(map, info.startX, info.startY, info.timeLimit, info.kind2, info.kind1);
        sim.SaveInto(snap);
        const int lives0 = snap.lives;
        const float energy0 = snap.energy;
        std::vector<bool> met(patrols.size(), false);
        int steps = 0, jumps = 0, zone = 0, state = 6;
        int wasJumping = sim.SavePlayer().jumping;
        float lastEnergy = energy0 + float(lives0) * kFullEnergy;
        for (unsigned k : keys) {
            state = sim.Step(k);
            ++steps;
            const TPlayerState p = sim.SavePlayer();
            if (p.jumping && !wasJumping) ++jumps;
            wasJumping = p.jumping;
            bool inZone = false;
            for (size_t i = 0; i < patrols.size(); ++i)
                if (OnPatrolGround(patrols[i], p.x, p.y)) met[i] = inZone = true;
            if (inZone) ++zone;
            if (s == 0) {
                // Where the player is hurt, for the designer (the block of the player's middle).
                sim.SaveInto(probe);
                const float energy = probe.energy + float(probe.lives) * kFullEnergy;
                if (energy < lastEnergy) f.hurtAt.push_back({int(p.x + 14) / 16, int(p.y + 14) / 16});
                lastEnergy = energy;
            }
            if (state != 6) break;
        }
        sim.SaveInto(snap);
        const float lost = float(lives0 - snap.lives) + (energy0 - snap.energy) / kFullEnergy;
        if (s > 0) {
            f.energyLostOtherPaces = std::max(f.energyLostOtherPaces, lost);
        } else {
            f.reachedExit = state == 4;
            f.energyLost = lost;
            f.livesLost = lives0 - snap.lives;
            f.steps = steps;
            f.jumps = jumps;
            f.zoneSteps = zone;
            f.monstersCrossed = int(std::count(met.begin(), met.end(), true));
            f.giftsOnRoute = int(sim.CellEdits().size());
            f.giftsOffRoute = std::max(0, giftsInLevel - f.giftsOnRoute);
        }
    }
    return f;
}

}  // namespace levels
