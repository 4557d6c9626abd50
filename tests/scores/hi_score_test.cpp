// The high-score table and its file: the default table, the byte layout,
// ranking and insertion, short and damaged files, and saving that never
// leaves a broken table behind.
#include "scores/hi_score.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/globals.h"
#include "game/game_score.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFileBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

void PutInt(std::string& out, int32_t v) {
    uint32_t u = uint32_t(v);
    for (int i = 0; i < 4; ++i) out.push_back(char((u >> (8 * i)) & 0xFF));
}

std::string Record(int score, int level, int gifts, int time, int reserved, const std::string& name12) {
    std::string r;
    PutInt(r, score);
    PutInt(r, level);
    PutInt(r, gifts);
    PutInt(r, time);
    PutInt(r, reserved);
    r += name12;
    return r;
}

// Takes away the right to change a file or folder. Permission bits do not
// bind the superuser, so then the file system's immutable flag does it.
bool SetImmutable(const fs::path& p, bool on) {
    int fd = ::open(p.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

bool MakeUnwritable(const fs::path& p) {
    if (::geteuid() == 0) return SetImmutable(p, true);
    std::error_code ec;
    fs::permissions(p, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove, ec);
    return !ec;
}

void MakeWritable(const fs::path& p) {
    if (::geteuid() == 0) SetImmutable(p, false);
    std::error_code ec;
    fs::permissions(p, fs::perms::owner_write, fs::perm_options::add, ec);
}

// The save's temporary files left in a folder.
std::vector<std::string> Temporaries(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) {
        std::string name = e.path().filename().string();
        if (name.rfind("HISCORES.DAT.tmp", 0) == 0) out.push_back(name);
    }
    return out;
}

std::vector<int> Scores(const HiScoreList& list) {
    std::vector<int> out;
    for (const auto& item : list) out.push_back(item->score);
    return out;
}

class HiScoreTable : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        THiScore::ForgetUnsavedTable();
        dir = fs::temp_directory_path() / ("sq_scores_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        file = dir / "HISCORES.DAT";
        gameScore = std::make_shared<CGameScore>();
    }
    void TearDown() override {
        THiScore::ForgetUnsavedTable();
        MakeWritable(file);
        MakeWritable(dir);
        std::error_code ec;
        fs::remove_all(dir, ec);
        ResetGlobals();
    }
    // A table as the end of a game uses it: the default entries, then the file.
    std::shared_ptr<THiScore> LoadTable() {
        auto t = std::make_shared<THiScore>();
        t->fileName = file.string();
        t->entries = DefaultHiScoreTable();
        t->Load();
        return t;
    }
    // Ends a game with `score` and stores it under `name` if it earns a place.
    int Finish(THiScore& t, int score, const std::string& name, int level = 3) {
        gameScore->total = score;
        gameScore->totalGifts = 11;
        gameScore->totalTime = 222;
        currentLevel = level;
        int rank = t.AddScore(score, 0, "");
        if (rank) t.AddScore(score, 1, name);
        return rank;
    }
    fs::path dir, file;
};

std::string DefaultFileBytes() {
    std::string bytes;
    for (int i = 19; i >= 0; --i) bytes += Record(i * 100, 0, 0, 0, 0, std::string(12, ' '));
    return bytes;
}

TEST_F(HiScoreTable, DefaultTableHasTwentyAscendingScoresAndBlankNames) {
    auto t = DefaultHiScoreTable();
    ASSERT_EQ(t->Size(), 20u);
    EXPECT_EQ(Scores(*t).front(), 0);
    EXPECT_EQ(Scores(*t).back(), 1900);
    for (const auto& item : *t) EXPECT_EQ(item->name, std::string(12, ' '));
}

TEST_F(HiScoreTable, MissingFileIsCreatedWithTheDefaultTableHighestFirst) {
    auto t = LoadTable();
    EXPECT_EQ(ReadFileBytes(file), DefaultFileBytes());
    EXPECT_EQ(Scores(*t->entries).front(), 1900);
    EXPECT_EQ(Scores(*t->entries).back(), 0);
    EXPECT_FALSE(fs::exists(dir / "HISCORES.DAT.tmp"));
}

TEST_F(HiScoreTable, EveryFieldSurvivesASaveAndALoad) {
    std::string name = "Zo\x01\x7f\x80\xff" + std::string(6, ' ');
    std::string bytes = Record(5000, 6, 42, 777, -12345, name);
    for (int i = 1; i < 20; ++i) bytes += Record(100 * (20 - i), i % 7, i, i * 3, i, std::string(12, 'a' + i));
    WriteFileBytes(file, bytes);
    auto t = LoadTable();
    auto first = t->entries->ValueAt(0);
    EXPECT_EQ(first->score, 5000);
    EXPECT_EQ(first->level, 6);
    EXPECT_EQ(first->giftTotal, 42);
    EXPECT_EQ(first->playTime, 777);
    EXPECT_EQ(first->reserved, -12345);
    EXPECT_EQ(first->name, name);
    t->Save();
    EXPECT_EQ(ReadFileBytes(file), bytes);
}

