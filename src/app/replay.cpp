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

#include "core/globals.h"
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

using namespace sq;
namespace fs = std::filesystem;

namespace {

constexpr const char* kGameVersion = "1.0.0";
constexpr uint32_t kScriptFrameMs = 5;        // one logic step per scripted frame
constexpr int kScriptGraceFrames = 200 * 60;  // after the script: a minute for the run to end by itself
constexpr std::size_t kMaxScoreFile = 64 * 1024;

uint64_t Fnv1a(const uint8_t* p, std::size_t n, uint64_t h = 1469598103934665603ull) {
    for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return std::nullopt;
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::string Hex64(uint64_t v) {
    char buf[20];
    std::snprintf(buf, sizeof buf, "%016" PRIx64, v);
    return buf;
}

std::string ToHex(const std::vector<uint8_t>& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    s.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        s += kDigits[b >> 4];
        s += kDigits[b & 15];
    }
    return s;
}

std::optional<std::vector<uint8_t>> FromHex(const std::string& s) {
    if (s.size() % 2 != 0 || s.size() / 2 > kMaxScoreFile) return std::nullopt;
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::vector<uint8_t> out(s.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        int hi = digit(s[2 * i]), lo = digit(s[2 * i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out[i] = uint8_t(hi << 4 | lo);
    }
    return out;
}

std::string MapPath(int level) {
    std::string path = LevelInfo(level).mapFile;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// "maps/level_1.FMP 1234 0123456789abcdef", or "... missing".
std::string DescribeMap(int level) {
    std::string path = MapPath(level);
    auto bytes = ReadFileBytes(path);
    if (!bytes) return path + " missing";
    return path + " " + std::to_string(bytes->size()) + " " + Hex64(Fnv1a(bytes->data(), bytes->size()));
}

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

int KeyCodeOf(const std::string& name) {
    static const std::pair<const char*, int> kNames[] = {
        {"left", kKeyLeft},   {"right", kKeyRight},   {"up", kKeyUp},
        {"down", kKeyDown},   {"ctrl", kKeyLControl}, {"space", kKeySpace},
        {"enter", kKeyEnter}, {"escape", kKeyEscape}, {"backspace", kKeyBackspace}};
    for (const auto& [n, code] : kNames)
        if (name == n) return code;
    if (!name.empty() && name.size() <= 3 && std::all_of(name.begin(), name.end(), ::isdigit)) {
        int code = std::stoi(name);
        if (code > 0 && code < 256) return code;
    }
    return -1;
}

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

// Frame times of a timedemo, taken whenever the drawing layer has presented
// another frame.
class TFrameTimer {
public:
    void Observe() {
        uint64_t frames = DrawStats().frames;
        if (frames == lastFrames_) return;
        lastFrames_ = frames;
        auto now = std::chrono::steady_clock::now();
        if (started_) times_.push_back(std::chrono::duration<double, std::milli>(now - last_).count());
        started_ = true;
        last_ = now;
    }
    std::string Report() const {
        if (times_.empty()) return "timedemo: no frames were drawn";
        std::vector<double> sorted = times_;
        std::sort(sorted.begin(), sorted.end());
        double total = 0;
        for (double t : times_) total += t;
        auto pct = [&](double p) {
            return sorted[std::min(sorted.size() - 1, std::size_t(p * double(sorted.size())))];
        };
        char buf[200];
        std::snprintf(buf, sizeof buf,
                      "timedemo: %zu frames in %.2f s, %.1f frames per second, frame time p50 %.2f ms, p99 %.2f ms",
                      times_.size(), total / 1000.0, double(times_.size()) * 1000.0 / total, pct(0.5), pct(0.99));
        return buf;
    }

private:
    std::vector<double> times_;
    uint64_t lastFrames_ = 0;
    bool started_ = false;
    std::chrono::steady_clock::time_point last_;
};

std::string ReadTextFile(const std::string& path) {
    auto bytes = ReadFileBytes(path);
    if (!bytes) throw TReplayError(path + ": cannot read the key script");
    return std::string(bytes->begin(), bytes->end());
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
        writer.Open(recordPath, DescribeThisGame(start.startLevel));
    } catch (const TReplayError& e) {
        std::fprintf(stderr, "snowquill: %s\n", e.what());
        return 2;
    }
    TJournalRecordSettings settings;
    settings.flush = [&writer](const uint8_t* data, std::size_t size) { writer.AppendChunk(data, size); };
    StartJournalRecording(std::move(settings));
    if (scriptClock) SetClock(scriptClock);
    std::string digest;
    start.beforeShutDown = [&digest] { digest = GameDigest(); };
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
    start.startLevel = startValue == "menu" ? 0 : std::atoi(startValue.c_str() + 6);
    std::optional<std::vector<uint8_t>> scores;
    if (replay.Value("scores") != "none") scores = FromHex(replay.Value("scores"));
    start.headless = options.headless;
    TSandbox sandbox(scores);

    TFrameTimer timer;
    if (options.timedemo) {
        SetJournalPumpObserver([&timer] { timer.Observe(); });
        SetUnpacedFrames(true);
    }
    StartJournalReplay(std::move(replay.stream), !options.headless && !options.timedemo);
    SetClock(MakeJournalClock());
    std::string digest, stopped;
    bool ended = false;
    start.beforeShutDown = [&digest] { digest = GameDigest(); };
    auto wallStart = std::chrono::steady_clock::now();
    try {
        RunGame(start);
    } catch (const TJournalEnded&) {
        ended = true;
        digest = GameDigest();
    } catch (const TJournalOutOfStep& e) {
        stopped = e.what();
        digest = GameDigest();
    }
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    bool leftOver = !ended && stopped.empty() && !JournalExhausted();
    std::size_t records = JournalRecordsRead();
    StopJournal();
    SetJournalPumpObserver(nullptr);
    SetUnpacedFrames(false);
    SetClock(nullptr);

    std::printf("%s\n", digest.c_str());
    double gameSeconds = double(JournalLastMillis() - JournalFirstMillis()) / 1000.0;
    std::printf("replayed %s: %zu records, %.1f s of game time in %.2f s (%.1f game seconds per second)\n",
                options.replayPath.c_str(), records, gameSeconds, wall, wall > 0 ? gameSeconds / wall : 0.0);
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

std::string GameDigest() {
    uint64_t monsters = Fnv1a(nullptr, 0);
    int monsterCount = 0;
    if (enemies) {
        for (const EnemyRef& e : enemies->enemyList) {
            if (!e) continue;
            float pos[3] = {e->sprite ? e->sprite->GetX() : 0.0f, e->sprite ? e->sprite->GetY() : 0.0f, e->alpha};
            int facts[2] = {e->hitPoints, e->gone};
            monsters = Fnv1a(reinterpret_cast<const uint8_t*>(pos), sizeof pos, monsters);
            monsters = Fnv1a(reinterpret_cast<const uint8_t*>(facts), sizeof facts, monsters);
            ++monsterCount;
        }
    }
    auto table = ReadFileBytes(HiScoreFilePath());
    uint64_t scores = table ? Fnv1a(table->data(), table->size()) : 0;
    char buf[400];
    std::snprintf(buf, sizeof buf,
                  "digest state=%d level=%d score=%d lives=%d clock=%d gifts=%d energy=%.3f player=%.3f,%.3f "
                  "monsters=%d:%s scores=%s ms=%u",
                  playState, currentLevel, gameScore ? gameScore->total : 0, liveBar ? liveBar->lives : 0,
                  liveBar ? liveBar->timeLeft : 0, liveBar ? liveBar->giftCount : 0,
                  liveBar ? double(liveBar->energy) : 0.0, player ? double(player->x) : 0.0,
                  player ? double(player->y) : 0.0, monsterCount, Hex64(monsters).c_str(), Hex64(scores).c_str(),
                  unsigned(JournalLastMillis() - JournalFirstMillis()));
    return buf;
}

TReplayHeader DescribeThisGame(int startLevel) {
    TReplayHeader h;
    h.emplace_back("game", kGameVersion);
    h.emplace_back("start", startLevel > 0 ? "level " + std::to_string(startLevel) : "menu");
    for (int level = 1; level <= kLevelCount; ++level) h.emplace_back("map", DescribeMap(level));
    auto table = ReadFileBytes(HiScoreFilePath());
    h.emplace_back("scores", table && table->size() <= kMaxScoreFile ? ToHex(*table) : "none");
    return h;
}

std::string CompareWithThisGame(const TReplayContents& replay) {
    std::string game = replay.Value("game");
    if (game != kGameVersion)
        return "it was recorded with game version " + (game.empty() ? std::string("(none)") : game) +
               ", this is version " + kGameVersion;
    std::string start = replay.Value("start");
    if (start != "menu") {
        int level = start.rfind("level ", 0) == 0 ? std::atoi(start.c_str() + 6) : 0;
        if (level < 1 || level > kLevelCount || start != "level " + std::to_string(level))
            return "its start \"" + start + "\" is neither the menu nor a level";
    }
    std::string scores = replay.Value("scores");
    if (scores.empty() || (scores != "none" && !FromHex(scores))) return "its high-score table is malformed";
    std::vector<std::string> recorded;
    for (const auto& [k, v] : replay.header)
        if (k == "map") recorded.push_back(v);
    std::string differs;
    for (int level = 1; level <= kLevelCount; ++level) {
        std::string here = DescribeMap(level);
        bool same = std::find(recorded.begin(), recorded.end(), here) != recorded.end();
        if (!same) differs += (differs.empty() ? "" : ", ") + MapPath(level);
    }
    if (recorded.size() != std::size_t(kLevelCount) && differs.empty()) differs = "the list of level maps";
    if (!differs.empty()) return "its level data differs from this game's: " + differs;
    return {};
}

std::vector<TKeyScriptLine> ParseKeyScript(const std::string& text, const std::string& name) {
    std::vector<TKeyScriptLine> out;
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        return TReplayError(name + " line " + std::to_string(lineNo) + ": " + why);
    };
    auto number = [&](const std::string& s, int lo, int hi) {
        if (s.empty() || s.size() > 9 || !std::all_of(s.begin(), s.end(), ::isdigit))
            throw fail("\"" + s + "\" is not a number");
        int v = std::stoi(s);
        if (v < lo || v > hi) throw fail(s + " is out of range");
        return v;
    };
    while (std::getline(in, raw)) {
        ++lineNo;
        std::string text2 = raw.substr(0, raw.find('#'));
        std::istringstream words(text2);
        TKeyScriptLine l;
        l.line = lineNo;
        if (!(words >> l.command)) continue;
        std::string a, b;
        words >> a >> b;
        if (l.command == "seed") {
            l.number = number(a, 0, 0x7FFFFFFF);
        } else if (l.command == "giveup-on-death") {
        } else if (l.command == "wait") {
            l.number = number(a, 1, 100000000);
        } else if (l.command == "press" || l.command == "release" || l.command == "tap") {
            l.number = KeyCodeOf(a);
            if (l.number < 0) throw fail("unknown key \"" + a + "\"");
        } else if (l.command == "until") {
            if (a != "playing" && a != "exit" && a != "over" && a != "menu")
                throw fail("cannot wait for \"" + a + "\"");
            l.argument = a;
            l.number = b.empty() ? 200 * 600 : number(b, 1, 100000000);
        } else if (l.command == "steps") {
            // Several "steps" lines in a row make one route.
            l.argument = a;
            for (char& c : l.argument) c = char(std::tolower(static_cast<unsigned char>(c)));
            if (l.argument.empty() || !std::all_of(l.argument.begin(), l.argument.end(), ::isxdigit))
                throw fail("steps are hex digits");
        } else if (l.command == "type") {
            l.argument = a;
            if (a.empty() || !std::all_of(a.begin(), a.end(), ::isalnum)) throw fail("type takes letters and digits");
        } else {
            throw fail("unknown command \"" + l.command + "\"");
        }
        if (l.command != "until" && !b.empty()) throw fail("too many words");
        out.push_back(std::move(l));
    }
    return out;
}

int RunJournaledGame(TStartOptions start, const TReplayOptions& replay) {
    if (!replay.replayPath.empty()) return Replay(std::move(start), replay);
    return Record(std::move(start), replay);
}
