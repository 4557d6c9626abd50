#include "platform/audio/sound_stream.h"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/audio/sound_data.h"
#include "platform/audio/vorbis_decoder.h"
#include "platform/files/stream.h"
#include "platform/system/web.h"

namespace sq::streaming {

namespace {

// Frames decoded per step: small enough that a step is well under a
// millisecond, large enough that the thread wakes rarely.
constexpr int kStageFrames = 4096;
constexpr int kBlocksPerPass = 8;
// How often the decoding thread looks at the rings without being woken.
constexpr auto kRefillPeriod = std::chrono::milliseconds(20);

}  // namespace

struct TDecoder {
    TVorbisDecoder vorbis;
    uint64_t framesSinceStart = 0;  // since the last return to the beginning
    // Linear resampling to the mixing rate, carried across decoded blocks.
    double step = 1.0;     // input frames per output frame
    double outPos = 0.0;   // next output frame, in input frames since the beginning
    uint64_t inCount = 0;  // input frames seen since the beginning
    int16_t prev[2] = {0, 0};
    std::vector<int16_t> block;  // decoded frames at the file's rate
    std::vector<int16_t> stage;  // the same at the mixing rate, waiting for the ring

    void Close() { vorbis.Close(); }
    void Rewind() {
        framesSinceStart = 0;
        outPos = 0.0;
        inCount = 0;
    }
};

namespace {
std::atomic<int> livePlays{0};
}

TStreamPlay::TStreamPlay(std::string p, bool l) : ring(kRingFrames), path(std::move(p)), loop(l) {
    livePlays.fetch_add(1, std::memory_order_relaxed);
}
TStreamPlay::~TStreamPlay() { livePlays.fetch_sub(1, std::memory_order_relaxed); }

int LivePlays() { return livePlays.load(std::memory_order_relaxed); }

namespace {

// Ends the play: the mixer finishes the voice once it has drained the ring.
void EndPlay(TStreamPlay& play) {
    if (play.decoder) play.decoder->Close();
    play.ring.ended.store(true, std::memory_order_release);
}

void FailPlay(TStreamPlay& play, const char* why) {
    std::fprintf(stderr, "Snowquill: %s stops: %s\n", NativePath(play.path).c_str(), why);
    play.failed.store(true, std::memory_order_release);
    EndPlay(play);
}

}  // namespace

int64_t FramesAtMixRate(int64_t frames, long rate) {
    if (rate == kMixRate || rate <= 0) return frames;
    return int64_t(std::ceil(double(frames) / (double(rate) / kMixRate)));
}

namespace {

bool OpenPlay(TStreamPlay& play) {
    auto d = std::make_unique<TDecoder>();
    const char* why = d->vorbis.Open(play.path);
    if (why) {
        play.decoder = std::move(d);
        FailPlay(play, why);
        return false;
    }
    d->step = double(d->vorbis.Rate()) / kMixRate;
    const int64_t total = d->vorbis.TotalFrames(/*wholeFile=*/false);
    if (total >= 0) play.totalFrames.store(FramesAtMixRate(total, d->vorbis.Rate()), std::memory_order_release);
    d->block.resize(std::size_t(kStageFrames) * 2);
    d->stage.reserve(std::size_t(kStageFrames) * 2);
    play.decoder = std::move(d);
    return true;
}

// Converts one decoded block to the mixing rate into the stage.
void StageBlock(TDecoder& d, long got) {
    const int16_t* in = d.block.data();
    d.stage.clear();
    if (d.vorbis.Rate() == kMixRate) {
        d.stage.assign(in, in + got * 2);
        return;
    }
    for (long i = 0; i < got; ++i) {
        const int16_t cur[2] = {in[i * 2], in[i * 2 + 1]};
        const double n = double(d.inCount);
        while (d.outPos <= n) {
            if (d.inCount == 0) {
                d.stage.push_back(cur[0]);
                d.stage.push_back(cur[1]);
            } else {
                double f = d.outPos - (n - 1.0);
                for (int c = 0; c < 2; ++c)
                    d.stage.push_back(int16_t(std::lround(d.prev[c] + (cur[c] - d.prev[c]) * f)));
            }
            d.outPos += d.step;
        }
        d.prev[0] = cur[0];
        d.prev[1] = cur[1];
        ++d.inCount;
    }
}

// Decodes into the ring while it has room. True when the play needs nothing
// more for now (its ring is full, or it has ended).
bool FillPlay(TStreamPlay& play) {
    if (play.ring.ended.load(std::memory_order_relaxed)) return true;
    if (!play.decoder && !OpenPlay(play)) return true;
    TDecoder& d = *play.decoder;
    mixer::TStreamRing& ring = play.ring;
    // Asked for per block so that even the lowest rate fits the stage.
    const int request = int(std::max(1.0, std::min(1024.0, double(kStageFrames - 2) * d.step - 2.0)));
    // A few blocks per pass, so that a new play or a cancelled one is seen
    // within a few milliseconds however much decoding is left.
    for (int blocks = 0; blocks < kBlocksPerPass; ++blocks) {
        if (play.cancelled.load(std::memory_order_relaxed)) return true;
        const uint32_t written = ring.written.load(std::memory_order_relaxed);
        const uint32_t free = ring.Capacity() - (written - ring.read.load(std::memory_order_acquire));
        if (free < uint32_t(kStageFrames)) return true;

        long got = d.vorbis.Read(d.block.data(), request);
        if (got == TVorbisDecoder::kDamaged) {
            FailPlay(play, "damaged data in the middle of the file");
            return true;
        }
        // A chained file that changes its rate half-way is not one sound.
        if (got == TVorbisDecoder::kRateChanged) {
            FailPlay(play, "the sample rate changes inside the file");
            return true;
        }
        if (got == 0) {
            if (!play.loop) {
                EndPlay(play);
                return true;
            }
            // A loop that gave nothing since its beginning would spin forever.
            if (d.framesSinceStart == 0) {
                FailPlay(play, "no sound in the file");
                return true;
            }
            if (!d.vorbis.Rewind()) {
                FailPlay(play, "cannot return to the beginning");
                return true;
            }
            d.Rewind();
            continue;
        }
        d.framesSinceStart += uint64_t(got);
        StageBlock(d, got);
        const uint32_t frames = uint32_t(d.stage.size() / 2);
        for (uint32_t i = 0; i < frames; ++i) {
            int16_t* dst = ring.data.get() + std::size_t((written + i) & ring.mask) * 2;
            dst[0] = d.stage[std::size_t(i) * 2];
            dst[1] = d.stage[std::size_t(i) * 2 + 1];
        }
        ring.written.store(written + frames, std::memory_order_release);
    }
    return false;
}

// The decoding thread and what it shares with the game thread. Only lists
// of plays pass under the lock; decoding happens outside it. In the browser
// there is no second thread: the page's thread runs one pass whenever the
// game hands control to the browser (a frame or a wait).
struct TStreamer {
    std::mutex lock;
    std::condition_variable wake;
    std::condition_variable settledSignal;
    std::vector<StreamPlayRef> incoming;
    bool stop = false;
    bool kick = false;
    bool settled = true;
    uint64_t passes = 0;
    std::atomic<bool> hold{false};
    std::thread thread;
    // The decoder's own: only the decoding side touches these.
    std::vector<StreamPlayRef> active;
    bool lastSettled = true;

