#pragma once
// scores/: the high-score table and its file. Uses game/ and every floor
// below it.
//
// The table of the 20 best games, its file "HISCORES.DAT", and the scrolling
// table that the high-score screen runs. The table is also used without the
// screen at the end of every game to rank the score and insert a new entry.
#include <memory>
#include <string>

#include "core/timed_speed.h"
#include "platform/system/list.h"
#include "scores/hi_score_file.h"

class CSnow;

// The file every new table lives in: "HISCORES.DAT" in the working folder
// unless start-up chose another place (the user's data folder, or a file
// named on the command line).
void SetHiScoreFilePath(const std::string& path);
const std::string& HiScoreFilePath();

// Where a number column is drawn: at x, or further left when a damaged file
// holds a number too long to end within the 320-pixel screen.
inline constexpr int kLogicalWidth = 320;
float HiScoreColumnX(float x, const std::string& text);

// 20 entries with the scores 0, 100, ... 1900, in that (ascending) order.
std::shared_ptr<HiScoreList> DefaultHiScoreTable();

class THiScore : public CTimedSpeed {
public:
    void Init() override;
    int Update() override;
    void DrawShadowText(int r, int g, int b, const std::string& text, float x, float y);
    int AddScore(int newScore, int insert, const std::string& newName);
    void Save();
    void Load();
    void Draw();
    void Release();

    std::shared_ptr<CSnow> snowEffect;
    std::shared_ptr<HiScoreList> entries;
    float tableX = 65;
    float tableY = 240;

    // The file this table lives in (tests point it elsewhere).
    std::string fileName = HiScoreFilePath();
    // Set by Load when something is at the file's place that must not be
    // replaced: a read-only file, or anything that is not a plain file (a
    // pipe, a device, a socket, a directory, a symbolic link). keepReason
    // says why.
    bool keepFile = false;
    std::string keepReason;

    // A table whose save failed stays the game's table for the rest of the
    // run, so a later visit shows the scores made since. Tests drop it.
    static void ForgetUnsavedTable();
    // Removes temporary files an interrupted save left beside the table
    // (called once at start-up); returns how many.
    static int RemoveStrayTemporaryFiles(const std::string& file = kHiScoreFile);
};
