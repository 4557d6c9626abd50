// The instructions, the credits and the high-score screen: how they scroll
// and what ends them.
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "core/frame_helpers.h"
#include "core/globals.h"
#include "core/timed_speed.h"
#include "platform/audio/sound.h"
#include "platform/input/keyboard.h"
#include "platform/video/graphics.h"
#include "scores/hi_score.h"
#include "screen_fixture.h"
#include "screens/credits.h"
#include "screens/hi_score_screen.h"
#include "screens/instructions.h"

namespace fs = std::filesystem;

namespace {

class InfoScreensTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        WriteScreenFiles();
    }
    // Plays `ms` of sound through the mixer, as the audio device would.
    static void Mix(int ms) {
        static int16_t buf[44100 * 2];
        sq::MixAudio(buf, 44100 * ms / 1000);
    }
};

TEST(Instructions, TheColourWaveFollowsSineAndCosine) {
    InitDegreeTables();
    int r, g, b;
    RainbowColour(30, 60, r, g, b);  // 90 degrees
    EXPECT_EQ(r, 100);
    EXPECT_EQ(g, 0);
    EXPECT_EQ(b, 100);
    RainbowColour(200, 25.5f, r, g, b);  // 225 degrees: both negative, drawn black
    EXPECT_LT(r, 0);
    EXPECT_LT(g, 0);
}

TEST_F(InfoScreensTest, TheTextRisesEightPixelsASecond) {
    CInstructions screen;
    screen.Init();
    for (int i = 0; i < 200; ++i) {
        tickDelta = 1.0f;
        screen.Update();
    }
    EXPECT_NEAR(screen.textY, 232.0f, 0.01f);
    EXPECT_NEAR(screen.colourPhase, 140.0f, 0.01f);
    auto glyphs = sq::DrawStats().glyphs;
    screen.Draw();
    EXPECT_GT(sq::DrawStats().glyphs, glyphs);
    screen.Release();
}

TEST_F(InfoScreensTest, TheInstructionsEndWhenTheNarrationEnds) {
    long frames = 0;
    pump = [&] {
        ++frames;
        Mix(5);
    };
    ShowInstructions();
    EXPECT_GT(frames, 100);  // the narration of two seconds played out
}

TEST_F(InfoScreensTest, AKeyDuringTheFadeInEndsTheInstructionsRightAfterIt) {
    int startMs = sq::CurrentMillis();
    pump = [&] {
        if (polls == 3) Tap('K');  // after the screen cleared the keys
    };
    ShowInstructions();
    int ms = sq::CurrentMillis() - startMs;
    EXPECT_GT(ms, 2 * 67 * 15);  // the fade-in ran out, then the fade-out
    EXPECT_LT(ms, 4000);
}

TEST_F(InfoScreensTest, AKeyEndsTheCreditsEvenDuringTheFadeIn) {
    float angleA = cloudAngleA;
    int startMs = sq::CurrentMillis();
    long at = -1;
    pump = [&] {
        if (at < 0 && sq::CurrentMillis() - startMs > 100) {
            at = polls;
            Tap(' ');
        }
    };
    ShowCredits();
    EXPECT_LT(sq::CurrentMillis() - startMs, 1000);  // a short fade-out from where the fade-in was
    EXPECT_GT(cloudAngleA, angleA);
}

TEST_F(InfoScreensTest, TheTableScrollsUpAndStartsAgainFromTheBottom) {
    THiScore screen;
    screen.Init();
    EXPECT_TRUE(fs::exists("HISCORES.DAT"));
    for (int i = 0; i < 10; ++i) {
        tickDelta = 1.0f;
        screen.Update();
    }
    EXPECT_NEAR(screen.tableY, 239.0f, 0.001f);
    screen.tableY = -309.95f;
    screen.Update();
    EXPECT_EQ(screen.tableY, 240.0f);
    screen.Release();
}

TEST_F(InfoScreensTest, RowsFromYThreeHundredTwentyAreNotDrawnAndOddValuesDrawSafely) {
    std::ofstream("HISCORES.DAT", std::ios::binary) << std::string(640, '\x80') << "trailing";
    THiScore screen;
    screen.Init();
    EXPECT_EQ(screen.entries->ValueAt(0)->score, int32_t(0x80808080));  // a negative score, shown as it is
    screen.tableY = 320;
    auto draws = sq::DrawStats().imageDraws;
    auto glyphs = sq::DrawStats().glyphs;
    screen.Draw();
    EXPECT_EQ(sq::DrawStats().glyphs, glyphs);  // every row is at 320 or below
    EXPECT_EQ(sq::DrawStats().imageDraws - draws, 1u + 250);
    screen.tableY = 100;
    screen.Draw();
    EXPECT_GT(sq::DrawStats().glyphs, glyphs);
    screen.Release();
}

TEST(HiScoreColumns, NumbersTooLongForTheScreenMoveLeftWhole) {
    EXPECT_EQ(HiScoreColumnX(300, "06"), 300.0f);  // the level column as usual
    EXPECT_EQ(HiScoreColumnX(255, "0042"), 255.0f);
    EXPECT_EQ(HiScoreColumnX(300, "-2147483648"), 320.0f - 88);
    EXPECT_EQ(HiScoreColumnX(255, "2147483647"), 240.0f);
}

TEST_F(InfoScreensTest, TheHighScoreScreenWaitsForTheFadeInBeforeAKeyEndsIt) {
    int startMs = sq::CurrentMillis();
    pump = [&] {
        if (polls == 3) Tap(' ');
    };
    ShowHighScores();
    EXPECT_GT(sq::CurrentMillis() - startMs, 2 * 67 * 15);
    EXPECT_EQ(fs::file_size("HISCORES.DAT"), 640u);
}

}  // namespace
