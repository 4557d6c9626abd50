// Timers, frame counters and the degree tables.
#include "core/frame_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "platform/system/clock.h"

namespace {

class FrameHelpersTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock = std::make_shared<sq::TManualClock>(5000);
        sq::SetClock(clock);
    }
    void TearDown() override { sq::SetClock(nullptr); }
    std::shared_ptr<sq::TManualClock> clock;
};

TEST_F(FrameHelpersTest, OneShotTimer) {
    auto d = CDeltaTime::Create();
    EXPECT_EQ(d->TimerDone(), 1);
    d->StartTimer(100);
    clock->Advance(60);
    d->StartTimer(10);  // a running timer is not restarted
    clock->Advance(40);
    EXPECT_EQ(d->TimerDone(), 0);  // exactly 100 ms: not more than the length
    clock->Advance(1);
    EXPECT_EQ(d->TimerDone(), 1);
    EXPECT_EQ(d->timerStart, 0);
    EXPECT_EQ(d->TimerDone(), 1);
}

TEST_F(FrameHelpersTest, DeltaSecondsMeasuresBetweenUpdates) {
    auto d = CDeltaTime::Create();
    clock->Advance(250);
    d->Update();
    EXPECT_FLOAT_EQ(d->deltaSeconds, 0.25f);
    d->Update();
    EXPECT_FLOAT_EQ(d->deltaSeconds, 0.0f);
}

TEST_F(FrameHelpersTest, FpsWindowClosesOnlyAfterMoreThan1001ms) {
    CFPS f;
    f.Reset();
    for (int i = 0; i < 60; ++i) f.Tick();
    clock->Advance(1001);
    f.Tick();
    EXPECT_EQ(f.fps, 0);
    clock->Advance(1);
    f.Tick();
    EXPECT_EQ(f.fps, 62);
    EXPECT_EQ(f.maxFps, 62);
    EXPECT_EQ(f.minFps, 62);
    EXPECT_EQ(f.count, 0);
}

TEST(DegreeTables, AnglesWrapBothWays) {
    InitDegreeTables();
    EXPECT_EQ(SinDeg(360), SinDeg(0));
    EXPECT_EQ(SinDeg(-1), SinDeg(359));
    EXPECT_EQ(SinDeg(725), SinDeg(5));
    EXPECT_EQ(SinDeg(-90), SinDeg(270));
    EXPECT_FLOAT_EQ(SinDeg(90), 1.0f);
    EXPECT_FLOAT_EQ(CosDeg(180), -1.0f);
    EXPECT_EQ(SinDeg(30), float(std::sin(30 * M_PI / 180.0)));
}

}  // namespace
