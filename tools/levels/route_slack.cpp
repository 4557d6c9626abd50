#include "route_slack.h"

#include <algorithm>
#include <cstdlib>

#include "fmp_query.h"
#include "game/level_sim.h"
#include "game/player.h"
#include "level_table.h"
#include "map/fmp_map.h"

namespace levels {
namespace {

constexpr int kStepMs = 5;
constexpr int kPlayerWidth = kPlayerSize, kPlayerHeight = kPlayerSize;
// A jump that has not come down this long after its take-off has not landed.
constexpr int kLongestFlight = 800;
// A player standing on ground has it within this many pixels under his feet.
constexpr int kStandingGap = 2;

struct TGround {
    int row = -1, first = 0, last = -1;  // the run of solid blocks landed on
    bool exit = false;                   // the jump came down in the exit door instead
    // A jump that ends in the door has done better than land: it counts.
    bool Holds(const TGround& g) const { return g.exit || (g.row == row && g.first >= first && g.last <= last); }
};

// The ground under the player's feet: the first solid row within a block
// below them, and the whole run of solid blocks it belongs to.
TGround GroundUnder(const TFmpQuery& q, const TPlayerState& p, int block) {
    TGround g;
    const int fx = int(p.x) + kPlayerWidth / 2;
    for (int fy = int(p.y) + kPlayerHeight; fy <= int(p.y) + kPlayerHeight + block; ++fy) {
        if (!q.Solid(0, fx, fy)) continue;
        g.row = fy / block;
        int col = fx / block;
        g.first = g.last = col;
        while (g.first > 0 && q.Solid(0, (g.first - 1) * block, g.row * block)) --g.first;
        while ((g.last + 1) * block < q.PixelWidth() && q.Solid(0, (g.last + 1) * block, g.row * block)) ++g.last;
        return g;
    }
    return g;
}

// Plays `keys` from step `from` of the restored state until the jump that
// takes off at or after that step comes down; the ground it lands on (row -1
// if none). A flight already under way at `from` is not that jump: a press
// moved into it must still lift the player off after it lands, or it has
// missed. Past the route's end the last keys stay held: a route ends in the
// door, and a jump to it taken off further back needs a few steps more.
TGround PlayToLanding(TLevelSim& sim, const TFmpQuery& q, std::span<const unsigned> keys, int from, int block) {
    if (keys.empty()) return {};
    bool wasJumping = sim.SavePlayer().jumping != 0, airborne = false;
    for (int i = from; i < from + kLongestFlight; ++i) {
        const int state = sim.Step(keys[std::size_t(std::min(i, int(keys.size()) - 1))]);
        if (state == kPlayStateExitReached) return {.exit = true};
        if (state != kPlayStatePlaying) return {};
        const TPlayerState p = sim.SavePlayer();
        if (p.jumping && !wasJumping) airborne = true;
        if (airborne && !p.jumping) return GroundUnder(q, p, block);
        wasJumping = p.jumping != 0;
    }
    return {};
}

// The route with the jump key's press that starts at step `t0` moved by
// `dk` steps (sooner when negative), the other keys as they were. Nobody
// presses before the level starts: a press that soon is one on the first
// step. False when the press would run past the route's end.
bool ShiftJumpPress(std::span<const unsigned> keys, int t0, int& dk, std::vector<unsigned>& out) {
    int held = 0;
    while (t0 + held < int(keys.size()) && (keys[std::size_t(t0 + held)] & kSimUp)) ++held;
    dk = std::max(dk, -t0);
    if (t0 + dk + held > int(keys.size())) return false;
    out.assign(keys.begin(), keys.end());
    for (int i = t0; i < t0 + held; ++i) out[std::size_t(i)] &= ~unsigned(kSimUp);
    for (int i = t0 + dk; i < t0 + dk + held; ++i) out[std::size_t(i)] |= kSimUp;
    return true;
}

}  // namespace

std::vector<TJumpSlack> MeasureSlack(const TLevelInfo& info, const std::function<std::shared_ptr<FmpMap>()>& loadMap,
                                     std::span<const unsigned> keys, int seed, const TSlackLimits& limits) {
    std::shared_ptr<FmpMap> map = loadMap();
    TFmpQuery query(*map);
    const int block = map->blockWidth > 0 ? map->blockWidth : 16;
    TLevelSim sim(seed);
    sim.SetSnow(false);
    sim.SetMixing(false);
    sim.LoadCustom(map, info.startX, info.startY, info.timeLimit, info.kind2, info.kind1);

    // The route as played: a snapshot before every step (a route is a few
    // thousand steps), and where each jump takes off.
    std::vector<TSimSnapshot> before;
    std::vector<int> takeOffs;
    before.reserve(keys.size());
    int wasJumping = sim.SavePlayer().jumping;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        before.push_back(sim.Save());
        if (sim.Step(keys[i]) != kPlayStatePlaying) break;
        const int jumping = sim.SavePlayer().jumping;
        if (jumping && !wasJumping) takeOffs.push_back(int(i));
        wasJumping = jumping;
    }

