// Holding the game clock (the pause): no held time ever reaches the game.
#include <gtest/gtest.h>

#include <memory>

#include "platform/system/clock.h"

using namespace sq;

TEST(GameClockHold, HeldTimeNeverReachesTheGame) {
    auto clock = std::make_shared<TManualClock>(5000);
    SetClock(clock);
    EXPECT_EQ(CurrentMillis(), 5000);
    HoldGameClock(true);
    EXPECT_TRUE(GameClockHeld());
    clock->Advance(60000);
    EXPECT_EQ(CurrentMillis(), 5000);  // stands still while held
    HoldGameClock(true);               // a second hold changes nothing
    clock->Advance(1000);
    HoldGameClock(false);
    EXPECT_EQ(CurrentMillis(), 5000);  // goes on from where it stopped
    clock->Advance(250);
    EXPECT_EQ(CurrentMillis(), 5250);
    HoldGameClock(false);  // releasing twice takes nothing more off
    EXPECT_EQ(CurrentMillis(), 5250);
    // Holds add up.
    HoldGameClock(true);
    clock->Advance(999);
    HoldGameClock(false);
    clock->Advance(1);
    EXPECT_EQ(CurrentMillis(), 5251);
    // The source itself kept running for the frame pacing.
    EXPECT_EQ(clock->Peek(), 5000u + 60000u + 1000u + 250u + 999u + 1u);
    SetClock(nullptr);
}
