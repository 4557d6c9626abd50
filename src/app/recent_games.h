#pragma once
// The player's own games, kept to be watched again: every game played from
// the menu is recorded in memory as it is played and, when it ends, kept
// beside the high-score table as last.sqr, and as best.sqr when its score
// beats the best kept so far. A game abandoned by closing the window or a
// signal is kept as a replay that ends where it stopped (and never as the
// best). The files are written whole through the safe-file code, on a thread
// of their own where there are threads, so no frame waits for the disk.
#include <cstdint>
#include <string>
#include <vector>

#include "app/game_identity.h"

inline constexpr const char* kLastGameFile = "last.sqr";
inline constexpr const char* kBestGameFile = "best.sqr";

// The folder of the high-score table, where the kept games go (ends in '/',
// or empty for the working folder).
std::string KeptGamesDir();

// The score a kept recording reached (its "score" header line); -1 when the
// file is missing, unreadable or has none.
int KeptGameScore(const std::string& path);

class TGameRecorder {
public:
    TGameRecorder() = default;
    ~TGameRecorder();
    TGameRecorder(const TGameRecorder&) = delete;
    TGameRecorder& operator=(const TGameRecorder&) = delete;

    // Starts recording the game about to begin; false (nothing recorded)
    // when the run is already recorded or replayed.
    bool Start();
    // Stops recording and hands the game to the writer: `ended` says it
    // came to its end (game over or the last level done) rather than being
    // abandoned.
    void Keep(bool ended);

private:
    bool active_ = false;
    TReplayHeader header_;
    std::vector<uint8_t> stream_;
};

// Writes a recorded game (header, journal, digest; an empty digest for an
// abandoned game) as last.sqr in `dir`, and as best.sqr when it ended and its
// score beats the kept best. Errors go to standard error as one line each.
void KeepGameFiles(const std::string& dir, const TReplayHeader& header, const std::vector<uint8_t>& stream,
                   const std::string& digest, bool ended, int score);

// Waits until the kept games are on disk (the end of the run; tests).
void WaitForKeptGames();
