// What a replay says about the game it was made with, and the key scripts
// that drive recorded runs: a replay made elsewhere is refused with the
// reason, and a script with a mistake is refused with its line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/replay.h"

namespace fs = std::filesystem;

namespace {

class ReplayHeaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = fs::current_path();
        dir_ = fs::temp_directory_path() / ("replay_header_test_" + std::to_string(::getpid()));
        fs::create_directories(dir_ / "maps");
        for (int i = 1; i <= 6; ++i)
            std::ofstream(dir_ / "maps" / ("level_" + std::to_string(i) + ".FMP")) << "map " << i;
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(old_);
        fs::remove_all(dir_);
    }
    static sq::TReplayContents WithHeader(const TReplayHeader& h) {
        sq::TReplayContents c;
        c.header = h;
        return c;
    }
    fs::path old_, dir_;
};

TEST_F(ReplayHeaderTest, AReplayOfOtherDataOrAnotherVersionIsRefusedSayingWhy) {
    TReplayHeader here = DescribeThisGame(3);
    EXPECT_EQ(CompareWithThisGame(WithHeader(here)), "");

    std::ofstream(dir_ / "maps/level_4.FMP") << "map 4, reshaped";
    std::string why = CompareWithThisGame(WithHeader(here));
    EXPECT_NE(why.find("maps/level_4.FMP"), std::string::npos) << why;
    EXPECT_EQ(why.find("level_3"), std::string::npos) << why;
    here = DescribeThisGame(3);

    TReplayHeader older = here;
    for (auto& [k, v] : older)
        if (k == "game") v = "0.9.0";
    EXPECT_NE(CompareWithThisGame(WithHeader(older)).find("version 0.9.0"), std::string::npos);

    for (const char* start : {"level 7", "level 0", "level 3x", "somewhere"}) {
        TReplayHeader bad = here;
        for (auto& [k, v] : bad)
            if (k == "start") v = start;
        EXPECT_NE(CompareWithThisGame(WithHeader(bad)), "") << start;
    }
    TReplayHeader badScores = here;
    for (auto& [k, v] : badScores)
        if (k == "scores") v = "abc";
    EXPECT_NE(CompareWithThisGame(WithHeader(badScores)), "");
    // A header missing its maps is not this game's either.
    TReplayHeader noMaps;
    for (const auto& kv : here)
        if (kv.first != "map") noMaps.push_back(kv);
    EXPECT_NE(CompareWithThisGame(WithHeader(noMaps)), "");
}

TEST(KeyScriptTest, ScriptsReadAsWrittenAndMistakesNameTheirLine) {
    auto lines = ParseKeyScript("# a comment\nseed 12\n\npress left  # held\nsteps 0F8a\nuntil exit 300\ntype Santa1\n",
                                "demo.keys");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].number, 12);
    EXPECT_EQ(lines[1].number, 37);
    EXPECT_EQ(lines[2].argument, "0f8a");
    EXPECT_EQ(lines[3].number, 300);
    EXPECT_EQ(lines[3].line, 6);
    for (const char* bad : {"jump 3", "press elbow", "steps 12g", "wait 0", "wait -1", "until dawn", "type a-b",
                            "tap space space", "seed 99999999999"}) {
        try {
            ParseKeyScript(std::string("seed 1\n") + bad + "\n", "demo.keys");
            ADD_FAILURE() << "accepted: " << bad;
        } catch (const sq::TReplayError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("demo.keys line 2: ", 0), 0u) << e.what();
        }
    }
}

}  // namespace
