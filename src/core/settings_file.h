#pragma once
// The settings file of this run: where it is, reading it at start-up (a
// damaged one is named in one line and what it could not give stays at the
// default) and writing it whole, only when the player changed something, by
// the same safe replacement as the high-score table.
#include <cstddef>
#include <string>

#include "core/settings.h"

inline constexpr const char* kSettingsFileName = "settings.ini";
inline constexpr std::size_t kMaxSettingsBytes = 16384;

struct TSettingsLoad {
    TSettings settings;
    bool found = false;   // something is at the path
    std::string problem;  // empty, or what was wrong, in words, for one line
};
TSettingsLoad ReadSettingsFile(const std::string& path);

// The run's settings, as read at start-up and changed by the options and the
// name entry since.
TSettings& Settings();
void SetSettingsFilePath(const std::string& path);
const std::string& SettingsFilePath();
// Reads the file into Settings(); a problem is printed on standard error as
// one line naming the file. The file is left as it is.
void LoadSettings();
// Writes Settings() when it differs from what the file holds (or would give,
// for a missing or damaged one). False, with one line on standard error, when
// the file cannot be replaced; the game goes on with the settings it has.
bool SaveSettings();
// Replays play with the settings they recorded and change no file.
void SetSettingsReadOnly(bool readOnly);
// Hands the volumes, the bindings and the focus pause to the platform.
void ApplySettings();
// Tests: the defaults, no file, nothing saved.
void ResetSettings();
