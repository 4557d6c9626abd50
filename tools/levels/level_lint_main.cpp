// Checks level sources without building maps: the layout, the monster and
// start rules and a route search with the stand-alone player model. Prints a
// picture of the level with the monsters (m, M), the start (P) and the gifts
// no route touches (?), for working on a layout.
//
//   level_lint LEVEL_NUMBER SOURCE.txt [--picture]
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "layout_query.h"
#include "level_rules.h"
#include "level_source.h"
#include "level_table.h"
#include "route_search.h"
#include "tile_catalog.h"

using namespace levels;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: level_lint LEVEL SOURCE.txt [--picture]\n");
        return 2;
    }
    int level = std::atoi(argv[1]);
    bool picture = argc > 3 && std::string(argv[3]) == "--picture";
    if (level < 1 || level > kLevelCount) {
        std::fprintf(stderr, "level must be 1..%d\n", kLevelCount);
        return 2;
    }
    TLevelSource src;
    std::string error;
    if (!LoadLevelSource(argv[2], src, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    TLayout layout;
    std::vector<std::string> errors;
    bool ok = BuildLayout(src, layout, errors);
    for (auto& e : errors) std::printf("layout: %s\n", e.c_str());
    TLayoutQuery query(layout);
    const TLevelFacts& facts = LevelFacts(level);
    TRulesReport rules = CheckLevelRules(query, facts);
    for (auto& f : rules.faults) std::printf("rule: %s\n", f.c_str());
    ok = ok && rules.faults.empty();

    TModelMover mover(query);
    TMoverState start;
    start.x = start.prevX = float(facts.startX);
    start.y = start.prevY = float(facts.startY);
    TSearchOptions options;
    options.maxSteps = facts.timeLimit * 200;
    options.pixelWidth = query.PixelWidth();
    options.pixelHeight = query.PixelHeight();
    options.recordVisited = picture;
    if (const char* e = std::getenv("SQ_SEARCH")) {  // cellX cellY cellVx cellVy hold
        std::sscanf(e, "%f %f %f %f %d", &options.cellX, &options.cellY, &options.cellVx, &options.cellVy,
                    &options.holdSteps);
    }
    TSearchResult route = SearchRoute(mover, start, options);
    std::printf("level %d '%s': %d x %d blocks, %d gifts, %d exit(s); route %s", level, src.name.c_str(), src.columns,
                src.rows, rules.gifts, rules.exits, route.found ? "found" : "NOT FOUND");
    if (route.found) std::printf(" %.1f s of %d s", route.routeSteps / 200.0, facts.timeLimit);
    std::printf("; gifts reached %zu of %d; %zu states\n", route.giftsReached.size(), rules.gifts,
                route.statesExpanded);
    ok = ok && route.found;

    if (picture) {
        std::vector<std::string> pic = src.cells;
        std::set<std::pair<int, int>> reached(route.giftsReached.begin(), route.giftsReached.end());
        for (int r = 0; r < src.rows; ++r)
            for (int c = 0; c < src.columns; ++c)
                if (layout.Solid(1, c, r) && !reached.count({c, r})) pic[r][c] = '?';
        for (auto [c, r] : route.visitedBlocks)
            if (c >= 0 && r >= 0 && c < src.columns && r < src.rows && pic[r][c] == '.') pic[r][c] = ',';
        // The route's path, every 20 steps, as ':' in open air (over the places reached).
        if (route.found) {
            mover.Restore(start);
            for (size_t i = 0; i < route.routeKeys.size(); ++i) {
                mover.Step(route.routeKeys[i]);
                if (i % 20) continue;
                TMoverState s = mover.Save();
                int c = int(s.x + 14) / 16, r = int(s.y + 14) / 16;
                if (c >= 0 && r >= 0 && c < src.columns && r < src.rows && (pic[r][c] == '.' || pic[r][c] == ','))
                    pic[r][c] = ':';
            }
        }
        for (const TPatrol& p : rules.patrols) {
            int r = (p.y + 12) / 16;
            for (int c = p.x / 16; c <= (p.x + 23) / 16 && c < src.columns; ++c)
                if (r >= 0 && r < src.rows) pic[r][c] = p.kind == 1 ? 'M' : 'm';
        }
        for (int r = facts.startY / 16; r <= (facts.startY + 27) / 16 && r < src.rows; ++r)
            for (int c = facts.startX / 16; c <= (facts.startX + 27) / 16 && c < src.columns; ++c) pic[r][c] = 'P';
        std::printf("     ");
        for (int c = 0; c < src.columns; ++c) std::printf("%d", (c / 10) % 10);
        std::printf("\n     ");
        for (int c = 0; c < src.columns; ++c) std::printf("%d", c % 10);
        std::printf("\n");
        for (int r = 0; r < src.rows; ++r) std::printf("%3d  %s\n", r, pic[r].c_str());
    }
    return ok ? 0 : 1;
}
