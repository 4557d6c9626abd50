#pragma once
// A record of how long every frame took, for finding stutters: the time
// between two presented frames and the processor time the game thread spent
// on it. Off unless a file is named; written once at exit.
#include <cstdint>
#include <string>
#include <vector>

namespace sq {

struct TFrameTime {
    uint32_t intervalMicros;  // since the frame before (0 for the first)
    uint32_t cpuMicros;       // game-thread processor time over the same span
};

struct TFrameSummary {
    std::size_t frames = 0;
    double p50Ms = 0, p99Ms = 0, maxMs = 0;  // of the intervals
    double cpuP50Ms = 0, cpuP99Ms = 0, cpuMaxMs = 0;
    std::size_t over33Ms = 0;  // intervals longer than two 60 Hz frames
};

// Starts recording; `path` is where WriteFrameStats puts the report.
void EnableFrameStats(const std::string& path);
bool FrameStatsEnabled();
// Called once per presented frame. Allocates nothing for the first hour.
void NoteFramePresented();
// Writes the report (when recording); false when the file cannot be written.
bool WriteFrameStats();

// The report's figures for a set of frame times (the first frame, which has
// no interval, is left out).
TFrameSummary SummariseFrames(const std::vector<TFrameTime>& frames);
// Tests: the frames recorded so far, and a fresh start (not recording).
const std::vector<TFrameTime>& RecordedFrames();
void ResetFrameStats();

}  // namespace sq
