#include "level_rules.h"

#include <vector>

namespace levels {
namespace {

std::string At(int x, int y) { return "(" + std::to_string(x) + ", " + std::to_string(y) + ")"; }

// The monster's own walking rule: it may stand at x while there is ground two
// pixels below both bottom corners and nothing at half height on either side.
bool MonsterFits(const TSolidQuery& m, int x, int y) {
    const int s = kMonsterSize;
    return m.Solid(0, x, y + s + 2) && m.Solid(0, x + s, y + s + 2) && !m.Solid(0, x + s, y + s / 2) &&
           !m.Solid(0, x, y + s / 2);
}

}  // namespace

TRulesReport CheckLevelRules(const TSolidQuery& m, const TLevelFacts& facts, int block) {
    TRulesReport rep;
    const int w = m.PixelWidth(), h = m.PixelHeight();
    if (w < 320 || h < 240) rep.faults.push_back("the map is smaller than one screen (320 x 240)");

    // The player's start: inside the map and the whole frame in open air.
    if (facts.startX < 0 || facts.startY < 0 || facts.startX + kPlayerSize > w || facts.startY + kPlayerSize > h)
        rep.faults.push_back("the player's start " + At(facts.startX, facts.startY) + " is outside the map");
    for (int yy = facts.startY; yy < facts.startY + kPlayerSize; yy += 3)
        for (int xx = facts.startX; xx < facts.startX + kPlayerSize; xx += 3)
            if (m.Solid(0, xx, yy)) {
                rep.faults.push_back("the player starts inside solid ground at " + At(xx, yy));
                yy = facts.startY + kPlayerSize;
                break;
            }

    auto checkMonster = [&](int kind, TPoint p) {
        const int s = kMonsterSize;
        std::string who = "kind-" + std::to_string(kind) + " monster at " + At(p.x, p.y);
        TPatrol patrol{kind, p.x, p.y, p.x, p.x};
        if (p.x < 0 || p.y < 0 || p.x + s > w || p.y + s + 2 >= h) {
            rep.faults.push_back(who + " is outside the map");
            rep.patrols.push_back(patrol);
            return;
        }
        if (!m.Solid(0, p.x, p.y + s + 2) || !m.Solid(0, p.x + s, p.y + s + 2))
            rep.faults.push_back(who + " has no ground under both feet");
        if (m.Solid(0, p.x, p.y + s / 2) || m.Solid(0, p.x + s, p.y + s / 2))
            rep.faults.push_back(who + " has a wall beside it at half height");
        for (int yy = p.y; yy < p.y + s; yy += 4)
            for (int xx = p.x; xx < p.x + s; xx += 4)
                if (m.Solid(0, xx, yy)) {
                    rep.faults.push_back(who + " stands inside solid ground at " + At(xx, yy));
                    yy = p.y + s;
                    break;
                }
        if (MonsterFits(m, p.x, p.y)) {
            while (patrol.left > 0 && MonsterFits(m, patrol.left - 1, p.y)) --patrol.left;
            while (patrol.right + s < w && MonsterFits(m, patrol.right + 1, p.y)) ++patrol.right;
            if (patrol.Length() < kMinPatrolLength)
                rep.faults.push_back(who + " has only " + std::to_string(patrol.Length()) +
                                     " pixels of platform to patrol");
        }
        rep.patrols.push_back(patrol);
    };
    for (TPoint p : facts.kind2) checkMonster(2, p);
    for (TPoint p : facts.kind1) checkMonster(1, p);

    // Gifts and exits, block by block.
    const int cols = w / block, rows = h / block;
    std::vector<int> exitGroup(size_t(cols) * rows, 0);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            int px = c * block + block / 2, py = r * block + block / 2;
            if (m.Solid(1, px, py)) ++rep.gifts;
            if (m.Solid(2, px, py) && !exitGroup[size_t(r) * cols + c]) {
                ++rep.exits;
                std::vector<std::pair<int, int>> stack{{c, r}};
                exitGroup[size_t(r) * cols + c] = rep.exits;
                while (!stack.empty()) {
                    auto [cc, rr] = stack.back();
                    stack.pop_back();
                    const int dc[] = {1, -1, 0, 0}, dr[] = {0, 0, 1, -1};
                    for (int k = 0; k < 4; ++k) {
                        int nc = cc + dc[k], nr = rr + dr[k];
                        if (nc < 0 || nr < 0 || nc >= cols || nr >= rows) continue;
                        if (exitGroup[size_t(nr) * cols + nc]) continue;
                        if (!m.Solid(2, nc * block + block / 2, nr * block + block / 2)) continue;
                        exitGroup[size_t(nr) * cols + nc] = rep.exits;
                        stack.emplace_back(nc, nr);
                    }
                }
            }
        }
    if (rep.gifts < kMinGifts)
        rep.faults.push_back("only " + std::to_string(rep.gifts) + " gifts (at least " + std::to_string(kMinGifts) +
                             " wanted)");
    if (rep.exits != 1) rep.faults.push_back(std::to_string(rep.exits) + " exits (exactly one wanted)");
    return rep;
}

}  // namespace levels
