// Animated sprites: ids, frame stepping by elapsed time, rest frames, screen test.
#include <gtest/gtest.h>

#include "core/frame_helpers.h"
#include "platform/system/clock.h"
#include "platform/video/graphics.h"
#include "sprite/easy_sprite.h"

namespace {

class SpriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock = std::make_shared<sq::TManualClock>(5000);
        sq::SetClock(clock);
        sprite.Init(nullptr, 28, 28);
    }
    void TearDown() override { sq::SetClock(nullptr); }
    int Shown() const { return sprite.CurrentFrame(); }

    std::shared_ptr<sq::TManualClock> clock;
    CEasySprite sprite;
};

TEST_F(SpriteTest, AnimationIdsCountFromZeroInOrderOfAdding) {
    EXPECT_EQ(sprite.AddAnim(8, 8, 3, 15), 0);
    EXPECT_EQ(sprite.AddAnim(0, 8, 0, 15), 1);
    EXPECT_EQ(sprite.AddAnim(3, 1, 1, 15), 2);
    EXPECT_EQ(sprite.AddAnim(12, 2, 1, 15), 3);
}

TEST_F(SpriteTest, SelectionShowsStripFrameZeroUntilTheFirstStep) {
    int id = sprite.AddAnim(8, 8, 3, 15);
    sprite.SetAnim(id);
    EXPECT_EQ(Shown(), 0);
    clock->Advance(100);
    sprite.Update();
    EXPECT_EQ(Shown(), 9);  // trunc(fmod(0 + 1.5, 8) + 8)
    sprite.Stop();
    EXPECT_EQ(Shown(), 11);  // first frame + rest offset
    clock->Advance(500);
    sprite.Update();
    EXPECT_EQ(Shown(), 11) << "a stopped sprite does not advance";
    sprite.Resume();
    clock->Advance(100);
    sprite.Update();
    EXPECT_GE(Shown(), 8);
    EXPECT_LT(Shown(), 16);
}

TEST_F(SpriteTest, SelectingTheCurrentAnimationKeepsItsFrame) {
    int a = sprite.AddAnim(0, 8, 0, 15);
    sprite.SetAnim(a);
    clock->Advance(200);
    sprite.Update();
    const float frame = sprite.currentAnim->frame;
    sprite.SetAnim(a);
    EXPECT_EQ(sprite.currentAnim->frame, frame);
    EXPECT_EQ(sprite.currentAnimId, a);
}

TEST_F(SpriteTest, HalfSecondStepsWrapInsideTheRun) {
    int id = sprite.AddAnim(8, 8, 3, 15);
    sprite.SetAnim(id);
    clock->Advance(500);
    sprite.Update();
    EXPECT_FLOAT_EQ(sprite.currentAnim->frame, 15.5f);  // 7.5 frames on from 0
    clock->Advance(500);
    sprite.Update();
    EXPECT_FLOAT_EQ(sprite.currentAnim->frame, 15.0f);  // fmod(15.5 + 7.5, 8) + 8
    for (int i = 0; i < 20; ++i) {
        clock->Advance(37);
        sprite.Update();
        EXPECT_GE(Shown(), 8);
        EXPECT_LE(Shown(), 15);
    }
}

TEST_F(SpriteTest, StopTwiceKeepsTheRestFrameAndStoppedStepsLeaveTheClock) {
    int id = sprite.AddAnim(8, 8, 3, 15);
    sprite.SetAnim(id);
    sprite.Stop();
    const int clockTime = sprite.currentAnim->clock->lastTime;
    sprite.currentAnim->frame = 13;  // as if moved by someone else
    sprite.Stop();
    EXPECT_EQ(Shown(), 13);
    clock->Advance(300);
    sprite.Update();
    EXPECT_EQ(sprite.currentAnim->clock->lastTime, clockTime);
}

TEST_F(SpriteTest, TheBlankRecordOfInitNeverSteps) {
    sprite.Update();  // nothing selected yet: no clock, nothing happens
    EXPECT_EQ(Shown(), 0);
}

TEST_F(SpriteTest, SelectingAMissingAnimationStopsTheGame) {
    sprite.AddAnim(0, 8, 0, 15);
    EXPECT_THROW(sprite.SetAnim(3), sq::TRuntimeError);
}

TEST_F(SpriteTest, FreeAnimsDropsEverything) {
    sprite.AddAnim(0, 8, 0, 15);
    sprite.SetAnim(0);
    sprite.FreeAnims();
    EXPECT_EQ(sprite.lastAnimId, -1);
    EXPECT_FALSE(sprite.animList);
    EXPECT_FALSE(sprite.currentAnim);
    EXPECT_EQ(sprite.currentAnimId, 0);
}

TEST_F(SpriteTest, OnScreenCountsATouchingEdge) {
    sq::SetGraphicsBackend(sq::GraphicsBackend::kHeadless);
    if (!sq::GraphicsModeOpen()) {
        ASSERT_TRUE(sq::OpenGraphicsMode(320, 240, 32, 60, 0));
    }
    sprite.y = 100;
    sprite.x = -28;
    EXPECT_EQ(sprite.IsOnScreen(0), 1);
    sprite.x = -28.5f;
    EXPECT_EQ(sprite.IsOnScreen(0), 0);
    sprite.x = -14;  // centred: half a frame may stick out
    EXPECT_EQ(sprite.IsOnScreen(1), 1);
    sprite.x = 335;
    EXPECT_EQ(sprite.IsOnScreen(1), 0);
}

}  // namespace
