#pragma once
// Recording and replaying whole runs of the game through the input journal:
// the command-line modes --record, --replay (with --headless or
// --timedemo) and --script, the replay file's header for this game, and the
// digest of the final state that a replay must reproduce.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/startup.h"
#include "platform/replay/replay_file.h"

struct TReplayOptions {
    std::string recordPath;  // write the run to this file
    std::string replayPath;  // play this file back
    std::string scriptPath;  // drive the run from this key script (headless, recorded)
    bool headless = false;   // no window, no sound device, as fast as the processor allows
    bool timedemo = false;   // a replay drawn without pacing, timed frame by frame
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

// One line that sums up the final state: play state, level, score, lives,
// level clock, gifts, energy, the player's and the monsters' positions, the
// high-score file and the game time.
std::string GameDigest();

// The header lines that describe this game and its level data in the
// current directory; `startLevel` 0 is a run from the title menu.
using TReplayHeader = std::vector<std::pair<std::string, std::string>>;
TReplayHeader DescribeThisGame(int startLevel);
// Empty when a replay with this header may be played here; otherwise the
// reason it may not, naming each file that differs.
std::string CompareWithThisGame(const sq::TReplayContents& replay);

// A key script: the input of a recorded run written by hand or by the demo
// maker. One command a line ('#' starts a comment):
//   seed N          the clock starts at N ms (the game seeds its random numbers from it)
//   wait N          N frames with the keys as they are
//   press KEY / release KEY / tap KEY
//   until WHAT [N]  frames until WHAT holds (playing, exit, over, menu), at most N
//   steps HEX...    one frame per digit, the keys held in it: 1 left, 2 right, 4 up, 8 throw
//   type TEXT       letters and digits, tapped one after another
//   giveup-on-death Escape as soon as a life is lost (the demo maker's probe)
// KEY is left, right, up, down, ctrl, space, enter, escape, backspace or a key code.
// Every frame of a scripted run is 5 ms of game time: one logic step.
struct TKeyScriptLine {
    std::string command, argument;
    int number = 0;
    int line = 0;
};
// Throws sq::TReplayError naming the file and line of a bad command.
std::vector<TKeyScriptLine> ParseKeyScript(const std::string& text, const std::string& name);
