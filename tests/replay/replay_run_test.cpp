// Whole runs of the real game binary: a scripted run recorded and replayed
// gives the same final state every time and on every path (headless, drawn
// and paced to the recorded clock, timedemo); replays of other level data, of
// cut-off and of damaged files are handled as they should be.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/replay/input_journal.h"
#include "platform/replay/replay_file.h"

namespace fs = std::filesystem;

namespace {

struct TRun {
    int status = -1;
    std::string output;
    std::string Digest() const {
        std::size_t at = output.find("digest ");
        return at == std::string::npos ? "" : output.substr(at, output.find('\n', at) - at);
    }
};

TRun RunGame(const fs::path& dir, const std::string& args) {
    std::string command = "cd '" + dir.string() + "' && ./snowquill " + args + " 2>&1";
    TRun run;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return run;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) run.output.append(buf, n);
    int raw = pclose(p);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

class ReplayRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        game_ = SQ_GAME_DIR;
        if (!fs::exists(game_ / "snowquill") || !fs::exists(game_ / "maps/level_1.FMP")) return;
        work_ = fs::temp_directory_path() / ("replay_run_test_" + std::to_string(::getpid()));
        fs::create_directories(work_);
        // Walk right, jump twice, throw a gift, then give up the level.
        std::ofstream(work_ / "walk.keys") << "seed 4242\nwait 40\npress right\nwait 200\ntap up\nwait 150\n"
                                              "tap ctrl\nsteps 2222266666622222222228888000\nwait 300\ntap escape\n";
        recorded_ = RunGame(game_, "--record '" + (work_ / "walk.sqr").string() + "' --level 1 --script '" +
                                       (work_ / "walk.keys").string() + "'");
        // A short one for the drawn paths: every frame is drawn by the software renderer.
        std::ofstream(work_ / "short.keys") << "seed 99\npress right\nwait 60\ntap up\nwait 40\ntap escape\n";
        short_ = RunGame(game_, "--record '" + (work_ / "short.sqr").string() + "' --level 1 --script '" +
                                    (work_ / "short.keys").string() + "'");
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        if (!work_.empty()) fs::remove_all(work_, ec);
    }
    void SetUp() override {
        if (work_.empty()) GTEST_SKIP() << "the game folder " << game_ << " has no binary or no maps";
        ASSERT_EQ(recorded_.status, 0) << recorded_.output;
        ASSERT_NE(recorded_.Digest(), "") << recorded_.output;
    }
    std::string Replay(const std::string& flags) const {
        return "--replay '" + (work_ / "walk.sqr").string() + "' " + flags;
    }

    static fs::path game_, work_;
    static TRun recorded_, short_;
};
fs::path ReplayRunTest::game_, ReplayRunTest::work_;
TRun ReplayRunTest::recorded_, ReplayRunTest::short_;

TEST_F(ReplayRunTest, EveryReplayEndsInTheRecordedState) {
    TRun first = RunGame(game_, Replay("--headless"));
    TRun second = RunGame(game_, Replay("--headless"));
    EXPECT_EQ(first.status, 0) << first.output;
    EXPECT_EQ(first.Digest(), recorded_.Digest());
    EXPECT_EQ(second.Digest(), recorded_.Digest());
    EXPECT_NE(first.output.find("the replay matches its recording"), std::string::npos);
    // The run was given up with Escape on level 1, having moved away from the start.
    EXPECT_NE(recorded_.Digest().find("state=5 level=1"), std::string::npos) << recorded_.Digest();

    // Drawn and paced to the recorded clock: seconds of wall time instead of
    // a fraction, so every frame comes at another point of the game clock.
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display for the drawn replay";
    ASSERT_EQ(short_.status, 0) << short_.output;
    const std::string shortReplay = "--replay '" + (work_ / "short.sqr").string() + "' --windowed";
    TRun drawn = RunGame(game_, shortReplay);
    EXPECT_EQ(drawn.status, 0) << drawn.output;
    EXPECT_EQ(drawn.Digest(), short_.Digest());
    TRun timed = RunGame(game_, shortReplay + " --timedemo");
    EXPECT_EQ(timed.status, 0) << timed.output;
    EXPECT_EQ(timed.Digest(), short_.Digest());
    EXPECT_NE(timed.output.find("frames per second, frame time p50"), std::string::npos) << timed.output;
}

