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
    std::string dataDir;         // ends in '/'
    std::string scoresFile;      // absolute
    std::string settingsFile;    // absolute
    bool scoresGiven = false;    // --scores-file named the table
    bool settingsGiven = false;  // --settings-file named the settings
};

// The data folder relative to the executable's folder in an installed tree.
std::string InstalledDataFromBin();

// Decides from the executable's folder, the working folder and the user's
// data and settings folders (all ending in '/'; the last two may be empty
// when there is none). The settings go to the user's settings folder for an
// installed game and beside the table otherwise.
TDataLocation FindDataLocation(const std::string& exeDir, const std::string& workingDir, const std::string& userDataDir,
                               const std::string& userConfigDir = {});
// FindDataLocation for this run, with the table and the settings put where
// --scores-file and --settings-file say when they are not empty.
TDataLocation LocateRunFiles(const std::string& scoresFile, const std::string& settingsFile);

// Finds the data for this run, makes it the working folder, creates the
// user's data folder when the table goes there, and hands the table's file
// (or `scoresFile` when not empty) to the high-score table.
TDataLocation SettleDataLocation(const std::string& scoresFile, const std::string& settingsFile = {});

// The words --help uses for where the table and the settings are.
std::string DescribeScoresFile(const TDataLocation& location);
std::string DescribeSettingsFile(const TDataLocation& location);
