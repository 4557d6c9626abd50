#pragma once
// The byte layout of "HISCORES.DAT": 20 records of 32 bytes, five
// little-endian integers and a 12-byte name each, in table order.
#include <memory>
#include <string>

#include "platform/system/list.h"

inline constexpr const char* kHiScoreFile = "HISCORES.DAT";
inline constexpr int kHiScoreEntries = 20;
inline constexpr int kHiScoreNameLength = 12;
inline constexpr int kHiScoreRecordSize = 32;

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

// 1 when a scores lower than b: with the list's ascending sort this gives
// descending scores and leaves equal scores in their order.
int HighScoreOrder(const HiScoreItem& a, const HiScoreItem& b);

// The file's bytes for a table, in the table's order (the caller sorts).
std::string HiScoreFileBytes(const HiScoreList& table);
// Always 20 entries: bytes missing from a short file read as 0, bytes past
// the 20th record are ignored.
std::shared_ptr<HiScoreList> ParseHiScoreFile(const std::string& bytes);
