#pragma once
// Where the game finds its data and keeps its high-score table.
#include <string>

enum class TDataMode {
    kPortable,    // the data beside the executable: the table stays there too
    kInstalled,   // the data under the install prefix: the table in the user's data folder
    kWorkingDir,  // neither: the working folder, as the game always did
};

struct TDataLocation {
    TDataMode mode = TDataMode::kWorkingDir;
    std::string dataDir;     // ends in '/'
    std::string scoresFile;  // absolute
};

// The data folder relative to the executable's folder in an installed tree.
std::string InstalledDataFromBin();

// Decides from the executable's folder, the working folder and the user's
// data folder (all ending in '/'; the last may be empty when there is none).
TDataLocation FindDataLocation(const std::string& exeDir, const std::string& workingDir,
                               const std::string& userDataDir);

// Finds the data for this run, makes it the working folder, creates the
// user's data folder when the table goes there, and hands the table's file
// (or `scoresFile` when not empty) to the high-score table.
TDataLocation SettleDataLocation(const std::string& scoresFile);

// The words --help uses for where the table is.
std::string DescribeScoresFile(const TDataLocation& location);
