#include "scores/hi_score.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "core/globals.h"
#include "game/game_score.h"
#include "game/snow.h"
#include "platform/graphics.h"
#include "platform/keyboard.h"
#include "platform/runtime_error.h"
#include "platform/stream.h"
#include "platform/text.h"

using namespace sq;

namespace {

// The newest table when the file could not take it; see ForgetUnsavedTable.
std::shared_ptr<HiScoreList> unsavedTable;

std::shared_ptr<HiScoreList> CopyTable(const HiScoreList& from) {
    auto copy = std::make_shared<HiScoreList>();
    copy->Reserve(from.Size());
    for (const auto& item : from)
        if (item) copy->Append(std::make_shared<HiScoreItem>(*item));
    return copy;
}

void Report(const std::string& line) { std::fprintf(stderr, "Snowquill: %s\n", line.c_str()); }

std::string Reason() { return errno ? std::string(" (") + std::strerror(errno) + ")" : std::string(); }

// The record's name is always 12 bytes, whatever text it holds, so a record
// can never shift the ones after it.
std::string RecordName(const std::string& name) {
    std::string fixed = name.substr(0, kHiScoreNameLength);
    fixed.resize(kHiScoreNameLength, ' ');
    return fixed;
}

// Makes the rename itself durable.
void SyncDirectoryOf(const std::string& path) {
    std::filesystem::path dir = std::filesystem::path(path).parent_path();
    if (dir.empty()) dir = ".";
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::shared_ptr<HiScoreList> DefaultHiScoreTable() {
    auto list = std::make_shared<HiScoreList>();
    list->Reserve(kHiScoreEntries + 1);
    for (int i = 0; i < kHiScoreEntries; ++i) {
        auto item = std::make_shared<HiScoreItem>();
        item->score = i * 100;
        list->Append(item);
    }
    return list;
}

float HiScoreColumnX(float x, const std::string& text) {
    float right = float(kLogicalWidth - TextWidth(text));
    return x < right ? x : right;
}

int HighScoreOrder(const HiScoreItem& a, const HiScoreItem& b) { return a.score < b.score ? 1 : 0; }

void THiScore::ForgetUnsavedTable() { unsavedTable.reset(); }

void THiScore::Init() {
    CTimedSpeed::Init();
    snowEffect = CSnow::Create(250);
    entries = DefaultHiScoreTable();
    Load();
    tableX = 65;
    tableY = 240;
}

int THiScore::Update() {
    tableY -= 0.1f * tickDelta;
    if (tableY + 30 < -279) tableY = 240;
    snowEffect->Update();
    return 0;
}

void THiScore::DrawShadowText(int r, int g, int b, const std::string& text, float x, float y) {
    SetDrawColor(0, 0, 0);
    DrawTextAt(text, x, y);
    SetDrawColor(r, g, b);
    DrawTextAt(text, x - 1, y - 1);
    SetDrawColor(255, 255, 255);
}

int THiScore::AddScore(int newScore, int insert, const std::string& newName) {
    int passed = 0;
    for (const auto& entry : *entries) {
        if (!entry) continue;
        if (entry->score < newScore) {
            int rank = passed + 1;
            if (insert == 0) return rank;
            auto item = std::make_shared<HiScoreItem>();
            item->score = gameScore->total;
            item->level = currentLevel;
            item->giftTotal = gameScore->totalGifts;
            item->playTime = gameScore->totalTime;
            item->reserved = 0;
            item->name = newName;
            entries->InsertBefore(item, entries->LinkOf(entry));
            entries->RemoveValue(entries->Last());
            Save();
            return rank;
        }
        ++passed;
    }
    return 0;
}

void THiScore::Save() {
    entries->Sort(true, HighScoreOrder);
    if (keepFile) {
        Report(fileName + " cannot be written here; the new scores are kept until the game ends");
        unsavedTable = CopyTable(*entries);
        return;
    }
    // The table goes to a file beside the old one, reaches the disk, and
    // only then takes the old one's name: a crash or a full disk leaves the
    // previous table, never a truncated one.
    const std::string finalPath = NativePath(fileName);
    const std::string tempPath = finalPath + ".tmp";
    std::string why;
    try {
        StreamRef s = CreateFileStream(tempPath);
        if (!s) throw std::runtime_error(std::strerror(errno));
        for (const auto& item : *entries) {
            if (!item) continue;
            WriteInt32(s, item->score);
            WriteInt32(s, item->level);
            WriteInt32(s, item->giftTotal);
            WriteInt32(s, item->playTime);
            WriteInt32(s, item->reserved);
            WriteBytesText(s, RecordName(item->name));
        }
        FlushStream(s);
        CloseFileStream(s);
        if (std::rename(tempPath.c_str(), finalPath.c_str()) != 0) throw std::runtime_error(std::strerror(errno));
        SyncDirectoryOf(finalPath);
        unsavedTable.reset();
        return;
    } catch (const std::exception& e) {
        why = e.what();
    }
    std::remove(tempPath.c_str());
    Report("could not save the high-score table " + fileName + " (" + why + "); it is kept in memory");
    unsavedTable = CopyTable(*entries);
}

void THiScore::Load() {
    keepFile = false;
    int kind = PathKind(fileName);
    StreamRef s;
    if (kind == 1) s = OpenFileStream(fileName, 1, 1);
    if (kind != 0 && !s) {
        // Never replace a file we may not write: read it if we can.
        keepFile = true;
        if (kind == 1) s = OpenReadStream(fileName);
        if (!s) errno = kind == 2 ? EISDIR : errno;
    }
    if (unsavedTable) {
        // A save of this run failed: the table in memory is newer than the file.
        entries = CopyTable(*unsavedTable);
        if (kind == 0) Save();
        return;
    }
    if (kind == 0) {
        Save();
        return;
    }
    if (!s) {
        Report("could not read the high-score table " + fileName + Reason() + "; using the default table");
        // Ranked as a loaded table would be: highest first.
        entries->Sort(true, HighScoreOrder);
        return;
    }
    auto read = std::make_shared<HiScoreList>();
    read->Reserve(kHiScoreEntries + 1);
    try {
        // A short file reads its missing bytes as zeros; the table still has 20 rows.
        for (int i = 0; i < kHiScoreEntries; ++i) {
            auto item = std::make_shared<HiScoreItem>();
            item->score = ReadInt32(s);
            item->level = ReadInt32(s);
            item->giftTotal = ReadInt32(s);
            item->playTime = ReadInt32(s);
            item->reserved = ReadInt32(s);
            item->name = ReadBytesText(s, kHiScoreNameLength);
            read->Append(item);
        }
    } catch (const TRuntimeError& e) {
        Report("could not read the high-score table " + fileName + " (" + e.what() + "); using the table in memory");
        entries->Sort(true, HighScoreOrder);
        return;
    }
    CloseFileStream(s);
    if (!entries) entries = std::make_shared<HiScoreList>();
    entries->Clear();
    for (auto& item : *read) entries->Append(item);
}

void THiScore::Draw() {
    DrawImageAt(imgScores, 0, 0, 0);
    int count = int(entries->Size());
    for (int i = 0; i < kHiScoreEntries && i < count; ++i) {
        float rowY = tableY + float(i) * 16;
        if (rowY >= 320) continue;
        auto entry = entries->ValueAt(i);
        SetBlendMode(kBlendAlpha);
        SetDrawAlpha(0);
        // Rows fade in at the bottom and out at the top of the screen.
        if (rowY < 235) {
            float alpha = (235 - rowY) / 20;
            if (alpha > 1) alpha = 1;
            SetDrawAlpha(alpha);
        }
        if (rowY < 15) SetDrawAlpha(1 - (15 - rowY) / 20);
        DrawShadowText(255, 255, 255, IntToText(i + 1) + ".", tableX + 5, rowY);
        DrawShadowText(255, 125, 125, entry->name, tableX + 30, rowY);
        std::string text = PadLeft(IntToText(entry->score), 6, "0");
        DrawShadowText(250, 250, 160, text, HiScoreColumnX(tableX + 130, text), rowY);
        text = PadLeft(IntToText(entry->giftTotal), 4, "0");
        DrawShadowText(255, 255, 0, text, HiScoreColumnX(tableX + 190, text), rowY);
        text = PadLeft(IntToText(entry->level), 2, "0");
        DrawShadowText(0, 243, 0, text, HiScoreColumnX(tableX + 235, text), rowY);
        SetDrawAlpha(1);
        SetBlendMode(kBlendAlpha);
        SetDrawScale(1, 1);
    }
    SetDrawColor(255, 255, 255);
    snowEffect->Draw();
}

void THiScore::Release() { snowEffect = CSnow::Destroy(snowEffect); }
