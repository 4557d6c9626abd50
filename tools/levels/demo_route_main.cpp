// Writes the key script of a demo that finishes one level: the route the
// level checker's search finds with the game's own player, one hex digit of
// held keys per logic step, for `snowquill --script` to play and record.
//
//   demo_route --game DIR --level N [--seed S] [--wait W] [--throw-every K] [--out FILE]
//
// --seed:        the clock the run starts at (the game's random numbers follow it)
// --wait:        steps to stand still before the route (lets monsters move on)
// --throw-every: also throw a gift every K steps along the route (clears monsters ahead)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "fmp_query.h"
#include "game/level_sim.h"
#include "game/level_table.h"
#include "map/fmp_map.h"
#include "route_search.h"
#include "sim_mover.h"

using namespace levels;

int main(int argc, char** argv) {
    std::string gameDir = ".", outPath;
    int level = 0, seed = 1000, wait = 0, throwEvery = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--game"))
            gameDir = argv[i + 1];
        else if (!std::strcmp(argv[i], "--level"))
            level = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--seed"))
            seed = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--wait"))
            wait = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--throw-every"))
            throwEvery = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--out"))
            outPath = argv[i + 1];
        else {
            std::fprintf(stderr, "demo_route: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (level < 1 || level > kLevelCount) {
        std::fprintf(
            stderr, "usage: demo_route --game DIR --level 1..%d [--seed S] [--wait W] [--throw-every K] [--out FILE]\n",
            kLevelCount);
        return 2;
    }
    const TLevelInfo& info = LevelInfo(level);
    std::string mapPath = gameDir + "/" + info.mapFile;
    for (char& ch : mapPath)
        if (ch == '\\') ch = '/';
    auto map = std::make_shared<FmpMap>();
    map->LoadMap(mapPath, 2);
    if (map->errorCode != kFmpOk || map->mapWidth <= 0) {
        std::fprintf(stderr, "demo_route: cannot load %s\n", mapPath.c_str());
        return 1;
    }
    // The search sees the map and the player only, as the level checker's does.
    TLevelSim sim(1);
    sim.SetSnow(false);
    sim.LoadCustom(map, info.startX, info.startY, 1000000);
    TSimMover mover(sim);
    const TMoverState start = mover.Save();
    TFmpQuery query(*map);
    TSearchOptions options;
    options.maxSteps = info.timeLimit * 200;
    options.pixelWidth = query.PixelWidth();
    options.pixelHeight = query.PixelHeight();
    options.keepSearchingForGifts = false;
    TSearchResult route = SearchRoute(mover, start, options);
    if (!route.found) {
        std::fprintf(stderr, "demo_route: level %d: no route to the exit\n", level);
        return 1;
    }
    int reached = ReplayRoute(mover, start, route.routeKeys);
    if (reached == 0) {
        std::fprintf(stderr, "demo_route: level %d: the route does not replay to the exit\n", level);
        return 1;
    }

    std::string text = "# level " + std::to_string(level) + ": " + std::to_string(reached) +
                       " steps from the start to the exit\nseed " + std::to_string(seed) + "\n";
    if (wait > 0) text += "wait " + std::to_string(wait) + "\n";
    std::string digits;
    // The route, then a second more of walking on in the last direction in
    // case the real level's monsters pushed the player back a little.
    std::size_t steps = std::size_t(reached);
    for (std::size_t i = 0; i < steps + 200; ++i) {
        unsigned keys = route.routeKeys[std::min(i, steps - 1)];
        unsigned bits = ((keys & kKeyLeft) ? 1u : 0u) | ((keys & kKeyRight) ? 2u : 0u) | ((keys & kKeyUp) ? 4u : 0u);
        if (throwEvery > 0 && int(i % std::size_t(throwEvery)) == 0) bits |= 8u;
        digits += "0123456789abcdef"[bits];
    }
    for (std::size_t i = 0; i < digits.size(); i += 100) text += "steps " + digits.substr(i, 100) + "\n";
    if (outPath.empty()) {
        std::fputs(text.c_str(), stdout);
    } else {
        std::ofstream out(outPath);
        out << text;
        if (!out) {
            std::fprintf(stderr, "demo_route: cannot write %s\n", outPath.c_str());
            return 1;
        }
    }
    return 0;
}
