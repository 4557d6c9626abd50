// The game-speed assist: at half speed the same frames of input take twice
// the time and end in exactly the same state (moves, monsters, the level
// clock and the death sequence alike); at full speed nothing changes.
#include "core/globals.h"
#include "game/enemy.h"
#include "game/live_bar.h"
#include "game/main_game_loop.h"
#include "game/player.h"
#include "game_test_support.h"
#include "platform/system/clock.h"

namespace {

struct TEnd {
    float x = 0, y = 0, vx = 0, monsterX = 0;
    int timeLeft = 0, lives = 0, dying = 0;
    int elapsed = 0;
};

class GameSpeedTest : public LevelFixture {
protected:
    void TearDown() override {
        gameSpeed = 100;
        LevelFixture::TearDown();
    }
    // Walks right and jumps now and then, with a monster about, for `frames`
    // frames of `ms` each, at `percent` speed.
    TEnd Play(int percent, int ms, int frames) {
        Load(FlatRoom(), 100, 163, {}, {{300, 192 - 24}});
        Settle();
        gameSpeed = percent;
        gameLoop->SetSpeedPercent(percent);
        gameLoop->lastTime = sq::CurrentMillis();
        const int start = sq::CurrentMillis();
        for (int i = 0; i < frames; ++i) sim->StepFrame(i % 90 < 30 ? kSimRight | kSimUp : kSimRight, ms);
        TEnd end;
        end.x = P().x;
        end.y = P().y;
        end.vx = PS().vx;
        end.monsterX = enemies->GetEnemy(0)->sprite->x;
        end.timeLeft = liveBar->timeLeft;
        end.lives = liveBar->lives;
        end.dying = playerDying;
        end.elapsed = sq::CurrentMillis() - start;
        return end;
    }
};

TEST_F(GameSpeedTest, HalfSpeedTakesTwiceTheTimeToTheSameState) {
    const TEnd full = Play(100, 5, 2400);
    const TEnd half = Play(50, 10, 2400);
    EXPECT_EQ(half.elapsed, 2 * full.elapsed);
    EXPECT_EQ(half.x, full.x);
    EXPECT_EQ(half.y, full.y);
    EXPECT_EQ(half.vx, full.vx);
    EXPECT_EQ(half.monsterX, full.monsterX);
    EXPECT_EQ(half.timeLeft, full.timeLeft) << "the level clock runs slower as well";
    EXPECT_LT(full.timeLeft, 180);
    EXPECT_EQ(half.lives, full.lives);
    EXPECT_EQ(half.dying, full.dying);
    // The same frames at half speed but full-speed frame times get about half
    // as far (short of the room's far wall).
    const TEnd shortFull = Play(100, 5, 400);
    const TEnd shortSlow = Play(50, 5, 400);
    EXPECT_GT(shortFull.x - 100, 100);
    EXPECT_NEAR(shortSlow.x - 100, (shortFull.x - 100) / 2, (shortFull.x - 100) / 8);
}

TEST_F(GameSpeedTest, GameTimeStretchesOnlyBelowFullSpeed) {
    gameSpeed = 100;
    EXPECT_EQ(GameMillis(1001), 1001);
    EXPECT_EQ(GameMillis(kDeathSequenceMs), 5000);
    gameSpeed = 50;
    EXPECT_EQ(GameMillis(1001), 2002);
    EXPECT_EQ(GameMillis(kDeathSequenceMs), 10000);
    gameSpeed = 80;
    EXPECT_EQ(GameMillis(kDeathSequenceMs), 6250);
    tMainGameLoop loop;
    loop.Init();
    loop.SetSpeedPercent(100);
    EXPECT_EQ(loop.msPerStep, 5.0f) << "full speed is the game as it always was";
    loop.SetSpeedPercent(50);
    EXPECT_EQ(loop.msPerStep, 10.0f);
}

}  // namespace