TEST_F(ReplayRunTest, AReplayOfOtherLevelDataIsRefusedNamingTheMap) {
    fs::path other = work_ / "other";
    fs::create_directories(other / "maps");
    for (const char* sub : {"gfx", "sfx", "musica"}) fs::create_directory_symlink(game_ / sub, other / sub);
    // A copy, not a link: the game takes its data from beside its own executable.
    fs::copy_file(game_ / "snowquill", other / "snowquill");
    for (const auto& e : fs::directory_iterator(game_ / "maps"))
        fs::copy_file(e.path(), other / "maps" / e.path().filename());
    {
        std::fstream f(other / "maps/level_2.FMP", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(-1, std::ios::end);
        f.put('\x5A');
    }
    TRun run = RunGame(other, Replay("--headless"));
    EXPECT_EQ(run.status, 3) << run.output;
    EXPECT_NE(run.output.find("level data differs"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("maps/level_2.FMP"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("maps/level_1.FMP"), std::string::npos) << run.output;
}

TEST_F(ReplayRunTest, ACutOffFileReplaysToItsEndAndADamagedOneIsRefused) {
    std::ifstream in(work_ / "walk.sqr", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 400u);
    std::ofstream(work_ / "cut.sqr", std::ios::binary) << bytes.substr(0, bytes.size() - 120);
    TRun cut = RunGame(game_, "--replay '" + (work_ / "cut.sqr").string() + "' --headless");
    EXPECT_EQ(cut.status, 4) << cut.output;
    EXPECT_NE(cut.output.find("is truncated"), std::string::npos) << cut.output;
    EXPECT_NE(cut.Digest(), "");

    std::string damaged = bytes;
    damaged[bytes.find("stream\n") + 30] ^= 0x11;
    std::ofstream(work_ / "damaged.sqr", std::ios::binary) << damaged;
    TRun bad = RunGame(game_, "--replay '" + (work_ / "damaged.sqr").string() + "' --headless");
    EXPECT_EQ(bad.status, 3) << bad.output;
    EXPECT_NE(bad.output.find("damaged"), std::string::npos) << bad.output;
}

// The byte offsets of the key byte of every key press in a journal stream.
std::vector<std::size_t> KeyPressBytes(const std::vector<uint8_t>& s) {
    std::vector<std::size_t> presses;
    std::size_t pos = 0;
    auto skipNumber = [&] {
        while (pos < s.size() && (s[pos] & 0x80)) ++pos;
        ++pos;
    };
    while (pos < s.size()) {
        uint8_t tag = s[pos++];
        if (tag == sq::kJournalClock || tag == sq::kJournalSeed || tag == sq::kJournalFocus ||
            tag == sq::kJournalFocusLost) {
            skipNumber();
        } else if (tag >= sq::kJournalKeyDown && tag <= sq::kJournalKeyUp) {
            skipNumber();
            if (tag == sq::kJournalKeyDown) presses.push_back(pos);
            ++pos;
        } else if (tag == sq::kJournalCheckpoint) {
            std::size_t count = s[pos];
            skipNumber();
            for (std::size_t i = 0; i < count; ++i) skipNumber();
        } else if (tag != sq::kJournalChannelIdle && tag != sq::kJournalChannelBusy) {
            ADD_FAILURE() << "unknown tag " << int(tag) << " at byte " << pos - 1;
            break;
        }
    }
    return presses;
}

TEST_F(ReplayRunTest, AChangedKeyStopsTheReplayAtTheFirstDifferingCheckpoint) {
    sq::TReplayContents c = sq::ReadReplayFile((work_ / "walk.sqr").string());
    EXPECT_EQ(c.format, sq::kReplayFormat);
    EXPECT_EQ(c.Value("checkpoints"), "1000");
    std::vector<std::size_t> presses = KeyPressBytes(c.stream);
    // Right, Up, Control, then the steps' presses and Escape. The jump in
    // the middle becomes a press of Down: the player stays on the ground.
    ASSERT_GE(presses.size(), 4u);
    ASSERT_EQ(c.stream[presses[1]], 38);
    c.stream[presses[1]] = 40;
    sq::TReplayWriter w;
    w.Open((work_ / "changed.sqr").string(), c.header);
    w.AppendChunk(c.stream.data(), c.stream.size());
    w.Finish(c.digest);
    TRun run = RunGame(game_, "--replay '" + (work_ / "changed.sqr").string() + "' --headless");
    EXPECT_EQ(run.status, 1) << run.output;
    // The jump started 1.2 s in: the checkpoint of 2.0 s has the player
    // lower than the recording, and says so.
    EXPECT_NE(run.output.find("out of step at 2.0 s: "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("player y "), std::string::npos) << run.output;
}

}  // namespace

// A game played at half speed is recorded with its speed and replays to the
// same final state; the same keys at full speed end elsewhere.
TEST_F(ReplayRunTest, ARecordingAtHalfSpeedReplaysExactly) {
    std::ofstream(work_ / "slow.ini") << "game_speed = 50\n";
    TRun slow = RunGame(game_, "--record '" + (work_ / "slow.sqr").string() + "' --level 1 --script '" +
                                   (work_ / "walk.keys").string() + "' --settings-file '" +
                                   (work_ / "slow.ini").string() + "'");
    ASSERT_EQ(slow.status, 0) << slow.output;
    sq::TReplayContents contents = sq::ReadReplayFile((work_ / "slow.sqr").string());
    EXPECT_EQ(contents.Value("speed"), "50");
    EXPECT_NE(slow.Digest(), recorded_.Digest()) << "the same keys at half speed get less far";
    TRun replayed = RunGame(game_, "--replay '" + (work_ / "slow.sqr").string() + "' --headless");
    EXPECT_EQ(replayed.status, 0) << replayed.output;
    EXPECT_EQ(replayed.Digest(), slow.Digest());
    // The recording's speed holds, whatever the settings of the computer replaying it.
    std::ofstream(work_ / "fast.ini") << "game_speed = 100\n";
    TRun again = RunGame(game_, "--replay '" + (work_ / "slow.sqr").string() + "' --headless --settings-file '" +
                                    (work_ / "fast.ini").string() + "'");
    EXPECT_EQ(again.Digest(), slow.Digest());
}