    const int maxSteps = limits.ms / kStepMs;
    std::vector<unsigned> shifted;
    std::vector<TJumpSlack> out;
    for (int t0 : takeOffs) {
        sim.Restore(before[std::size_t(t0)]);
        const TPlayerState atTakeOff = sim.SavePlayer();
        const TGround landing = PlayToLanding(sim, query, keys, t0, block);
        if (landing.row < 0 && !landing.exit) continue;  // in the air at the end
        TJumpSlack s;
        s.step = t0;
        s.x = int(atTakeOff.x);
        s.y = int(atTakeOff.y);
        s.landingRow = landing.row;  // -1 for the door

        // In time: the jump key's press moved by `dk` steps, the other keys kept.
        auto landsShifted = [&](int dk) {
            if (!ShiftJumpPress(keys, t0, dk, shifted)) return false;
            const int from = std::min(t0, t0 + dk);
            sim.Restore(before[std::size_t(from)]);
            return landing.Holds(PlayToLanding(sim, query, shifted, from, block));
        };
        int early = 0, late = 0;
        while (early < maxSteps && landsShifted(-(early + 1))) ++early;
        while (late < maxSteps && landsShifted(late + 1)) ++late;
        s.msEarly = early * kStepMs;
        s.msLate = late * kStepMs;

        // In place: the same keys from the same step, the player moved. A
        // place no player can stand (in a wall, off the map) ends the room
        // that way without narrowing it: nobody takes off from beyond it.
        enum { kLands, kMisses, kNoStanding };
        auto landsFrom = [&](int dx) {
            sim.Restore(before[std::size_t(t0)]);
            TPlayerState p = atTakeOff;
            p.x += float(dx);
            p.prevX += float(dx);
            // The game's wall probes, at the feet either side: a place where
            // one is in rock is one the player is always pushed back from.
            const int feet = int(p.y + float(kPlayerHeight));
            if (p.x < 0 || p.x > float(query.PixelWidth() - kPlayerWidth) ||
                query.Solid(0, int(p.x) + kPlayerWidth / 2, int(p.y) + kPlayerHeight - 1) ||
                query.Solid(0, int(p.x + float(player_tuning::kWallInset)), feet) ||
                query.Solid(0, int(p.x + float(kPlayerWidth - player_tuning::kWallInset)), feet))
                return kNoStanding;
            sim.RestorePlayer(p);
            return landing.Holds(PlayToLanding(sim, query, keys, t0, block)) ? kLands : kMisses;
        };
        auto room = [&](int sign) {
            int px = 0;
            while (px < limits.px) {
                const int r = landsFrom(sign * (px + 1));
                if (r == kNoStanding) return limits.px;
                if (r == kMisses) break;
                ++px;
            }
            return px;
        };
        const bool standing =
            query.Solid(0, int(atTakeOff.x) + kPlayerWidth / 2, int(atTakeOff.y) + kPlayerHeight + kStandingGap);
        if (standing) {
            s.pxLeft = room(-1);
            s.pxRight = room(1);
        } else {
            // A take-off in the air, a moment after walking off a ledge, has
            // no other place at its height to start from: further back the
            // player was still on the ledge, further on lower down. Its room
            // in place is its room in time, walked at full speed.
            auto walked = [&](int steps) { return std::min(limits.px, int(float(steps) * player_tuning::kWalkLimit)); };
            const bool right = atTakeOff.vx >= 0;
            s.pxLeft = walked(right ? early : late);
            s.pxRight = walked(right ? late : early);
        }
        out.push_back(s);
    }
    return out;
}

