#include "app/replay.h"

#include <stdlib.h>

#include <algorithm>
#include <bitset>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>

#include "app/frame_timer.h"
#include "app/recent_games.h"
#include "app/replay_watch.h"
#include "core/globals.h"
#include "core/settings_file.h"
#include "game/enemy.h"
#include "game/game_score.h"
#include "game/level_table.h"
#include "game/live_bar.h"
#include "game/player.h"
#include "platform/files/safe_file.h"
#include "platform/input/keyboard.h"
#include "platform/replay/input_journal.h"
#include "platform/system/clock.h"
#include "platform/system/runtime_error.h"
#include "platform/video/graphics.h"
#include "scores/hi_score.h"
#include "screens/title.h"

using namespace sq;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kScriptFrameMs = 5;        // one logic step per scripted frame
constexpr int kScriptGraceFrames = 200 * 60;  // after the script: a minute for the run to end by itself

// The run plays in a folder of its own: the game's data folders linked in,
// and the high-score file the recording started with, so that a replay
// neither reads nor overwrites the player's own table.
class TSandbox {
public:
    explicit TSandbox(const std::optional<std::vector<uint8_t>>& scores) {
        original_ = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "snowquill-run-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw TRuntimeError("Could not make a folder for the run", pattern);
        dir_ = pattern;
        for (const char* sub : {"gfx", "sfx", "musica", "maps"}) {
            std::error_code ec;
            if (fs::exists(original_ / sub)) fs::create_directory_symlink(original_ / sub, dir_ / sub, ec);
        }
        if (scores) {
            std::ofstream out(dir_ / kHiScoreFile, std::ios::binary);
            out.write(reinterpret_cast<const char*>(scores->data()), std::streamsize(scores->size()));
            if (!out)
                throw TRuntimeError("Could not write the high-score file for the run", (dir_ / kHiScoreFile).string());
        }
        fs::current_path(dir_);
        // The table the run reads and writes is the sandbox's, wherever the
        // player's own is kept.
        originalScores_ = HiScoreFilePath();
        SetHiScoreFilePath((dir_ / kHiScoreFile).string());
    }
    ~TSandbox() {
        std::error_code ec;
        SetHiScoreFilePath(originalScores_);
        fs::current_path(original_, ec);
        fs::remove_all(dir_, ec);  // the links go, not what they point to
    }
    TSandbox(const TSandbox&) = delete;
    TSandbox& operator=(const TSandbox&) = delete;

private:
    fs::path original_, dir_;
    std::string originalScores_;
};

// The clock of a scripted run: every frame the game presents (and every
// idle wait) is one logic step of game time, and each frame the script
// decides which keys are held, delivered as window events by the next pump.
class TScriptClock : public IClock {
public:
    TScriptClock(std::vector<TKeyScriptLine> script, std::string name)
        : script_(std::move(script)), name_(std::move(name)) {
        for (const TKeyScriptLine& l : script_)
            if (l.command == "seed") now_ = uint32_t(l.number);
    }
    uint32_t Millis() override { return now_; }
    void SleepUntil(uint32_t) override {
        now_ += kScriptFrameMs;
        Frame();
    }

private:
    void Set(int key, bool down) {
        if (held_[std::size_t(key)] == down) return;
        held_[std::size_t(key)] = down;
        QueueKeyEvent(key, down);
    }
    void SetStepKeys(int bits) {
        Set(kKeyLeft, bits & 1);
        Set(kKeyRight, bits & 2);
        Set(kKeyUp, bits & 4);
        Set(kKeyLControl, bits & 8);
    }
    bool Holds(const std::string& what) const {
        if (what == "playing") return playState == kPlayStatePlaying;
        if (what == "exit") return playState == kPlayStateExitReached;
        if (what == "over") return playState == kPlayStateGameOver;
        if (what == "menu") return playState == kPlayStateMenu;
        return false;
    }
    [[noreturn]] void Fail(const TKeyScriptLine& l, const std::string& why) const {
        throw TRuntimeError("The key script stopped: " + why, name_ + " line " + std::to_string(l.line));
    }

