#include "app/data_location.h"

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

TDataLocation FindDataLocation(const std::string& exeDir, const std::string& workingDir,
                               const std::string& userDataDir) {
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
    return where;
}

TDataLocation SettleDataLocation(const std::string& scoresFile) {
    TDataLocation where = FindDataLocation(sq::ExecutableDir(), sq::WorkingDir(), sq::UserDataDir("snowquill"));
    if (!scoresFile.empty()) {
        where.scoresFile = sq::AbsolutePath(scoresFile);
    } else if (where.mode == TDataMode::kInstalled) {
        // First run: the folder is made here; the table itself is written
        // with the default scores by start-up.
        std::string folder = where.scoresFile.substr(0, where.scoresFile.rfind('/') + 1);
        sq::MakeFolders(folder);
    }
    sq::ChangeDir(where.dataDir);
    SetHiScoreFilePath(where.scoresFile);
    return where;
}

std::string DescribeScoresFile(const TDataLocation& location) {
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
