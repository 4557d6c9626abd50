// The mixer's cost per device buffer with the game's busiest load and more.
// Allocations during mixing are counted and reported: the figure must be 0.
#include <benchmark/benchmark.h>

#include <atomic>
#include <vector>

#include "alloc_counter.h"
#include "platform/audio/sound.h"
#include "platform/system/random.h"

namespace {

sq::SoundRef Noise(int frames, bool loop) {
    auto s = std::make_shared<sq::TSound>();
    s->frames = frames;
    s->loop = loop;
    s->samples.resize(std::size_t(frames) * 2);
    for (auto& v : s->samples) v = int16_t(sq::RandomInt(-8000, 8000));
    return s;
}

void BM_MixAudio(benchmark::State& state) {
    sq::UseManualAudio();
    sq::SeedRandom(7);
    const int voices = int(state.range(0));
    const int frames = int(state.range(1));
    std::vector<sq::ChannelRef> channels;
    std::vector<sq::SoundRef> sounds;
    for (int i = 0; i < voices; ++i) {
        sounds.push_back(Noise(sq::kMixRate * 2, true));
        auto ch = sq::NewChannel();
        ch->SetGain(0.3f);
        ch->SetBalance(float(i % 5) * 0.5f - 1.0f);
        // Off-unity rates take the interpolating path, as the game's effects do.
        ch->SetPlaybackRate(0.9f + 0.013f * float(i));
        sq::PlaySoundOn(sounds.back(), ch);
        channels.push_back(ch);
    }
    std::vector<int16_t> out(std::size_t(frames) * 2);
    sqtest::StartCountingAllocations();
    for (auto _ : state) {
        sq::MixAudio(out.data(), frames);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.counters["allocs"] = double(sqtest::StopCountingAllocations());
    // Seconds of sound mixed per second of work.
    state.counters["speed"] =
        benchmark::Counter(double(frames) / sq::kMixRate, benchmark::Counter::kIsIterationInvariantRate);
    state.SetItemsProcessed(state.iterations() * frames);
}

}  // namespace

BENCHMARK(BM_MixAudio)->Args({16, 1024})->Args({4, 1024})->Args({40, 1024})->Args({16, 4096});
BENCHMARK_MAIN();
