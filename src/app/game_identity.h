#pragma once
// Who this game is, for its recordings: the header lines that name its
// version and level data, the check that a recording may be replayed here,
// and the digest of the final state that a replay must reproduce.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/replay/input_journal.h"
#include "platform/replay/replay_file.h"

// One line that sums up the final state: play state, level, score, lives,
// level clock, gifts, energy, the player's and the monsters' positions, the
// high-score file and the game time.
std::string GameDigest();

// Checkpoints of the game state, one a second of game time in every
// recording: level, play state, the player's position, score, energy, lives,
// level clock, gifts and the monsters (how many are alive, and a sum of where
// they are). Installs the source the input journal takes them from.
inline constexpr uint32_t kCheckpointMillis = 1000;
void InstallGameCheckpoints();
// Names the fields that differ, replayed value first:
// "player x 312.5 != 311.0, monsters 5 alive != 6".
std::string DescribeCheckpointDifference(const sq::TJournalCheckpoint& replayed,
                                         const sq::TJournalCheckpoint& recorded);
// The checkpoint interval a replay was recorded with (0 for files without checkpoints).
uint32_t CheckpointMillisOf(const sq::TReplayContents& replay);

// The header lines that describe this game and its level data in the
// current directory; `startLevel` 0 is a run from the title menu.
using TReplayHeader = std::vector<std::pair<std::string, std::string>>;
TReplayHeader DescribeThisGame(int startLevel);
// The game speed a recording was made at (100 when it does not say).
int RecordedGameSpeed(const sq::TReplayContents& replay);
// Empty when a replay with this header may be played here; otherwise the
// reason it may not, naming each file that differs.
std::string CompareWithThisGame(const sq::TReplayContents& replay);

// The bytes written as hexadecimal digits (the recorded high-score table);
// nothing when they are not, or too many.
std::optional<std::vector<uint8_t>> DecodeHex(const std::string& hex);
