// Who this game is, for its recordings: the version and level data a replay
// must match, and the digest of the state a replay must end in.
#include "app/game_identity.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/globals.h"
#include "core/settings_file.h"
#include "game/enemy.h"
#include "game/game_score.h"
#include "game/level_table.h"
#include "game/live_bar.h"
#include "game/player.h"
#include "platform/files/safe_file.h"
#include "platform/replay/input_journal.h"
#include "scores/hi_score.h"
#include "screens/title.h"

using namespace sq;

namespace {

constexpr const char* kGameVersion = "1.0.0";
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

}  // namespace

std::optional<std::vector<uint8_t>> DecodeHex(const std::string& s) {
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

namespace {

enum TCheckpointField : std::size_t {
    kCpLevel,
    kCpState,
    kCpPlayerX,
    kCpPlayerY,
    kCpScore,
    kCpEnergy,
    kCpLives,
    kCpClock,
    kCpGifts,
    kCpMonstersAlive,
    kCpMonsterPlaces,
    kCpDying,
};
static_assert(kCpDying < kCheckpointFields);

uint32_t FloatBits(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

float BitsFloat(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

void TakeCheckpoint(TJournalCheckpoint& cp) {
    uint32_t* f = cp.fields;
    f[kCpLevel] = uint32_t(currentLevel);
    f[kCpState] = uint32_t(playState);
    f[kCpPlayerX] = FloatBits(player ? player->x : 0.0f);
    f[kCpPlayerY] = FloatBits(player ? player->y : 0.0f);
    f[kCpScore] = uint32_t(gameScore ? gameScore->total : 0);
    f[kCpEnergy] = FloatBits(liveBar ? liveBar->energy : 0.0f);
    f[kCpLives] = uint32_t(liveBar ? liveBar->lives : 0);
    f[kCpClock] = uint32_t(liveBar ? liveBar->timeLeft : 0);
    f[kCpGifts] = uint32_t(liveBar ? liveBar->giftCount : 0);
    f[kCpDying] = uint32_t(playerDying);
    uint64_t places = Fnv1a(nullptr, 0);
    uint32_t alive = 0;
    if (enemies) {
        for (const EnemyRef& e : enemies->enemyList) {
            if (!e) continue;
            if (!e->gone) ++alive;
            float pos[2] = {e->sprite ? e->sprite->GetX() : 0.0f, e->sprite ? e->sprite->GetY() : 0.0f};
            places = Fnv1a(reinterpret_cast<const uint8_t*>(pos), sizeof pos, places);
            places = Fnv1a(reinterpret_cast<const uint8_t*>(&e->hitPoints), sizeof e->hitPoints, places);
        }
    }
    f[kCpMonstersAlive] = alive;
    f[kCpMonsterPlaces] = uint32_t(places ^ (places >> 32));
}

}  // namespace

void InstallGameCheckpoints() { SetJournalCheckpointSource({TakeCheckpoint, DescribeCheckpointDifference}); }

uint32_t CheckpointMillisOf(const TReplayContents& replay) {
    if (replay.format < 2) return 0;
    long ms = std::atol(replay.Value("checkpoints").c_str());
    return ms > 0 && ms <= 60000 ? uint32_t(ms) : 0;
}

std::string DescribeCheckpointDifference(const TJournalCheckpoint& replayed, const TJournalCheckpoint& recorded) {
    std::string out;
    auto add = [&out](const std::string& part) { out += (out.empty() ? "" : ", ") + part; };
    auto whole = [&](std::size_t field, const char* name) {
        if (replayed.fields[field] != recorded.fields[field])
            add(std::string(name) + " " + std::to_string(int32_t(replayed.fields[field])) +
                " != " + std::to_string(int32_t(recorded.fields[field])));
    };
    auto real = [&](std::size_t field, const char* name) {
        if (replayed.fields[field] == recorded.fields[field]) return;
        char a[32], b[32];
        // One decimal, unless that hides the difference.
        for (int digits = 1; digits <= 6; ++digits) {
            std::snprintf(a, sizeof a, "%.*f", digits, double(BitsFloat(replayed.fields[field])));
            std::snprintf(b, sizeof b, "%.*f", digits, double(BitsFloat(recorded.fields[field])));
            if (std::strcmp(a, b) != 0) break;
        }
        add(std::string(name) + " " + a + " != " + b);
    };
    whole(kCpLevel, "level");
    whole(kCpState, "play state");
    real(kCpPlayerX, "player x");
    real(kCpPlayerY, "player y");
    whole(kCpScore, "score");
    real(kCpEnergy, "energy");
    whole(kCpLives, "lives");
    whole(kCpClock, "clock");
    whole(kCpGifts, "gifts");
    whole(kCpDying, "dying");
    if (replayed.fields[kCpMonstersAlive] != recorded.fields[kCpMonstersAlive])
        add("monsters " + std::to_string(replayed.fields[kCpMonstersAlive]) +
            " alive != " + std::to_string(recorded.fields[kCpMonstersAlive]));
    else if (replayed.fields[kCpMonsterPlaces] != recorded.fields[kCpMonsterPlaces])
        add("monsters elsewhere");
    return out;
}

TReplayHeader DescribeThisGame(int startLevel) {
    TReplayHeader h;
    h.emplace_back("game", kGameVersion);
    h.emplace_back("start", startLevel > 0 ? "level " + std::to_string(startLevel) : "menu");
    h.emplace_back("checkpoints", std::to_string(kCheckpointMillis));
    h.emplace_back(kMenuHeader, kMenuHeaderValue);
    h.emplace_back("speed", std::to_string(Settings().gameSpeed));
    // The name entry starts from it, so a replay must too.
    if (!Settings().lastName.empty()) h.emplace_back("last-name", Settings().lastName);
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
    if (start != "menu" && start != "game") {
        const char* kind = start.rfind("demo ", 0) == 0 ? "demo " : "level ";
        int level = start.rfind(kind, 0) == 0 ? std::atoi(start.c_str() + std::strlen(kind)) : 0;
        if (level < 1 || level > kLevelCount || start != kind + std::to_string(level))
            return "its start \"" + start + "\" is neither the menu, a game nor a level";
    }
    std::string scores = replay.Value("scores");
    if (scores.empty() || (scores != "none" && !DecodeHex(scores))) return "its high-score table is malformed";
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

int RecordedGameSpeed(const TReplayContents& replay) {
    const std::string speed = replay.Value("speed");
    for (int percent = 100; percent >= kMinGameSpeed; percent -= kGameSpeedStep)
        if (speed == std::to_string(percent)) return percent;
    return 100;  // recordings made before the assist, or a value this game does not know
}
