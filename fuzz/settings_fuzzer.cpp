// Feeds arbitrary bytes to the settings reader as a file on disk: whatever
// it holds, the settings read are in range, and writing them out and reading
// that back gives the same settings with nothing to complain about.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/settings.h"
#include "core/settings_file.h"

namespace {
std::string path;

bool InRange(const TSettings& s) {
    auto volume = [](int v) { return v >= 0 && v <= 100 && v % kVolumeStep == 0; };
    return volume(s.musicVolume) && volume(s.effectsVolume) && s.windowScale >= 0 && s.windowScale <= kMaxWindowScale &&
           s.gameSpeed >= kMinGameSpeed && s.gameSpeed <= 100 && s.gameSpeed % kGameSpeedStep == 0 &&
           s.lastName.size() <= kMaxLastNameLength;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    path = "/tmp/sq_settings_fuzz_" + std::to_string(::getpid()) + ".ini";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    TSettingsLoad load = ReadSettingsFile(path);
    std::remove(path.c_str());
    if (!load.found) __builtin_trap();
    if (!InRange(load.settings)) __builtin_trap();
    TSettingsParse again = ParseSettings(FormatSettings(load.settings));
    if (!again.problems.empty() || !(again.settings == load.settings)) __builtin_trap();
    return 0;
}