TEST_F(HiScoreTable, AScoreOfFiftyRanksTwentiethAndPushesOutTheZero) {
    auto t = LoadTable();
    EXPECT_EQ(Finish(*t, 50, "ABCDE       "), 20);
    auto again = LoadTable();
    std::vector<int> expected;
    for (int s = 1900; s >= 100; s -= 100) expected.push_back(s);
    expected.push_back(50);
    EXPECT_EQ(Scores(*again->entries), expected);
    auto entry = again->entries->ValueAt(19);
    EXPECT_EQ(entry->name, "ABCDE       ");
    EXPECT_EQ(entry->level, 3);
    EXPECT_EQ(entry->giftTotal, 11);
    EXPECT_EQ(entry->playTime, 222);
    EXPECT_EQ(entry->reserved, 0);
    EXPECT_EQ(ReadFileBytes(file).size(), 640u);
}

TEST_F(HiScoreTable, EqualScoresRankBelowAndTheLowestMustBeBeaten) {
    auto t = LoadTable();
    EXPECT_EQ(t->AddScore(0, 0, ""), 0);  // equal to the 20th: no place
    EXPECT_EQ(t->AddScore(-5, 0, ""), 0);
    EXPECT_EQ(t->AddScore(1, 0, ""), 20);    // one higher replaces the 20th
    EXPECT_EQ(t->AddScore(1900, 0, ""), 2);  // equal to the top: below it
    EXPECT_EQ(t->AddScore(1901, 0, ""), 1);
    EXPECT_EQ(ReadFileBytes(file), DefaultFileBytes());  // queries change nothing

    Finish(*t, 700, "FIRST       ");
    Finish(*t, 700, "SECOND      ");
    auto again = LoadTable();
    int firstAt = -1, secondAt = -1, oldAt = -1;
    for (int i = 0; i < 20; ++i) {
        auto e = again->entries->ValueAt(i);
        if (e->name == "FIRST       ") firstAt = i;
        if (e->name == "SECOND      ") secondAt = i;
        if (e->score == 700 && e->name == std::string(12, ' ')) oldAt = i;
    }
    EXPECT_LT(oldAt, firstAt);
    EXPECT_LT(firstAt, secondAt);
    EXPECT_EQ(again->entries->ValueAt(19)->score, 200);  // 100 and 0 fell off the end
}

TEST_F(HiScoreTable, TheSortKeepsEqualScoresInTheirOrder) {
    HiScoreList list;
    for (int s : {5, 9, 5, 1, 9}) {
        auto item = std::make_shared<HiScoreItem>();
        item->score = s;
        item->name = std::to_string(list.Size());
        list.Append(item);
    }
    list.Sort(true, HighScoreOrder);
    std::string order;
    for (const auto& item : list) order += item->name;
    EXPECT_EQ(order, "14023");
}

TEST_F(HiScoreTable, AHundredByteFileReadsMissingBytesAsZeros) {
    std::string bytes = Record(900, 1, 2, 3, 4, "ONE         ") + Record(800, 1, 2, 3, 4, "TWO         ") +
                        Record(700, 1, 2, 3, 4, "THREE       ");
    PutInt(bytes, 600);  // the fourth record stops after its score
    ASSERT_EQ(bytes.size(), 100u);
    WriteFileBytes(file, bytes);
    auto t = LoadTable();
    ASSERT_EQ(t->entries->Size(), 20u);
    EXPECT_EQ(t->entries->ValueAt(2)->name, "THREE       ");
    auto fourth = t->entries->ValueAt(3);
    EXPECT_EQ(fourth->score, 600);
    EXPECT_EQ(fourth->level, 0);
    EXPECT_EQ(fourth->reserved, 0);
    EXPECT_EQ(fourth->name, std::string(12, '\0'));
    for (int i = 4; i < 20; ++i) {
        EXPECT_EQ(t->entries->ValueAt(i)->score, 0);
        EXPECT_EQ(t->entries->ValueAt(i)->name, std::string(12, '\0'));
    }
    EXPECT_EQ(ReadFileBytes(file), bytes);  // reading never rewrites it
}

