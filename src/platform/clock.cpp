#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace sq {

namespace {
using Steady = std::chrono::steady_clock;
const Steady::time_point kEpoch = Steady::now();
std::shared_ptr<IClock> current;
TSystemClock systemClock;
}  // namespace

TSystemClock::TSystemClock() = default;

uint64_t TSystemClock::Micros() {
    return uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(Steady::now() - kEpoch).count());
}

uint32_t TSystemClock::Millis() { return uint32_t(Micros() / 1000); }

void TSystemClock::SleepUntil(uint32_t ms) {
    // Sleep most of the way, then spin the last stretch: the scheduler's
    // wake-up is too coarse for frames that must land within a millisecond.
    uint64_t target = uint64_t(ms) * 1000;
    uint64_t now = Micros();
    if (int64_t(uint32_t(ms) - Millis()) <= 0) return;
    if (target > now + 2000) std::this_thread::sleep_for(std::chrono::microseconds(target - now - 1500));
    while (Micros() < target) std::this_thread::yield();
}

void SetClock(std::shared_ptr<IClock> clock) { current = std::move(clock); }

IClock& Clock() { return current ? *current : static_cast<IClock&>(systemClock); }

int CurrentMillis() { return int(Clock().Millis()); }

}  // namespace sq