const TJumpSlack* TightestJump(const std::vector<TJumpSlack>& jumps, int wantPx, int wantMs) {
    const TJumpSlack* worst = nullptr;
    float worstShare = 0;
    for (const TJumpSlack& j : jumps) {
        const float share =
            std::min(float(j.Px()) / float(std::max(1, wantPx)), float(j.Ms()) / float(std::max(1, wantMs)));
        if (!worst || share < worstShare) worst = &j, worstShare = share;
    }
    return worst;
}

std::vector<unsigned> CenterJumps(const TLevelInfo& info, const std::function<std::shared_ptr<FmpMap>()>& loadMap,
                                  std::span<const unsigned> keys, int seed,
                                  const std::function<bool(std::span<const unsigned>)>& stillProven,
                                  const TSlackLimits& limits) {
    std::vector<unsigned> route(keys.begin(), keys.end()), candidate;
    for (std::size_t n = 0;; ++n) {
        const std::vector<TJumpSlack> jumps = MeasureSlack(info, loadMap, route, seed, limits);
        if (n >= jumps.size()) break;
        const TJumpSlack& j = jumps[n];
        // Halfway between the soonest and the latest press that still land;
        // if the rest of the route then fails, a smaller move, or none.
        for (int dk = (j.msLate - j.msEarly) / 2 / kStepMs; dk != 0; dk /= 2) {
            int moved = dk;
            if (ShiftJumpPress(route, j.step, moved, candidate) && moved != 0 && stillProven(candidate)) {
                route.swap(candidate);
                break;
            }
        }
        // The room in time often runs past the range tried while the room in
        // place does not (a step up, a hop near a ledge's end): then the
        // take-off itself is moved towards the middle of its room in place, a
        // later press taking off further on, as long as the lesser side grows
        // and the route still passes.
        const std::vector<TJumpSlack> now = MeasureSlack(info, loadMap, route, seed, limits);
        if (n >= now.size()) break;
        const TJumpSlack& c = now[n];
        const int uneven = c.pxRight - c.pxLeft;
        if ((c.pxLeft >= limits.px && c.pxRight >= limits.px) || std::abs(uneven) < 2) continue;
        // About 0.4 px a step at a walk: half the difference, in steps; a
        // later press takes off further right walking right, further left
        // walking left, so both ways are tried.
        bool moved = false;
        for (int size = std::abs(uneven) * 5 / 4; size != 0 && !moved; size = size * 2 / 3) {
            for (int dk : {uneven > 0 ? size : -size, uneven > 0 ? -size : size}) {
                int shift = dk;
                if (!ShiftJumpPress(route, c.step, shift, candidate) || shift == 0) continue;
                const std::vector<TJumpSlack> tried = MeasureSlack(info, loadMap, candidate, seed, limits);
                if (n < tried.size() && tried[n].Px() > c.Px() && tried[n].Ms() >= std::min(c.Ms(), limits.ms / 3) &&
                    stillProven(candidate)) {
                    route.swap(candidate);
                    moved = true;
                    break;
                }
            }
        }
    }
    return route;
}

}  // namespace levels
