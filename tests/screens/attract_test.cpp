// The title's attract mode with the real levels, the game's own shipped
// demos and a driven clock: the menu waits its idle time and plays a demo;
// a key ends the demo at once, back to the menu after one fade, and is not a
// menu choice; the table is untouched; every shipped demo plays to its end;
// and a demo that no longer matches is skipped with one line on standard
// error while the menu stays as it is. Skipped when the game's data and
// demos have not been built.
#include "app/attract.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/resources.h"
#include "app/screen_flow.h"
#include "app/startup.h"
#include "core/globals.h"
#include "platform/input/keyboard.h"
#include "platform/replay/input_journal.h"
#include "platform/replay/replay_file.h"
#include "platform/system/clock.h"
#include "platform/system/quit_signals.h"
#include "platform/video/graphics.h"
#include "scores/hi_score.h"
#include "screen_fixture.h"
#include "screens/title.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class AttractTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        fs::path game = GameDir();
        if (!fs::exists(game / "demos" / "level_1.sqr") || !fs::exists(game / "gfx" / "MenuBack.png"))
            GTEST_SKIP() << "no game data or demos in " << game << " (build the game first)";
        for (const char* folder : {"gfx", "sfx", "musica", "maps"}) fs::create_directory_symlink(game / folder, folder);
        fs::create_directory("demos");
        for (const auto& e : fs::directory_iterator(game / "demos"))
            fs::copy_file(e.path(), "demos" / e.path().filename());
        LoadResources();
        ASSERT_TRUE(MissingFiles().empty()) << MissingFiles().front();
        CenterResourceHandles();
        CreateLongLivedObjects();
        title->Init();
        THiScore table;
        table.Init();
        table.Load();  // writes the default table
        tableBytes = ReadBytes(kHiScoreFile);
        ASSERT_FALSE(tableBytes.empty());
        SetAttractPaced(false);
        SetAttractIdleMillis(kAttractIdleMillis);
    }
    void TearDown() override {
        SetAttractPaced(true);
        SetAttractIdleMillis(kAttractIdleMillis);
        ScreenTest::TearDown();
    }
    std::string tableBytes;
};

TEST_F(AttractTest, AnIdleMenuPlaysADemoAndAKeyEndsItWithoutChoosing) {
    const uint32_t menuShown = clock->Peek();
    uint32_t demoStarted = 0;
    long pumpsInDemo = 0, pumpsToEnd = -1, framesAfter = -1;
    uint64_t lastFrame = sq::DrawStats().frames;
    bool gameStarted = false;
    pump = [&] {
        if (sq::CurrentJournalMode() == sq::JournalMode::kReplay) {
            if (demoStarted == 0) demoStarted = clock->Peek();
            // Some way into the level, Space goes down and stays down: on the
            // menu it would start a game.
            if (++pumpsInDemo == 400) sq::PostKeyDown(sq::kKeySpace);
            return;
        }
        // The menu at sixty frames a second.
        const bool newFrame = sq::DrawStats().frames != lastFrame;
        lastFrame = sq::DrawStats().frames;
        if (newFrame) clock->Advance(16);
        if (pumpsInDemo < 400) return;
        if (framesAfter < 0) pumpsToEnd = pumpsInDemo - 400;
        if (newFrame || framesAfter < 0) ++framesAfter;
        if (framesAfter > 0 && playState == kPlayStatePlaying) gameStarted = true;  // PlayGame runs
        // The operating system repeats the held key beyond the menu's fade
        // in (67 frames); let go after 100 frames. Then up to Quit, and
        // choose it.
        if (!newFrame) return;
        if (framesAfter < 100) sq::PostKeyDown(sq::kKeySpace, true);
        if (framesAfter == 100) sq::PostKeyUp(sq::kKeySpace);
        if (framesAfter == 104) sq::PostKeyDown(sq::kKeyUp);
        if (framesAfter == 106) sq::PostKeyUp(sq::kKeyUp);
        if (framesAfter == 110) Tap(sq::kKeySpace);
    };
    RunMenu();
    ASSERT_NE(demoStarted, 0u) << "no demo was played";
    // The idle time, then the menu's fade out.
    EXPECT_GE(demoStarted - menuShown, kAttractIdleMillis);
    EXPECT_LT(demoStarted - menuShown, kAttractIdleMillis + 3000);
    // The demo ended at the next look at the keys.
    EXPECT_LE(pumpsToEnd, 1);
    EXPECT_FALSE(gameStarted) << "the key that ended the demo started a game";
    EXPECT_EQ(title->selected, 5);     // Quit, one step up from Start
    EXPECT_LE(framesAfter, 110 + 70);  // chosen at once, then the menu's fade out
    EXPECT_EQ(ReadBytes(kHiScoreFile), tableBytes);
}

