#include "platform/system/clock.h"

#include <gtest/gtest.h>

using namespace sq;

namespace {

TEST(Clock, ManualClockDrivesTheGameCounter) {
    auto clock = std::make_shared<TManualClock>(1000, 0);
    SetClock(clock);
    EXPECT_EQ(CurrentMillis(), 1000);
    clock->Advance(5);
    EXPECT_EQ(CurrentMillis(), 1005);
    clock->SetAutoStep(2);  // a busy-wait on the clock still comes to an end
    EXPECT_EQ(CurrentMillis(), 1005);
    EXPECT_EQ(CurrentMillis(), 1007);
    Clock().SleepUntil(2000);
    EXPECT_EQ(clock->Peek(), 2000u);
    Clock().SleepUntil(10);  // in the past: no jump back
    EXPECT_EQ(clock->Peek(), 2000u);
    SetClock(nullptr);
}

TEST(Clock, ManualClockWrapsLikeTheSystemCounter) {
    auto clock = std::make_shared<TManualClock>(0xFFFFFFF0u, 0);
    SetClock(clock);
    int before = CurrentMillis();
    clock->Advance(0x20);
    int after = CurrentMillis();
    EXPECT_EQ(uint32_t(after) - uint32_t(before), 0x20u);
    clock->SleepUntil(0x30);  // after the wrap: still ahead
    EXPECT_EQ(clock->Peek(), 0x30u);
    SetClock(nullptr);
}

TEST(Clock, SystemClockDoesNotWaitForThePast) {
    SetClock(nullptr);
    TSystemClock system;
    uint32_t now = system.Millis();
    system.SleepUntil(now - 5);  // returns at once
    system.SleepUntil(now - 0x40000000u);
    EXPECT_GE(int32_t(system.Millis() - now), 0);
    EXPECT_LE(system.Micros() / 1000 - now, 1000u);
}

}  // namespace