TEST_F(HiScoreTable, AnEmptyOrOverlongFileStillGivesTwentyRows) {
    WriteFileBytes(file, "");
    EXPECT_EQ(LoadTable()->entries->Size(), 20u);
    std::string junk(2000, '\xff');
    WriteFileBytes(file, junk);
    auto t = LoadTable();
    ASSERT_EQ(t->entries->Size(), 20u);
    EXPECT_EQ(t->entries->ValueAt(0)->score, -1);
    EXPECT_EQ(t->entries->ValueAt(0)->name, std::string(12, '\xff'));
}

// ---- Saving that never loses the table ----

TEST_F(HiScoreTable, ANameOfAnyLengthIsStoredInTwelveBytes) {
    auto t = LoadTable();
    Finish(*t, 5000, "A VERY LONG NAME INDEED");
    Finish(*t, 4000, "AB");
    std::string bytes = ReadFileBytes(file);
    ASSERT_EQ(bytes.size(), 640u);
    EXPECT_EQ(bytes.substr(20, 12), "A VERY LONG ");
    EXPECT_EQ(bytes.substr(32 + 20, 12), "AB          ");
    EXPECT_EQ(bytes.substr(64, 4), std::string("\x6c\x07\x00\x00", 4));  // 1900 follows
}

TEST_F(HiScoreTable, StrayTemporaryFilesGoAtStartUpAndASaveLeavesNone) {
    WriteFileBytes(dir / "HISCORES.DAT.tmp", "half a table from a crash");
    WriteFileBytes(dir / "HISCORES.DAT.tmp.4242.7", "another one");
    WriteFileBytes(dir / "victim", "precious");
    fs::create_symlink(dir / "victim", dir / "HISCORES.DAT.tmp.1.1");
    EXPECT_EQ(THiScore::RemoveStrayTemporaryFiles(file.string()), 3);
    EXPECT_TRUE(Temporaries(dir).empty());
    EXPECT_EQ(ReadFileBytes(dir / "victim"), "precious");  // only the link went
    auto t = LoadTable();
    Finish(*t, 3000, "NEW         ");
    EXPECT_TRUE(Temporaries(dir).empty());
    EXPECT_EQ(LoadTable()->entries->ValueAt(0)->score, 3000);
}

TEST_F(HiScoreTable, AFailedSaveKeepsTheOldFileAndTheNewScoreInMemory) {
    auto t = LoadTable();
    Finish(*t, 3000, "SAVED       ");
    const std::string before = ReadFileBytes(file);
    // Nothing can be created in the folder any more.
    if (!MakeUnwritable(dir)) GTEST_SKIP() << "cannot make a read-only folder here";
    ::testing::internal::CaptureStderr();
    auto t2 = LoadTable();
    Finish(*t2, 5000, "UNSAVED     ");
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("HISCORES.DAT"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(ReadFileBytes(file), before);
    // The game plays on with the table in memory: the next visit shows it.
    auto shown = LoadTable();
    EXPECT_EQ(shown->entries->ValueAt(0)->name, "UNSAVED     ");
    EXPECT_EQ(shown->entries->ValueAt(1)->name, "SAVED       ");
    // The message gives the system's reason, never a made-up success.
    EXPECT_EQ(err.find("Success"), std::string::npos) << err;
    EXPECT_TRUE(err.find("denied") != std::string::npos || err.find("not permitted") != std::string::npos) << err;
    // Once the file can be written again, the whole table reaches it.
    MakeWritable(dir);
    Finish(*shown, 250, "LAST        ");
    auto reread = LoadTable();
    EXPECT_EQ(reread->entries->ValueAt(0)->name, "UNSAVED     ");
    EXPECT_EQ(reread->entries->ValueAt(19)->name, "LAST        ");
}

TEST_F(HiScoreTable, AFullDiskLeavesTheOldTableWhole) {
    auto t = LoadTable();
    Finish(*t, 3000, "SAVED       ");
    const std::string before = ReadFileBytes(file);
    // Files may grow to 400 bytes only (the table needs 640), as on a disk
    // that is nearly full.
    struct rlimit old;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 400;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    ::testing::internal::CaptureStderr();
    Finish(*t, 5000, "LOST        ");
    std::string err = ::testing::internal::GetCapturedStderr();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("File too large"), std::string::npos) << err;
    EXPECT_EQ(ReadFileBytes(file), before);
    EXPECT_TRUE(Temporaries(dir).empty());
    EXPECT_EQ(LoadTable()->entries->ValueAt(0)->name, "LOST        ");  // kept in memory
}

TEST_F(HiScoreTable, ADirectoryInPlaceOfTheFileIsNeverReplaced) {
    fs::create_directory(file);
    WriteFileBytes(file / "keep", "x");
    ::testing::internal::CaptureStderr();
    auto t = LoadTable();
    EXPECT_TRUE(t->keepFile);
    EXPECT_EQ(Scores(*t->entries).front(), 1900);  // the default table, sorted in memory
    EXPECT_EQ(Finish(*t, 2500, "DIR         "), 1);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(err.empty());
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_TRUE(fs::exists(file / "keep"));
    EXPECT_EQ(t->entries->ValueAt(0)->score, 2500);
}

