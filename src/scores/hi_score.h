#pragma once
// The table of the 20 best games, its file "HISCORES.DAT", and the scrolling
// table that the high-score screen runs. The table is also used without the
// screen at the end of every game to rank the score and insert a new entry.
#include <memory>
#include <string>

#include "core/timed_speed.h"
#include "platform/list.h"

class CSnow;

inline constexpr const char* kHiScoreFile = "HISCORES.DAT";
inline constexpr int kHiScoreEntries = 20;
inline constexpr int kHiScoreNameLength = 12;
inline constexpr int kHiScoreRecordSize = 32;

// The file every new table lives in: "HISCORES.DAT" in the working folder
// unless start-up chose another place (the user's data folder, or a file
// named on the command line).
void SetHiScoreFilePath(const std::string& path);
const std::string& HiScoreFilePath();

// One row of the table; one 32-byte record of the file.
class HiScoreItem {
public:
    int score = 0;
    int level = 0;
    int giftTotal = 0;
    int playTime = 0;  // seconds of level clock over the whole game
    int reserved = 0;  // never set by the game, kept through a load and save
    std::string name = std::string(kHiScoreNameLength, ' ');
};
using HiScoreList = sq::TList<HiScoreItem>;

// Where a number column is drawn: at x, or further left when a damaged file
// holds a number too long to end within the 320-pixel screen.
inline constexpr int kLogicalWidth = 320;
float HiScoreColumnX(float x, const std::string& text);

// 20 entries with the scores 0, 100, ... 1900, in that (ascending) order.
std::shared_ptr<HiScoreList> DefaultHiScoreTable();
// 1 when a scores lower than b: with the list's ascending sort this gives
// descending scores and leaves equal scores in their order.
int HighScoreOrder(const HiScoreItem& a, const HiScoreItem& b);

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
    // Set by Load when the file exists but cannot be opened for writing (a
    // read-only file, a directory, no permission): such a file is never
    // replaced.
    bool keepFile = false;

    // A table whose save failed stays the game's table for the rest of the
    // run, so a later visit shows the scores made since. Tests drop it.
    static void ForgetUnsavedTable();
};
