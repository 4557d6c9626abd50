// The frame-time report: its figures, and the file written at exit.
#include "platform/video/frame_stats.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

using namespace sq;

namespace {

TEST(FrameStats, SummaryLeavesOutTheFirstFrameAndCountsLongOnes) {
    std::vector<TFrameTime> frames;
    frames.push_back({0, 0});  // the first frame has nothing before it
    for (int i = 0; i < 97; ++i) frames.push_back({16667, 2000});
    frames.push_back({33000, 4000});     // exactly two frames: not over
    frames.push_back({33001, 5000});     // over
    frames.push_back({180000, 150000});  // a frozen frame
    TFrameSummary s = SummariseFrames(frames);
    EXPECT_EQ(s.frames, 100u);
    EXPECT_DOUBLE_EQ(s.p50Ms, 16.667);
    EXPECT_DOUBLE_EQ(s.p99Ms, 33.001);
    EXPECT_DOUBLE_EQ(s.maxMs, 180.0);
    EXPECT_EQ(s.over33Ms, 2u);
    EXPECT_DOUBLE_EQ(s.cpuP50Ms, 2.0);
    EXPECT_DOUBLE_EQ(s.cpuMaxMs, 150.0);

    EXPECT_EQ(SummariseFrames({}).frames, 0u);
    EXPECT_EQ(SummariseFrames({{0, 0}}).frames, 0u);
}

TEST(FrameStats, RecordsEveryPresentedFrameAndWritesTheReport) {
    ResetFrameStats();
    NoteFramePresented();  // not recording: nothing kept
    EXPECT_TRUE(RecordedFrames().empty());
    EXPECT_TRUE(WriteFrameStats()) << "nothing asked, nothing to write";

    const auto path = std::filesystem::temp_directory_path() /
                      ("sq_frames_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".txt");
    EnableFrameStats(path.string());
    for (int i = 0; i < 5; ++i) NoteFramePresented();
    ASSERT_EQ(RecordedFrames().size(), 5u);
    EXPECT_EQ(RecordedFrames()[0].intervalMicros, 0u);
    ASSERT_TRUE(WriteFrameStats());

    std::ifstream in(path);
    std::string line;
    int rows = 0;
    std::vector<std::string> summary;
    while (std::getline(in, line)) {
        if (line.rfind("# summary", 0) == 0)
            summary.push_back(line);
        else if (!line.empty() && line[0] != '#')
            ++rows;
    }
    EXPECT_EQ(rows, 5);
    ASSERT_EQ(summary.size(), 3u);
    EXPECT_EQ(summary[0], "# summary frames 4");
    EXPECT_NE(summary[1].find("p50"), std::string::npos);
    EXPECT_NE(summary[1].find("over_33ms"), std::string::npos);

    // A place that cannot be written is reported, not hidden.
    EnableFrameStats((std::filesystem::temp_directory_path() / "no_such_dir_sq" / "f.txt").string());
    EXPECT_FALSE(WriteFrameStats());
    std::filesystem::remove(path);
    ResetFrameStats();
}

}  // namespace