TEST_F(HiScoreTable, AReadOnlyFileIsReadButNeverReplaced) {
    std::string bytes = Record(4000, 2, 0, 0, 0, "READONLY    ");
    bytes += DefaultFileBytes().substr(0, 19 * 32);
    WriteFileBytes(file, bytes);
    if (!MakeUnwritable(file)) GTEST_SKIP() << "cannot make a read-only file here";
    ::testing::internal::CaptureStderr();
    auto t = LoadTable();
    EXPECT_TRUE(t->keepFile);
    EXPECT_EQ(t->entries->ValueAt(0)->name, "READONLY    ");
    Finish(*t, 5000, "MEMORY      ");
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadFileBytes(file), bytes);
    EXPECT_EQ(LoadTable()->entries->ValueAt(0)->name, "MEMORY      ");
}

TEST_F(HiScoreTable, AnUnwritableFolderReportsOneLineAndPlaysOn) {
    if (!MakeUnwritable(dir)) GTEST_SKIP() << "cannot make a read-only folder here";
    ::testing::internal::CaptureStderr();
    auto t = LoadTable();
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(t->entries->Size(), 20u);
}

// Only a plain file is ever read or replaced. A pipe must not hang the game
// (the child is killed if it waits), and is still a pipe afterwards.
TEST_F(HiScoreTable, ANamedPipeIsNeverWaitedOnNorReplaced) {
    ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0);
    EXPECT_EXIT(
        {
            ::alarm(20);
            auto t = LoadTable();
            bool ok = t->keepFile && Scores(*t->entries).front() == 1900 && t->entries->Size() == 20u;
            ok = ok && Finish(*t, 2500, "PIPE        ") == 1 && t->entries->ValueAt(0)->score == 2500;
            LoadTable();  // a second visit says nothing new
            std::exit(ok ? 0 : 3);
        },
        ::testing::ExitedWithCode(0), "cannot be used \\(it is a named pipe, not a plain file\\)");
    struct stat st;
    ASSERT_EQ(::lstat(file.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(Temporaries(dir).empty());

    ::testing::internal::CaptureStderr();
    LoadTable();
    LoadTable();
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

// A link planted at the old temporary name is neither followed nor kept.
TEST_F(HiScoreTable, ALinkAtTheTemporaryNameRedirectsNothing) {
    WriteFileBytes(dir / "victim", "another file of the player");
    fs::create_symlink(dir / "victim", dir / "HISCORES.DAT.tmp");
    auto t = LoadTable();
    Finish(*t, 3000, "SAFE        ");
    EXPECT_EQ(ReadFileBytes(dir / "victim"), "another file of the player");
    EXPECT_FALSE(fs::is_symlink(file));
    EXPECT_EQ(ReadFileBytes(file).size(), 640u);
    EXPECT_EQ(LoadTable()->entries->ValueAt(0)->name, "SAFE        ");
}

// A link at the table itself is refused: not read, not written through, not
// replaced; the game plays with the default table.
TEST_F(HiScoreTable, ALinkAtTheTableIsRefused) {
    const std::string victim = Record(9999, 6, 0, 0, 0, "NOT SCORES  ") + DefaultFileBytes().substr(0, 19 * 32);
    WriteFileBytes(dir / "victim", victim);
    fs::create_symlink(dir / "victim", file);
    ::testing::internal::CaptureStderr();
    auto t = LoadTable();
    EXPECT_TRUE(t->keepFile);
    EXPECT_EQ(Scores(*t->entries).front(), 1900);
    Finish(*t, 5000, "LINK        ");
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("symbolic link"), std::string::npos) << err;
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(ReadFileBytes(dir / "victim"), victim);
    EXPECT_TRUE(Temporaries(dir).empty());
    EXPECT_EQ(LoadTable()->entries->ValueAt(0)->name, "LINK        ");  // kept in memory
}

// A directory at the old temporary name no longer stops a save.
TEST_F(HiScoreTable, ADirectoryAtTheTemporaryNameDoesNotStopTheSave) {
    fs::create_directory(dir / "HISCORES.DAT.tmp");
    auto t = LoadTable();
    ::testing::internal::CaptureStderr();
    Finish(*t, 3000, "SAVED       ");
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(err.empty()) << err;
    EXPECT_EQ(LoadTable()->entries->ValueAt(0)->name, "SAVED       ");
    EXPECT_TRUE(fs::is_directory(dir / "HISCORES.DAT.tmp"));
}

}  // namespace
