#include "core/settings_file.h"

#include <cstdio>

#include "platform/audio/sound.h"
#include "platform/files/paths.h"
#include "platform/files/safe_file.h"
#include "platform/input/keyboard.h"

using namespace sq;

namespace {

struct TSettingsState {
    TSettings current;
    TSettings onFile;  // what the file gives (the defaults when it is missing or unusable)
    std::string path = kSettingsFileName;
    bool readOnly = false;
};

TSettingsState& State() {
    static TSettingsState state;
    return state;
}

bool Binary(const std::string& bytes) {
    for (char c : bytes) {
        auto u = static_cast<unsigned char>(c);
        if (u < 32 && c != '\n' && c != '\r' && c != '\t') return true;
    }
    return false;
}

}  // namespace

TSettingsLoad ReadSettingsFile(const std::string& path) {
    TSettingsLoad load;
    TPlainRead file = ReadPlainFile(path, kMaxSettingsBytes + 1);
    load.found = file.kind != FileKind::kNone;
    if (!load.found) return load;
    const char* kDefaults = "; using the defaults";
    if (!file.ok) {
        load.problem = file.error + kDefaults;
    } else if (file.bytes.size() > kMaxSettingsBytes) {
        load.problem = "it is larger than " + std::to_string(kMaxSettingsBytes) + " bytes" + kDefaults;
    } else if (Binary(file.bytes)) {
        load.problem = std::string("it holds binary data, not text") + kDefaults;
    } else {
        TSettingsParse parse = ParseSettings(file.bytes);
        load.settings = parse.settings;
        if (!parse.problems.empty()) {
            load.problem = parse.problems.front();
            if (parse.problems.size() > 1)
                load.problem += " (and " + std::to_string(parse.problems.size() - 1) + " more)";
            load.problem += "; the defaults stand for what could not be used";
        }
    }
    return load;
}

TSettings& Settings() { return State().current; }

void SetSettingsFilePath(const std::string& path) { State().path = path.empty() ? kSettingsFileName : path; }

const std::string& SettingsFilePath() { return State().path; }

void LoadSettings() {
    TSettingsState& s = State();
    TSettingsLoad load = ReadSettingsFile(s.path);
    if (!load.problem.empty())
        std::fprintf(stderr, "Snowquill: settings file %s: %s\n", s.path.c_str(), load.problem.c_str());
    s.current = load.settings;
    // A damaged file stays as it is until the player changes a setting.
    s.onFile = load.settings;
}

bool SaveSettings() {
    TSettingsState& s = State();
    if (s.current == s.onFile || s.readOnly) return true;
    std::string error;
    // An installed game's settings folder is made the first time it is needed.
    const std::size_t slash = s.path.rfind('/');
    if (slash != std::string::npos && slash > 0) MakeFolders(s.path.substr(0, slash + 1));
    if (!ReplaceFileWhole(s.path, FormatSettings(s.current), error)) {
        std::fprintf(stderr, "Snowquill: could not save the settings in %s: %s\n", s.path.c_str(), error.c_str());
        return false;
    }
    s.onFile = s.current;
    return true;
}

void SetSettingsReadOnly(bool readOnly) { State().readOnly = readOnly; }

void ApplySettings() {
    const TSettings& s = Settings();
    SetGroupVolume(SoundGroup::kMusic, float(s.musicVolume) / 100.0f);
    SetGroupVolume(SoundGroup::kEffects, float(s.effectsVolume) / 100.0f);
    SetBindings(s.bindings);
    SetFocusLossPauses(s.pauseOnFocusLoss);
}

void ResetSettings() { State() = TSettingsState{}; }
