// The level's step: its order, contact and the hurt cry, the death
// sequence, the map's block animations, the level clock, the frame.
#include "audio/game_music.h"
#include "core/globals.h"
#include "game/enemy.h"
#include "game/game_score.h"
#include "game/live_bar.h"
#include "game/main_game_loop.h"
#include "game/player.h"
#include "game_test_support.h"
#include "platform/audio/sound.h"
#include "platform/video/graphics.h"

namespace {

constexpr int kOnFloor = 192 - 24;

class LevelLoopTest : public LevelFixture {
protected:
    // A monster parked on the player so that every step is a contact step.
    void LoadWithMonsterOnPlayer() {
        Load(FlatRoom(), 100, 163, {}, {{100, kOnFloor}});
        Settle(1);
        enemies->GetEnemy(0)->sprite->vx = 0;
    }
};

TEST_F(LevelLoopTest, ContactDrainsATenthPerStepAndCriesOnASilentChannel) {
    LoadWithMonsterOnPlayer();
    sq::HaltChannel(P().jumpChannel);
    const float e0 = liveBar->energy;
    sim->Step(0);
    EXPECT_EQ(gameLoop->touching, 1);
    EXPECT_NEAR(liveBar->energy, e0 - 0.1f, 1e-4f);
    EXPECT_EQ(sq::IsChannelBusy(P().jumpChannel), 1) << "the cry";
    Steps(0, 9);
    EXPECT_NEAR(liveBar->energy, e0 - 1.0f, 1e-3f);
}

TEST_F(LevelLoopTest, FiveHundredStepsOfContactCostALife) {
    LoadWithMonsterOnPlayer();
    liveBar->energy = 50;
    int n = 0;
    while (playerDying == 0 && n < 1000) {
        sim->Step(0);
        ++n;
    }
    EXPECT_NEAR(n, 500, 1);
    EXPECT_EQ(liveBar->lives, 1);
    EXPECT_EQ(playState, 6);
}

TEST_F(LevelLoopTest, GameOverSetByTheLastLifeSurvivesTheStep) {
    LoadWithMonsterOnPlayer();
    liveBar->lives = 0;
    liveBar->energy = 0.05f;
    EXPECT_EQ(sim->Step(0), 5);
    EXPECT_EQ(liveBar->lives, -1);
    for (int i = 0; i < 50; ++i) ASSERT_EQ(sim->Step(kSimRight), 5) << "nothing writes 6 over it";
}

TEST_F(LevelLoopTest, TheDeathSequenceFloatsFiveSecondsThenRestarts) {
    LoadWithMonsterOnPlayer();
    Steps(kSimRight, 20);
    liveBar->energy = 0.05f;
    sim->Step(kSimRight);
    ASSERT_EQ(playerDying, 1);
    ASSERT_TRUE(music->channel->Suspended());
    const float y0 = P().y;
    const float vxAtDeath = PS().vx;
    int n = 0;
    while (playerDying && n < 2000) {
        sim->Step(kSimRight);
        ++n;
        if (playerDying) {
            ASSERT_NEAR(P().y, y0 - 0.1f * n, 0.01f);
        }
    }
    EXPECT_EQ(n, 1000) << "5000 ms counted from the last step before the death";
    EXPECT_NEAR(gameLoop->haloAlpha, 1.0f, 1e-6f);
    EXPECT_EQ(P().x, 100);
    EXPECT_EQ(P().y, 163);
    EXPECT_EQ(PS().vx, vxAtDeath) << "the speeds are kept";
    EXPECT_FALSE(music->channel->Suspended()) << "the tune restarts";
}

TEST_F(LevelLoopTest, TheHaloFadesDuringTheSequence) {
    LoadWithMonsterOnPlayer();
    liveBar->energy = 0.05f;
    sim->Step(0);
    Steps(0, 500);
    EXPECT_NEAR(gameLoop->haloAlpha, 1.0f - 0.5f, 1e-3f);
}

TEST_F(LevelLoopTest, BlockAnimationsStepEveryFourthStepButNotWhileDying) {
    Load(FlatRoom(), 100, 163);  // every text map carries one block animation
    ASSERT_GE(map->numAnims, 1);
    int changes = 0, last = map->anims[1].current;
    for (int i = 0; i < 40; ++i) {
        sim->Step(0);
        if (map->anims[1].current != last) ++changes;
        last = map->anims[1].current;
    }
    EXPECT_EQ(changes, 10);
    liveBar->Damage(100);
    ASSERT_EQ(playerDying, 1);
    for (int i = 0; i < 40; ++i) sim->Step(0);
    EXPECT_EQ(map->anims[1].current, last);
}

TEST_F(LevelLoopTest, TheLevelClockTicksOncePerSecondAndStopsWhileDying) {
    Load(FlatRoom(), 100, 163);
    EXPECT_EQ(liveBar->timeLeft, 180);
    Steps(0, 200);  // exactly 1000 ms
    EXPECT_EQ(liveBar->timeLeft, 180);
    Steps(0, 1);  // 1005 ms: more than 1001
    EXPECT_EQ(liveBar->timeLeft, 179);
    Steps(0, 200);
    EXPECT_EQ(liveBar->timeLeft, 179);
    Steps(0, 1);
    EXPECT_EQ(liveBar->timeLeft, 178);
    liveBar->Damage(100);
    Steps(0, 600);
    EXPECT_EQ(liveBar->timeLeft, 178);
}

TEST_F(LevelLoopTest, APartialStepScalesEveryMovement) {
    Load(FlatRoom(), 100, 163);
    Settle();
    Steps(kSimRight, 100);
    const float x = P().x, vx = PS().vx;
    // A 7.5 ms frame: one whole step and half a step.
    gameLoop->lastTime = sq::CurrentMillis();
    sim->StepFrame(kSimRight, 7);
    sim->StepFrame(kSimRight, 8);  // 15 ms in all: three whole steps
    EXPECT_NEAR(P().x - x, 3 * vx, 0.02f);
}

TEST_F(LevelLoopTest, TheFrameRestoresTheDrawingState) {
    LoadWithMonsterOnPlayer();
    sim->Step(0);
    ASSERT_EQ(gameLoop->touching, 1);
    auto& stats = sq::DrawStats();
    const auto images = stats.imageDraws;
    sim->Draw();
    EXPECT_GT(stats.imageDraws, images);
    EXPECT_EQ(sq::GetBlendMode(), sq::kBlendMask);
    EXPECT_FLOAT_EQ(sq::GetDrawAlpha(), 1.0f);
    float sx, sy;
    sq::GetDrawScale(sx, sy);
    EXPECT_EQ(sx, 1.0f);
    EXPECT_EQ(sy, 1.0f);
}

TEST_F(LevelLoopTest, SnapshotsRewindTheLevel) {
    auto rows = FlatRoom();
    rows[11][9] = 'g';
    Load(rows, 100, 163, {{300, kOnFloor}});
    Settle();
    const TSimSnapshot snap = sim->Save();
    Steps(kSimRight, 300);
    ASSERT_EQ(liveBar->giftCount, 1);
    const TPlayerState after = sim->SavePlayer();
    const float monsterX = enemies->GetEnemy(0)->sprite->x;
    sim->Restore(snap);
    EXPECT_EQ(liveBar->giftCount, 0);
    map->currentLayer = 1;
    EXPECT_EQ(map->CellValue(9, 11, 1), 1) << "the gift lies there again";
    Steps(kSimRight, 300);
    EXPECT_EQ(liveBar->giftCount, 1);
    EXPECT_EQ(sim->SavePlayer().x, after.x);
    EXPECT_EQ(enemies->GetEnemy(0)->sprite->x, monsterX);
}

// ---- The level table ----
TEST(LevelTableTest, SpawnCountsAndStartPoints) {
    const int kind2[] = {15, 13, 10, 23, 22, 38};
    const int kind1[] = {0, 3, 6, 14, 20, 30};
    const int clock[] = {180, 240, 360, 480, 900, 1500};
    for (int level = 1; level <= kLevelCount; ++level) {
        const TLevelInfo& info = LevelInfo(level);
        EXPECT_EQ(int(info.kind2.size()), kind2[level - 1]) << level;
        EXPECT_EQ(int(info.kind1.size()), kind1[level - 1]) << level;
        EXPECT_EQ(info.timeLimit, clock[level - 1]);
    }
    EXPECT_EQ(LevelInfo(5).startX, 356);
    EXPECT_EQ(LevelInfo(2).startY, 899);
    EXPECT_STREQ(LevelInfo(6).mapFile, "maps\\level_6.FMP");
    EXPECT_EQ(LevelInfo(4).kind1[2].x, LevelInfo(4).kind1[5].x) << "the shared spot is kept twice";
    EXPECT_THROW(LevelInfo(7), sq::TRuntimeError);
}

}  // namespace

namespace {

class TearDownTest : public LevelFixture {};

TEST_F(TearDownTest, TheEndOfAGameFreesTheLevel) {
    Load(FlatRoom(), 100, 163, {{200, 168}});
    EnemyRef monster = enemies->GetEnemy(0);
    TearDownLevel();
    EXPECT_FALSE(enemies);
    EXPECT_FALSE(levelMap);
    EXPECT_FALSE(monster->sprite);
    EXPECT_FALSE(player->sprite);
    EXPECT_FALSE(player->jumpChannel);
    EXPECT_FALSE(player->throwChannel);
}

TEST_F(TearDownTest, TheNextLevelKeepsLivesEnergyAndScoreButNotTheGifts) {
    Load(FlatRoom(), 100, 163);
    liveBar->giftCount = 3;
    liveBar->lives = 1;
    liveBar->energy = 20;
    gameScore->total = 500;
    Load(FlatRoom(), 50, 163);
    EXPECT_EQ(liveBar->giftCount, 0);
    EXPECT_EQ(liveBar->lives, 1);
    EXPECT_FLOAT_EQ(liveBar->energy, 20);
    EXPECT_EQ(gameScore->total, 500);
    EXPECT_EQ(P().x, 50);
}

}  // namespace
