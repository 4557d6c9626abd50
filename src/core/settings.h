#pragma once
// What the player chose in the options: volumes, the display, the focus
// pause, their keys and pad buttons, the assists and the last name typed.
// Kept as plain text, one "key = value" a line; a line the game cannot use
// is named and left at its default, and never stops the game.
#include <string>
#include <vector>

#include "platform/input/bindings.h"

inline constexpr int kVolumeStep = 10;
inline constexpr int kMaxWindowScale = 8;
inline constexpr int kMinGameSpeed = 50;
inline constexpr int kGameSpeedStep = 10;
inline constexpr std::size_t kMaxLastNameLength = 12;

struct TSettings {
    int musicVolume = 100;    // per cent of the full amplitude, 0..100 in steps of 10
    int effectsVolume = 100;  // the same for every sound but the tunes
    bool fullScreen = true;
    int windowScale = 0;  // 0: the largest whole scale that fits the desktop
    bool pauseOnFocusLoss = true;
    sq::TBindings bindings = sq::DefaultBindings();
    int gameSpeed = 100;  // per cent: 100, 90 ... 50
    bool reducedFlashing = false;
    std::string lastName;  // the last name entered in the table, pre-filled the next time

    bool operator==(const TSettings& other) const;
};

// The settings and every line that could not be used, in words ("line 3:
// music_volume 150 is not 0 to 100 in steps of 10").
struct TSettingsParse {
    TSettings settings;
    std::vector<std::string> problems;
};
TSettingsParse ParseSettings(const std::string& text);
// The file's text: a comment line, then every setting.
std::string FormatSettings(const TSettings& settings);
