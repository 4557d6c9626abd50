#include "platform/video/frame_stats.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace sq {

namespace {

// An hour at 60 frames a second.
constexpr std::size_t kReserveFrames = 60 * 60 * 60;

struct TRecorder {
    bool enabled = false;
    std::string path;
    std::vector<TFrameTime> frames;
    bool havePrevious = false;
    std::chrono::steady_clock::time_point lastWall;
    uint64_t lastCpu = 0;
};

TRecorder& Recorder() {
    static TRecorder recorder;
    return recorder;
}

uint64_t ThreadCpuMicros() {
    timespec ts{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts) != 0) return 0;
    return uint64_t(ts.tv_sec) * 1000000u + uint64_t(ts.tv_nsec) / 1000u;
}

uint32_t Clamp32(uint64_t v) { return v > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(v); }

// Nearest-rank percentile of sorted values.
double Percentile(const std::vector<uint32_t>& sorted, std::size_t percent) {
    if (sorted.empty()) return 0;
    std::size_t rank = (percent * sorted.size() + 99) / 100;
    rank = std::clamp<std::size_t>(rank, 1, sorted.size());
    return sorted[rank - 1] / 1000.0;
}

}  // namespace

void EnableFrameStats(const std::string& path) {
    TRecorder& r = Recorder();
    r.enabled = true;
    r.path = path;
    r.frames.reserve(kReserveFrames);
}

bool FrameStatsEnabled() { return Recorder().enabled; }

void NoteFramePresented() {
    TRecorder& r = Recorder();
    if (!r.enabled) return;
    auto now = std::chrono::steady_clock::now();
    uint64_t cpu = ThreadCpuMicros();
    TFrameTime t{0, 0};
    if (r.havePrevious) {
        auto wall = std::chrono::duration_cast<std::chrono::microseconds>(now - r.lastWall).count();
        t.intervalMicros = Clamp32(uint64_t(wall > 0 ? wall : 0));
        t.cpuMicros = Clamp32(cpu >= r.lastCpu ? cpu - r.lastCpu : 0);
    }
    r.frames.push_back(t);
    r.havePrevious = true;
    r.lastWall = now;
    r.lastCpu = cpu;
}

TFrameSummary SummariseFrames(const std::vector<TFrameTime>& frames) {
    TFrameSummary s;
    if (frames.size() < 2) return s;
    std::vector<uint32_t> wall, cpu;
    wall.reserve(frames.size() - 1);
    cpu.reserve(frames.size() - 1);
    for (std::size_t i = 1; i < frames.size(); ++i) {
        wall.push_back(frames[i].intervalMicros);
        cpu.push_back(frames[i].cpuMicros);
        if (frames[i].intervalMicros > 33000) ++s.over33Ms;
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    s.frames = wall.size();
    s.p50Ms = Percentile(wall, 50);
    s.p99Ms = Percentile(wall, 99);
    s.maxMs = wall.back() / 1000.0;
    s.cpuP50Ms = Percentile(cpu, 50);
    s.cpuP99Ms = Percentile(cpu, 99);
    s.cpuMaxMs = cpu.back() / 1000.0;
    return s;
}

bool WriteFrameStats() {
    TRecorder& r = Recorder();
    if (!r.enabled) return true;
    std::FILE* f = std::fopen(r.path.c_str(), "w");
    if (!f) {
        std::fprintf(stderr, "Snowquill: cannot write the frame times to %s\n", r.path.c_str());
        return false;
    }
    TFrameSummary s = SummariseFrames(r.frames);
    std::fprintf(f, "# frame interval_ms cpu_ms\n");
    for (std::size_t i = 0; i < r.frames.size(); ++i)
        std::fprintf(f, "%zu %.3f %.3f\n", i, r.frames[i].intervalMicros / 1000.0, r.frames[i].cpuMicros / 1000.0);
    std::fprintf(f, "# summary frames %zu\n", s.frames);
    std::fprintf(f, "# summary interval_ms p50 %.3f p99 %.3f max %.3f over_33ms %zu\n", s.p50Ms, s.p99Ms, s.maxMs,
                 s.over33Ms);
    std::fprintf(f, "# summary cpu_ms p50 %.3f p99 %.3f max %.3f\n", s.cpuP50Ms, s.cpuP99Ms, s.cpuMaxMs);
    bool ok = std::fflush(f) == 0 && !std::ferror(f);
    ok = std::fclose(f) == 0 && ok;
    if (!ok) std::fprintf(stderr, "Snowquill: cannot write the frame times to %s\n", r.path.c_str());
    return ok;
}

const std::vector<TFrameTime>& RecordedFrames() { return Recorder().frames; }

void ResetFrameStats() {
    TRecorder& r = Recorder();
    r.enabled = false;
    r.frames.clear();
    r.havePrevious = false;
}

}  // namespace sq
