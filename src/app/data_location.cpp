#include "app/data_location.h"

#include "core/settings_file.h"
#include "platform/files/paths.h"
#include "scores/hi_score.h"

#ifndef SNOWQUILL_DATA_FROM_BIN
#define SNOWQUILL_DATA_FROM_BIN "../share/snowquill"
#endif

namespace {

bool HoldsData(const std::string& dir) { return !dir.empty() && sq::IsFolder(dir + "gfx"); }

}  // namespace

std::string InstalledDataFromBin() {
    std::string rel = SNOWQUILL_DATA_FROM_BIN;
    if (!rel.empty() && rel.back() != '/') rel += '/';
    return rel;
}

TDataLocation FindDataLocation(const std::string& exeDir, const std::string& workingDir, const std::string& userDataDir,
                               const std::string& userConfigDir) {
    TDataLocation where;
    if (HoldsData(exeDir)) {
        where.mode = TDataMode::kPortable;
        where.dataDir = exeDir;
        where.scoresFile = exeDir + kHiScoreFile;
    } else if (!exeDir.empty() && HoldsData(exeDir + InstalledDataFromBin())) {
        where.mode = TDataMode::kInstalled;
        where.dataDir = exeDir + InstalledDataFromBin();
        // Without any home the table has nowhere of its own: the working
        // folder is the last resort.
        where.scoresFile = (userDataDir.empty() ? workingDir : userDataDir) + kHiScoreFile;
    } else {
        where.dataDir = workingDir;
        where.scoresFile = workingDir + kHiScoreFile;
    }
    if (where.mode == TDataMode::kInstalled && !userConfigDir.empty())
        where.settingsFile = userConfigDir + kSettingsFileName;
    else
        where.settingsFile = where.scoresFile.substr(0, where.scoresFile.rfind('/') + 1) + kSettingsFileName;
    return where;
}

TDataLocation LocateRunFiles(const std::string& scoresFile, const std::string& settingsFile) {
    TDataLocation where = FindDataLocation(sq::ExecutableDir(), sq::WorkingDir(), sq::UserDataDir("snowquill"),
                                           sq::UserConfigDir("snowquill"));
    if (!scoresFile.empty()) {
        where.scoresFile = sq::AbsolutePath(scoresFile);
        where.scoresGiven = true;
    }
    if (!settingsFile.empty()) {
        where.settingsFile = sq::AbsolutePath(settingsFile);
        where.settingsGiven = true;
    }
    return where;
}

TDataLocation SettleDataLocation(const std::string& scoresFile, const std::string& settingsFile) {
    TDataLocation where = LocateRunFiles(scoresFile, settingsFile);
    if (!where.scoresGiven && where.mode == TDataMode::kInstalled) {
        // First run: the folder is made here; the table itself is written
        // with the default scores by start-up.
        std::string folder = where.scoresFile.substr(0, where.scoresFile.rfind('/') + 1);
        sq::MakeFolders(folder);
    }
    // The settings' folder is made only when they are first saved.
    sq::ChangeDir(where.dataDir);
    SetHiScoreFilePath(where.scoresFile);
    SetSettingsFilePath(where.settingsFile);
    return where;
}

std::string DescribeScoresFile(const TDataLocation& location) {
    if (location.scoresGiven) return location.scoresFile;
    switch (location.mode) {
        case TDataMode::kPortable:
            return location.scoresFile + " (beside the game's data: this copy is portable)";
        case TDataMode::kInstalled:
            return location.scoresFile + " (your data folder: $XDG_DATA_HOME/snowquill, or ~/.local/share/snowquill)";
        case TDataMode::kWorkingDir:
            break;
    }
    return location.scoresFile + " (the working folder)";
}

std::string DescribeSettingsFile(const TDataLocation& location) {
    if (location.settingsGiven) return location.settingsFile;
    auto folder = [](const std::string& path) { return path.substr(0, path.rfind('/') + 1); };
    if (folder(location.settingsFile) != folder(location.scoresFile))
        return location.settingsFile + " (your settings folder: $XDG_CONFIG_HOME/snowquill, or ~/.config/snowquill)";
    return location.settingsFile + " (beside the high-score table)";
}
