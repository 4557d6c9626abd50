#pragma once
// Frame times of a timedemo: the time between presented frames, kept as a
// histogram of 10-microsecond steps, so that a run of any length holds the
// same few kilobytes, and reported as the count, the rate and the median and
// 99th-percentile times.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

class TFrameTimer {
public:
    TFrameTimer();
    // Notes the time since the last call whenever the drawing layer has
    // presented another frame since then.
    void Observe();
    // One frame of `ms` milliseconds (what Observe adds; tests).
    void AddFrame(double ms);
    std::string Report() const;
    // The frame time at fraction `p` (0..1) of the sorted times, to the
    // histogram's step; a time past its range is given as the longest seen.
    double Percentile(double p) const;

private:
    static constexpr double kStepMs = 0.01;
    static constexpr int kSteps = 10000;  // 0 to 100 ms
    std::vector<uint32_t> counts_;        // kSteps steps and one for longer frames
    uint64_t frames_ = 0;
    double totalMs_ = 0, longestMs_ = 0;
    uint64_t lastFrames_ = 0;
    bool started_ = false;
    std::chrono::steady_clock::time_point last_;
};