    void Frame() {
        for (int key : releaseNext_) Set(key, false);
        releaseNext_.clear();
        if (wait_ > 0) {
            --wait_;
            return;
        }
        if (giveUpOnDeath_ && liveBar && liveBar->lives < 2 && playState == kPlayStatePlaying) {
            // The demo maker's probe: the first lost life ends the run here.
            Set(kKeyEscape, true);
            return;
        }
        while (index_ < script_.size()) {
            const TKeyScriptLine& l = script_[index_];
            if (l.command == "seed") {
                ++index_;
            } else if (l.command == "giveup-on-death") {
                giveUpOnDeath_ = true;
                ++index_;
            } else if (l.command == "press" || l.command == "release") {
                Set(l.number, l.command == "press");
                ++index_;
            } else if (l.command == "tap") {
                Set(l.number, true);
                releaseNext_.push_back(l.number);
                ++index_;
                return;
            } else if (l.command == "wait") {
                wait_ = l.number - 1;
                ++index_;
                return;
            } else if (l.command == "until") {
                if (Holds(l.argument)) {
                    untilFrames_ = 0;
                    ++index_;
                    continue;
                }
                if (++untilFrames_ > l.number)
                    Fail(l, "\"" + l.argument + "\" did not come within " + std::to_string(l.number) + " frames");
                return;
            } else if (l.command == "steps") {
                char c = l.argument[pos_];
                SetStepKeys(c <= '9' ? c - '0' : c - 'a' + 10);
                if (++pos_ >= l.argument.size()) {
                    pos_ = 0;
                    ++index_;
                }
                return;
            } else if (l.command == "type") {
                // A key down in one frame, up in the next, then the next letter.
                if (pos_ % 2 == 0) {
                    char c = l.argument[pos_ / 2];
                    int key = c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
                    Set(key, true);
                    releaseNext_.push_back(key);
                }
                if (++pos_ >= 2 * l.argument.size()) {
                    pos_ = 0;
                    ++index_;
                }
                return;
            }
        }
        // The script is done: let go of everything; a run that does not end
        // by itself is stopped with Escape, and one that ignores even that fails.
        SetStepKeys(0);
        ++afterEnd_;
        if (afterEnd_ == kScriptGraceFrames) Set(kKeyEscape, true);
        if (afterEnd_ == kScriptGraceFrames + 1) Set(kKeyEscape, false);
        if (afterEnd_ > 2 * kScriptGraceFrames) throw TRuntimeError("The key script ended but the game did not", name_);
    }

    std::vector<TKeyScriptLine> script_;
    std::string name_;
    uint32_t now_ = 1000;
    std::size_t index_ = 0, pos_ = 0;
    int wait_ = 0, untilFrames_ = 0, afterEnd_ = 0;
    bool giveUpOnDeath_ = false;
    std::bitset<256> held_;
    std::vector<int> releaseNext_;
};

std::string ReadTextFile(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) throw TReplayError(path + ": cannot read the key script");
    return text;
}

int Record(TStartOptions start, const TReplayOptions& options) {
    if (options.recordPath.empty()) {
        std::fprintf(stderr, "snowquill: --script needs --record FILE\n");
        return 2;
    }
    const std::string recordPath = fs::absolute(options.recordPath).string();
    std::shared_ptr<TScriptClock> scriptClock;
    std::optional<TSandbox> sandbox;
    if (!options.scriptPath.empty()) {
        try {
            scriptClock = std::make_shared<TScriptClock>(
                ParseKeyScript(ReadTextFile(options.scriptPath), options.scriptPath), options.scriptPath);
        } catch (const TReplayError& e) {
            std::fprintf(stderr, "snowquill: %s\n", e.what());
            return 2;
        }
        // A scripted run starts from the default high-score table and leaves
        // the player's own alone.
        start.headless = true;
        sandbox.emplace(std::nullopt);
    }
    TReplayWriter writer;
    try {
        TReplayHeader header = DescribeThisGame(start.startLevel);
        for (auto& [key, value] : header)
            if (key == "start" && options.demo) value = "demo " + std::to_string(start.startLevel);
        writer.Open(recordPath, header);
    } catch (const TReplayError& e) {
        std::fprintf(stderr, "snowquill: %s\n", e.what());
        return 2;
    }
    TJournalRecordSettings settings;
    settings.flush = [&writer](const uint8_t* data, std::size_t size) { writer.AppendChunk(data, size); };
    settings.checkpointMillis = kCheckpointMillis;
    InstallGameCheckpoints();
    std::string digest;
    if (options.demo) {
        // Only the level is recorded, from its start: a demo the menu can
        // play at any moment of a run.
        start.beforeGame = [&settings] { StartJournalRecording(std::move(settings)); };
        start.afterGame = [&digest] {
            digest = GameDigest();
            StopJournal();
        };
    } else {
        StartJournalRecording(std::move(settings));
        start.beforeShutDown = [&digest] { digest = GameDigest(); };
    }
    if (scriptClock) SetClock(scriptClock);
    try {
        RunGame(start);
    } catch (...) {
        // What was recorded stays readable: a truncated file that replays to here.
        StopJournal();
        writer.Abandon();
        SetClock(nullptr);
        throw;
    }
    StopJournal();
    SetClock(nullptr);
    writer.Finish(digest);
    std::printf("%s\n", digest.c_str());
    std::printf("recorded %s: %zu bytes, %.1f s of game time\n", options.recordPath.c_str(), writer.BytesWritten(),
                double(JournalLastMillis() - JournalFirstMillis()) / 1000.0);
    return kReplayOk;
}