// A signal or a close request in the middle of a demo ends the run as it
// does anywhere else: the quit leaves the menu, and nothing stops the
// program on the way (the demo gives back what it borrowed as it unwinds).
TEST_F(AttractTest, AQuitDuringADemoEndsTheRunCleanly) {
    long pumpsInDemo = 0;
    uint64_t lastFrame = sq::DrawStats().frames;
    pump = [&] {
        if (sq::CurrentJournalMode() == sq::JournalMode::kReplay) {
            if (++pumpsInDemo == 300) sq::RequestQuit();
            return;
        }
        if (sq::DrawStats().frames != lastFrame) clock->Advance(16);
        lastFrame = sq::DrawStats().frames;
    };
    sq::ArmQuit(true);
    EXPECT_THROW(RunMenu(), sq::TQuitGame);
    sq::ArmQuit(false);
    sq::ResetQuit();
    EXPECT_GE(pumpsInDemo, 300) << "the demo did not get as far as the quit";
    EXPECT_NE(sq::CurrentJournalMode(), sq::JournalMode::kReplay) << "the demo's journal outlived it";
    EXPECT_EQ(ReadBytes(kHiScoreFile), tableBytes);
}

TEST_F(AttractTest, EveryShippedDemoPlaysToTheLevelsExitInTurn) {
    std::vector<std::string> demos = ShippedDemos();
    ASSERT_EQ(demos.size(), 6u);
    EXPECT_EQ(demos.front(), "demos/level_1.sqr");
    EXPECT_EQ(demos.back(), "demos/level_6.sqr");
    for (const std::string& demo : demos) {
        SCOPED_TRACE(demo);
        EXPECT_EQ(PlayAttractDemo(demo), TDemoEnd::kPlayed);
        EXPECT_EQ(playState, kPlayStateExitReached);
        EXPECT_EQ(currentLevel, std::stoi(demo.substr(12)));
        EXPECT_EQ(sq::CurrentJournalMode(), sq::JournalMode::kOff);
    }
    // In turn, wrapping round: the seventh idle period plays level 1 again.
    TAttract attract;
    std::vector<int> levels;
    for (int i = 0; i < 7; ++i) {
        ASSERT_TRUE(attract.PlayNext(nullptr));
        levels.push_back(currentLevel);
    }
    EXPECT_EQ(levels, (std::vector<int>{1, 2, 3, 4, 5, 6, 1}));
    EXPECT_EQ(ReadBytes(kHiScoreFile), tableBytes);
}

TEST_F(AttractTest, ADemoThatNoLongerMatchesIsSkippedWithOneLine) {
    sq::TReplayContents demo = sq::ReadReplayFile("demos/level_1.sqr");
    // Other level data: refused before the menu fades.
    sq::TReplayContents other = demo;
    for (auto& [key, value] : other.header)
        if (key == "map" && value.rfind("maps/level_3.FMP ", 0) == 0) value = "maps/level_3.FMP 1 0000000000000000";
    // A key changed while playing (the last jump of the level's road turned
    // into a press of Down): out of step at a checkpoint.
    sq::TReplayContents changed = demo;
    std::size_t lastJump = 0;
    for (std::size_t i = 0; i + 2 < changed.stream.size(); ++i)
        if (changed.stream[i] == sq::kJournalKeyDown && changed.stream[i + 1] < 0x80 && changed.stream[i + 2] == 38)
            lastJump = i + 2;
    ASSERT_GT(lastJump, 0u) << "the level 1 demo jumps at least once";
    changed.stream[lastJump] = 40;
    fs::remove_all("demos");
    fs::create_directory("demos");
    std::ofstream("demos/a.sqr", std::ios::binary) << sq::PackReplay(other.header, other.stream, other.digest);
    std::ofstream("demos/b.sqr", std::ios::binary) << sq::PackReplay(changed.header, changed.stream, changed.digest);
    std::ofstream("demos/c.sqr", std::ios::binary) << "SNOWQUILL REPLAY\nformat 9\n";

    TAttract attract;
    int fades = 0;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(attract.PlayNext([&] { ++fades; }));
    std::string refused = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(fades, 0) << "the menu faded for a demo it could not play";
    EXPECT_NE(refused.find("demos/a.sqr"), std::string::npos) << refused;
    EXPECT_NE(refused.find("maps/level_3.FMP"), std::string::npos) << refused;
    EXPECT_EQ(std::count(refused.begin(), refused.end(), '\n'), 1) << refused;

    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(attract.PlayNext([&] { ++fades; }));
    std::string stopped = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(fades, 1);
    EXPECT_NE(stopped.find("demos/b.sqr"), std::string::npos) << stopped;
    EXPECT_NE(stopped.find("out of step at "), std::string::npos) << stopped;
    EXPECT_EQ(std::count(stopped.begin(), stopped.end(), '\n'), 1) << stopped;
    EXPECT_EQ(sq::CurrentJournalMode(), sq::JournalMode::kOff);

    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(attract.PlayNext(nullptr));
    std::string later = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(later.find("format 9"), std::string::npos) << later;
    EXPECT_EQ(ReadBytes(kHiScoreFile), tableBytes);
}

}  // namespace
