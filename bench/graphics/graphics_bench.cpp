// A frame like the busiest in the game: a background, 300 snowflakes, 70
// sprites of a few strips, the HUD text. Each picture must be uploaded to a
// texture once, repeated blend-mode settings must reach the display only when
// the mode really changes, and drawing must allocate nothing.
#include <benchmark/benchmark.h>

#include <atomic>
#include <string>

#include "platform/video/graphics.h"

// Counted by the replaced operator new (alloc_count.cpp).
#include "alloc_counter.h"

namespace {

using namespace sq;

struct TScene {
    ImageRef background, flake, strip;
    std::string hud = "TIME 03:05";

    TScene() {
        auto solid = [](int w, int h, uint32_t argb) {
            PixmapRef p = NewPixmap(w, h, kPfRGB);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) PixmapSetPixel(p, x, y, argb);
            return p;
        };
        background = LoadImageFrom(solid(320, 240, 0xFF203060u), -1);
        flake = LoadImageFrom(solid(4, 4, 0xFFFFFFFFu), 1);
        strip = LoadImageStrip(solid(112, 112, 0xFFFF00FFu), 28, 28, 0, 16, 1);
    }

    void Draw() {
        SetBlendMode(kBlendSolid);
        DrawImageAt(background, 0, 0, 0);
        SetBlendMode(kBlendMask);
        for (int i = 0; i < 300; ++i) {
            SetDrawColor(130 + i % 120, 130 + i % 120, 130 + i % 120);
            DrawImageAt(flake, float(i % 320), float(i % 240), 0);
        }
        SetDrawColor(255, 255, 255);
        for (int i = 0; i < 70; ++i) {
            SetBlendMode(kBlendMask);  // every actor sets its mode again
            DrawImageAt(strip, float(i * 4 % 320), float(i * 3 % 240), i % 16);
        }
        SetBlendMode(kBlendAlpha);
        DrawTextAt(hud, 4, 4);
        SetBlendMode(kBlendMask);
    }
};

// Under OpenGL the driver may allocate (a software renderer compiles its
// pipelines with LLVM), so only the headless run holds the drawing layer
// itself to no allocation.
void RunFrames(benchmark::State& state, bool present) {
    TScene scene;
    scene.Draw();  // first frame uploads every picture
    DrawStats() = TDrawStats{};
    long before = sqtest::AllocationsSoFar();
    for (auto _ : state) {
        scene.Draw();
        if (present) PresentFrame(0);
    }
    long allocs = sqtest::AllocationsSoFar() - before;
    const TDrawStats& s = DrawStats();
    double frames = double(state.iterations());
    state.counters["uploads/frame"] = double(s.textureUploads) / frames;
    state.counters["blendChanges/frame"] = double(s.blendChanges) / frames;
    state.counters["allocs/frame"] = double(allocs) / frames;
    state.counters["draws/frame"] = double(s.imageDraws + s.glyphs) / frames;
    state.counters["drawCalls/frame"] = double(s.drawCalls) / frames;
    state.counters["binds/frame"] = double(s.textureBinds) / frames;
    if (s.textureUploads != 0) state.SkipWithError("a picture was uploaded again");
    // Solid, mask, alpha, mask: three changes a frame after the first.
    if (s.blendChanges > 4 * uint64_t(state.iterations())) state.SkipWithError("redundant blend changes");
    if (!present && allocs != 0) state.SkipWithError("drawing allocated memory");
}

void BM_HeadlessFrame(benchmark::State& state) {
    SetGraphicsBackend(GraphicsBackend::kHeadless);
    if (!OpenGraphicsMode(320, 240, 32, 0, 0)) {
        state.SkipWithError("no headless display");
        return;
    }
    RunFrames(state, false);
    CloseGraphicsMode();
}
BENCHMARK(BM_HeadlessFrame);

void BM_OpenGLFrame(benchmark::State& state) {
    SetGraphicsBackend(GraphicsBackend::kOpenGL);
    TDisplayOptions options;
    options.windowed = true;
    options.windowScale = 1;
    options.hidden = true;
    SetDisplayOptions(options);
    if (!OpenGraphicsMode(320, 240, 0, 0, 0)) {
        state.SkipWithError("no OpenGL display (run under xvfb-run)");
        return;
    }
    RunFrames(state, true);
    CloseGraphicsMode();
    SetGraphicsBackend(GraphicsBackend::kHeadless);
}
BENCHMARK(BM_OpenGLFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
