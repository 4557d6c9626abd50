// The HUD bar and the score: damage, lost lives, the clock, the bar's
// drawing, the level tally.
#include "audio/game_music.h"
#include "core/globals.h"
#include "game/enemy.h"
#include "game/game_score.h"
#include "game/live_bar.h"
#include "game_test_support.h"
#include "platform/video/graphics.h"

namespace {

class HudTest : public LevelFixture {
protected:
    void SetUp() override {
        LevelFixture::SetUp();
        Load(FlatRoom(), 100, 163);
        music->Play();
    }
    CLiveBar& Bar() { return *liveBar; }
};

// ---- Damage and lives ----
TEST_F(HudTest, DamageDrainsEnergyWhileLivesRemain) {
    Bar().Damage(10.5f);
    EXPECT_FLOAT_EQ(Bar().energy, 39.5f);
    EXPECT_EQ(playerDying, 0);
    EXPECT_EQ(Bar().lives, 2);
}

TEST_F(HudTest, AnEmptyBarCostsALifeAndRefills) {
    Bar().Damage(50);
    EXPECT_EQ(Bar().lives, 1);
    EXPECT_FLOAT_EQ(Bar().energy, 50.0f);
    EXPECT_EQ(playerDying, 1);
    EXPECT_TRUE(music->channel->Suspended()) << "the music pauses for the life-lost sound";
    EXPECT_EQ(sq::IsChannelBusy(Bar().channel), 1);
    EXPECT_NE(playState, 5);
}

TEST_F(HudTest, TheLastLifeEndsTheGameAndTheBarGoesInert) {
    Bar().lives = 0;
    Bar().Damage(60);
    EXPECT_EQ(playState, 5);
    EXPECT_EQ(Bar().lives, -1);
    EXPECT_EQ(playerDying, 1);
    EXPECT_FALSE(music->channel->Suspended()) << "no pause and no life-lost sound on the last life";
    Bar().energy = 20;
    Bar().Damage(5);
    EXPECT_FLOAT_EQ(Bar().energy, 20.0f);
}

TEST_F(HudTest, ContinuousContactEmptiesAFullBarIn500Steps) {
    int n = 0;
    while (Bar().lives == 2 && n < 1000) {
        Bar().Damage(0.1f);
        ++n;
    }
    EXPECT_NEAR(n, 500, 1);
}

// ---- The clock ----
TEST_F(HudTest, TheClockTextIsMinutesAndSecondsPadded) {
    EXPECT_EQ(CLiveBar::ClockText(185), "TIME 03:05");
    EXPECT_EQ(CLiveBar::ClockText(180), "TIME 03:00");
    EXPECT_EQ(CLiveBar::ClockText(1500), "TIME 25:00");
    EXPECT_EQ(CLiveBar::ClockText(9), "TIME 00:09");
}

TEST_F(HudTest, TheLastSecondCostsALifeAndRestartsTheClock) {
    SetLevelTime(1);  // the sim's level plays as level 1 with a 180 s clock
    Bar().timeLeft = 1;
    Bar().TickSecond();
    EXPECT_EQ(Bar().lives, 1);
    EXPECT_EQ(playerDying, 1);
    EXPECT_EQ(Bar().timeLeft, 180);
    EXPECT_EQ(CLiveBar::ClockText(Bar().timeLeft), "TIME 03:00");
}

TEST_F(HudTest, AClockThatWasNeverSetStillRunsOut) {
    Bar().timeLeft = 0;
    Bar().TickSecond();
    EXPECT_EQ(Bar().lives, 1);
    EXPECT_EQ(Bar().timeLeft, 180);
}

TEST_F(HudTest, LevelAllotments) {
    const int expected[] = {180, 240, 360, 480, 900, 1500};
    for (int level = 2; level <= 6; ++level) {
        SetLevelTime(level);
        EXPECT_EQ(levelTimeLimit, expected[level - 1]);
        EXPECT_EQ(Bar().timeLeft, expected[level - 1]);
    }
    SetLevelTime(7);
    SetLevelTime(0);
    EXPECT_EQ(Bar().timeLeft, 1500) << "other numbers change nothing";
}

// ---- Drawing the bar ----
TEST_F(HudTest, TheEnergyBarUsesOneRectanglePerShadeReached) {
    auto& stats = sq::DrawStats();
    const struct {
        float energy;
        unsigned rects;
    } cases[] = {{10, 1}, {10.5f, 2}, {25, 2}, {25.5f, 3}, {50, 3}, {60, 2}};
    for (const auto& c : cases) {
        Bar().energy = c.energy;
        const auto rects = stats.rects, lines = stats.lines;
        Bar().DrawEnergyBar(266, 25);
        EXPECT_EQ(stats.rects - rects, c.rects) << "energy " << c.energy;
        EXPECT_EQ(stats.lines - lines, 4u);
        int r, g, b;
        sq::GetDrawColor(r, g, b);
        EXPECT_EQ(r + g + b, 3 * 255) << "white again afterwards";
    }
}

TEST_F(HudTest, TheBarShowsOneIconPerLifeUntilTheGameIsLost) {
    auto& stats = sq::DrawStats();
    auto images = stats.imageDraws;
    Bar().Draw();
    EXPECT_EQ(stats.imageDraws - images, 1u + 3u + 1u);  // gift icon, three lives, clock icon
    Bar().lives = -1;
    images = stats.imageDraws;
    const auto rects = stats.rects;
    Bar().Draw();
    EXPECT_EQ(stats.imageDraws - images, 2u);
    EXPECT_EQ(stats.rects, rects) << "no energy bar";
}

// ---- The tally ----
class TallyTest : public LevelFixture {};

TEST_F(TallyTest, GiftsAndSecondsScoreKillsCost) {
    Load(FlatRoom(), 20, 163, {{100, 168}, {150, 168}, {200, 168}, {250, 168}}, {{300, 168}, {350, 168}});
    for (int i : {0, 1, 2, 4}) enemies->GetEnemy(i)->gone = 1;
    enemies->GetEnemy(3)->hitPoints = 0;  // still fading: not counted
    enemies->GetEnemy(5)->hitPoints = 0;
    liveBar->giftCount = 4;
    liveBar->timeLeft = 37;
    gameScore->total = 100;
    EXPECT_EQ(gameScore->Tally(), 100 + 845);
    EXPECT_EQ(gameScore->killsType2, 3);
    EXPECT_EQ(gameScore->killsType1, 1);
    EXPECT_EQ(gameScore->levelGifts, 4);
    EXPECT_EQ(gameScore->timeLeft, 37);
    EXPECT_EQ(gameScore->totalTime, 180 - 37);
    EXPECT_EQ(gameScore->totalGifts, 4);
    gameScore->Reset();
    EXPECT_EQ(gameScore->total + gameScore->totalTime + gameScore->totalGifts + gameScore->killsType2, 0);
}

TEST_F(TallyTest, TheTotalMayFall) {
    Load(FlatRoom(), 20, 163, {{100, 168}, {150, 168}});
    enemies->GetEnemy(0)->gone = enemies->GetEnemy(1)->gone = 1;
    liveBar->giftCount = 0;
    liveBar->timeLeft = 1;
    EXPECT_EQ(gameScore->Tally(), -290);
}

}  // namespace