    // Takes in new plays, lets go of ended ones and decodes a little into
    // every ring. True when every play needs nothing more for now.
    bool Pass() {
        {
            std::lock_guard<std::mutex> guard(lock);
            for (auto& p : incoming) active.push_back(std::move(p));
            incoming.clear();
        }
        // Plays that were replaced or have ended let go of their files here,
        // on this side; their rings live on while the mixer may read them.
        std::size_t keep = 0;
        for (std::size_t i = 0; i < active.size(); ++i) {
            TStreamPlay& p = *active[i];
            bool done = p.cancelled.load(std::memory_order_acquire) || p.ring.ended.load(std::memory_order_relaxed);
            if (done) {
                if (p.decoder) p.decoder->Close();
                continue;
            }
            if (keep != i) active[keep] = std::move(active[i]);
            ++keep;
        }
        active.resize(keep);
        if (hold.load(std::memory_order_acquire)) return active.empty();
        bool all = true;
        for (auto& p : active)
            if (!FillPlay(*p)) all = false;
        return all;
    }

    void Run() {
        bool workLeft = false;  // the last pass stopped at its limit
        for (;;) {
            {
                std::unique_lock<std::mutex> guard(lock);
                settled = lastSettled && incoming.empty();
                ++passes;
                settledSignal.notify_all();
                // A pass that stopped with work left goes on at once.
                const auto period = workLeft ? std::chrono::milliseconds(0) : kRefillPeriod;
                wake.wait_for(guard, period, [this] { return stop || kick || !incoming.empty(); });
                kick = false;
                if (stop) break;
            }
            lastSettled = Pass();
            workLeft = !lastSettled && !hold.load(std::memory_order_acquire);
        }
        for (auto& p : active)
            if (p->decoder) p->decoder->Close();
    }
};

// Never destroyed: channels in the game's globals may start or cancel plays
// while the program exits. The thread itself is stopped at exit.
TStreamer& Streamer() {
    static TStreamer* const streamer = new TStreamer;
    return *streamer;
}

void StopStreamer() {
    TStreamer& s = Streamer();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.stop = true;
    }
    s.wake.notify_all();
    if (s.thread.joinable()) s.thread.join();
}

// The browser's decoding: one pass at each hand-over to the browser.
void PumpOnPage() { Streamer().Pass(); }

}  // namespace

