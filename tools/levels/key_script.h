#pragma once
// A route as the keys held at each 5 ms logic step, run-length coded in a
// small text file, so that a proven route can be kept beside the level and
// played again in seconds:
//
//   # any comment
//   level 1
//   steps 2798
//   120 R      <- 120 steps holding right
//   16 RU      <- L left, R right, U jump, F throw, - nothing
//
// The key bits are the level simulation's (see TKeyBits).
#include <string>
#include <vector>

namespace levels {

struct TKeyScript {
    int level = 0;
    std::vector<unsigned> keys;  // one entry per logic step
};

std::string FormatKeyScript(const TKeyScript& script, const std::string& comment);
// Reads a script; false with `error` set (naming the line) when it is malformed.
bool ParseKeyScript(const std::string& text, TKeyScript& out, std::string& error);

bool SaveKeyScript(const std::string& path, const TKeyScript& script, const std::string& comment);
bool LoadKeyScript(const std::string& path, TKeyScript& out, std::string& error);

}  // namespace levels
