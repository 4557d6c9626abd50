// A process killed outright (SIGKILL: a crash, the out-of-memory killer, a
// power cut as far as the process can tell) while it saves the high-score
// table: many times over, at random moments, the table on disk must be the
// one before the save or the one after it, whole, and the next start must
// leave no temporary file behind.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "core/globals.h"
#include "scores/hi_score.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFileBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int CountTemporaries(const fs::path& dir) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().rfind("HISCORES.DAT.tmp", 0) == 0) ++n;
    return n;
}

// A table as the game keeps it, every score raised by `bonus`.
std::shared_ptr<THiScore> Table(const fs::path& file, int bonus) {
    auto t = std::make_shared<THiScore>();
    t->fileName = file.string();
    t->entries = DefaultHiScoreTable();
    for (auto& item : *t->entries) item->score += bonus;
    return t;
}

TEST(KillDuringSave, TheTableIsOldOrNewWholeAndTheNextStartLeavesNoTemporary) {
    ResetGlobals();
    THiScore::ForgetUnsavedTable();
    const fs::path dir = fs::temp_directory_path() / ("sq_kill_save_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path file = dir / "HISCORES.DAT";
    auto older = Table(file, 0), newer = Table(file, 7);
    newer->Save();
    const std::string newBytes = ReadFileBytes(file);
    older->Save();
    const std::string oldBytes = ReadFileBytes(file);
    ASSERT_EQ(oldBytes.size(), 640u);
    ASSERT_NE(oldBytes, newBytes);

    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pauseMicros(0, 4000);
    constexpr int kKills = 220;
    int foundOld = 0, foundNew = 0, midSave = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saves the two tables in turn until it is killed.
            ::close(ready[0]);
            const char go = 1;
            if (::write(ready[1], &go, 1) != 1) _exit(2);
            for (;;) {
                newer->Save();
                older->Save();
            }
        }
        ::close(ready[1]);
        char go = 0;
        ASSERT_EQ(::read(ready[0], &go, 1), 1);
        ::close(ready[0]);
        // The pause only picks the moment of the kill; nothing waits on it.
        std::this_thread::sleep_for(std::chrono::microseconds(pauseMicros(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the saving process ended by itself";

        const std::string onDisk = ReadFileBytes(file);
        ASSERT_TRUE(onDisk == oldBytes || onDisk == newBytes)
            << "kill " << kill << " (seed " << seed << ") left a table of " << onDisk.size() << " bytes";
        (onDisk == oldBytes ? foundOld : foundNew)++;
        if (CountTemporaries(dir) > 0) ++midSave;
        // The next start: stray temporaries go, and the table still loads.
        THiScore::RemoveStrayTemporaryFiles(file.string());
        ASSERT_EQ(CountTemporaries(dir), 0) << "kill " << kill;
        auto loaded = Table(file, 0);
        loaded->Load();
        const int best = loaded->entries->ValueAt(0)->score;
        ASSERT_TRUE(best == 1900 || best == 1907) << best;
    }
    std::printf("%d kills during saves (seed %u): %d left the older table, %d the newer, %d a temporary file\n", kKills,
                seed, foundOld, foundNew, midSave);
    fs::remove_all(dir);
    ResetGlobals();
}

}  // namespace
