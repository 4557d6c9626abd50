#include "route_search.h"

#include <algorithm>
#include <cmath>
#include <queue>
#include <unordered_map>
#include <unordered_set>

namespace levels {
namespace {

uint64_t StateKey(const TMoverState& s, const TSearchOptions& o) {
    auto q = [](float v, float cell) { return int64_t(std::floor(v / cell)); };
    uint64_t x = uint64_t(q(s.x, o.cellX) + 4096) & 0xffff;
    uint64_t y = uint64_t(q(s.y, o.cellY) + 4096) & 0xffff;
    uint64_t vx = uint64_t(std::lround(s.vx / o.cellVx) + 512) & 0x3ff;
    uint64_t vy = uint64_t(std::lround(s.vy / o.cellVy) + 2048) & 0xfff;
    return x | (y << 16) | (vx << 32) | (vy << 42) | (uint64_t(s.jumping != 0) << 54);
}

uint64_t Mix(uint64_t a, uint64_t b) {
    uint64_t h = a ^ (b + 0x9e3779b97f4a7c15ull + (a << 6) + (a >> 2));
    h ^= h >> 31;
    h *= 0xbf58476d1ce4e5b9ull;
    return h ^ (h >> 29);
}

}  // namespace

TSearchResult SearchRoute(TMover& mover, const TMoverState& start, const TSearchOptions& o) {
    TSearchResult result;
    struct TNode {
        int parent;
        int steps;  // steps of the move from the parent
        uint8_t choice;
    };
    struct TOpen {
        int time;  // steps from the start
        int node;
        int hurt;  // steps touched by a monster so far
        TMoverState state;
        bool operator<(const TOpen& other) const { return time > other.time; }
    };
    std::vector<TNode> nodes{{-1, 0, 0}};
    std::priority_queue<TOpen> open;
    open.push({0, 0, 0, start});
    const bool timed = o.touched && o.timeBucket > 0;
    // The place of a state, and (when waiting can pay) the place at a time.
    auto seenKey = [&](uint64_t place, int time) { return timed ? Mix(place, uint64_t(time / o.timeBucket)) : place; };
    std::unordered_set<uint64_t> seen{seenKey(StateKey(start, o), 0)};
    std::unordered_map<uint64_t, int> visits;
    std::unordered_set<uint64_t> gifts, visited;
    int foundNode = -1;
    // A key held for `holdSteps` may leave the player in the same grid cell it
    // started from (a walk from rest, a slow turn); such a move is held on,
    // up to this many steps, so that slow starts are not pruned as repeats.
    const int longestHold = o.holdSteps * 6;
    while (!open.empty()) {
        TOpen cur = open.top();
        open.pop();
        if (result.found && (!o.keepSearchingForGifts || cur.time >= result.routeSteps + o.holdSteps)) {
            if (!o.keepSearchingForGifts) break;
        }
        ++result.statesExpanded;
        if (o.recordVisited) {
            int c = int(cur.state.x + 14) / 16, r = int(cur.state.y + 14) / 16;
            visited.insert((uint64_t(uint32_t(c)) << 32) | uint32_t(r));
        }
        const uint64_t curKey = StateKey(cur.state, o);
        for (uint8_t c = 0; c < std::size(kKeyChoices); ++c) {
            mover.Restore(cur.state);
            bool exit = false;
            int t = 0, hurt = cur.hurt;
            uint64_t key = curKey;
            while (t < longestHold) {
                TStepProbe p = mover.Step(kKeyChoices[c]);
                ++t;
                if (o.touched && o.touched(cur.time + t, mover.Save())) ++hurt;
                if (p.giftColumn >= 0) gifts.insert((uint64_t(p.giftColumn) << 32) | uint32_t(p.giftRow));
                if (p.onExit) {
                    exit = true;
                    break;
                }
                if (t >= o.holdSteps) {
                    key = StateKey(mover.Save(), o);
                    if (key != curKey) break;
                }
            }
            const int time = cur.time + t;
            if (hurt > o.hurtBudget && o.touched) continue;
            if (exit) {
                if (!result.found || time < result.routeSteps) {
                    foundNode = int(nodes.size());
                    nodes.push_back({cur.node, t, c});
                    result.found = true;
                    result.routeSteps = time;
                    result.routeHurt = hurt;
                }
                continue;  // the level ends here
            }
            if (time > o.maxSteps) continue;
            TMoverState s = mover.Save();
            if (s.y > float(o.pixelHeight + 64) || s.y < -400) continue;  // fell out of the map
            if (key == curKey && !timed) continue;
            if (!seen.insert(seenKey(key, time)).second) continue;
            if (timed && ++visits[key] > o.visitsPerPlace) continue;
            nodes.push_back({cur.node, t, c});
            open.push({time, int(nodes.size()) - 1, hurt, s});
        }
    }
    if (result.found) {
        std::vector<int> path;
        for (int n = foundNode; nodes[n].parent >= 0; n = nodes[n].parent) path.push_back(n);
        std::reverse(path.begin(), path.end());
        for (int n : path)
            for (int t = 0; t < nodes[n].steps; ++t) result.routeKeys.push_back(kKeyChoices[nodes[n].choice]);
    }
    for (uint64_t g : gifts) result.giftsReached.emplace_back(int(g >> 32), int(uint32_t(g)));
    std::sort(result.giftsReached.begin(), result.giftsReached.end());
    for (uint64_t v : visited) result.visitedBlocks.emplace_back(int(v >> 32), int(uint32_t(v)));
    return result;
}

int ReplayRoute(TMover& mover, const TMoverState& start, const std::vector<unsigned>& keys) {
    mover.Restore(start);
    for (size_t i = 0; i < keys.size(); ++i)
        if (mover.Step(keys[i]).onExit) return int(i) + 1;
    return 0;
}

}  // namespace levels
