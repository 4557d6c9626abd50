// The busiest frames of the game drawn for real: level 6 in the snow and
// level 1, composed by the game into a 320 x 240 picture and shown in a
// 960 x 720 window, next to a reference that draws the very same quads with
// SDL_Renderer from one atlas texture into a target of the same size and
// shows it in a window of the same size.
//
// Processor time is that of the whole process (the software rasteriser's
// threads included). Run under xvfb-run:
//   xvfb-run -a -s "-screen 0 1024x768x24" build/bench/graphics/bench_level_frame
// With --shot=FILE [--level=N] [--scale=S] it instead saves one frame drawn
// at S times the picture size (3 by default) as a PNG and stops; --plain
// puts a grey picture behind the map instead of the level's own.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/globals.h"
#include "level_frame.h"
#include "platform/system/clock.h"
#include "platform/video/graphics.h"
#include "screens/title.h"

namespace {

using namespace sq;

constexpr int kWindowScale = 3;

// One frame's quads, recorded from the game's own drawing.
std::vector<TQuadRecord> RecordFrame() {
    std::vector<TQuadRecord> quads;
    RecordQuads(&quads);
    sqtest::DrawLevelFrame();
    RecordQuads(nullptr);
    PresentFrame(0);
    return quads;
}

bool OpenLevel(int level, benchmark::State& state) {
    sqtest::TLevelFrameSetup setup;
    setup.level = level;
    setup.windowScale = kWindowScale;
    std::string why;
    if (!sqtest::OpenLevelFrame(setup, why)) {
        state.SkipWithError(why.c_str());
        return false;
    }
    return true;
}

void BM_GameFrame(benchmark::State& state) {
    const int level = int(state.range(0));
    if (!OpenLevel(level, state)) return;
    for (int i = 0; i < 30; ++i) {  // warm up: every texture made
        sqtest::DrawLevelFrame();
        PresentFrame(0);
    }
    DrawStats() = TDrawStats{};
    for (auto _ : state) {
        sqtest::DrawLevelFrame();
        PresentFrame(0);
    }
    const TDrawStats& s = DrawStats();
    const double frames = double(state.iterations());
    state.counters["quads/frame"] = double(s.imageDraws + s.glyphs + s.rects) / frames;
    state.counters["drawCalls/frame"] = double(s.drawCalls) / frames;
    state.counters["binds/frame"] = double(s.textureBinds) / frames;
    state.counters["uploads/frame"] = double(s.textureUploads) / frames;
    sqtest::CloseLevelFrame();
}

// The title screen in the same window: background, two enlarged turning
// clouds, 300 snowflakes, the stars and the menu. It must cost no more than
// a level frame.
void BM_TitleFrame(benchmark::State& state) {
    if (!OpenLevel(1, state)) return;
    imgBackground = LoadImageFrom("gfx/MenuBack.png", -1);
    auto screen = std::make_shared<tTitle>();
    screen->Init();
    CreateStars();
    auto frame = [&] {
        screen->Update();
        screen->Draw();
        PresentFrame(0);
    };
    for (int i = 0; i < 30; ++i) frame();
    DrawStats() = TDrawStats{};
    for (auto _ : state) frame();
    const TDrawStats& s = DrawStats();
    const double frames = double(state.iterations());
    state.counters["quads/frame"] = double(s.imageDraws + s.glyphs + s.rects) / frames;
    state.counters["drawCalls/frame"] = double(s.drawCalls) / frames;
    state.counters["binds/frame"] = double(s.textureBinds) / frames;
    screen.reset();
    sqtest::CloseLevelFrame();
}
BENCHMARK(BM_TitleFrame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// Waiting for the next frame (or through a hold) costs the processor nothing.
void BM_WaitFiveMilliseconds(benchmark::State& state) {
    for (auto _ : state) Clock().SleepUntil(Clock().Millis() + 5);
}
BENCHMARK(BM_WaitFiveMilliseconds)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// ---- The reference ----

struct TReference {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* atlas = nullptr;
    SDL_Texture* target = nullptr;
    std::vector<SDL_Vertex> vertices;
    std::vector<int> indices;
    struct TRun {
        SDL_BlendMode blend;
        int first, count;
    };
    std::vector<TRun> runs;

    ~TReference() {
        if (atlas) SDL_DestroyTexture(atlas);
        if (target) SDL_DestroyTexture(target);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
    }

    bool Open() {
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
        SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
        window = SDL_CreateWindow("reference", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 320 * kWindowScale,
                                  240 * kWindowScale, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!window) return false;
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
        if (!renderer) return false;
        atlas = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, 1024, 1024);
        target = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_TARGET, 320, 240);
        if (!atlas || !target) return false;
        // Pictures with clear and half-clear parts, as the game's are.
        std::vector<uint32_t> pixels(1024 * 1024);
        for (int y = 0; y < 1024; ++y)
            for (int x = 0; x < 1024; ++x)
                pixels[std::size_t(y) * 1024 + std::size_t(x)] =
                    ((x ^ y) & 4 ? 0xFF000000u : 0x80000000u) | uint32_t(x * 37 + y * 11) * 0x010203u % 0xFFFFFFu;
        SDL_UpdateTexture(atlas, nullptr, pixels.data(), 1024 * 4);
        return true;
    }

