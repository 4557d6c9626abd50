// One game through PlayGame with the real levels and a driven clock: a level
// completed leads to the next, level 6 to the end screen, Escape and the
// last life lost to the game-over tally, and every game ends back at level 1.
// Skipped when the game's data has not been built.
#include <cstdlib>
#include <filesystem>
#include <set>

#include "app/resources.h"
#include "app/screen_flow.h"
#include "app/startup.h"
#include "audio/game_music.h"
#include "core/globals.h"
#include "game/game_score.h"
#include "game/live_bar.h"
#include "platform/input/keyboard.h"
#include "scores/hi_score.h"
#include "screen_fixture.h"

namespace fs = std::filesystem;

namespace {

class PlayGameTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        fs::path game = GameDir();
        if (!HasLevel(1) || !fs::exists(game / "gfx" / "MenuBack.png") || !fs::exists(game / "sfx" / "Key.ogg"))
            GTEST_SKIP() << "no game data in " << game << " (build the data first)";
        // The real pictures, sounds and maps, and a table file of our own.
        for (const char* folder : {"gfx", "sfx", "musica", "maps"}) fs::create_directory_symlink(game / folder, folder);
        LoadResources();
        ASSERT_TRUE(MissingFiles().empty()) << MissingFiles().front();
        CenterResourceHandles();
        CreateLongLivedObjects();
        // As the menu does before a game.
        gameScore->Reset();
        SelectTune(1);
        music->Play();
        currentLevel = 1;
        playState = 1;
    }

    static bool HasLevel(int level) {
        return fs::exists(GameDir() / "maps" / ("level_" + std::to_string(level) + ".FMP"));
    }

    std::shared_ptr<HiScoreItem> TopEntry() {
        auto table = std::make_shared<THiScore>();
        table->entries = DefaultHiScoreTable();
        table->Load();
        return table->entries->ValueAt(0);
    }

    // The keys the tallies and the name entry wait for.
    static void AnswerScreens() {
        sq::PostKeyDown(sq::kKeySpace);
        sq::PostKeyDown(sq::kKeyEnter);
    }
    std::set<int> levelsPlayed;
};

TEST_F(PlayGameTest, ACompletedLevelLeadsToTheNextAndEscapeEndsTheGame) {
    if (!HasLevel(2)) GTEST_SKIP() << "level 2 has not been built";
    pump = [&] {
        if (playState == 6) {
            levelsPlayed.insert(currentLevel);
            if (currentLevel == 1)
                playState = 4;  // the player steps on the exit
            else
                sq::PostKeyDown(sq::kKeyEscape);
        } else if (playState == 4 || playState == 5) {
            AnswerScreens();
        }
    };
    PlayGame();
    EXPECT_EQ(levelsPlayed, (std::set<int>{1, 2}));
    EXPECT_EQ(currentLevel, 1);
    EXPECT_EQ(playState, 5);
    // Level 1 was tallied with its time left; the game ended on level 2.
    EXPECT_GT(gameScore->total, 0);
    auto top = TopEntry();
    EXPECT_EQ(top->score, gameScore->total);
    EXPECT_EQ(top->level, 2);
    EXPECT_EQ(top->name, std::string(12, ' '));
}

TEST_F(PlayGameTest, TheExitOfLevelSixShowsTheEndScreen) {
    if (!HasLevel(6)) GTEST_SKIP() << "level 6 has not been built";
    currentLevel = 6;
    gameScore->total = 50000;  // sure of a place in the table
    pump = [&] {
        if (playState == 6) {
            levelsPlayed.insert(currentLevel);
            playState = 4;
        } else {
            AnswerScreens();
            sq::PostKeyDown('Z');  // any key leaves the end screen
        }
    };
    PlayGame();
    EXPECT_EQ(levelsPlayed, std::set<int>{6});
    EXPECT_EQ(currentLevel, 1);
    EXPECT_EQ(TopEntry()->level, 6);
}

// A game played at half speed is tallied as any other but never reaches the
// table: no name is asked for and the file is not touched.
TEST_F(PlayGameTest, AnAssistedGameIsNotEnteredInTheTable) {
    gameSpeed = 50;
    gameScore->total = 50000;  // a place in the table at full speed
    pump = [&] {
        if (playState == 6) {
            sq::PostKeyDown(sq::kKeyEscape);
        } else if (playState == 5) {
            sq::PostKeyDown(sq::kKeySpace);  // the tally; never Enter, which a name entry would need
        }
    };
    const bool hadTable = fs::exists(kHiScoreFile);
    const auto before = hadTable ? fs::last_write_time(kHiScoreFile) : fs::file_time_type{};
    PlayGame();
    EXPECT_EQ(playState, 5);
    ASSERT_EQ(fs::exists(kHiScoreFile), hadTable);
    if (hadTable) {
        EXPECT_EQ(fs::last_write_time(kHiScoreFile), before);
    }
    EXPECT_NE(TopEntry()->score, gameScore->total);
}

TEST_F(PlayGameTest, TheClockRunningOutOnTheLastLifeEndsTheGame) {
    bool armed = false;
    pump = [&] {
        if (playState == 6 && !armed) {
            levelsPlayed.insert(currentLevel);
            liveBar->lives = 0;
            liveBar->timeLeft = 2;  // two ticks of the level clock left
            armed = true;
        } else if (playState == 5) {
            AnswerScreens();
        }
    };
    int startMs = sq::CurrentMillis();
    PlayGame();
    EXPECT_GT(sq::CurrentMillis() - startMs, 2002);
    EXPECT_EQ(liveBar->lives, -1);
    EXPECT_EQ(levelsPlayed, std::set<int>{1});
    EXPECT_EQ(currentLevel, 1);
}

}  // namespace
