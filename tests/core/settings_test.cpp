// The settings file: every setting survives a write and a read, and every
// kind of bad file starts the game with the defaults for what it cannot
// give, one line naming the file and the fault, and the file left alone.
#include "core/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/settings_file.h"

using namespace sq;
namespace fs = std::filesystem;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettings();
        dir = fs::temp_directory_path() / ("sq_settings_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        file = dir / "settings.ini";
        SetSettingsFilePath(file.string());
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
        ResetSettings();
    }
    void Write(const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }
    std::string Read() const {
        std::ifstream in(file, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    // Loads the file as start-up does; returns what was printed.
    std::string Load() {
        ::testing::internal::CaptureStderr();
        LoadSettings();
        return ::testing::internal::GetCapturedStderr();
    }

    fs::path dir, file;
};

TSettings EverythingChanged() {
    TSettings s;
    s.musicVolume = 30;
    s.effectsVolume = 0;
    s.fullScreen = false;
    s.windowScale = 3;
    s.pauseOnFocusLoss = false;
    s.bindings.keys = {ScancodeFromName("A"),     ScancodeFromName("D"), ScancodeFromName("W"),
                       ScancodeFromName("Space"), ScancodeFromName("Q"), ScancodeFromName("Return")};
    s.bindings.buttons = {PadButtonFromName("leftshoulder"),
                          PadButtonFromName("rightshoulder"),
                          PadButtonFromName("b"),
                          PadButtonFromName("y"),
                          -1,
                          PadButtonFromName("start")};
    s.gameSpeed = 50;
    s.reducedFlashing = true;
    s.lastName = "ANNA 2";
    return s;
}

TEST_F(SettingsFile, EverySettingSurvivesAWriteAndARead) {
    const TSettings changed = EverythingChanged();
    for (int sc : changed.bindings.keys) ASSERT_GT(sc, 0);
    Settings() = changed;
    ASSERT_TRUE(SaveSettings());
    const std::string text = Read();
    EXPECT_EQ(text.rfind("# ", 0), 0u) << "a comment line says what the file is";
    for (const char* line :
         {"music_volume = 30\n", "effects_volume = 0\n", "display = window\n", "window_scale = 3\n",
          "pause_on_focus_loss = off\n", "key_jump = W\n", "key_throw = Space\n", "pad_give_up = none\n",
          "pad_pause = start\n", "game_speed = 50\n", "reduced_flashing = on\n", "last_name = ANNA 2\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    ResetSettings();
    SetSettingsFilePath(file.string());
    EXPECT_EQ(Load(), "");
    EXPECT_TRUE(Settings() == changed);
    // The defaults written out read back as the defaults.
    EXPECT_TRUE(ParseSettings(FormatSettings(TSettings{})).settings == TSettings{});
}

TEST_F(SettingsFile, WrittenOnlyWhenSomethingChanged) {
    EXPECT_EQ(Load(), "");
    EXPECT_TRUE(Settings() == TSettings{});
    EXPECT_TRUE(SaveSettings());
    EXPECT_FALSE(fs::exists(file)) << "no file while nothing was changed";
    Settings().musicVolume = 60;
    EXPECT_TRUE(SaveSettings());
    EXPECT_NE(Read().find("music_volume = 60\n"), std::string::npos);
    // An installed game's settings folder is made on the first save.
    SetSettingsFilePath((dir / "new" / "folder" / "settings.ini").string());
    Settings().musicVolume = 70;
    EXPECT_TRUE(SaveSettings());
    EXPECT_TRUE(fs::exists(dir / "new" / "folder" / "settings.ini"));
}

struct TBadFile {
    const char* name;
    std::string bytes;
    const char* says;  // words the message must hold
};

TEST_F(SettingsFile, BadLinesAreNamedAndTheRestIsUsed) {
    const TBadFile cases[] = {
        {"out of range", "effects_volume = 150\nmusic_volume = 20\n", "effects_volume '150' is not 0 to 100"},
        {"between steps", "effects_volume = 45\nmusic_volume = 20\n", "line 1: effects_volume '45'"},
        {"unknown key", "# c\nvolume = 3\nmusic_volume = 20\n", "line 2: unknown setting 'volume'"},
        {"not key = value", "music_volume 20\nmusic_volume = 20\n", "line 1: not \"key = value\""},
        {"speed", "game_speed = 45\nmusic_volume = 20\n", "game_speed '45'"},
        {"no such key", "key_jump = Nokey\nmusic_volume = 20\n", "key_jump 'Nokey' is not the name of a key"},
        {"a key twice", "key_jump = Left\nmusic_volume = 20\n", "bound to two actions"},
        {"long name", "last_name = ABCDEFGHIJKLM\nmusic_volume = 20\n", "last_name"},
        {"sign", "music_volume = -0\nmusic_volume = 20\n", "music_volume '-0'"},
    };
    for (const TBadFile& c : cases) {
        ResetSettings();
        SetSettingsFilePath(file.string());
        Write(c.bytes);
        const std::string said = Load();
        EXPECT_NE(said.find(file.string()), std::string::npos) << c.name << ": " << said;
        EXPECT_NE(said.find(c.says), std::string::npos) << c.name << ": " << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << c.name << ": one line";
        EXPECT_EQ(Settings().musicVolume, 20) << c.name << ": the good lines are used";
        EXPECT_TRUE(Settings().bindings.keys == DefaultBindings().keys) << c.name;
        EXPECT_TRUE(SaveSettings());
        EXPECT_EQ(Read(), c.bytes) << c.name << ": left as it was until a setting changes";
    }
    // Once the player changes something, the file is written whole and clean.
    Settings().effectsVolume = 10;
    EXPECT_TRUE(SaveSettings());
    EXPECT_EQ(Load(), "");
    EXPECT_EQ(Settings().effectsVolume, 10);
}

TEST_F(SettingsFile, UnusableFilesGiveTheDefaultsAndStayUntouched) {
    // Too large, binary.
    const std::string big = "music_volume = 20\n" + std::string(kMaxSettingsBytes, '#');
    const std::string binary = std::string("music_volume = 20\n\0\x01\xff", 21);
    for (const auto& [bytes, says] : {std::pair{big, "larger than"}, std::pair{binary, "binary"}}) {
        ResetSettings();
        SetSettingsFilePath(file.string());
        Write(bytes);
        const std::string said = Load();
        EXPECT_NE(said.find(file.string()), std::string::npos) << said;
        EXPECT_NE(said.find(says), std::string::npos) << said;
        EXPECT_TRUE(Settings() == TSettings{});
        EXPECT_TRUE(SaveSettings());
        EXPECT_EQ(Read(), bytes);
    }
    fs::remove(file);

    // A link (to a good file), a pipe and a folder: refused without
    // following or blocking, named, and never replaced by a load.
    const fs::path good = dir / "elsewhere.ini";
    std::ofstream(good) << "music_volume = 20\n";
    fs::create_symlink(good, file);
    ResetSettings();
    SetSettingsFilePath(file.string());
    std::string said = Load();
    EXPECT_NE(said.find("symbolic link"), std::string::npos) << said;
    EXPECT_EQ(Settings().musicVolume, 100);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(file)));
    fs::remove(file);

    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    said = Load();
    EXPECT_NE(said.find("named pipe"), std::string::npos) << said;
    EXPECT_TRUE(Settings() == TSettings{});
    fs::remove(file);

    fs::create_directory(file);
    said = Load();
    EXPECT_NE(said.find("directory"), std::string::npos) << said;
    // A change cannot replace a folder: the save says so and the game goes on.
    Settings().musicVolume = 40;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveSettings());
    EXPECT_NE(::testing::internal::GetCapturedStderr().find(file.string()), std::string::npos);
    EXPECT_TRUE(fs::is_directory(file));
}

}  // namespace
