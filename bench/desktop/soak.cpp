// A soak: the whole recorded game replayed and drawn without pacing (what
// --replay FILE --timedemo does), over and over in one process, for as long
// as it is told. Prints the resident memory after every pass and once a
// minute, and the growth since the end of the first pass, next to nothing:
// the first pass is the reference (everything the game keeps is made by then).
//
//   xvfb-run -a -s "-screen 0 1024x768x24" build/bench/desktop/bench_soak
//       --game-dir build/game --replay tests/demos/full_game.sqr --minutes 60
//
// --passes N stops after N passes instead; --every S samples every S seconds; --max-growth-mb X makes the exit
// status 1 when memory after the last pass exceeds that after the first by
// more than X MB (the short soak of the test run).
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include "app/replay.h"
#include "app/startup.h"
#include "platform/audio/sound.h"
#include "platform/system/memory.h"

namespace {

double Megabytes(std::size_t bytes) { return double(bytes) / (1024.0 * 1024.0); }

}  // namespace

int main(int argc, char** argv) {
    std::string gameDir, replayFile;
    double minutes = 0, maxGrowth = -1, every = 60;
    long passes = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--game-dir") == 0)
            gameDir = argv[i + 1];
        else if (std::strcmp(argv[i], "--replay") == 0)
            replayFile = argv[i + 1];
        else if (std::strcmp(argv[i], "--minutes") == 0)
            minutes = std::atof(argv[i + 1]);
        else if (std::strcmp(argv[i], "--passes") == 0)
            passes = std::atol(argv[i + 1]);
        else if (std::strcmp(argv[i], "--every") == 0)
            every = std::atof(argv[i + 1]);
        else if (std::strcmp(argv[i], "--max-growth-mb") == 0)
            maxGrowth = std::atof(argv[i + 1]);
    }
    if (gameDir.empty() || replayFile.empty() || (minutes <= 0 && passes <= 0)) {
        std::fprintf(stderr,
                     "usage: bench_soak --game-dir DIR --replay FILE (--minutes M | --passes N) "
                     "[--max-growth-mb X]\n");
        return 2;
    }
    TReplayOptions replay;
    replay.replayPath = std::filesystem::absolute(replayFile).string();
    replay.timedemo = true;
    std::filesystem::current_path(gameDir);

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double, std::ratio<60>>(minutes);
    // Every `every` seconds (a minute unless told), whatever pass is under way.
    std::mutex lock;
    std::condition_variable wake;
    bool done = false;
    // The most resident memory seen during the pass under way, sampled every
    // second: a pass ends by closing the window, which lets go of much.
    std::atomic<std::size_t> passPeak{0};
    std::thread peaks([&] {
        std::unique_lock<std::mutex> hold(lock);
        while (!wake.wait_for(hold, std::chrono::seconds(1), [&] { return done; })) {
            const std::size_t now = sq::ResidentBytes();
            if (now > passPeak.load()) passPeak = now;
        }
    });
    std::thread sampler([&] {
        std::unique_lock<std::mutex> hold(lock);
        for (int n = 1;; ++n) {
            const auto at =
                start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(n * every));
            if (wake.wait_until(hold, at, [&] { return done; })) return;
            std::printf("soak: at %.0f s: resident %.1f MB\n", n * every, Megabytes(sq::ResidentBytes()));
            std::fflush(stdout);
        }
    });

    std::size_t afterFirst = 0, last = 0, firstPeak = 0;
    int status = 0;
    for (long pass = 1; passes <= 0 || pass <= passes; ++pass) {
        AllowAnotherRun();
        passPeak = 0;
        TStartOptions options;
        options.windowed = true;
        options.sound = false;
        // One window for the whole soak, as a long game has.
        options.keepDisplay = true;
        const int result = RunJournaledGame(options, replay);
        last = sq::ResidentBytes();
        const std::size_t peak = passPeak.load();
        if (pass == 1) afterFirst = last, firstPeak = peak;
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf(
            "soak: pass %ld ended (status %d) at %.0f s: resident %.1f MB (%+.2f MB on the first pass's end), "
            "at most %.1f MB while playing (%+.2f MB on the first pass's); heap in use %.1f MB, %d sound streams\n",
            pass, result, elapsed, Megabytes(last), Megabytes(last) - Megabytes(afterFirst), Megabytes(peak),
            Megabytes(peak) - Megabytes(firstPeak), Megabytes(sq::HeapInUseBytes()), sq::LiveSoundStreams());
        std::fflush(stdout);
        if (result != kReplayOk) {
            std::fprintf(stderr, "soak: the replay did not match its recording on pass %ld\n", pass);
            status = 1;
            break;
        }
        if (minutes > 0 && Clock::now() >= end) break;
    }
    {
        std::lock_guard<std::mutex> hold(lock);
        done = true;
    }
    wake.notify_all();
    sampler.join();
    peaks.join();
    const double growth = Megabytes(last) - Megabytes(afterFirst);
    std::printf("soak: growth after the first pass %+.2f MB\n", growth);
    if (status == 0 && maxGrowth >= 0 && growth > maxGrowth) {
        std::fprintf(stderr, "soak: memory grew by %.2f MB after the first pass (at most %.2f allowed)\n", growth,
                     maxGrowth);
        status = 1;
    }
    return status;
}
