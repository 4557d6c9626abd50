// Proves that every level can be finished with its monsters about: loads
// each map with the game's own loader, checks the monster and start rules,
// and plays a route (the keys held at every 5 ms step) through the game's own
// level simulation with the level's monsters, clock, energy and lives. The
// route must reach the exit without losing a life and losing no more than a
// set share of one energy bar. The monsters' paces are drawn at random; the
// route is proven with one seed, as a recorded play runs, and what it would
// cost with other paces is shown. Prints what the route asks of a player.
//
//   level_check [--game DIR] [--level N]... [--routes DIR] [--search]
//               [--review DIR] [--model] [--budget BARS]
//
// --game:   the game folder holding maps/ (default: the current directory)
// --routes: the folder of stored routes (level_N.keys); without --search the
//           stored route is played again (seconds), which is the usual check
// --search: search a new route (minutes) that keeps away from the monsters;
//           with --routes it is stored there. Without --routes a search is
//           always made and nothing is stored.
// --review: also write each route as a list of player positions there
// --model:  search with the stand-alone player model (the replay is the proof)
// --budget: the energy a route may lose, in bars (default 0.25)
// --blind:  search the quickest route as if there were no monsters (to see
//           what the monsters cost on it); implies --search
// --trace:  list the blocks where the route's player is hurt, worst first
// --center: move each jump of the route to the middle of the room it has
//           (see --slack) where the route still passes; with --routes the
//           route is stored again
// --slack:  measure how far each jump of the route may start from its place
//           (pixels) and its step (milliseconds) and still land as the route
//           does; with PX MS the check fails on a jump with less room
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fmp_query.h"
#include "game/level_sim.h"
#include "game/live_bar.h"
#include "game/main_game_loop.h"
#include "key_script.h"
#include "level_rules.h"
#include "map/fmp_map.h"
#include "monster_track.h"
#include "route_figures.h"
#include "route_search.h"
#include "route_slack.h"
#include "sim_mover.h"

using namespace levels;

