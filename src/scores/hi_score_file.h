#pragma once
// The byte layout of "HISCORES.DAT": 20 records of 32 bytes, five
// little-endian integers and a 12-byte name each, in table order.
#include <memory>
#include <string>

#include "scores/hi_score.h"

// The file's bytes for a table, in the table's order (the caller sorts).
std::string HiScoreFileBytes(const HiScoreList& table);
// Always 20 entries: bytes missing from a short file read as 0, bytes past
// the 20th record are ignored.
std::shared_ptr<HiScoreList> ParseHiScoreFile(const std::string& bytes);
