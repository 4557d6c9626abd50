#include "core/settings.h"

#include <array>
#include <cstddef>
#include <string_view>

using namespace sq;

namespace {

constexpr const char* kHeader =
    "# Snowquill settings, written by the game's Options screen. One \"key = value\" a line;\n"
    "# delete the file to go back to the defaults.\n";

std::string Trim(std::string_view s) {
    std::size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) --b;
    return std::string(s.substr(a, b - a));
}

// A whole number of at most four digits: no sign, no spaces, no overflow.
bool SmallNumber(const std::string& value, int& out) {
    if (value.empty() || value.size() > 4) return false;
    int n = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    out = n;
    return true;
}

bool OnOff(const std::string& value, bool& out) {
    if (value == "on") return out = true, true;
    if (value == "off") return out = false, true;
    return false;
}

// Letters, digits and spaces, as the name entry takes them.
bool NameText(const std::string& value) {
    if (value.size() > kMaxLastNameLength) return false;
    for (char c : value)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ' ')) return false;
    return true;
}

bool Clashes(const std::array<int, kActionCount>& bound, int none) {
    for (std::size_t a = 0; a < bound.size(); ++a)
        for (std::size_t b = a + 1; b < bound.size(); ++b)
            if (bound[a] != none && bound[a] == bound[b]) return true;
    return false;
}

class TLineReader {
public:
    explicit TLineReader(TSettingsParse& out) : out_(out) {}

    void Read(int number, const std::string& key, const std::string& value) {
        number_ = number;
        TSettings& s = out_.settings;
        int n = 0;
        if (key == "music_volume" || key == "effects_volume") {
            if (!SmallNumber(value, n) || n > 100 || n % kVolumeStep != 0)
                return Bad(key, value, "0 to 100 in steps of 10");
            (key == "music_volume" ? s.musicVolume : s.effectsVolume) = n;
        } else if (key == "display") {
            if (value != "fullscreen" && value != "window") return Bad(key, value, "fullscreen or window");
            s.fullScreen = value == "fullscreen";
        } else if (key == "window_scale") {
            if (value == "auto") {
                s.windowScale = 0;
            } else if (SmallNumber(value, n) && n >= 1 && n <= kMaxWindowScale) {
                s.windowScale = n;
            } else {
                return Bad(key, value, "auto or 1 to 8");
            }
        } else if (key == "pause_on_focus_loss" || key == "reduced_flashing") {
            bool on = false;
            if (!OnOff(value, on)) return Bad(key, value, "on or off");
            (key == "reduced_flashing" ? s.reducedFlashing : s.pauseOnFocusLoss) = on;
        } else if (key == "game_speed") {
            if (!SmallNumber(value, n) || n > 100 || n < kMinGameSpeed || n % kGameSpeedStep != 0)
                return Bad(key, value, "100, 90, 80, 70, 60 or 50");
            s.gameSpeed = n;
        } else if (key == "last_name") {
            if (!NameText(value)) return Bad(key, value, "up to 12 letters, digits and spaces");
            s.lastName = value;
        } else if (!ReadBinding(key, value)) {
            Problem("unknown setting '" + Shown(key) + "'");
        }
    }

private:
    bool ReadBinding(const std::string& key, const std::string& value) {
        for (int a = 0; a < kActionCount; ++a) {
            const std::string word = ActionWord(a);
            if (key == "key_" + word) {
                int sc = ScancodeFromName(value);
                if (!BindableScancode(sc))
                    Bad(key, value, "the name of a key");
                else
                    out_.settings.bindings.keys[std::size_t(a)] = sc;
                return true;
            }
            if (key == "pad_" + word) {
                int button = PadButtonFromName(value);
                if (button < 0 && value != "none")
                    Bad(key, value, "a pad button's name or none");
                else
                    out_.settings.bindings.buttons[std::size_t(a)] = button;
                return true;
            }
        }
        return false;
    }

    // Quoted text from the file is cut short and kept printable, so the
    // message stays one readable line whatever the file holds.
    static std::string Shown(const std::string& text) {
        std::string shown;
        for (char c : text.substr(0, 40)) shown += (c >= 32 && c < 127) ? c : '?';
        if (text.size() > 40) shown += "...";
        return shown;
    }

    void Bad(const std::string& key, const std::string& value, const char* wanted) {
        Problem(key + " '" + Shown(value) + "' is not " + wanted);
    }

    void Problem(const std::string& what) { out_.problems.push_back("line " + std::to_string(number_) + ": " + what); }

    TSettingsParse& out_;
    int number_ = 0;
};

}  // namespace

bool TSettings::operator==(const TSettings& o) const {
    return musicVolume == o.musicVolume && effectsVolume == o.effectsVolume && fullScreen == o.fullScreen &&
           windowScale == o.windowScale && pauseOnFocusLoss == o.pauseOnFocusLoss && bindings.keys == o.bindings.keys &&
           bindings.buttons == o.bindings.buttons && gameSpeed == o.gameSpeed && reducedFlashing == o.reducedFlashing &&
           lastName == o.lastName;
}

TSettingsParse ParseSettings(const std::string& text) {
    TSettingsParse out;
    TLineReader reader(out);
    std::size_t at = 0;
    int number = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        ++number;
        std::string line = Trim(std::string_view(text).substr(at, end - at));
        at = end + 1;
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        std::size_t eq = line.find('=');
        if (eq == std::string::npos) {
            out.problems.push_back("line " + std::to_string(number) + ": not \"key = value\"");
            continue;
        }
        reader.Read(number, Trim(std::string_view(line).substr(0, eq)), Trim(std::string_view(line).substr(eq + 1)));
    }
    // One key for two actions would leave one of them unreachable: the keys
    // (or buttons) go back to the first ones together.
    const TBindings first = DefaultBindings();
    if (Clashes(out.settings.bindings.keys, 0)) {
        out.settings.bindings.keys = first.keys;
        out.problems.push_back("one key is bound to two actions; the keys are back to the first ones");
    }
    if (Clashes(out.settings.bindings.buttons, -1)) {
        out.settings.bindings.buttons = first.buttons;
        out.problems.push_back("one pad button is bound to two actions; the buttons are back to the first ones");
    }
    return out;
}

std::string FormatSettings(const TSettings& s) {
    std::string out = kHeader;
    auto line = [&out](const std::string& key, const std::string& value) { out += key + " = " + value + "\n"; };
    line("music_volume", std::to_string(s.musicVolume));
    line("effects_volume", std::to_string(s.effectsVolume));
    line("display", s.fullScreen ? "fullscreen" : "window");
    line("window_scale", s.windowScale > 0 ? std::to_string(s.windowScale) : "auto");
    line("pause_on_focus_loss", s.pauseOnFocusLoss ? "on" : "off");
    for (int a = 0; a < kActionCount; ++a)
        line(std::string("key_") + ActionWord(a), ScancodeName(s.bindings.keys[std::size_t(a)]));
    for (int a = 0; a < kActionCount; ++a)
        line(std::string("pad_") + ActionWord(a), PadButtonName(s.bindings.buttons[std::size_t(a)]));
    line("game_speed", std::to_string(s.gameSpeed));
    line("reduced_flashing", s.reducedFlashing ? "on" : "off");
    line("last_name", s.lastName);
    return out;
}
