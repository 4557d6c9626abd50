// The game's six levels, played headless from the generated maps (skipped
// when the maps have not been generated into the game folder).
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "core/globals.h"
#include "game/enemy.h"
#include "game/live_bar.h"
#include "game/main_game_loop.h"
#include "game/player.h"
#include "game_test_support.h"
#include "map/fmp_map.h"
#include "platform/system/runtime_error.h"

namespace {

class RealLevelTest : public LevelFixture, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        LevelFixture::SetUp();
        const std::filesystem::path dir = SNOWQUILL_GAME_DIR;
        const auto file = dir / "maps" / ("level_" + std::to_string(GetParam()) + ".FMP");
        if (!std::filesystem::exists(file)) GTEST_SKIP() << "no generated map " << file;
        saved_ = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }
    void TearDown() override {
        if (!saved_.empty()) std::filesystem::current_path(saved_);
        LevelFixture::TearDown();
    }
    std::filesystem::path saved_;
};

TEST_P(RealLevelTest, SetsUpAndEveryMonsterPatrols) {
    const int level = GetParam();
    sim->LoadLevel(level);
    const TLevelInfo& info = LevelInfo(level);
    ASSERT_GT(levelMap->mapWidth, 0);
    EXPECT_EQ(P().mapPixelWidth, levelMap->mapWidth * levelMap->blockWidth);
    EXPECT_EQ(int(enemies->enemyList.Size()), int(info.kind2.size() + info.kind1.size()));
    EXPECT_EQ(P().x, info.startX);
    EXPECT_EQ(P().y, info.startY);
    EXPECT_EQ(liveBar->timeLeft, info.timeLimit);
    liveBar->lives = -1;  // nothing may end the run
    // A monster placed without ground under both corners, or squeezed
    // between walls, turns on every step and never leaves its spot. (Its x
    // after a fixed number of steps proves nothing: on a platform whose
    // width fits its pace it is back on its start pixel after whole rounds.)
    std::vector<float> start, farthest;
    for (const auto& e : enemies->enemyList) start.push_back(e->sprite->x);
    farthest.assign(start.size(), 0.0f);
    for (int step = 0; step < 1000; ++step) {
        Steps(0, 1);
        std::size_t i = 0;
        for (const auto& e : enemies->enemyList) {
            farthest[i] = std::max(farthest[i], std::abs(e->sprite->x - start[i]));
            ++i;
        }
    }
    EXPECT_EQ(playState, 6) << "standing at the start is not the exit";
    for (std::size_t i = 0; i < start.size(); ++i)
        EXPECT_GE(farthest[i], 4.0f) << "level " << level << " monster " << i << " at (" << start[i]
                                     << ") does not patrol";
    // The player stands on ground at the start rather than falling away.
    EXPECT_NEAR(P().y, info.startY, 40.0f);
}

INSTANTIATE_TEST_SUITE_P(Levels, RealLevelTest, ::testing::Range(1, 7));

}  // namespace

namespace {

// A damaged level file stops the game with the loader's reason and the
// file's name rather than dropping the player into an empty map.
class BrokenLevelTest : public LevelFixture {
protected:
    void SetUp() override {
        LevelFixture::SetUp();
        dir_ = std::filesystem::temp_directory_path() / ("sq_broken_level_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_ / "maps");
        saved_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);
    }
    void TearDown() override {
        std::filesystem::current_path(saved_);
        std::filesystem::remove_all(dir_);
        LevelFixture::TearDown();
    }
    void WriteMap(const std::string& bytes) {
        std::FILE* f = std::fopen("maps/level_1.FMP", "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    std::filesystem::path dir_, saved_;
};

TEST_F(BrokenLevelTest, ARefusedOrEmptyMapNamesTheFile) {
    const std::string headers[] = {
        // A header whose sizes are far past the limits.
        std::string("FORM\x00\x00\x00\x2c"
                    "FMAP"
                    "MPHD\x00\x00\x00\x18",
                    20) +
            std::string(
                "\x01\x00\x01\x00\x00\x00\x00\x00\xff\x7f\xff\x7f\x10\x00\x10\x00\x10\x00\x20\x00\x01\x00\x00\x00", 24),
        // A container with no chunks at all.
        std::string("FORM\x00\x00\x00\x04"
                    "FMAP",
                    12),
    };
    for (const std::string& bytes : headers) {
        WriteMap(bytes);
        try {
            sim->LoadLevel(1);
            ADD_FAILURE() << "a broken map was accepted";
        } catch (const sq::TRuntimeError& e) {
            EXPECT_NE(std::string(e.Subject()).find("level_1.FMP"), std::string::npos) << e.Subject();
            EXPECT_STRNE(e.what(), "");
        }
    }
}

}  // namespace
