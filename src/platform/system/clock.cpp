#include "platform/system/clock.h"

#include <chrono>
#include <thread>

#include "platform/replay/input_journal.h"
#include "platform/system/web.h"

namespace sq {

namespace {
using Steady = std::chrono::steady_clock;
const Steady::time_point kEpoch = Steady::now();
std::shared_ptr<IClock> current;
TSystemClock systemClock;
bool held = false;
uint32_t heldSince = 0;
uint32_t heldTotal = 0;  // every finished hold, taken off the source's reading
}  // namespace

TSystemClock::TSystemClock() = default;

uint64_t TSystemClock::Micros() {
    return uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(Steady::now() - kEpoch).count());
}

uint32_t TSystemClock::Millis() { return uint32_t(Micros() / 1000); }

void TSystemClock::SleepUntil(uint32_t ms) {
    // The target is compared as a 32-bit difference, like every other reading
    // of the millisecond counter, so it still works across the wrap.
    uint64_t now = Micros();
    int32_t ahead = int32_t(ms - uint32_t(now / 1000));
    if (ahead <= 0) return;
    uint64_t target = (now / 1000 + uint64_t(ahead)) * 1000;
    if constexpr (web::kBrowser) {
        // The page's thread waits by handing control to the browser.
        while ((now = Micros()) < target) web::Sleep(uint32_t((target - now + 999) / 1000));
        return;
    }
    // Sleeps the whole way: the kernel's timers wake well within a
    // millisecond, and the processor stays free for the rest of the machine
    // (spinning the last stretch cost up to two milliseconds a frame, and
    // every moment of a wait made of short sleeps).
    while ((now = Micros()) < target) std::this_thread::sleep_for(std::chrono::microseconds(target - now));
}

void TSystemClock::Rest(uint32_t ms) {
    if constexpr (web::kBrowser)
        web::Sleep(ms);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SetClock(std::shared_ptr<IClock> clock) { current = std::move(clock); }

std::shared_ptr<IClock> InstalledClock() { return current; }

IClock& Clock() { return current ? *current : static_cast<IClock&>(systemClock); }

// The journal records the reading the game sees (after any pause), or gives
// back the recorded one on replay.
int CurrentMillis() { return int(JournalMillis((held ? heldSince : Clock().Millis()) - heldTotal)); }

void HoldGameClock(bool hold) {
    if (hold == held) return;
    if (hold)
        heldSince = Clock().Millis();
    else
        heldTotal += Clock().Millis() - heldSince;
    held = hold;
}

bool GameClockHeld() { return held; }

namespace {
// Reads the latest replayed clock value and never sleeps, so frame pacing
// and waits pass at once.
class TJournalClock : public IClock {
public:
    uint32_t Millis() override { return JournalLastMillis(); }
    void SleepUntil(uint32_t) override {}
};
}  // namespace

std::shared_ptr<IClock> MakeJournalClock() { return std::make_shared<TJournalClock>(); }

}  // namespace sq
