#include "scores/hi_score_file.h"

#include <cstdint>

namespace {

void PutInt32(std::string& out, int value) {
    uint32_t v = uint32_t(value);
    for (int i = 0; i < 4; ++i) out.push_back(char((v >> (8 * i)) & 0xFF));
}

int GetInt32(const std::string& bytes, std::size_t at) {
    uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        if (at + i < bytes.size()) v |= uint32_t(uint8_t(bytes[at + i])) << (8 * i);
    return int32_t(v);
}

// The record's name is always 12 bytes, whatever text it holds, so a record
// can never shift the ones after it.
std::string RecordName(const std::string& name) {
    std::string fixed = name.substr(0, kHiScoreNameLength);
    fixed.resize(kHiScoreNameLength, ' ');
    return fixed;
}

}  // namespace

int HighScoreOrder(const HiScoreItem& a, const HiScoreItem& b) { return a.score < b.score ? 1 : 0; }

std::string HiScoreFileBytes(const HiScoreList& table) {
    std::string out;
    out.reserve(std::size_t(kHiScoreEntries) * kHiScoreRecordSize);
    for (const auto& item : table) {
        if (!item) continue;
        PutInt32(out, item->score);
        PutInt32(out, item->level);
        PutInt32(out, item->giftTotal);
        PutInt32(out, item->playTime);
        PutInt32(out, item->reserved);
        out += RecordName(item->name);
    }
    return out;
}

std::shared_ptr<HiScoreList> ParseHiScoreFile(const std::string& bytes) {
    auto table = std::make_shared<HiScoreList>();
    table->Reserve(kHiScoreEntries + 1);
    for (std::size_t i = 0; i < std::size_t(kHiScoreEntries); ++i) {
        const std::size_t at = i * kHiScoreRecordSize;
        auto item = std::make_shared<HiScoreItem>();
        item->score = GetInt32(bytes, at);
        item->level = GetInt32(bytes, at + 4);
        item->giftTotal = GetInt32(bytes, at + 8);
        item->playTime = GetInt32(bytes, at + 12);
        item->reserved = GetInt32(bytes, at + 16);
        std::string name(kHiScoreNameLength, '\0');
        for (std::size_t c = 0; c < std::size_t(kHiScoreNameLength); ++c)
            if (at + 20 + c < bytes.size()) name[c] = bytes[at + 20 + c];
        item->name = name;
        table->Append(item);
    }
    return table;
}