    // Gives every texture of the recording its own place in the atlas and
    // builds the vertices once; the blend mode changes make the runs.
    void Prepare(const std::vector<TQuadRecord>& quads) {
        std::map<uint32_t, SDL_Point> places;
        int penX = 0, penY = 0, rowH = 0;
        vertices.clear();
        indices.clear();
        runs.clear();
        for (const TQuadRecord& q : quads) {
            auto it = places.find(q.texture);
            if (it == places.end()) {
                const int w = std::min(q.texWidth, 1024), h = std::min(q.texHeight, 1024);
                if (penX + w > 1024) penX = 0, penY += rowH, rowH = 0;
                if (penY + h > 1024) penY = 0;
                it = places.emplace(q.texture, SDL_Point{penX, penY}).first;
                penX += w;
                rowH = std::max(rowH, h);
            }
            const float ox = float(it->second.x), oy = float(it->second.y);
            const float us[4] = {q.uv[0], q.uv[2], q.uv[2], q.uv[0]}, vs[4] = {q.uv[1], q.uv[1], q.uv[3], q.uv[3]};
            const int base = int(vertices.size());
            for (int i = 0; i < 4; ++i) {
                SDL_Vertex v;
                v.position = {q.xy[2 * i], q.xy[2 * i + 1]};
                v.color = {q.rgba[0], q.rgba[1], q.rgba[2], q.rgba[3]};
                v.tex_coord = {(ox + us[i] * float(std::min(q.texWidth, 1024))) / 1024.0f,
                               (oy + vs[i] * float(std::min(q.texHeight, 1024))) / 1024.0f};
                vertices.push_back(v);
            }
            for (int k : {0, 1, 2, 0, 2, 3}) indices.push_back(base + k);
            SDL_BlendMode mode = q.blend == kBlendAlpha || q.blend == kBlendMask ? SDL_BLENDMODE_BLEND
                                 : q.blend == kBlendLight                        ? SDL_BLENDMODE_ADD
                                 : q.blend == kBlendShade                        ? SDL_BLENDMODE_MOD
                                                                                 : SDL_BLENDMODE_NONE;
            if (runs.empty() || runs.back().blend != mode) runs.push_back({mode, int(indices.size()) - 6, 0});
            runs.back().count += 6;
        }
    }

    void DrawFrame() {
        SDL_SetRenderTarget(renderer, target);
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        for (const TRun& r : runs) {
            SDL_SetTextureBlendMode(atlas, r.blend);
            SDL_RenderGeometry(renderer, atlas, vertices.data(), int(vertices.size()), indices.data() + r.first,
                               r.count);
        }
        SDL_SetRenderTarget(renderer, nullptr);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, target, nullptr, nullptr);
        SDL_RenderPresent(renderer);
    }
};

void BM_SdlRendererReference(benchmark::State& state) {
    const int level = int(state.range(0));
    if (!OpenLevel(level, state)) return;
    const std::vector<TQuadRecord> quads = RecordFrame();
    sqtest::CloseLevelFrame();
    TReference ref;
    if (!ref.Open()) {
        state.SkipWithError("SDL_Renderer cannot open");
        return;
    }
    ref.Prepare(quads);
    for (int i = 0; i < 30; ++i) ref.DrawFrame();
    for (auto _ : state) ref.DrawFrame();
    state.counters["quads/frame"] = double(quads.size());
    state.counters["blendRuns/frame"] = double(ref.runs.size());
}

// Side by side: the game's frame, then the reference, for each level.
BENCHMARK(BM_GameFrame)->Arg(6)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_SdlRendererReference)
    ->Arg(6)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

int SaveShot(const std::string& path, int level, int scale, bool plain) {
    sqtest::TLevelFrameSetup setup;
    setup.plainBackground = plain;
    setup.level = level;
    setup.width = 320 * scale;
    setup.height = 240 * scale;
    std::string why;
    if (!sqtest::OpenLevelFrame(setup, why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 1;
    }
    sqtest::DrawLevelFrame();
    const bool ok = SavePixmapPNG(ReadScreenPixels(), path);
    sqtest::CloseLevelFrame();
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string shot;
    int level = 1, scale = 3;
    bool plain = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--shot=", 7) == 0) shot = argv[i] + 7;
        if (std::strncmp(argv[i], "--level=", 8) == 0) level = std::atoi(argv[i] + 8);
        if (std::strcmp(argv[i], "--plain") == 0) plain = true;
        if (std::strncmp(argv[i], "--scale=", 8) == 0) scale = std::max(1, std::atoi(argv[i] + 8));
    }
    if (!shot.empty()) return SaveShot(shot, level, scale, plain);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
