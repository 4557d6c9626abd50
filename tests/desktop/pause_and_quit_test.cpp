// The pause during a level, and a quit request ending whatever screen runs.
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "../screens/screen_fixture.h"
#include "app/resources.h"
#include "app/screen_flow.h"
#include "app/startup.h"
#include "audio/game_music.h"
#include "core/globals.h"
#include "game/game_score.h"
#include "game/live_bar.h"
#include "platform/input/keyboard.h"
#include "platform/system/clock.h"
#include "platform/system/quit_signals.h"

namespace fs = std::filesystem;

namespace {

class LevelTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        fs::path game = GameDir();
        if (!fs::exists(game / "maps" / "level_1.FMP") || !fs::exists(game / "gfx" / "MenuBack.png"))
            GTEST_SKIP() << "no game data in " << game << " (build the data first)";
        for (const char* folder : {"gfx", "sfx", "musica", "maps"}) fs::create_directory_symlink(game / folder, folder);
        LoadResources();
        ASSERT_TRUE(MissingFiles().empty()) << MissingFiles().front();
        CenterResourceHandles();
        CreateLongLivedObjects();
        gameScore->Reset();
        SelectTune(1);
        music->Play();
        currentLevel = 1;
        playState = 1;
    }
    void TearDown() override {
        sq::ArmQuit(false);
        sq::ResetQuit();
        sq::HoldGameClock(false);
        ScreenTest::TearDown();
    }
    static void Press(int key) {
        sq::PostKeyDown(key);
        sq::PostKeyUp(key);
    }
};

TEST_F(LevelTest, PauseStopsTheLevelClockAndTheMusicUntilAnyKey) {
    bool asked = false, sawPause = false, escaped = false, musicStopped = true;
    int pausePolls = 0, timeAtPause = 0, timeAfter = -1, msAtPause = 0, msAfter = 0;
    pump = [&] {
        if (sq::GameClockHeld()) {
            if (!sawPause) {
                sawPause = true;
                timeAtPause = liveBar->timeLeft;
                msAtPause = sq::CurrentMillis();
            }
            musicStopped = musicStopped && music->channel->Suspended();
            clock->Advance(5000);  // a minute and more goes by on the wall clock
            if (++pausePolls == 15) Press('Z');
        } else if (playState == 6 && !asked && liveBar->timeLeft < 180) {
            asked = true;  // the level clock has ticked once: pause now
            Press('P');
        } else if (sawPause && !escaped) {
            escaped = true;
            timeAfter = liveBar->timeLeft;
            msAfter = sq::CurrentMillis();
            EXPECT_FALSE(music->channel->Suspended());
            sq::PostKeyDown(sq::kKeyEscape);
        } else if (playState == 5) {
            sq::PostKeyDown(sq::kKeySpace);
            sq::PostKeyDown(sq::kKeyEnter);
        }
    };
    PlayGame();
    ASSERT_TRUE(sawPause);
    EXPECT_GE(pausePolls, 15);
    EXPECT_TRUE(musicStopped);
    // 75 s went by on the source clock while paused; the game's clock, which
    // the level clock, the death sequence and every timed step read, saw
    // none of it. (A tick already due when the pause began may follow it.)
    EXPECT_LT(msAfter - msAtPause, 200);
    EXPECT_GE(timeAfter, timeAtPause - 1);
}

TEST_F(LevelTest, QuitRequestDuringPlayUnwindsTheLevelOnlyWhenArmed) {
    // Unarmed (as in every other test) a close request is only recorded.
    sq::PostQuitRequest();
    EXPECT_NO_THROW(sq::IsKeyDown(sq::kKeyLeft));
    sq::ResetQuit();

    sq::ArmQuit(true);
    int frames = 0;
    pump = [&] {
        if (playState == 6 && ++frames == 50) std::raise(SIGTERM);
    };
    sq::InstallQuitSignals();
    EXPECT_THROW(PlayGame(), sq::TQuitGame);
    EXPECT_EQ(sq::QuitSignal(), SIGTERM);
    EXPECT_EQ(frames, 50);  // the very next look at the keys ended it
    // The keyboard still works after the unwinding.
    sq::ArmQuit(false);
    sq::ResetQuit();
    pump = nullptr;
    sq::PostKeyDown(sq::kKeyLeft);
    EXPECT_EQ(sq::IsKeyDown(sq::kKeyLeft), 1);
    for (int signo : {SIGTERM, SIGINT, SIGHUP}) std::signal(signo, SIG_DFL);
}

}  // namespace
