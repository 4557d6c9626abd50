#pragma once
// Recording and replaying whole runs of the game through the input journal:
// the command-line modes --record, --replay (with --headless or
// --timedemo) and --script, the replay file's header for this game, and the
// digest of the final state that a replay must reproduce.
#include <cstdint>
#include <string>

#include "app/game_identity.h"
#include "app/key_script.h"
#include "app/startup.h"
#include "platform/replay/replay_file.h"

struct TReplayOptions {
    std::string recordPath;  // write the run to this file
    std::string replayPath;  // play this file back
    std::string scriptPath;  // drive the run from this key script (headless, recorded)
    bool headless = false;   // no window, no sound device, as fast as the processor allows
    bool timedemo = false;   // a replay drawn without pacing, timed frame by frame
    bool demo = false;       // with --level: record the level from its start only (the menu's demos)
    bool Any() const { return !recordPath.empty() || !replayPath.empty() || !scriptPath.empty(); }
};

// Exit statuses of the replay modes.
inline constexpr int kReplayOk = 0;
inline constexpr int kReplayMismatch = 1;   // the final state differs from the recorded one
inline constexpr int kReplayRefused = 3;    // another game version or other level data
inline constexpr int kReplayTruncated = 4;  // the file ends before the run did

// Runs the game as the options say; returns the exit status. Errors in the
// replay file are reported on standard error, never thrown.
int RunJournaledGame(TStartOptions start, const TReplayOptions& replay);
