// Monsters: spawning, patrols that turn at walls and ledges, contact boxes,
// gift hits and the death fade.
#include "game/enemy.h"

#include "core/globals.h"
#include "game/live_bar.h"
#include "game/player.h"
#include "game/shoot.h"
#include "game_test_support.h"
#include "platform/audio/sound.h"
#include "platform/video/graphics.h"

namespace {

constexpr int kOnFloor = 192 - 24;  // a monster's y standing on the flat room's floor

class EnemyTest : public LevelFixture {
protected:
    EnemyInfo& E(int i) { return *enemies->GetEnemy(i); }
    CEasySprite& ES(int i) { return *enemies->GetEnemy(i)->sprite; }
    void SetUp() override {
        LevelFixture::SetUp();
        liveBar->lives = -1;  // contact costs nothing: the patrols run undisturbed
    }
};

TEST_F(EnemyTest, SpawningFollowsTheKindTable) {
    Load(FlatRoom(), 20, 163, {{100, kOnFloor}, {200, kOnFloor}}, {{300, kOnFloor}});
    ASSERT_EQ(enemies->enemyList.Size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(E(i).kind, 2);
        EXPECT_EQ(E(i).hitPoints, 1);
        EXPECT_GE(ES(i).vx, 0.16f - 1e-6f);
        EXPECT_LE(ES(i).vx, 0.32f + 1e-6f);
        // The animation speed is the pace: vx = speed * 0.02.
        EXPECT_NEAR(ES(i).currentAnim->speed * 0.02f, ES(i).vx, 1e-5f);
        EXPECT_EQ(ES(i).currentAnim->frameCount, 12);
        EXPECT_EQ(ES(i).currentAnimId, E(i).walkRightAnimId);
    }
    EXPECT_EQ(E(2).kind, 1);
    EXPECT_EQ(E(2).hitPoints, 3);
    EXPECT_FLOAT_EQ(ES(2).vx, 0.24f);
    EXPECT_EQ(ES(2).x, 300);
    EXPECT_EQ(ES(2).y, kOnFloor);
    EXPECT_FALSE(enemies->GetEnemy(3)) << "one past the end is the Null object";
    EXPECT_FALSE(enemies->GetEnemy(-1));
}

TEST_F(EnemyTest, TurnsAtAWallWithoutEnteringIt) {
    auto rows = FlatRoom();
    rows[11][20] = '#';  // x 320..335 at half height of a monster
    Load(rows, 20, 163, {}, {{280, kOnFloor}});
    float maxRight = 0;
    bool turned = false;
    for (int i = 0; i < 400; ++i) {
        sim->Step(0);
        maxRight = std::max(maxRight, ES(0).x + 24);
        if (ES(0).vx < 0 && !turned) {
            turned = true;
            EXPECT_EQ(ES(0).currentAnimId, E(0).walkLeftAnimId);
            EXPECT_EQ(ES(0).currentAnim->firstFrame, 8);
        }
    }
    EXPECT_TRUE(turned);
    EXPECT_LT(maxRight, 320.0f);
    EXPECT_GT(maxRight, 319.0f);
}

TEST_F(EnemyTest, TurnsAtALedgeAndNeverFalls) {
    auto rows = FlatRoom();
    for (int r = 12; r < 15; ++r) rows[r].replace(25, 6, "......");  // a pit at x 400..495
    Load(rows, 20, 163, {}, {{350, kOnFloor}});
    float maxRight = 0, minLeft = 1e9f;
    for (int i = 0; i < 4000; ++i) {
        sim->Step(0);
        maxRight = std::max(maxRight, ES(0).x + 24);
        minLeft = std::min(minLeft, ES(0).x);
        ASSERT_EQ(ES(0).y, kOnFloor) << "a living monster never moves vertically";
    }
    EXPECT_LT(maxRight, 400.0f);
    EXPECT_GT(maxRight, 399.0f);
    EXPECT_GE(minLeft, 16.0f) << "the room's left wall turns it back";
    EXPECT_LT(minLeft, 17.0f);
}

TEST_F(EnemyTest, TwoMonstersOnTheSameSpotWalkTogether) {
    Load(FlatRoom(), 20, 163, {}, {{300, kOnFloor}, {300, kOnFloor}});
    for (int i = 0; i < 3000; ++i) {
        sim->Step(0);
        ASSERT_EQ(ES(0).x, ES(1).x);
    }
}

TEST_F(EnemyTest, ContactUsesTheNarrowedBox) {
    Load(FlatRoom(), 20, 163, {}, {{100, 100}});
    // Monster box 100..124 x 100..124; the player box is 28 x 28 with margin 6.
    EXPECT_EQ(enemies->TouchesBox(100 - 22 + 0.5f, 100, 28, 28, 6), 1);
    EXPECT_EQ(enemies->TouchesBox(100 - 22, 100, 28, 28, 6), 0) << "px + w - m > ex is strict";
    EXPECT_EQ(enemies->TouchesBox(124 - 6 - 0.5f, 100, 28, 28, 6), 1);
    EXPECT_EQ(enemies->TouchesBox(124 - 6, 100, 28, 28, 6), 0);
    EXPECT_EQ(enemies->TouchesBox(100, 100 + 6 - 28, 28, 28, 6), 0) << "the monster's top is lowered by 6";
    EXPECT_EQ(enemies->TouchesBox(100, 100 + 6 - 28 + 0.5f, 28, 28, 6), 1);
    EXPECT_EQ(enemies->TouchesBox(100, 123.5f, 28, 28, 6), 1);
    EXPECT_EQ(enemies->TouchesBox(100, 124, 28, 28, 6), 0) << "no margin at the bottom";
    E(0).hitPoints = 0;
    EXPECT_EQ(enemies->TouchesBox(100, 100, 28, 28, 6), 0) << "the dead never touch";
}

TEST_F(EnemyTest, TheDeadRiseAndFadeThenAreGone) {
    Load(FlatRoom(), 20, 163, {{300, kOnFloor}});
    E(0).hitPoints = 0;
    const float x = ES(0).x;
    int steps = 0;
    while (!E(0).gone && steps < 1000) {
        sim->Step(0);
        ++steps;
    }
    EXPECT_NEAR(steps, 101, 1);  // alpha falls by 0.01 until below 0
    EXPECT_NEAR(ES(0).y, kOnFloor - 0.5f * steps, 0.01f);
    EXPECT_EQ(ES(0).x, x);
    sim->Step(0);
    EXPECT_NEAR(ES(0).y, kOnFloor - 0.5f * (steps + 1), 0.01f) << "keeps rising after it is gone";
}

TEST_F(EnemyTest, DrawingSkipsOnlyMonstersRightOfOrBelowTheView) {
    Load(FlatRoom(), 20, 163, {}, {{-40, 50}, {100, -40}, {330, 50}, {100, 250}, {100, 100}});
    auto& stats = sq::DrawStats();
    const auto before = stats.imageDraws;
    enemies->Draw(0, 0);
    EXPECT_EQ(stats.imageDraws - before, 3u);
    EXPECT_EQ(ES(0).x, -40) << "drawing leaves the map position";
    E(4).hitPoints = 0;
    const auto before2 = stats.imageDraws;
    enemies->Draw(0, 0);
    EXPECT_EQ(stats.imageDraws - before2, 4u) << "a dying monster adds its halo";
    EXPECT_EQ(sq::GetBlendMode(), sq::kBlendAlpha);
    EXPECT_FLOAT_EQ(sq::GetDrawAlpha(), 1.0f);
}

TEST_F(EnemyTest, ClearFreesEverySprite) {
    Load(FlatRoom(), 20, 163, {{100, kOnFloor}}, {{200, kOnFloor}});
    EnemyRef keep = enemies->GetEnemy(1);
    EXPECT_FALSE(enemies->Clear());
    EXPECT_FALSE(keep->sprite);
    EXPECT_EQ(keep->kind, 0);
}

// ---- Gift hits ----
class GiftHitTest : public EnemyTest {
protected:
    void Launch(float x, float y) {
        gifts->x = x;
        gifts->y = y;
        gifts->speed = 2.0f;
        gifts->fallSpeed = 0.001f;
        gifts->direction = 1.0f;
        gifts->inFlight = 1;
    }
};

TEST_F(GiftHitTest, AKindOneMonsterNeedsThreeHits) {
    Load(FlatRoom(), 20, 163, {}, {{200, 100}});
    ES(0).vx = 0;
    for (int hit = 1; hit <= 2; ++hit) {
        Launch(199.5f, 110);
        gifts->Update(enemies->enemyList, player->scrollX,
                      player->scrollY);  // moves to 201.5, inside the 4-pixel window
        EXPECT_EQ(E(0).hitPoints, 3 - hit);
        EXPECT_EQ(gifts->speed, 0);
        EXPECT_FLOAT_EQ(gifts->y, 100 + 24 + 8);
        EXPECT_EQ(gifts->inFlight, 1) << "a hit does not end the flight";
        EXPECT_EQ(sq::IsChannelBusy(gifts->channel), 1);
        sq::HaltChannel(gifts->channel);
    }
    Launch(199.5f, 110);
    gifts->Update(enemies->enemyList, player->scrollX, player->scrollY);
    EXPECT_EQ(E(0).hitPoints, 0);
    EXPECT_FLOAT_EQ(gifts->y, 110 + 0.001f) << "a kill leaves the gift where it is";
    EXPECT_EQ(sq::IsChannelBusy(gifts->channel), 1);
}

TEST_F(GiftHitTest, TheFirstCreatedMonsterIsHitFirst) {
    Load(FlatRoom(), 20, 163, {}, {{200, 100}, {200, 100}});
    Launch(199.5f, 110);
    gifts->Update(enemies->enemyList, player->scrollX, player->scrollY);
    EXPECT_EQ(E(0).hitPoints, 2);
    EXPECT_EQ(E(1).hitPoints, 3);
}

TEST_F(GiftHitTest, AStoppedGiftFallsOntoASecondMonster) {
    Load(FlatRoom(), 20, 163, {{200, 140}}, {{199, 40}});
    ES(0).vx = ES(1).vx = 0;
    Launch(199.5f, 50);
    gifts->Update(enemies->enemyList, player->scrollX, player->scrollY);
    EXPECT_EQ(E(1).hitPoints, 2);
    int n = 0;
    while (E(0).hitPoints > 0 && gifts->inFlight && n < 500) {
        gifts->Update(enemies->enemyList, player->scrollX, player->scrollY);
        ++n;
    }
    EXPECT_EQ(E(0).hitPoints, 0) << "dropped straight down onto the kind-2 monster";
}

TEST_F(GiftHitTest, AFastStepCannotFlyThroughTheHitWindow) {
    Load(FlatRoom(), 20, 163, {}, {{200, 100}});
    ES(0).vx = 0;
    for (float start = 150.0f; start < 152.0f; start += 0.25f) {
        E(0).hitPoints = 3;
        Launch(start, 110);
        for (int i = 0; i < 40 && gifts->speed != 0; ++i)
            gifts->Update(enemies->enemyList, player->scrollX, player->scrollY);
        EXPECT_EQ(E(0).hitPoints, 2) << "start " << start;
    }
}

}  // namespace
