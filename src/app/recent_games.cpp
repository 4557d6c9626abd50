#include "app/recent_games.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <utility>

#include "core/globals.h"
#include "game/game_score.h"
#include "platform/files/safe_file.h"
#include "platform/replay/input_journal.h"
#include "platform/replay/replay_file.h"
#include "platform/system/web.h"
#include "scores/hi_score.h"

using namespace sq;

namespace {

// The journal is kept raw in memory until the game ends: a five-minute game
// is about a megabyte unpacked, reserved before the game starts so the
// frames never wait for the buffer to grow.
constexpr std::size_t kReservedStream = std::size_t(2) << 20;
constexpr std::size_t kPieceBytes = 64 * 1024;

std::thread& Writer() {
    static std::thread writer;
    return writer;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::string error;
    if (!ReplaceFileWhole(path, bytes, error))
        std::fprintf(stderr, "snowquill: could not keep the recorded game in %s: %s\n", path.c_str(), error.c_str());
}

}  // namespace

std::string KeptGamesDir() {
    const std::string& table = HiScoreFilePath();
    std::size_t slash = table.find_last_of('/');
    return slash == std::string::npos ? std::string() : table.substr(0, slash + 1);
}

int KeptGameScore(const std::string& path) {
    try {
        std::string score = ReadReplayFile(path).Value("score");
        if (score.empty() || score.size() > 9 || score.find_first_not_of("0123456789") != std::string::npos) return -1;
        return std::atoi(score.c_str());
    } catch (const TReplayError&) {
        return -1;
    }
}

void KeepGameFiles(const std::string& dir, const TReplayHeader& header, const std::vector<uint8_t>& stream,
                   const std::string& digest, bool ended, int score) {
    TReplayHeader withScore = header;
    withScore.emplace_back("score", std::to_string(score));
    withScore.emplace_back("end", ended ? "the game ended" : "abandoned");
    std::string bytes;
    try {
        bytes = PackReplay(withScore, stream, ended ? digest : std::string());
    } catch (const TReplayError& e) {
        std::fprintf(stderr, "snowquill: could not keep the recorded game: %s\n", e.what());
        return;
    }
    WriteFile(dir + kLastGameFile, bytes);
    // A game played slower than full speed is not ranked, so it is not the best either.
    bool assisted = false;
    for (const auto& [key, value] : header)
        if (key == "speed" && value != "100") assisted = true;
    if (ended && !assisted && score > KeptGameScore(dir + kBestGameFile)) WriteFile(dir + kBestGameFile, bytes);
}

void WaitForKeptGames() {
    if (Writer().joinable()) Writer().join();
}

TGameRecorder::~TGameRecorder() {
    if (active_) StopJournal();
}

bool TGameRecorder::Start() {
    if (CurrentJournalMode() != JournalMode::kOff) return false;
    header_ = DescribeThisGame(0);
    for (auto& [key, value] : header_)
        if (key == "start") value = "game";
    header_.emplace_back("level", std::to_string(currentLevel));
    stream_.clear();
    stream_.reserve(kReservedStream);
    TJournalRecordSettings settings;
    settings.flush = [this](const uint8_t* data, std::size_t size) {
        stream_.insert(stream_.end(), data, data + size);
    };
    settings.flushBytes = kPieceBytes;
    settings.flushMillis = 0x7FFFFFFF;  // nothing to lose to a crash that the pieces would save
    settings.checkpointMillis = kCheckpointMillis;
    InstallGameCheckpoints();
    StartJournalRecording(std::move(settings));
    active_ = true;
    return true;
}

void TGameRecorder::Keep(bool ended) {
    if (!active_) return;
    std::string digest = ended ? GameDigest() : std::string();
    StopJournal();
    active_ = false;
    int score = gameScore ? gameScore->total : 0;
    WaitForKeptGames();
    if constexpr (web::kBrowser) {
        KeepGameFiles(KeptGamesDir(), header_, stream_, digest, ended, score);
        return;
    }
    Writer() = std::thread([dir = KeptGamesDir(), header = std::move(header_), stream = std::move(stream_),
                            digest = std::move(digest), ended,
                            score] { KeepGameFiles(dir, header, stream, digest, ended, score); });
}
