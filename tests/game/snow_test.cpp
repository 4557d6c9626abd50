// Snow: creation, speed wandering and its bounds, wrapping at the edges.
#include "game/snow.h"

#include <gtest/gtest.h>

#include "core/frame_helpers.h"
#include "core/timed_speed.h"
#include "platform/system/random.h"

namespace {

class SnowTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitDegreeTables();
        sq::SeedRandom(12345);
        tickDelta = 1.0f;
    }
    TFlake& One(CSnow& s) { return **s.flakes.begin(); }
};

TEST_F(SnowTest, CreateZeroGivesAnEmptyField) {
    auto s = CSnow::Create(0);
    EXPECT_TRUE(s->flakes.Empty());
    s->Update();
}

TEST_F(SnowTest, FlakesStartOnScreenAndFasterOnesAreBrighter) {
    auto s = CSnow::Create(300);
    EXPECT_EQ(s->flakes.Size(), 300u);
    for (const auto& f : s->flakes) {
        EXPECT_GE(f->x, 0);
        EXPECT_LE(f->x, 320);
        EXPECT_EQ(f->x, float(int(f->x)));
        EXPECT_GE(f->fallSpeed, 0.02f);
        EXPECT_LT(f->fallSpeed, 0.2f);
        EXPECT_EQ(f->red, int(110 + f->fallSpeed * 1000));
        EXPECT_EQ(f->red, f->green);
        EXPECT_EQ(f->green, f->blue);
    }
}

TEST_F(SnowTest, SpeedsStayBetweenZeroAndALittleOverPointThree) {
    auto s = CSnow::Create(50);
    for (int step = 0; step < 5000; ++step) {
        s->Update();
        for (const auto& f : s->flakes) {
            ASSERT_GE(f->fallSpeed, 0.0f);
            ASSERT_LE(f->fallSpeed, 0.304f);
        }
    }
}

TEST_F(SnowTest, ANegativeSpeedBecomesASlowOne) {
    auto s = CSnow::Create(1);
    One(*s).fallSpeed = -0.01f;
    s->Update();
    EXPECT_GE(One(*s).fallSpeed, 0.001f);
    EXPECT_LT(One(*s).fallSpeed, 0.02f);
    One(*s).fallSpeed = 0.31f;
    s->Update();
    EXPECT_GE(One(*s).fallSpeed, 0.002f);
    EXPECT_LT(One(*s).fallSpeed, 0.02f);
}

TEST_F(SnowTest, FlakesWrapBeforeTheyMove) {
    auto s = CSnow::Create(1);
    TFlake& f = One(*s);
    f.y = 240.5f;
    f.x = 320.5f;
    s->Update();
    EXPECT_FLOAT_EQ(f.y, f.fallSpeed);
    EXPECT_LT(f.x, 0.3f);
    EXPECT_GT(f.x, -0.11f);
    f.y = 240.0f;  // not yet past the edge
    s->Update();
    EXPECT_GT(f.y, 240.0f);
}

TEST_F(SnowTest, TheDriftIsRightwardsAndTheLeftEdgeDoesNotWrap) {
    auto s = CSnow::Create(1);
    TFlake& f = One(*s);
    f.x = 0;
    f.y = 0;
    for (int i = 0; i < 200; ++i) {
        s->Update();
        f.y = 0;
    }
    EXPECT_GT(f.x, 10.0f);  // about 0.078 per step on average
    EXPECT_LT(f.x, 25.0f);
    f.x = -5;
    s->Update();
    EXPECT_LT(f.x, -4.5f) << "a flake left of the screen is not wrapped";
}

TEST_F(SnowTest, DestroyEmptiesTheField) {
    auto s = CSnow::Create(10);
    auto keep = s;
    s = CSnow::Destroy(s);
    EXPECT_FALSE(s);
    EXPECT_TRUE(keep->flakes.Empty());
}

}  // namespace
