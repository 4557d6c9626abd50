// Proves that every level can be finished: loads each map with the game's own
// loader, checks the monster and start rules, and searches key inputs that
// walk the game's own player (the headless level simulation) from the start
// to the exit within the level's clock. Reports the gifts a player can reach.
//
//   level_check [--game DIR] [--level N]... [--review DIR] [--model]
//
// --game:   the game folder holding maps/ (default: the current directory)
// --review: also write each route as a list of player positions there
// --model:  search with the stand-alone player model, then replay the route
//           found with the game's player (faster; the replay is the proof)
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fmp_query.h"
#include "game/level_sim.h"
#include "game/main_game_loop.h"
#include "level_rules.h"
#include "map/fmp_map.h"
#include "route_search.h"
#include "sim_mover.h"

using namespace levels;

namespace {

const char* MapTypeName(int t) {
    switch (t) {
        case 0: return "FMP 0.5";
        case 1: return "FMP 1.0";
        case 2: return "FMP 1.0 run-length";
        default: return "unknown";
    }
}

// The game's own level table, in the checker's terms.
struct TGameFacts {
    std::vector<TPoint> kind2, kind1;
    TLevelFacts facts;
};
TGameFacts GameFacts(int level) {
    const TLevelInfo& info = LevelInfo(level);
    TGameFacts g;
    for (const TSpawnPoint& p : info.kind2) g.kind2.push_back({p.x, p.y});
    for (const TSpawnPoint& p : info.kind1) g.kind1.push_back({p.x, p.y});
    g.facts = {info.startX, info.startY, info.timeLimit, g.kind2, g.kind1};
    return g;
}

bool CheckLevel(int level, const std::string& gameDir, const std::string& reviewDir, bool useModel) {
    const TLevelInfo& info = LevelInfo(level);
    std::string mapPath = gameDir + "/" + info.mapFile;
    for (char& ch : mapPath)
        if (ch == '\\') ch = '/';
    bool ok = true;
    auto map = std::make_shared<FmpMap>();
    if (FILE* f = std::fopen(mapPath.c_str(), "rb")) {
        std::fclose(f);
    } else {
        std::printf("level %d: FAIL: no map file %s\n", level, mapPath.c_str());
        return false;
    }
    map->LoadMap(mapPath, 2);
    if (map->errorCode != kFmpOk || map->mapWidth <= 0) {
        std::printf("level %d: FAIL: the loader refused %s (%s)\n", level, mapPath.c_str(), map->LastError().c_str());
        return false;
    }
    std::printf("level %d: %s: %d x %d blocks of %d x %d, %s, %d bits, %s-endian, %d block animations\n", level,
                mapPath.c_str(), map->mapWidth, map->mapHeight, map->blockWidth, map->blockHeight,
                MapTypeName(map->mapType), map->blockDepth, map->littleEndian ? "little" : "big",
                map->numAnims > 0 ? map->numAnims - 1 : 0);

    TGameFacts game = GameFacts(level);
    TFmpQuery query(*map);
    TRulesReport rules = CheckLevelRules(query, game.facts, map->blockWidth);
    for (const std::string& fault : rules.faults) {
        std::printf("level %d: FAIL: %s\n", level, fault.c_str());
        ok = false;
    }
    int shortest = 1 << 30;
    for (const TPatrol& p : rules.patrols) shortest = std::min(shortest, p.Length());
    std::printf("level %d: %zu monsters on their ground (shortest patrol %d px), %d gifts, %d exit\n", level,
                rules.patrols.size(), shortest, rules.gifts, rules.exits);

    // The route, with the game's own player and nothing else in the level.
    TLevelSim sim(1);
    sim.SetSnow(false);
    sim.LoadCustom(map, info.startX, info.startY, 1000000);
    TSimMover simMover(sim);
    const TMoverState start = simMover.Save();
    TSearchOptions options;
    options.maxSteps = info.timeLimit * 200;
    options.pixelWidth = query.PixelWidth();
    options.pixelHeight = query.PixelHeight();
    TSearchResult route;
    if (useModel) {
        auto modelMap = std::make_shared<FmpMap>();
        modelMap->LoadMap(mapPath, 2);
        TFmpQuery modelQuery(*modelMap);
        TModelMover model(modelQuery);
        route = SearchRoute(model, start, options);
    } else {
        route = SearchRoute(simMover, start, options);
    }
    if (!route.found) {
        std::printf("level %d: FAIL: no route from the start (%d, %d) to the exit within %d s (%zu states)\n", level,
                    info.startX, info.startY, info.timeLimit, route.statesExpanded);
        return false;
    }
    // The proof: play the keys again from the start with the game's player.
    int replayed = ReplayRoute(simMover, start, route.routeKeys);
    if (replayed == 0 || replayed > info.timeLimit * 200) {
        std::printf("level %d: FAIL: the route found does not reach the exit when replayed (%d)\n", level, replayed);
        return false;
    }
    std::printf("level %d: route to the exit: %.1f s of the %d s clock (%d steps, %zu states searched)%s\n", level,
                replayed / 200.0, info.timeLimit, replayed, route.statesExpanded,
                useModel ? ", found with the model, replayed with the game" : "");
    std::printf("level %d: gifts reachable: %zu of %d\n", level, route.giftsReached.size(), rules.gifts);

    if (!reviewDir.empty()) {
        std::ofstream out(reviewDir + "/level_" + std::to_string(level) + "_route.txt");
        simMover.Restore(start);
        for (size_t i = 0; i < route.routeKeys.size(); ++i) {
            simMover.Step(route.routeKeys[i]);
            if (i % 8 == 0) {
                TMoverState s = simMover.Save();
                out << int(s.x) << ' ' << int(s.y) << '\n';
            }
        }
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    std::string gameDir = ".", reviewDir;
    std::vector<int> levels;
    bool useModel = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--game" && i + 1 < argc) gameDir = argv[++i];
        else if (a == "--review" && i + 1 < argc) reviewDir = argv[++i];
        else if (a == "--level" && i + 1 < argc) levels.push_back(std::atoi(argv[++i]));
        else if (a == "--model") useModel = true;
        else {
            std::fprintf(stderr, "usage: level_check [--game DIR] [--level N]... [--review DIR] [--model]\n");
            return 2;
        }
    }
    if (levels.empty())
        for (int n = 1; n <= ::kLevelCount; ++n) levels.push_back(n);
    int failed = 0;
    for (int n : levels) {
        if (n < 1 || n > ::kLevelCount) {
            std::fprintf(stderr, "level_check: no level %d\n", n);
            return 2;
        }
        if (!CheckLevel(n, gameDir, reviewDir, useModel)) ++failed;
    }
    std::printf("%d passed, %d failed\n", int(levels.size()) - failed, failed);
    return failed ? 1 : 0;
}
