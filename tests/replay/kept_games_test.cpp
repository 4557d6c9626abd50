// The player's kept games: every game replaces last.sqr; best.sqr only by a
// game that ended with a higher score; an abandoned game is kept as a replay
// that stops where it did, never as the best. And the keys that watch one.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/recent_games.h"
#include "app/replay_watch.h"
#include "platform/input/keyboard.h"
#include "platform/replay/replay_file.h"

namespace fs = std::filesystem;

namespace {

class KeptGamesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("kept_games_test_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    // A game whose one-byte stream tells the games apart.
    void Keep(uint8_t id, bool ended, int score) {
        KeepGameFiles(dir_.string() + "/", {{"game", "1.0.0"}, {"start", "game"}}, std::vector<uint8_t>(300, id),
                      "digest of " + std::to_string(id), ended, score);
    }
    uint8_t Id(const char* name) const {
        sq::TReplayContents c = sq::ReadReplayFile((dir_ / name).string());
        return c.stream.empty() ? 0 : c.stream[0];
    }
    fs::path dir_;
};

TEST_F(KeptGamesTest, TheLastGameIsAlwaysKeptAndOnlyABetterEndedOneBecomesTheBest) {
    EXPECT_EQ(KeptGameScore((dir_ / kBestGameFile).string()), -1);
    Keep(1, true, 1000);
    EXPECT_EQ(Id(kLastGameFile), 1);
    EXPECT_EQ(Id(kBestGameFile), 1);
    EXPECT_EQ(KeptGameScore((dir_ / kBestGameFile).string()), 1000);

    Keep(2, true, 400);  // worse
    EXPECT_EQ(Id(kLastGameFile), 2);
    EXPECT_EQ(Id(kBestGameFile), 1);
    Keep(3, true, 1000);  // only as good
    EXPECT_EQ(Id(kBestGameFile), 1);

    // Closed in the middle: kept without its digest, so it replays to where
    // it stopped; even a high score there is not a game that ended.
    Keep(4, false, 5000);
    sq::TReplayContents last = sq::ReadReplayFile((dir_ / kLastGameFile).string());
    EXPECT_EQ(last.stream, std::vector<uint8_t>(300, 4));
    EXPECT_FALSE(last.complete);
    EXPECT_EQ(last.Value("end"), "abandoned");
    EXPECT_EQ(Id(kBestGameFile), 1);

    Keep(5, true, 1001);
    EXPECT_EQ(Id(kBestGameFile), 5);
    sq::TReplayContents best = sq::ReadReplayFile((dir_ / kBestGameFile).string());
    EXPECT_TRUE(best.complete);
    EXPECT_EQ(best.digest, "digest of 5");
    EXPECT_EQ(best.Value("start"), "game");

    // A best file that cannot be read (damaged, or something else at the
    // name) counts as no best at all.
    std::ofstream(dir_ / kBestGameFile, std::ios::trunc) << "not a replay";
    EXPECT_EQ(KeptGameScore((dir_ / kBestGameFile).string()), -1);
    Keep(6, true, 10);
    EXPECT_EQ(Id(kBestGameFile), 6);
    // No temporary files are left behind.
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++files;
    EXPECT_EQ(files, 2);
}

// Watching a replay: F doubles the speed up to eight times and then starts
// again at one; P or Space holds it and lets it go; F lets a held replay go
// at the next speed; other keys change nothing.
TEST(ReplayWatchTest, TheKeysStepTheSpeedAndHoldTheReplay) {
    TWatchState s;
    std::vector<int> speeds;
    for (int i = 0; i < 5; ++i) {
        s = WatchKey(s, kWatchFaster);
        speeds.push_back(s.speed);
    }
    EXPECT_EQ(speeds, (std::vector<int>{2, 4, 8, 1, 2}));
    s = WatchKey(s, kWatchHold);
    EXPECT_TRUE(s.held);
    EXPECT_STREQ(WatchCaption(s.held ? 0 : s.speed), "REPLAY HELD");
    s = WatchKey(s, 'X');
    EXPECT_TRUE(s.held);
    s = WatchKey(s, sq::kKeySpace);
    EXPECT_FALSE(s.held);
    EXPECT_EQ(s.speed, 2);
    s = WatchKey(WatchKey(s, kWatchHold), kWatchFaster);
    EXPECT_FALSE(s.held);
    EXPECT_EQ(s.speed, 4);
    EXPECT_STREQ(WatchCaption(s.speed), "REPLAY 4X");
}

}  // namespace