namespace {

struct TCheckOptions {
    std::string gameDir = ".", reviewDir, routesDir;
    bool useModel = false, search = false, blind = false, trace = false, slack = false, center = false;
    int wantPx = 0, wantMs = 0;  // the room every jump must leave (0: measured only)
    float budget = 0.25f;        // energy bars a route may lose
};
TCheckOptions options_;
std::map<int, TRouteFigures> figures_;
std::map<int, TJumpSlack> tightest_;

// The monsters' paces are drawn at random: a route is proven with the first
// seed (as a recorded play would run) and measured on the others too.
constexpr int kSeeds[] = {1, 2, 3};
// Routes are searched within this much of the clock (the monster tracks are kept in memory).
constexpr int kLongestSearchSeconds = 300;

std::vector<unsigned> SearchKeys(int level, std::shared_ptr<FmpMap> map, const std::string& mapPath, TFmpQuery& query);
void PrintHurt(int level, const TRouteFigures& fig);

// The room each jump of the route leaves; false when one leaves less than asked.
bool CheckSlack(int level, const TLevelInfo& info, const std::function<std::shared_ptr<FmpMap>()>& loadMap,
                const std::vector<unsigned>& keys) {
    const std::vector<TJumpSlack> jumps = MeasureSlack(info, loadMap, keys, kSeeds[0]);
    const int wantPx = std::max(options_.wantPx, 1), wantMs = std::max(options_.wantMs, 5);
    bool ok = true;
    for (const TJumpSlack& j : jumps) {
        const bool short_ = options_.wantPx > 0 && (j.Px() < options_.wantPx || j.Ms() < options_.wantMs);
        char where[24] = "the door";
        if (j.landingRow >= 0) std::snprintf(where, sizeof where, "row %d", j.landingRow);
        std::printf(
            "level %d: jump at %.2f s from (%d, %d) to %s: %d px left, %d px right, %d ms early, %d ms late%s\n", level,
            j.step / 200.0, j.x, j.y, where, j.pxLeft, j.pxRight, j.msEarly, j.msLate, short_ ? "  <- too tight" : "");
        if (short_) ok = false;
    }
    if (const TJumpSlack* t = TightestJump(jumps, wantPx, wantMs)) tightest_[level] = *t;
    if (!ok)
        std::printf("level %d: FAIL: a jump leaves less than %d px or %d ms either way\n", level, options_.wantPx,
                    options_.wantMs);
    return ok;
}

const char* MapTypeName(int t) {
    switch (t) {
        case 0:
            return "FMP 0.5";
        case 1:
            return "FMP 1.0";
        case 2:
            return "FMP 1.0 run-length";
        default:
            return "unknown";
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

bool CheckLevel(int level) {
    const TLevelInfo& info = LevelInfo(level);
    std::string mapPath = options_.gameDir + "/" + info.mapFile;
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

    std::vector<unsigned> keys;
    const std::string routePath =
        options_.routesDir.empty() ? "" : options_.routesDir + "/level_" + std::to_string(level) + ".keys";
    if (!options_.search && !routePath.empty()) {
        TKeyScript script;
        std::string error;
        if (!LoadKeyScript(routePath, script, error)) {
            std::printf(
                "level %d: FAIL: no stored route (%s); make one with: level_check --search --routes DIR --level %d\n",
                level, error.c_str(), level);
            return false;
        }
        if (script.level != level) {
            std::printf("level %d: FAIL: %s holds a route for level %d\n", level, routePath.c_str(), script.level);
            return false;
        }
        keys = std::move(script.keys);
        std::printf("level %d: playing the stored route %s\n", level, routePath.c_str());
    } else {
        keys = SearchKeys(level, map, mapPath, query);
        if (keys.empty()) return false;
    }

    // The proof: the keys from the start with the game's player and monsters.
    auto loadMap = [&mapPath] {
        auto m = std::make_shared<FmpMap>();
        m->LoadMap(mapPath, 2);
        return m;
    };
    TRouteFigures fig = MeasureRoute(info, loadMap, keys, rules.patrols, rules.gifts, kSeeds);
    figures_[level] = fig;
    if (options_.trace) PrintHurt(level, fig);
    if (fig.livesLost > 0) {
        std::printf("level %d: FAIL: the route loses a life to the monsters after %.1f s\n", level, fig.Seconds());
        return false;
    }
    if (!fig.reachedExit || fig.steps > info.timeLimit * 200) {
        std::printf("level %d: FAIL: the route does not reach the exit within the clock (%d steps played)\n", level,
                    fig.steps);
        return false;
    }
    if (fig.energyLost > options_.budget + 1e-4f) {
        std::printf("level %d: FAIL: the route costs %.2f energy bars (%d lives); at most %.2f allowed\n", level,
                    fig.energyLost, fig.livesLost, options_.budget);
        return false;
    }
    std::printf(
        "level %d: route to the exit: %.1f s of the %d s clock, %.2f energy bars lost (%.2f at most with "
        "the monsters' other paces)\n",
        level, fig.Seconds(), info.timeLimit, fig.energyLost, fig.energyLostOtherPaces);
    if (options_.center) {
        auto proven = [&](std::span<const unsigned> k) {
            const TRouteFigures f = MeasureRoute(info, loadMap, k, rules.patrols, rules.gifts, std::span(kSeeds, 1));
            return f.reachedExit && f.livesLost == 0 && f.steps <= info.timeLimit * 200 &&
                   f.energyLost <= options_.budget + 1e-4f;
        };
        keys = CenterJumps(info, loadMap, keys, kSeeds[0], proven);
        fig = MeasureRoute(info, loadMap, keys, rules.patrols, rules.gifts, kSeeds);
        figures_[level] = fig;
        std::printf("level %d: jumps moved to the middle of their room: %.1f s, %.2f energy bars lost\n", level,
                    fig.Seconds(), fig.energyLost);
    }
    if (options_.slack && !CheckSlack(level, info, loadMap, keys)) ok = false;
    if ((options_.search || options_.center) && !routePath.empty()) {
        TKeyScript script{level, keys};
        char comment[256];
        std::snprintf(comment, sizeof comment,
                      "The keys held at each 5 ms step from the start of level %d to the exit,\n"
                      "%s: %.1f s, %.2f energy bars lost.",
                      level,
                      options_.search ? (options_.center ? "found by level_check --search, each jump in the middle "
                                                           "of its room"
                                                         : "found by level_check --search")
                                      : "each jump moved to the middle of its room by level_check --center",
                      fig.Seconds(), fig.energyLost);
        if (!SaveKeyScript(routePath, script, comment)) {
            std::printf("level %d: FAIL: cannot write %s\n", level, routePath.c_str());
            return false;
        }
        std::printf("level %d: route stored in %s\n", level, routePath.c_str());
    }

    if (!options_.reviewDir.empty()) {
        auto reviewMap = std::make_shared<FmpMap>();
        reviewMap->LoadMap(mapPath, 2);
        TLevelSim sim(1);
        sim.SetSnow(false);
        sim.SetMixing(false);
        sim.LoadCustom(reviewMap, info.startX, info.startY, 1000000);
        std::error_code made;
        std::filesystem::create_directories(options_.reviewDir, made);
        const std::string reviewPath = options_.reviewDir + "/level_" + std::to_string(level) + "_route.txt";
        std::ofstream out(reviewPath);
        for (size_t i = 0; out && i < keys.size(); ++i) {
            if (sim.Step(keys[i]) != 6) break;
            if (i % 8 == 0) {
                TPlayerState s = sim.SavePlayer();
                out << int(s.x) << ' ' << int(s.y) << '\n';
            }
        }
        out.close();
        if (!out) {
            std::printf("level %d: FAIL: cannot write %s\n", level, reviewPath.c_str());
            ok = false;
        }
    }
    return ok;
}

// A route from the start to the exit that keeps within the energy budget:
// the quickest that never waits (untouched if it can be), then, if the
// monsters block every such way, one that may wait for them to pass. Empty
// on failure.
std::vector<unsigned> SearchKeys(int level, std::shared_ptr<FmpMap> map, const std::string& mapPath, TFmpQuery& query) {
    const TLevelInfo& info = LevelInfo(level);
    const int horizon = std::min(info.timeLimit, kLongestSearchSeconds) * 200;
    TMonsterTrack track;
    if (!options_.blind) {
        auto trackMap = std::make_shared<FmpMap>();
        trackMap->LoadMap(mapPath, 2);
        track.Record(trackMap, info.startX, info.startY, info.kind2, info.kind1, std::span(kSeeds, 1), horizon);
    }
    TLevelSim sim(1);
    sim.SetSnow(false);
    sim.SetMixing(false);
    sim.LoadCustom(map, info.startX, info.startY, 1000000);
    TSimMover simMover(sim);
    const TMoverState start = simMover.Save();
    TSearchOptions o;
    o.maxSteps = horizon;
    o.pixelWidth = query.PixelWidth();
    o.pixelHeight = query.PixelHeight();
    o.keepSearchingForGifts = false;
    if (!options_.blind) o.touched = [&track](int step, const TMoverState& s) { return track.Touches(step, s.x, s.y); };
    // Contact costs 0.1 of the bar's 50 units a step; half the budget leaves room.
    o.hurtBudget = int(options_.budget * kFullEnergy / 0.1f / 2);
    auto modelMap = std::make_shared<FmpMap>();
    modelMap->LoadMap(mapPath, 2);
    TFmpQuery modelQuery(*modelMap);
    TModelMover model(modelQuery);
    TMover& mover = options_.useModel ? static_cast<TMover&>(model) : simMover;
    // A route that is never touched if there is one without waiting, else
    // one within the budget, else one within the budget that may wait.
    const int budget = o.hurtBudget;
    o.hurtBudget = 0;
    TSearchResult route = SearchRoute(mover, start, o);
    size_t states = route.statesExpanded;
    if (!route.found && o.touched) {
        o.hurtBudget = budget;
        route = SearchRoute(mover, start, o);
        states += route.statesExpanded;
    }
    if (!route.found && o.touched) {
        o.timeBucket = 80;
        o.visitsPerPlace = 8;
        route = SearchRoute(mover, start, o);
        states += route.statesExpanded;
    }
    if (!route.found) {
        std::printf(
            "level %d: FAIL: no route from the start (%d, %d) to the exit within %d s that keeps clear of "
            "the monsters (%zu states)\n",
            level, info.startX, info.startY, horizon / 200, states);
        return {};
    }
    std::printf("level %d: route found: %d steps, touched on %d (%zu states searched%s)\n", level, route.routeSteps,
                route.routeHurt, states, options_.useModel ? ", with the model" : "");
    return route.routeKeys;
}

void PrintHurt(int level, const TRouteFigures& fig) {
    std::map<std::pair<int, int>, int> count;
    for (const auto& b : fig.hurtAt) ++count[b];
    std::vector<std::pair<int, std::pair<int, int>>> worst;
    for (const auto& [block, n] : count) worst.push_back({n, block});
    std::sort(worst.rbegin(), worst.rend());
    for (size_t i = 0; i < worst.size() && i < 12; ++i)
        std::printf("level %d: hurt %d steps at block (%d, %d)\n", level, worst[i].first, worst[i].second.first,
                    worst[i].second.second);
}

void PrintTable() {
    if (figures_.empty()) return;
    std::printf(
        "\nlevel  route s  jumps  monsters met  s on patrol ground (share)  energy lost (other paces)"
        "  gifts on/off route  difficulty%s\n",
        tightest_.empty() ? "" : "  tightest jump px / ms");
    for (const auto& [level, f] : figures_) {
        std::printf("%5d  %7.1f  %5d  %12d  %17.1f (%3.0f %%)  %11.2f (%12.2f)  %9d / %d  %10.1f", level, f.Seconds(),
                    f.jumps, f.monstersCrossed, f.zoneSteps / 200.0, 100.0 * f.ZoneShare(), f.energyLost,
                    f.energyLostOtherPaces, f.giftsOnRoute, f.giftsOffRoute, f.Difficulty());
        if (auto t = tightest_.find(level); t != tightest_.end())
            std::printf("  %12d / %d", t->second.Px(), t->second.Ms());
        std::printf("\n");
    }
    std::printf("difficulty = monsters met + 0.5 x seconds on patrol ground + 0.2 x jumps + 10 x energy bars lost\n");
}

}  // namespace

int main(int argc, char** argv) {
    TCheckOptions& o = options_;
    std::vector<int> levels;
    const char* usage =
        "usage: level_check [--game DIR] [--level N]... [--routes DIR] [--search] [--review DIR] [--model] "
        "[--budget BARS] [--blind] [--trace] [--center] [--slack [PX MS]]\n";
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--game" && i + 1 < argc)
            o.gameDir = argv[++i];
        else if (a == "--review" && i + 1 < argc)
            o.reviewDir = argv[++i];
        else if (a == "--routes" && i + 1 < argc)
            o.routesDir = argv[++i];
        else if (a == "--level" && i + 1 < argc)
            levels.push_back(std::atoi(argv[++i]));
        else if (a == "--budget" && i + 1 < argc)
            o.budget = float(std::atof(argv[++i]));
        else if (a == "--model")
            o.useModel = true;
        else if (a == "--search")
            o.search = true;
        else if (a == "--blind")
            o.blind = o.search = true;
        else if (a == "--trace")
            o.trace = true;
        else if (a == "--center")
            o.center = true;
        else if (a == "--slack") {
            o.slack = true;
            if (i + 2 < argc && std::isdigit(static_cast<unsigned char>(argv[i + 1][0]))) {
                o.wantPx = std::atoi(argv[++i]);
                o.wantMs = std::atoi(argv[++i]);
            }
        } else {
            std::fprintf(stderr, "%s", usage);
            return 2;
        }
    }
    if (o.routesDir.empty()) o.search = true;
    if (!(o.budget >= 0 && o.budget < 1)) {
        std::fprintf(stderr, "level_check: the budget must be at least 0 and below one bar\n");
        return 2;
    }
    if (levels.empty())
        for (int n = 1; n <= ::kLevelCount; ++n) levels.push_back(n);
    int failed = 0;
    for (int n : levels) {
        if (n < 1 || n > ::kLevelCount) {
            std::fprintf(stderr, "level_check: no level %d\n", n);
            return 2;
        }
        if (!CheckLevel(n)) ++failed;
    }
    PrintTable();
    std::printf("%d passed, %d failed\n", int(levels.size()) - failed, failed);
    return failed ? 1 : 0;
}
