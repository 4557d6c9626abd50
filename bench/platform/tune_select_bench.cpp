// Changing the tune, as every screen change does: the time until the game
// thread has the new tune playing, and the memory the tunes leave behind.
// Two ways side by side in one run: the tune decoded whole before it plays
// ("whole"), and the tune decoded from its file while it plays ("stream").
// Needs the built music in the game folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/audio/mixer.h"
#include "platform/audio/sound.h"
#include "platform/files/stream.h"

namespace {

const char* const kTunes[4] = {"musica/OnGame.ogg", "musica/HiScores.ogg", "musica/MenuMusic.ogg", "musica/full.ogg"};

std::string TunePath(int i) { return std::string(SNOWQUILL_GAME_DIR) + "/" + kTunes[i % 4]; }

bool HaveTunes() {
    for (int i = 0; i < 4; ++i)
        if (sq::PathKind(TunePath(i)) != 1) return false;
    return true;
}

double ResidentMegabytes() {
    long pages = 0, resident = 0;
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

sq::SoundRef SelectTune(bool streamed, int i) {
    return streamed ? sq::OpenSoundStream(TunePath(i), 1) : sq::LoadSoundFile(TunePath(i), 1);
}

// Select and Play: what the game thread does before the next frame.
void BM_TuneSelect(benchmark::State& state) {
    if (!HaveTunes()) {
        state.SkipWithError("no music in " SNOWQUILL_GAME_DIR " (build the game data)");
        return;
    }
    const bool streamed = state.range(0) != 0;
    sq::UseManualAudio();
    auto channel = sq::NewChannel();
    std::vector<int16_t> out(1024 * 2);
    int i = 0;
    for (auto _ : state) {
        sq::SoundRef tune = SelectTune(streamed, i++);
        sq::PlaySoundOn(tune, channel);
        benchmark::DoNotOptimize(tune.get());
        state.PauseTiming();
        // One device buffer, as the audio thread would mix before the next change.
        sq::WaitForSoundStreams();
        sq::MixAudio(out.data(), 1024);
        state.ResumeTiming();
    }
    sq::HaltChannel(channel);
    state.SetLabel(streamed ? "stream" : "whole");
}

// Twenty tune changes with some playing between them; the resident size after
// the twentieth less the size after the first.
void BM_TuneMemory(benchmark::State& state) {
    if (!HaveTunes()) {
        state.SkipWithError("no music in " SNOWQUILL_GAME_DIR " (build the game data)");
        return;
    }
    const bool streamed = state.range(0) != 0;
    sq::UseManualAudio();
    std::vector<int16_t> out(1024 * 2);
    double afterFirst = 0, afterLast = 0, peakHeld = 0;
    for (auto _ : state) {
        auto channel = sq::NewChannel();
        sq::SoundRef tune;
        for (int change = 0; change < 20; ++change) {
            tune = SelectTune(streamed, change);
            sq::PlaySoundOn(tune, channel);
            for (int b = 0; b < 40; ++b) {  // about a second of play
                sq::WaitForSoundStreams();
                sq::MixAudio(out.data(), 1024);
            }
            sq::IsChannelBusy(channel);
            double held = streamed ? double(sq::LiveSoundStreams()) : 1.0;
            if (held > peakHeld) peakHeld = held;
            if (change == 0) afterFirst = ResidentMegabytes();
        }
        afterLast = ResidentMegabytes();
        sq::HaltChannel(channel);
    }
    state.counters["rss_first_MB"] = afterFirst;
    state.counters["rss_growth_MB"] = afterLast - afterFirst;
    state.counters["tunes_held"] = peakHeld;
    state.SetLabel(streamed ? "stream" : "whole");
}

// From Play until the mixer has the tune's first frame (a streamed tune is
// silent until its decoder has begun): goal within one device buffer, 23 ms.
void BM_TuneStartDelay(benchmark::State& state) {
    if (!HaveTunes()) {
        state.SkipWithError("no music in " SNOWQUILL_GAME_DIR " (build the game data)");
        return;
    }
    sq::UseManualAudio();
    auto channel = sq::NewChannel();
    int16_t frame[2];
    double worst = 0;
    int i = 0;
    for (auto _ : state) {
        sq::SoundRef tune = sq::OpenSoundStream(TunePath(i++), 1);
        auto start = std::chrono::steady_clock::now();
        sq::PlaySoundOn(tune, channel);
        while (sq::mixer::VoicePosition(channel->Voice()) == 0) sq::MixAudio(frame, 1);
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (ms > worst) worst = ms;
    }
    sq::HaltChannel(channel);
    state.counters["worst_ms"] = worst;
    state.SetLabel("stream");
}

}  // namespace

// The stream runs first, so the whole decode's later growth is not charged to it.
BENCHMARK(BM_TuneSelect)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond)->Iterations(20);
BENCHMARK(BM_TuneMemory)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_TuneStartDelay)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_MAIN();
