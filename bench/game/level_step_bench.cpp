// One logic step of the largest level: 68 monsters, the player, the gift in
// flight, the snow and the block animations. It runs 200 times a second, so
// it must stay far below a step's 5 ms, and it must allocate nothing.
//
// The level's map is read from the game folder when it has been generated;
// otherwise a stand-in map of the same size puts a floor under every spawn
// point so that every monster patrols.
#include <benchmark/benchmark.h>

#include <atomic>
#include <filesystem>

#include "core/globals.h"
#include "core/timed_speed.h"
#include "fmp_writer.h"
#include "game/level_sim.h"
#include "game/live_bar.h"
#include "game/main_game_loop.h"
#include "map/fmp_map.h"

// Counted by the replaced operator new (alloc_count.cpp).
#include "alloc_counter.h"

namespace {

std::shared_ptr<FmpMap> StandInLevel6() {
    FmpDocument doc;
    doc.mapWidth = 80;
    doc.mapHeight = 80;
    doc.depth = 32;
    doc.tileGraphicsRGBA = {MakeSolidTile(16, 16, 0, 0, 0, 0), MakeSolidTile(16, 16, 200, 200, 220)};
    FmpBlockDef empty, solid;
    solid.bgGraphic = 1;
    solid.flags = kFmpSolidTopLeft;
    doc.blocks = {empty, solid};
    FmpAnimDef blink;
    blink.frames = {1, 0};
    doc.anims = {blink};
    doc.layers.assign(3, std::vector<int16_t>(80 * 80, 0));
    auto floorUnder = [&](int x, int y, int halfWidth) {
        const int row = (y + 24) / 16;
        for (int c = x / 16 - halfWidth; c <= x / 16 + halfWidth; ++c)
            if (c >= 0 && c < 80 && row < 80) doc.layers[0][std::size_t(row * 80 + c)] = 1;
    };
    const TLevelInfo& info = LevelInfo(6);
    for (const auto& p : info.kind2) floorUnder(p.x, p.y, 4);
    for (const auto& p : info.kind1) floorUnder(p.x, p.y, 4);
    floorUnder(info.startX, info.startY + 4, 6);
    const auto bytes = WriteFmp(doc);
    auto map = std::make_shared<FmpMap>();
    map->LoadMapFromMemory(bytes.data(), bytes.size(), 2, "stand-in level 6");
    return map;
}

std::unique_ptr<TLevelSim> MakeLevel6(bool& realMap) {
    ResetGlobals();
    auto sim = std::make_unique<TLevelSim>(3);
    const std::filesystem::path dir = SNOWQUILL_GAME_DIR;
    realMap = std::filesystem::exists(dir / "maps" / "level_6.FMP");
    if (realMap) {
        std::filesystem::current_path(dir);
        sim->LoadLevel(6);
    } else {
        const TLevelInfo& info = LevelInfo(6);
        sim->LoadCustom(StandInLevel6(), info.startX, info.startY, info.timeLimit, info.kind2, info.kind1);
    }
    liveBar->lives = -1;  // contact costs nothing, so the level never pauses for a death
    return sim;
}

void BM_Level6Step(benchmark::State& state) {
    bool realMap = false;
    auto sim = MakeLevel6(realMap);
    sim->SetMixing(false);
    for (int i = 0; i < 400; ++i) sim->Step(kSimRight);  // warm up: sounds started, containers sized
    tickDelta = 1.0f;
    long steps = 0;
    const long before = sqtest::AllocationsSoFar();
    for (auto _ : state) {
        // The step itself, as tMainGameLoop::Run calls it.
        benchmark::DoNotOptimize(gameLoop->Update());
        ++steps;
    }
    const long made = sqtest::AllocationsSoFar() - before;
    state.counters["allocs_per_step"] = steps ? double(made) / double(steps) : 0;
    state.counters["monsters"] = double(enemies->enemyList.Size());
    state.counters["real_map"] = realMap ? 1 : 0;
    if (made != 0) state.SkipWithError("the level step allocated");
    sim.reset();
    ResetGlobals();
}
BENCHMARK(BM_Level6Step)->Unit(benchmark::kMicrosecond);

void BM_Level6SimStep(benchmark::State& state) {
    // The simulation's own step (key posting, level clock, bookkeeping): what
    // the level checker pays per step, without the snow.
    bool realMap = false;
    auto sim = MakeLevel6(realMap);
    sim->SetMixing(false);
    sim->SetSnow(false);
    unsigned keys = kSimRight;
    int n = 0;
    for (auto _ : state) {
        if (++n % 300 == 0) keys ^= kSimRight | kSimLeft;
        benchmark::DoNotOptimize(sim->Step(keys));
    }
    sim.reset();
    ResetGlobals();
}
BENCHMARK(BM_Level6SimStep)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
