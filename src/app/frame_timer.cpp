#include "app/frame_timer.h"

#include <algorithm>
#include <cstdio>

#include "platform/video/graphics.h"

TFrameTimer::TFrameTimer() : counts_(std::size_t(kSteps) + 1, 0) {}

void TFrameTimer::Observe() {
    const uint64_t frames = sq::DrawStats().frames;
    if (frames == lastFrames_) return;
    lastFrames_ = frames;
    const auto now = std::chrono::steady_clock::now();
    if (started_) AddFrame(std::chrono::duration<double, std::milli>(now - last_).count());
    started_ = true;
    last_ = now;
}

void TFrameTimer::AddFrame(double ms) {
    if (ms < 0) ms = 0;
    const int step = ms >= kSteps * kStepMs ? kSteps : std::min(int(ms / kStepMs), kSteps - 1);
    ++counts_[std::size_t(step)];
    ++frames_;
    totalMs_ += ms;
    longestMs_ = std::max(longestMs_, ms);
}

double TFrameTimer::Percentile(double p) const {
    if (frames_ == 0) return 0;
    // The same frame a sorted list would give at index p * frames.
    const uint64_t index = std::min(frames_ - 1, uint64_t(p * double(frames_)));
    uint64_t seen = 0;
    for (int step = 0; step < kSteps; ++step) {
        seen += counts_[std::size_t(step)];
        if (seen > index) return std::min((step + 0.5) * kStepMs, longestMs_);
    }
    return longestMs_;
}

std::string TFrameTimer::Report() const {
    if (frames_ == 0) return "timedemo: no frames were drawn";
    char buf[200];
    std::snprintf(buf, sizeof buf,
                  "timedemo: %llu frames in %.2f s, %.1f frames per second, frame time p50 %.2f ms, p99 %.2f ms",
                  static_cast<unsigned long long>(frames_), totalMs_ / 1000.0,
                  totalMs_ > 0 ? double(frames_) * 1000.0 / totalMs_ : 0.0, Percentile(0.5), Percentile(0.99));
    return buf;
}
