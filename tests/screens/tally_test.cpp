// The tally texts of the level-complete, game-over and end screens, and the
// way those screens end.
#include <filesystem>

#include "core/globals.h"
#include "game/game_score.h"
#include "game/live_bar.h"
#include "platform/input/keyboard.h"
#include "scores/hi_score.h"
#include "screen_fixture.h"
#include "screens/end_screens.h"

namespace {

CGameScore Level(int gifts, int kills2, int kills1, int timeLeft, int total = 0) {
    CGameScore s;
    s.levelGifts = gifts;
    s.killsType2 = kills2;
    s.killsType1 = kills1;
    s.timeLeft = timeLeft;
    s.total = total;
    return s;
}

TEST(TallyText, TheWorkedExample) {
    TTallyLines t = MakeTallyLines(Level(7, 2, 1, 95, 1325));
    EXPECT_EQ(t.gifts, "x 007 = +01750");
    EXPECT_EQ(t.kills2, "x 002 = -00300");
    EXPECT_EQ(t.kills1, "x 001 = -00075");
    EXPECT_EQ(t.time, "01:35 = +950");
    EXPECT_EQ(t.score, "SCORE : 1325");
}

TEST(TallyText, ZerosAndLongNumbersAreShownWhole) {
    TTallyLines zero = MakeTallyLines(Level(0, 0, 0, 0));
    EXPECT_EQ(zero.gifts, "x 000 = +00000");
    EXPECT_EQ(zero.kills2, "x 000 = -00000");
    EXPECT_EQ(zero.kills1, "x 000 = -00000");
    EXPECT_EQ(zero.time, "00:00 = +0");
    EXPECT_EQ(MakeTallyLines(Level(0, 0, 0, 600)).time, "10:00 = +6000");
    EXPECT_EQ(MakeTallyLines(Level(0, 0, 0, 3600)).time, "60:00 = +36000");
    EXPECT_EQ(MakeTallyLines(Level(1000, 0, 0, 0)).gifts, "x 1000 = +250000");
    EXPECT_EQ(MakeTallyLines(Level(0, 0, 0, 0, -225)).score, "SCORE : -225");
}

TEST(TallyText, TheEndScreenTotals) {
    CGameScore s;
    s.total = 12345;
    s.totalTime = 3725;
    s.totalGifts = 87;
    TTotalLines t = MakeTotalLines(s);
    EXPECT_EQ(t.score, "TOTAL SCORE: 12345");
    EXPECT_EQ(t.time, "TOTAL TIME : 62:05");
    EXPECT_EQ(t.gifts, "TOTAL GIFTS: 87");
}

class EndScreensTest : public ScreenTest {};

TEST_F(EndScreensTest, TheGameOverZoomTakesAboutThreeSecondsAndOnlySpaceEndsTheTally) {
    levelTimeLimit = 180;
    liveBar = std::make_shared<CLiveBar>();
    liveBar->giftCount = 3;
    liveBar->timeLeft = 100;
    int startMs = sq::CurrentMillis();
    long tallyShownAt = -1;
    pump = [&] {
        if (gameScore->totalGifts == 0) return;  // the zoom is still running
        if (tallyShownAt < 0) tallyShownAt = polls;
        if (polls - tallyShownAt < 500)
            Tap('A');  // other keys do nothing here
        else
            sq::PostKeyDown(sq::kKeySpace);
    };
    ShowGameOverTally(sq::GrabScreenImage());
    int ms = sq::CurrentMillis() - startMs;
    EXPECT_GT(ms, 3000);
    EXPECT_LT(ms, 4500);
    EXPECT_GE(polls - tallyShownAt, 500);
    // The interrupted level was tallied once: its gifts and its time count.
    EXPECT_EQ(gameScore->total, 3 * 250 + 100 * 10);
    EXPECT_EQ(gameScore->totalTime, 80);
    pump = nullptr;
    EXPECT_EQ(sq::IsKeyDown(sq::kKeySpace), 0);  // the tally cleared it
}

TEST_F(EndScreensTest, TheEndScreenRecordsLevelSixAndPutsTheLevelBackToOne) {
    WriteScreenFiles();
    currentLevel = 6;
    gameScore->total = 99999;
    gameScore->totalGifts = 50;
    gameScore->totalTime = 3000;
    int phase = 0;
    pump = [&] {
        if (polls % 50 != 0) return;
        // Any key leaves the end screen; then a name and Enter.
        const int keys[] = {'Q', 'E', 'N', 'D'};
        if (phase < 4)
            Tap(keys[phase]);
        else
            sq::PostKeyDown(sq::kKeyEnter);
        ++phase;
    };
    int startMs = sq::CurrentMillis();
    ShowEndScreen();
    EXPECT_GE(sq::CurrentMillis() - startMs, 1800);
    EXPECT_EQ(currentLevel, 1);
    auto table = std::make_shared<THiScore>();
    table->entries = DefaultHiScoreTable();
    table->Load();
    auto top = table->entries->ValueAt(0);
    EXPECT_EQ(top->score, 99999);
    EXPECT_EQ(top->level, 6);
    EXPECT_EQ(top->name, "END         ");
    EXPECT_EQ(top->giftTotal, 50);
    EXPECT_EQ(top->playTime, 3000);
}

}  // namespace
