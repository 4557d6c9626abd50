#pragma once
// platform/system: the clock, quit signals, the error box, runtime errors,
// the browser glue and small helpers (lists, text, random). Uses files/;
// replay/ to journal clock readings and draws, video/ for the box's font.
//
// The millisecond clock. Every reading of time in the game goes through the
// current clock source, so tests can drive time by hand.
#include <cstdint>
#include <memory>

namespace sq {

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since some fixed point; wraps after 2^32 ms.
    virtual uint32_t Millis() = 0;
    // Sleeps until Millis() would read `ms` (or returns at once if it already
    // does). A test clock simply jumps there.
    virtual void SleepUntil(uint32_t ms) = 0;
    // Gives the processor away for about `ms` milliseconds, with no attempt
    // at precision: for waits that poll or hold still, not for frame pacing.
    virtual void Rest(uint32_t ms) { SleepUntil(Millis() + ms); }
};

// Real time from a monotonic high-resolution clock.
class TSystemClock : public IClock {
public:
    TSystemClock();
    uint32_t Millis() override;
    void SleepUntil(uint32_t ms) override;
    void Rest(uint32_t ms) override;
    // Microseconds since the program started.
    uint64_t Micros();
};

// A clock that only moves when told to. `autoStep` ms are added after every
// reading, so busy-waits on the clock (WaitMillis) still come to an end.
class TManualClock : public IClock {
public:
    explicit TManualClock(uint32_t start = 1000, uint32_t autoStep = 0) : now_(start), autoStep_(autoStep) {}
    uint32_t Millis() override {
        uint32_t t = now_;
        now_ += autoStep_;
        return t;
    }
    void SleepUntil(uint32_t ms) override {
        if (int32_t(ms - now_) > 0) now_ = ms;
    }
    void Advance(uint32_t ms) { now_ += ms; }
    void Set(uint32_t ms) { now_ = ms; }
    void SetAutoStep(uint32_t ms) { autoStep_ = ms; }
    uint32_t Peek() const { return now_; }

private:
    uint32_t now_;
    uint32_t autoStep_;
};

// Installs a clock source (nullptr restores the system clock).
void SetClock(std::shared_ptr<IClock> clock);
IClock& Clock();
// The installed clock source (nullptr: the system clock), to put back later.
std::shared_ptr<IClock> InstalledClock();

// The game's millisecond counter. It stands still while the game is held
// (paused) and goes on from there afterwards, so the time spent held never
// reaches the game; the clock source itself keeps running for frame pacing.
// Every reading passes through the input journal, which records it or, in a
// replay, gives back the recorded one.
int CurrentMillis();
void HoldGameClock(bool held);
bool GameClockHeld();

// A clock for replays: the latest replayed reading; it never sleeps, so
// frame pacing and waits pass at once.
std::shared_ptr<IClock> MakeJournalClock();

}  // namespace sq
