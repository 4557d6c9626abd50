#include "route_search.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace levels {
namespace {

struct TNode {
    int parent;
    uint8_t choice;
};

uint64_t StateKey(const TMoverState& s, const TSearchOptions& o) {
    auto q = [](float v, float cell) { return int64_t(std::floor(v / cell)); };
    uint64_t x = uint64_t(q(s.x, o.cellX) + 4096) & 0xffff;
    uint64_t y = uint64_t(q(s.y, o.cellY) + 4096) & 0xffff;
    uint64_t vx = uint64_t(std::lround(s.vx / o.cellVx) + 512) & 0x3ff;
    uint64_t vy = uint64_t(std::lround(s.vy / o.cellVy) + 2048) & 0xfff;
    return x | (y << 16) | (vx << 32) | (vy << 42) | (uint64_t(s.jumping != 0) << 54);
}

}  // namespace

TSearchResult SearchRoute(TMover& mover, const TMoverState& start, const TSearchOptions& o) {
    TSearchResult result;
    std::vector<TNode> nodes{{-1, 0}};
    std::vector<std::pair<int, TMoverState>> frontier{{0, start}}, next;
    std::unordered_set<uint64_t> seen{StateKey(start, o)};
    std::unordered_set<uint64_t> gifts, visited;
    int foundNode = -1, foundChoiceSteps = 0;
    const int depthLimit = o.maxSteps / o.holdSteps;
    for (int depth = 0; depth < depthLimit && !frontier.empty(); ++depth) {
        next.clear();
        for (const auto& [index, state] : frontier) {
            ++result.statesExpanded;
            if (o.recordVisited) {
                int c = int(state.x + 14) / 16, r = int(state.y + 14) / 16;
                visited.insert((uint64_t(uint32_t(c)) << 32) | uint32_t(r));
            }
            for (uint8_t c = 0; c < std::size(kKeyChoices); ++c) {
                mover.Restore(state);
                bool exit = false;
                int t = 0;
                for (; t < o.holdSteps; ++t) {
                    TStepProbe p = mover.Step(kKeyChoices[c]);
                    if (p.giftColumn >= 0) gifts.insert((uint64_t(p.giftColumn) << 32) | uint32_t(p.giftRow));
                    if (p.onExit) {
                        exit = true;
                        ++t;
                        break;
                    }
                }
                TMoverState s = mover.Save();
                if (exit) {
                    if (foundNode < 0) {
                        foundNode = int(nodes.size());
                        foundChoiceSteps = t;
                        nodes.push_back({index, c});
                        result.found = true;
                        result.routeSteps = depth * o.holdSteps + t;
                    }
                    continue;  // the level ends here
                }
                if (s.y > float(o.pixelHeight + 64) || s.y < -400) continue;  // fell out of the map
                if (!seen.insert(StateKey(s, o)).second) continue;
                nodes.push_back({index, c});
                next.emplace_back(int(nodes.size()) - 1, s);
            }
        }
        if (result.found && !o.keepSearchingForGifts) break;
        frontier.swap(next);
    }
    if (result.found) {
        std::vector<uint8_t> choices;
        for (int n = foundNode; nodes[n].parent >= 0; n = nodes[n].parent) choices.push_back(nodes[n].choice);
        std::reverse(choices.begin(), choices.end());
        for (size_t i = 0; i < choices.size(); ++i) {
            int steps = i + 1 == choices.size() ? foundChoiceSteps : o.holdSteps;
            for (int t = 0; t < steps; ++t) result.routeKeys.push_back(kKeyChoices[choices[i]]);
        }
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