StreamPlayRef StartPlay(const std::string& path, bool loop) {
    auto play = std::make_shared<TStreamPlay>(path, loop);
    TStreamer& s = Streamer();
    if constexpr (web::kBrowser) {
        static const bool hooked = (web::SetYieldHook(PumpOnPage), true);
        (void)hooked;
        std::lock_guard<std::mutex> guard(s.lock);
        s.incoming.push_back(play);
        return play;
    }
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (!s.thread.joinable() && !s.stop) {
            s.thread = std::thread([&s] { s.Run(); });
            std::atexit(StopStreamer);
        }
        s.incoming.push_back(play);
        s.settled = false;
    }
    s.wake.notify_one();
    return play;
}

void CancelPlay(TStreamPlay& play) { play.cancelled.store(true, std::memory_order_release); }

void HoldDecoding(bool hold) {
    TStreamer& s = Streamer();
    s.hold.store(hold, std::memory_order_release);
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.kick = true;
    }
    s.wake.notify_one();
}

bool WaitUntilSettled() {
    TStreamer& s = Streamer();
    if constexpr (web::kBrowser) {
        // Decoded here and now: every ring filled, or every play ended.
        for (int pass = 0; pass < 1000; ++pass)
            if (s.Pass()) return true;
        return false;
    }
    std::unique_lock<std::mutex> guard(s.lock);
    if (!s.thread.joinable()) return true;
    // Two passes that began after this call: the first may have started
    // before the rings were last drained.
    const uint64_t target = s.passes + 2;
    s.kick = true;
    s.wake.notify_one();
    // Generous: only a wedged decoder takes this long, even on a loaded machine.
    return s.settledSignal.wait_for(guard, std::chrono::seconds(30), [&] {
        if (s.passes >= target && s.settled) return true;
        if (s.passes >= target - 1) {
            s.kick = true;
            s.wake.notify_one();
        }
        return false;
    });
}

}  // namespace sq::streaming