int Replay(TStartOptions start, const TReplayOptions& options) {
    TReplayContents replay;
    try {
        replay = ReadReplayFile(options.replayPath);
    } catch (const TReplayError& e) {
        std::fprintf(stderr, "snowquill: %s\n", e.what());
        return kReplayRefused;
    }
    std::string why = CompareWithThisGame(replay);
    if (!why.empty()) {
        std::fprintf(stderr, "snowquill: refusing to replay %s: %s\n", options.replayPath.c_str(), why.c_str());
        return kReplayRefused;
    }
    std::string startValue = replay.Value("start");
    SetMenuWithOptions(replay.Value(kMenuHeader) == kMenuHeaderValue);
    // The speed the game was played at; a level alone takes it from here too.
    Settings().gameSpeed = RecordedGameSpeed(replay);
    gameSpeed = Settings().gameSpeed;
    Settings().lastName = replay.Value("last-name");
    // A game kept from the menu starts where the menu started it, straight
    // after start-up; the replay takes over the input there.
    const bool oneGame = startValue == "game";
    const bool demo = startValue.rfind("demo ", 0) == 0;
    start.startLevel = startValue == "menu" || oneGame ? 0 : std::atoi(startValue.c_str() + (demo ? 5 : 6));
    start.oneGame = oneGame;
    int firstLevel = std::atoi(replay.Value("level").c_str());
    if (oneGame && (firstLevel < 1 || firstLevel > kLevelCount)) firstLevel = 1;
    std::optional<std::vector<uint8_t>> scores;
    if (replay.Value("scores") != "none") scores = DecodeHex(replay.Value("scores"));
    start.headless = options.headless;
    TSandbox sandbox(scores);

    TFrameTimer timer;
    if (options.timedemo) {
        SetJournalPumpObserver([&timer] { timer.Observe(); });
        SetUnpacedFrames(true);
    }
    InstallGameCheckpoints();
    const bool paced = !options.headless && !options.timedemo;
    const uint32_t checkpointMillis = CheckpointMillisOf(replay);
    auto startReplay = [&] {
        StartJournalReplay(std::move(replay.stream), paced, checkpointMillis);
        SetClock(MakeJournalClock());
    };
    std::string digest, stopped;
    bool ended = false, gameLeftOver = false;
    if (oneGame || demo) {
        start.beforeGame = [&] {
            if (oneGame) currentLevel = firstLevel;
            startReplay();
        };
        start.afterGame = [&] {
            digest = GameDigest();
            gameLeftOver = !JournalExhausted();
            StopJournal();
            SetClock(nullptr);
        };
    } else {
        startReplay();
    }
    start.beforeShutDown = [&digest] {
        if (digest.empty()) digest = GameDigest();
    };
    auto wallStart = std::chrono::steady_clock::now();
    // A replay drawn at the recorded speed can be sped up and held.
    std::optional<TReplayWatch> watching;
    if (paced) watching.emplace();
    try {
        RunGame(start);
    } catch (const TJournalEnded&) {
        ended = true;
        digest = GameDigest();
    } catch (const TJournalOutOfStep& e) {
        stopped = e.what();
        digest = GameDigest();
    }
    WaitForKeptGames();
    watching.reset();
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    bool leftOver = !ended && stopped.empty() && (oneGame || demo ? gameLeftOver : !JournalExhausted());
    std::size_t records = JournalRecordsRead(), checkpoints = JournalCheckpoints();
    StopJournal();
    SetJournalPumpObserver(nullptr);
    SetUnpacedFrames(false);
    SetClock(nullptr);

    std::printf("%s\n", digest.c_str());
    double gameSeconds = double(JournalLastMillis() - JournalFirstMillis()) / 1000.0;
    std::printf(
        "replayed %s: %zu records, %zu checkpoints, %.1f s of game time in %.2f s (%.1f game seconds per second)\n",
        options.replayPath.c_str(), records, checkpoints, gameSeconds, wall, wall > 0 ? gameSeconds / wall : 0.0);
    if (options.timedemo) std::printf("%s\n", timer.Report().c_str());
    if (!stopped.empty()) {
        std::fprintf(stderr, "snowquill: %s: %s\n", options.replayPath.c_str(), stopped.c_str());
        return kReplayMismatch;
    }
    if (ended || !replay.complete) {
        std::fprintf(stderr, "snowquill: %s is truncated (%s); replayed up to its end\n", options.replayPath.c_str(),
                     replay.note.empty() ? "the stream stops before the run did" : replay.note.c_str());
        return kReplayTruncated;
    }
    if (leftOver) {
        std::fprintf(stderr, "snowquill: %s: the run ended before its recorded input did\n",
                     options.replayPath.c_str());
        return kReplayMismatch;
    }
    if (digest != replay.digest) {
        std::fprintf(stderr,
                     "snowquill: %s: the final state differs from the recording\n  recorded: %s\n  replayed: %s\n",
                     options.replayPath.c_str(), replay.digest.c_str(), digest.c_str());
        return kReplayMismatch;
    }
    std::printf("the replay matches its recording\n");
    return kReplayOk;
}

}  // namespace

int RunJournaledGame(TStartOptions start, const TReplayOptions& replay) {
    if (!replay.replayPath.empty()) return Replay(std::move(start), replay);
    return Record(std::move(start), replay);
}
