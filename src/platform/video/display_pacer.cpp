#include "platform/video/display_pacer.h"

#include "platform/system/clock.h"

namespace sq {

void TFramePacer::Start(int hz, uint32_t now) {
    hz_ = hz > 0 ? hz : 0;
    step_ = hz_ ? 1000 / hz_ : 0;
    remainder_ = hz_ ? 1000 - hz_ * step_ : 0;
    gathered_ = 0;
    next_ = now;
}

void TFramePacer::WaitForNextFrame(IClock& clock) {
    if (!hz_) return;
    next_ += uint32_t(step_);
    gathered_ += remainder_;
    if (gathered_ >= hz_) {
        gathered_ -= hz_;
        next_ += 1;
    }
    uint32_t now = clock.Millis();
    if (int32_t(next_ - now) <= 0) {
        next_ = now;
        return;
    }
    clock.SleepUntil(next_);
}

}  // namespace sq
