// Where the game finds its data and keeps its table, in each way it can be
// laid out on disk.
#include "app/data_location.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/files/paths.h"
#include "platform/system/error_box.h"

namespace fs = std::filesystem;

namespace {

class DataLocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("snowquill-where-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }
    std::string Dir(const std::string& rel) {
        fs::create_directories(root / rel);
        return (root / rel).string() + "/";
    }

    fs::path root;
};

TEST_F(DataLocationTest, EachLayoutPutsTheTableInItsPlace) {
    const std::string work = Dir("work"), user = Dir("home/data/snowquill");

    // A build folder: the data beside the executable, the table with it.
    const std::string build = Dir("build/game");
    Dir("build/game/gfx");
    TDataLocation w = FindDataLocation(build, work, user);
    EXPECT_EQ(w.mode, TDataMode::kPortable);
    EXPECT_EQ(w.dataDir, build);
    EXPECT_EQ(w.scoresFile, build + "HISCORES.DAT");

    // An installed tree, wherever its prefix was moved: the table goes to
    // the user's data folder.
    const std::string bin = Dir("moved/prefix/bin");
    Dir("moved/prefix/share/snowquill/gfx");
    w = FindDataLocation(bin, work, user);
    EXPECT_EQ(w.mode, TDataMode::kInstalled);
    EXPECT_EQ(fs::canonical(w.dataDir), fs::canonical(root / "moved/prefix/share/snowquill"));
    EXPECT_EQ(w.scoresFile, user + "HISCORES.DAT");
    // ... and to the working folder when the user has no data folder at all.
    EXPECT_EQ(FindDataLocation(bin, work, "").scoresFile, work + "HISCORES.DAT");

    // Neither: the working folder, as the game always ran.
    const std::string bare = Dir("bare/bin");
    w = FindDataLocation(bare, work, user);
    EXPECT_EQ(w.mode, TDataMode::kWorkingDir);
    EXPECT_EQ(w.dataDir, work);
    EXPECT_EQ(w.scoresFile, work + "HISCORES.DAT");
    EXPECT_EQ(FindDataLocation("", work, user).mode, TDataMode::kWorkingDir);

    // A file named gfx is not a data folder.
    const std::string odd = Dir("odd");
    std::FILE* f = std::fopen((odd + "gfx").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_EQ(FindDataLocation(odd, work, user).mode, TDataMode::kWorkingDir);
}

TEST_F(DataLocationTest, UserDataFolderFollowsXdgThenHome) {
    const char* oldXdg = std::getenv("XDG_DATA_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "", savedHome = oldHome ? oldHome : "";

    setenv("XDG_DATA_HOME", "/x/data", 1);
    setenv("HOME", "/h", 1);
    EXPECT_EQ(sq::UserDataDir("snowquill"), "/x/data/snowquill/");
    // A relative or empty XDG_DATA_HOME is to be ignored.
    setenv("XDG_DATA_HOME", "rel/data", 1);
    EXPECT_EQ(sq::UserDataDir("snowquill"), "/h/.local/share/snowquill/");
    setenv("XDG_DATA_HOME", "", 1);
    EXPECT_EQ(sq::UserDataDir("snowquill"), "/h/.local/share/snowquill/");
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    EXPECT_EQ(sq::UserDataDir("snowquill"), "");

    oldXdg ? setenv("XDG_DATA_HOME", savedXdg.c_str(), 1) : unsetenv("XDG_DATA_HOME");
    oldHome ? setenv("HOME", savedHome.c_str(), 1) : unsetenv("HOME");
}

// The settings: the user's settings folder for an installed game, beside
// the table for a portable one or the working folder; --settings-file wins.
TEST_F(DataLocationTest, TheSettingsGoWhereTheLayoutSays) {
    const std::string work = Dir("work"), user = Dir("home/data/snowquill"), config = Dir("home/config/snowquill");
    const std::string build = Dir("build/game");
    Dir("build/game/gfx");
    EXPECT_EQ(FindDataLocation(build, work, user, config).settingsFile, build + "settings.ini");
    const std::string bin = Dir("moved/prefix/bin");
    Dir("moved/prefix/share/snowquill/gfx");
    TDataLocation w = FindDataLocation(bin, work, user, config);
    EXPECT_EQ(w.settingsFile, config + "settings.ini");
    EXPECT_NE(DescribeSettingsFile(w).find("XDG_CONFIG_HOME"), std::string::npos);
    // Without a settings folder they stay beside the table.
    EXPECT_EQ(FindDataLocation(bin, work, user, "").settingsFile, user + "settings.ini");
    EXPECT_EQ(FindDataLocation(Dir("bare/bin"), work, user, config).settingsFile, work + "settings.ini");

    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "", savedHome = oldHome ? oldHome : "";
    setenv("XDG_CONFIG_HOME", "/x/config", 1);
    setenv("HOME", "/h", 1);
    EXPECT_EQ(sq::UserConfigDir("snowquill"), "/x/config/snowquill/");
    setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(sq::UserConfigDir("snowquill"), "/h/.config/snowquill/");
    oldXdg ? setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
    oldHome ? setenv("HOME", savedHome.c_str(), 1) : unsetenv("HOME");
}

TEST_F(DataLocationTest, MakeFoldersCreatesTheWholePathOnce) {
    const std::string deep = (root / "a/b/c/snowquill/").string();
    EXPECT_TRUE(sq::MakeFolders(deep));
    EXPECT_TRUE(sq::IsFolder(deep));
    EXPECT_TRUE(sq::MakeFolders(deep));  // already there
    std::FILE* f = std::fopen((root / "file").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_FALSE(sq::MakeFolders((root / "file/below").string()));
}

}  // namespace

namespace {

TEST(ErrorBoxText, WrapsAtSpacesKeepsLineBreaksAndCutsLongWords) {
    EXPECT_EQ(sq::WrapForBox("short", 10), "short");
    EXPECT_EQ(sq::WrapForBox("one two three four", 9), "one two\nthree\nfour");
    EXPECT_EQ(sq::WrapForBox("a\n\nb", 9), "a\n\nb");
    EXPECT_EQ(sq::WrapForBox("abcdefghijkl", 5), "abcde\nfghij\nkl");
    EXPECT_EQ(sq::WrapForBox("", 5), "");
}

}  // namespace
