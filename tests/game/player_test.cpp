// The player: walking and friction, jumps, walls and map edges, the camera,
// pick-ups and the exit, throws.
#include "game/player.h"

#include <cmath>

#include "core/globals.h"
#include "game/game_score.h"
#include "game/live_bar.h"
#include "game/shoot.h"
#include "game_test_support.h"
#include "platform/audio/sound.h"

namespace {

// ---- Walking, friction and the rest frames ----
class PlayerWalkTest : public LevelFixture {
protected:
    void SetUp() override {
        LevelFixture::SetUp();
        Load(FlatRoom(), 100, 163);
        Settle();
    }
};

TEST_F(PlayerWalkTest, StandsOnTheFloorWithoutSinking) {
    const float y = P().y;
    Settle(400);
    EXPECT_NEAR(P().y, y, 0.1f);
    EXPECT_LT(int(P().y + 28), int(kFloorTop) + 1);
    EXPECT_EQ(P().jumping, 0);
}

TEST_F(PlayerWalkTest, HoldingRightPassesTheLimitByOneStepOnly) {
    Steps(kSimRight, 200);
    EXPECT_GT(PS().vx, 0.4f);
    EXPECT_NEAR(PS().vx, 0.405f, 0.0005f);
    EXPECT_EQ(P().facing, 0);
    EXPECT_EQ(PS().currentAnimId, P().walkRightAnim);
    EXPECT_EQ(PS().stopped, 0);
}

TEST_F(PlayerWalkTest, FrictionStopsExactlyOnTheRestFrame) {
    Steps(kSimRight, 100);
    int n = 0;
    while (PS().vx != 0 && n < 200) {
        sim->Step(0);
        ++n;
    }
    EXPECT_EQ(PS().vx, 0.0f);
    EXPECT_NEAR(n, 81, 2);  // 0.405 / 0.005
    EXPECT_EQ(PS().CurrentFrame(), 11);

    Steps(kSimLeft, 100);
    EXPECT_EQ(P().facing, 1);
    Steps(0, 200);
    EXPECT_EQ(PS().vx, 0.0f);
    EXPECT_EQ(PS().CurrentFrame(), 0);
}

TEST_F(PlayerWalkTest, RightWinsWhenBothAreHeld) {
    Steps(kSimLeft | kSimRight, 50);
    EXPECT_GT(PS().vx, 0);
    EXPECT_EQ(P().facing, 0);
}

TEST_F(PlayerWalkTest, WalkingCoversTheExpectedDistance) {
    const float x0 = P().x;
    Steps(kSimRight, 400);
    // 80 steps of acceleration (about 16 px), then 320 at 0.405.
    EXPECT_NEAR(P().x - x0, 16.2f + 320 * 0.405f, 2.0f);
}

TEST_F(PlayerWalkTest, FootstepsAlternateSides) {
    const float pan0 = P().footstepPan;
    sim->Step(kSimRight);
    EXPECT_FLOAT_EQ(P().footstepPan, -pan0);
    EXPECT_FLOAT_EQ(P().footstepChannel->Balance(), -pan0);
    EXPECT_FLOAT_EQ(P().footstepChannel->Gain(), 0.9f);
    const float rate = P().footstepChannel->PlaybackRate();
    EXPECT_GE(rate, 1.0f);
    EXPECT_LT(rate, 1.1f);
    int n = 0;
    while (P().footstepPan != pan0 && n < 1000) {
        sim->Step(kSimRight);
        ++n;
    }
    EXPECT_FLOAT_EQ(P().footstepPan, pan0) << "the next footstep comes from the other side";
    EXPECT_GT(n, 10) << "a footstep waits for the previous one to end";
}

// ---- Jumping, head bumps and landing ----
class PlayerJumpTest : public LevelFixture {};

TEST_F(PlayerJumpTest, AJumpFromLevelGroundRisesFor55StepsAndAbout46Pixels) {
    Load(FlatRoom(), 100, 163);
    Settle();
    const float ground = P().y;
    int rising = 0;
    float top = ground;
    float prev = ground;
    sim->Step(kSimUp);
    EXPECT_EQ(P().jumping, 1);
    EXPECT_FLOAT_EQ(P().jumpChannel->Gain(), 0.7f);
    for (int i = 0; i < 200; ++i) {
        if (P().y < prev) ++rising;
        prev = P().y;
        top = std::min(top, P().y);
        sim->Step(0);
    }
    EXPECT_NEAR(rising, 55, 1);
    EXPECT_NEAR(ground - top, 46.2f, 1.0f);
    EXPECT_EQ(P().jumping, 0) << "landed";
    EXPECT_NEAR(P().y, ground, 1.0f);
}

TEST_F(PlayerJumpTest, HoldingUpJumpsAgainOnLanding) {
    Load(FlatRoom(), 100, 163);
    Settle();
    int jumps = 0, was = 0;
    for (int i = 0; i < 600; ++i) {
        sim->Step(kSimUp);
        if (P().jumping && !was) ++jumps;
        was = P().jumping;
    }
    EXPECT_GE(jumps, 4);
}

TEST_F(PlayerJumpTest, TheCeilingStopsTheRiseAtOnce) {
    auto rows = FlatRoom();
    rows[8] = "#......................................#";
    rows[8].replace(5, 6, "######");  // a ceiling over x 80..175, bottom at y = 144
    Load(rows, 100, 163);
    Settle();
    sim->Step(kSimUp);
    int n = 0;
    while (PS().vy < 0 && n < 100) {
        sim->Step(0);
        ++n;
    }
    EXPECT_LT(n, 25);
    EXPECT_GT(P().y + 6, 128) << "the head never passes through the ceiling";
    EXPECT_EQ(P().jumping, 1) << "the jump stays spent until the landing";
    Steps(0, 100);
    EXPECT_EQ(P().jumping, 0);
}

TEST_F(PlayerJumpTest, WalkingOffALedgeAllowsOneJumpInTheAir) {
    auto rows = FlatRoom();
    rows[9] = "#######................................#";  // a ledge with its top at y = 144
    Load(rows, 40, 115);
    Settle();
    ASSERT_NEAR(P().y + 28, 144, 1.0f);
    int n = 0;
    while (P().y + 28 < 146 && n < 500) {
        sim->Step(kSimRight);
        ++n;
    }
    ASSERT_LT(n, 500);
    EXPECT_EQ(P().jumping, 0) << "falling off does not count as a jump";
    sim->Step(kSimUp | kSimRight);
    EXPECT_EQ(P().jumping, 1);
    EXPECT_FLOAT_EQ(PS().vy, -1.65f + 0.03f);
}

// ---- Wall bounces and map edges ----
class PlayerWallTest : public LevelFixture {};

TEST_F(PlayerWallTest, AWallPutsThePlayerBackAndReversesItsSpeed) {
    auto rows = FlatRoom();
    rows[11].replace(20, 1, "#");  // a one-cell wall at x 320..335, feet height
    Load(rows, 250, 163);
    Settle();
    float before = 0;
    float xBefore = 0;
    int n = 0;
    while (PS().vx >= 0 && n < 1000) {
        before = PS().vx;
        xBefore = P().x;
        sim->Step(kSimRight);
        ++n;
    }
    ASSERT_LT(n, 1000);
    EXPECT_LT(int(P().x + 28 - 4), 320) << "never inside the wall";
    // Rebounds with the speed it had after this step's push.
    EXPECT_NEAR(PS().vx, -(before + (before <= 0.4f ? 0.005f : 0.0f)), 1e-6);
    EXPECT_FLOAT_EQ(P().x, xBefore);
    EXPECT_EQ(sq::IsChannelBusy(P().bumpChannel), 1) << "the bump sound plays";
}

TEST_F(PlayerWallTest, TheMapsLeftEdgeBouncesThePlayer) {
    std::vector<std::string> rows(15, std::string(40, '.'));
    rows[12] = rows[13] = rows[14] = std::string(40, '#');
    Load(rows, 3, 163);
    Settle();
    int n = 0;
    float minX = P().x;
    while (n < 300) {
        sim->Step(kSimLeft);
        minX = std::min(minX, P().x);
        if (PS().vx > 0) break;
        ++n;
    }
    EXPECT_GT(PS().vx, 0) << "reversed at x < 0";
    EXPECT_GT(minX, -0.5f);
}

TEST_F(PlayerWallTest, TheMapsRightEdgeAllowsSixPixelsPast) {
    std::vector<std::string> rows(15, std::string(40, '.'));
    rows[12] = rows[13] = rows[14] = std::string(40, '#');
    Load(rows, 590, 163);
    Settle();
    float maxX = P().x;
    for (int n = 0; n < 600 && PS().vx >= 0; ++n) {
        sim->Step(kSimRight);
        maxX = std::max(maxX, P().x);
    }
    EXPECT_LT(PS().vx, 0);
    EXPECT_GT(maxX, 640 - 22 - 0.5f);
    EXPECT_LT(maxX, 640 - 22 + 0.5f);
}

// ---- The camera ----
class CameraTest : public LevelFixture {
protected:
    // 60 x 40 cells (960 x 640 pixels), open, with a floor at the bottom.
    std::vector<std::string> BigRoom() {
        std::vector<std::string> rows(40, std::string(60, '.'));
        rows[39] = std::string(60, '#');
        return rows;
    }
};

TEST_F(CameraTest, CentresOnThePlayerInsideTheMap) {
    Load(BigRoom(), 400, 300);
    sim->Step(0);
    EXPECT_FLOAT_EQ(P().scrollX, 400 + 14 - 160);
    EXPECT_NEAR(P().scrollY, 300 + 28 - 120, 0.1f);
}

TEST_F(CameraTest, StopsAtTheMapCorners) {
    Load(BigRoom(), 5, 200);
    sim->Step(0);
    EXPECT_EQ(P().scrollX, 0);
    EXPECT_EQ(P().scrollY, 0 + 200 + 28 - 120);
    Load(BigRoom(), 900, 560);
    Settle(100);
    EXPECT_EQ(P().scrollX, 960 - 320);
    EXPECT_EQ(P().scrollY, 640 - 240);
}

TEST_F(CameraTest, AboveTheMapsTopTheCameraHoldsItsHeight) {
    Load(BigRoom(), 400, 300);
    sim->Step(0);
    const float sy = P().scrollY;
    P().y = -10;
    P().prevY = -10;
    sim->Step(0);
    EXPECT_EQ(P().scrollY, sy);
}

// ---- Pick-ups and the exit ----
class PickupTest : public LevelFixture {};

TEST_F(PickupTest, StandingOnAGiftTakesItOnce) {
    auto rows = FlatRoom();
    // A gift whose cell holds the feet pixel row: the floor top row is 12, so
    // the feet (y + 28 just above 192) sit in row 11.
    rows[11][8] = 'g';
    Load(rows, 100, 163);
    int gained = 0;
    for (int i = 0; i < 400; ++i) {
        const int before = liveBar->giftCount;
        sim->Step(kSimRight);
        gained += liveBar->giftCount - before;
    }
    for (int i = 0; i < 400; ++i) sim->Step(kSimLeft);
    EXPECT_EQ(liveBar->giftCount, 1);
    EXPECT_EQ(gained, 1);
    EXPECT_EQ(map->CellValue(8, 11, 1), 0);
    ASSERT_EQ(sim->CellEdits().size(), 1u);
    EXPECT_EQ(sim->CellEdits()[0].column, 8);
    const float rate = P().bumpChannel->PlaybackRate();
    EXPECT_GE(rate, 1.0f);
    EXPECT_LT(rate, 1.2f);
}

TEST_F(PickupTest, TheExitIsReportedOnlyWhileStandingOnIt) {
    auto rows = FlatRoom();
    rows[11][10] = 'E';  // x 160..175
    Load(rows, 100, 163);
    int n = 0;
    while (sim->Step(kSimRight) == 6 && n < 1000) ++n;
    EXPECT_EQ(playState, 4);
    EXPECT_GE(int(P().x + 14), 160);
    // Keep walking: past the cell the state goes back to 6.
    Steps(kSimRight, 100);
    EXPECT_EQ(playState, 6);
}

// ---- Throws ----
class ThrowTest : public LevelFixture {
protected:
    void SetUp() override {
        LevelFixture::SetUp();
        Load(FlatRoom(), 100, 163);
        Settle();
    }
};

TEST_F(ThrowTest, AThrowCostsAGiftAndOnlyOneFliesAtATime) {
    liveBar->giftCount = 1;
    sim->Step(kSimFire);
    EXPECT_EQ(gifts->inFlight, 1);
    EXPECT_EQ(liveBar->giftCount, 0);
    EXPECT_EQ(gifts->direction, 1.0f);
    EXPECT_EQ(sq::IsChannelBusy(P().throwChannel), 1);
    liveBar->giftCount = 1;
    sim->Step(kSimFire);
    EXPECT_EQ(liveBar->giftCount, 1) << "a second press while the gift flies does nothing";
    liveBar->giftCount = 0;
    int n = 0;
    while (gifts->inFlight && n < 1000) {
        sim->Step(0);
        ++n;
    }
    EXPECT_EQ(gifts->inFlight, 0);
    EXPECT_EQ(gifts->angle, 0);
    sim->Step(kSimFire);
    EXPECT_EQ(gifts->inFlight, 0) << "no gifts, no throw";
}

TEST_F(ThrowTest, AGiftThrownLeftEndsOnlyBelowTheView) {
    liveBar->giftCount = 1;
    Steps(kSimLeft, 2);
    Steps(0, 100);
    sim->Step(kSimFire);
    ASSERT_EQ(gifts->direction, -1.0f);
    int n = 0;
    while (gifts->inFlight && n < 5000) {
        sim->Step(0);
        ++n;
    }
    EXPECT_GT(gifts->y, P().scrollY + 240);
    EXPECT_LT(gifts->x, P().scrollX) << "flew on past the left edge";
}

TEST_F(ThrowTest, TheSpinGrowsFourDegreesPerStep) {
    liveBar->giftCount = 1;
    sim->Step(kSimFire);
    EXPECT_EQ(gifts->angle, 4);
    Steps(0, 10);
    EXPECT_EQ(gifts->angle, 44);
}

}  // namespace
