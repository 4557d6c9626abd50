// The fixed-step arithmetic of a screen's Run, driven by a hand-moved clock.
#include "core/timed_speed.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/system/clock.h"

namespace {

class TCountingScreen : public CTimedSpeed {
public:
    std::vector<float> deltas;
    int Update() override {
        deltas.push_back(tickDelta);
        return int(deltas.size());
    }
};

class TimedSpeedTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock = std::make_shared<sq::TManualClock>(10000);
        sq::SetClock(clock);
        screen.Init();
    }
    void TearDown() override { sq::SetClock(nullptr); }
    std::vector<float> Frame(uint32_t ms) {
        screen.deltas.clear();
        clock->Advance(ms);
        screen.Run();
        return screen.deltas;
    }
    std::shared_ptr<sq::TManualClock> clock;
    TCountingScreen screen;
};

TEST_F(TimedSpeedTest, WholeAndPartialSteps) {
    EXPECT_EQ(Frame(10), (std::vector<float>{1.0f, 1.0f}));  // remainder 0 is skipped
    EXPECT_EQ(Frame(12), (std::vector<float>{1.0f, 1.0f, 0.4f}));
    auto short_frame = Frame(3);
    ASSERT_EQ(short_frame.size(), 1u);
    EXPECT_NEAR(short_frame[0], 0.6f, 1e-6);
    EXPECT_TRUE(Frame(0).empty());
}

TEST_F(TimedSpeedTest, SlowFramesAreCappedAndStallsRepeatTheLastCount) {
    EXPECT_EQ(Frame(300).size(), 50u);  // 60 steps due, at most 50
    EXPECT_EQ(Frame(20).size(), 4u);
    EXPECT_EQ(Frame(700).size(), 4u);  // 140 steps: a stall repeats the last frame
}

TEST_F(TimedSpeedTest, ClockWrapRepeatsTheLastCount) {
    Frame(15);
    clock->Set(5);  // the counter went backwards
    screen.deltas.clear();
    screen.Run();
    EXPECT_EQ(screen.deltas.size(), 3u);
}

TEST_F(TimedSpeedTest, RunReturnsTheLastUpdateStatusOrZero) {
    clock->Advance(12);
    EXPECT_EQ(screen.Run(), 3);
    EXPECT_EQ(screen.Run(), 0);
}

}  // namespace
