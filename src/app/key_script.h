#pragma once
#include <string>
#include <vector>

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
