// A timedemo's frame times: the percentiles agree with a sorted list of every
// time to the histogram's step, frames longer than its range are still
// counted and reported, and an hour of frames costs no more memory than one.
#include "app/frame_timer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "alloc_counter.h"

namespace {

TEST(FrameTimer, PercentilesMatchTheSortedTimesAndLongFramesCount) {
    TFrameTimer timer;
    EXPECT_EQ(timer.Report(), "timedemo: no frames were drawn");
    std::mt19937 random(7);
    std::lognormal_distribution<double> spread(0.0, 0.6);
    std::vector<double> times;
    for (int i = 0; i < 20000; ++i) {
        const double ms = i % 997 == 0 ? 180.0 + i / 997 : spread(random);  // a few stalls past the range
        times.push_back(ms);
        timer.AddFrame(ms);
    }
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    for (double p : {0.0, 0.1, 0.5, 0.9, 0.99}) {
        const double exact = sorted[std::min(sorted.size() - 1, std::size_t(p * double(sorted.size())))];
        EXPECT_NEAR(timer.Percentile(p), exact, 0.0051) << p;
    }
    EXPECT_DOUBLE_EQ(timer.Percentile(1.0), sorted.back()) << "the longest frame, though past the histogram";
    const std::string report = timer.Report();
    EXPECT_NE(report.find("20000 frames"), std::string::npos) << report;
}

TEST(FrameTimer, AnHourOfFramesAllocatesNothing) {
    TFrameTimer timer;
    sqtest::StartCountingAllocations();
    for (int i = 0; i < 60 * 60 * 1000; ++i) timer.AddFrame(1.0 + (i % 50) * 0.1);
    EXPECT_EQ(sqtest::StopCountingAllocations(), 0);
    EXPECT_NEAR(timer.Percentile(0.5), 3.5, 0.011);
}

}  // namespace
