#include "scores/hi_score.h"

#include <cstdio>
#include <set>

#include "core/globals.h"
#include "game/game_score.h"
#include "game/snow.h"
#include "platform/files/safe_file.h"
#include "platform/input/keyboard.h"
#include "platform/system/text.h"
#include "platform/video/graphics.h"
#include "scores/hi_score_file.h"

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

// A file that cannot be used is mentioned once per run, not at every visit.
std::set<std::string> saidOnce;

void ReportOnce(const std::string& line) {
    if (saidOnce.insert(line).second) Report(line);
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

void THiScore::ForgetUnsavedTable() {
    unsavedTable.reset();
    saidOnce.clear();
}

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
        Report(fileName + " is not replaced (" + keepReason + "); the new scores are kept until the game ends");
        unsavedTable = CopyTable(*entries);
        return;
    }
    // The table goes to a new file beside the old one, reaches the disk, and
    // only then takes the old one's name: a crash or a full disk leaves the
    // previous table, never a truncated one.
    std::string why;
    if (ReplaceFileWhole(fileName, HiScoreFileBytes(*entries), why)) {
        unsavedTable.reset();
        return;
    }
    Report("could not save the high-score table " + fileName + " (" + why + "); it is kept in memory");
    unsavedTable = CopyTable(*entries);
}

void THiScore::Load() {
    keepFile = false;
    keepReason.clear();
    const FileKind kind = PathFileKind(fileName);
    TPlainRead file;
    if (kind != FileKind::kNone) {
        // Only a plain file is read, and only one we may write is ever
        // replaced: a pipe, a device, a link or a directory is left alone.
        file = ReadPlainFile(fileName, std::size_t(kHiScoreEntries) * kHiScoreRecordSize);
        if (!file.ok) {
            keepFile = true;
            keepReason = file.error;
        } else if (!file.writable) {
            keepFile = true;
            keepReason = "the file is read-only";
        }
    }
    if (unsavedTable) {
        // A save of this run failed: the table in memory is newer than the file.
        entries = CopyTable(*unsavedTable);
        if (kind == FileKind::kNone) Save();
        return;
    }
    if (kind == FileKind::kNone) {
        Save();
        return;
    }
    if (!file.ok) {
        ReportOnce("the high-score table " + fileName + " cannot be used (" + file.error +
                   "); playing with the default table and leaving the file alone");
        // Ranked as a loaded table would be: highest first.
        entries->Sort(true, HighScoreOrder);
        return;
    }
    entries = ParseHiScoreFile(file.bytes);
}

int THiScore::RemoveStrayTemporaryFiles(const std::string& file) { return RemoveStrayTemporaries(file); }

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
