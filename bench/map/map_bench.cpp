// Loading a level-sized map must stay well under a frame's budget of a level
// change (10 ms), and drawing a layer must cost one image draw per visible
// non-empty cell, with no allocation. Each benchmark stops with an error
// when its promise is broken, so a regression shows in the run's output.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>

#include "fmp_writer.h"
#include "map/fmp_map.h"
#include "platform/video/graphics.h"

// Counted by the replaced operator new (alloc_count.cpp).
#include "alloc_counter.h"

namespace {

// 80 x 80 cells, three layers, 256 graphics of 16 x 16, 16-bit, with
// animations: about the size of the game's largest level.
std::vector<uint8_t> LevelSizedMap() {
    FmpDocument doc;
    doc.mapWidth = doc.mapHeight = 80;
    doc.depth = 16;
    for (int i = 0; i < 256; ++i) {
        std::vector<uint8_t> tile = MakeSolidTile(16, 16, i, 255 - i, (i * 7) & 255, i == 0 ? 0 : 255);
        for (int p = 0; p < 16; ++p) tile[std::size_t(p * 17 * 4 + 3)] = 0;  // a clear diagonal
        doc.tileGraphicsRGBA.push_back(std::move(tile));
        FmpBlockDef b;
        b.bgGraphic = b.fgGraphic = i;
        b.flags = i % 2 ? kFmpSolidTopLeft : 0;
        doc.blocks.push_back(b);
    }
    FmpAnimDef a;
    a.frames = {1, 2, 3, 4};
    doc.anims.assign(8, a);
    doc.layers.assign(3, std::vector<int16_t>(80 * 80, 0));
    for (int i = 0; i < 80 * 80; ++i) {
        doc.layers[0][std::size_t(i)] = int16_t((i / 80) > 60 ? 1 + i % 255 : 0);
        doc.layers[1][std::size_t(i)] = int16_t(i % 13 == 0 ? -(1 + i % 8) : 0);
        doc.layers[2][std::size_t(i)] = int16_t(i % 7 == 0 ? 5 : 0);
    }
    return WriteFmp(doc);
}

void OpenHeadless() {
    sq::SetGraphicsBackend(sq::GraphicsBackend::kHeadless);
    if (!sq::GraphicsModeOpen()) sq::OpenGraphicsMode(320, 240, 32, 60, 0);
}

void BM_LoadLevelSizedMap(benchmark::State& state) {
    OpenHeadless();
    const std::vector<uint8_t> bytes = LevelSizedMap();
    double worstMs = 0, totalMs = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        FmpMap map;
        map.LoadMapFromMemory(bytes.data(), bytes.size(), 2, "bench.FMP");
        map.InitAnims();
        benchmark::DoNotOptimize(map.images.data());
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        worstMs = std::max(worstMs, ms);
        totalMs += ms;
        if (map.errorCode != kFmpOk) state.SkipWithError("the map did not load");
    }
    state.counters["bytes"] = double(bytes.size());
    state.counters["worst_ms"] = worstMs;
    // The mean, not the worst: one load on a busy machine may be descheduled.
    if (state.iterations() > 0 && totalMs / double(state.iterations()) >= 10.0)
        state.SkipWithError("loading took 10 ms or more");
}
BENCHMARK(BM_LoadLevelSizedMap)->Unit(benchmark::kMillisecond);

void BM_DrawLayer(benchmark::State& state) {
    OpenHeadless();
    const std::vector<uint8_t> bytes = LevelSizedMap();
    FmpMap map;
    map.LoadMapFromMemory(bytes.data(), bytes.size(), 2, "bench.FMP");
    map.InitAnims();
    map.currentLayer = static_cast<int>(state.range(0));
    const int mapX = 333, mapY = 845;  // ends on the last rows of layer 0's ground
    // The cells the view shows: columns mapX/16 .. (mapX + 319)/16, rows likewise.
    uint64_t expected = 0;
    for (int row = mapY / 16; row <= (mapY + 239) / 16; ++row)
        for (int column = mapX / 16; column <= (mapX + 319) / 16; ++column) {
            const BLKSTR& b = map.BlockAt(column, row);
            expected += b.bgGraphic > 0 ? 1 : 0;
        }
    // The first draw of each graphic makes its texture; what is measured is
    // every frame after that.
    map.DrawLayerBg(mapX, mapY, 0, 0, 320, 240);
    uint64_t draws = 0;
    long allocs = 0;
    for (auto _ : state) {
        uint64_t before = sq::DrawStats().imageDraws;
        long allocBefore = sqtest::AllocationsSoFar();
        map.DrawLayerBg(mapX, mapY, 0, 0, 320, 240);
        allocs += sqtest::AllocationsSoFar() - allocBefore;
        draws = sq::DrawStats().imageDraws - before;
    }
    state.counters["draws"] = double(draws);
    state.counters["expected"] = double(expected);
    state.counters["allocs"] = double(allocs);
    if (draws != expected) state.SkipWithError("not one draw per visible non-empty cell");
    if (allocs != 0) state.SkipWithError("drawing a layer allocated memory");
}
BENCHMARK(BM_DrawLayer)->Arg(0)->Arg(1)->Arg(2);

void BM_UpdateAnimsAndQueries(benchmark::State& state) {
    OpenHeadless();
    const std::vector<uint8_t> bytes = LevelSizedMap();
    FmpMap map;
    map.LoadMapFromMemory(bytes.data(), bytes.size(), 2, "bench.FMP");
    map.InitAnims();
    long allocBefore = sqtest::AllocationsSoFar();
    int solid = 0;
    for (auto _ : state) {
        map.UpdateAnims();
        for (int layer = 0; layer < 3; ++layer) {
            map.currentLayer = layer;
            for (int probe = 0; probe < 8; ++probe) solid += map.IsSolidAt(probe * 37, 990 + probe);
        }
    }
    benchmark::DoNotOptimize(solid);
    if (sqtest::AllocationsSoFar() != allocBefore) state.SkipWithError("a logic step allocated memory");
}
BENCHMARK(BM_UpdateAnimsAndQueries);

}  // namespace

BENCHMARK_MAIN();
