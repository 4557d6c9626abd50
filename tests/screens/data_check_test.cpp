// The look at the game's data before the first screen: the real data
// passes, and a missing or damaged file that only a later screen or level
// loads stops the game at start-up with its name. Loads after start-up name
// their file too.
#include "app/data_check.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/resources.h"
#include "core/globals.h"
#include "game/live_bar.h"
#include "game/main_game_loop.h"
#include "game/player.h"
#include "platform/files/stream.h"
#include "platform/system/runtime_error.h"
#include "screen_fixture.h"

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

class DataCheckTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        fs::path game = GameDir();
        if (!fs::exists(game / "maps" / "level_6.FMP") || !fs::exists(game / "musica" / "full.ogg"))
            GTEST_SKIP() << "no game data in " << game << " (build the data first)";
        for (const char* folder : {"gfx", "sfx", "musica", "maps"})
            fs::copy(game / folder, folder, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
    // The error CheckGameData stops with; its file and its message.
    static sq::TRuntimeError Stop() {
        try {
            CheckGameData();
        } catch (const sq::TRuntimeError& e) {
            return e;
        }
        return sq::TRuntimeError("");
    }
};

TEST_F(DataCheckTest, TheGamesOwnDataPasses) {
    LoadResources();
    const auto files = LaterDataFiles();
    EXPECT_EQ(files.size(), 1u + 12u + 4u + 3u + 3u);
    for (const TDataFile& f : files) EXPECT_EQ(CheckDataFile(f), "") << f.path;
    EXPECT_NO_THROW(CheckGameData());
}

// A background that only a later level draws is reported before the first
// screen, by name, and the level set-up names it as well.
TEST_F(DataCheckTest, ABrokenBackgroundOfALaterLevelIsNamedAtStartUp) {
    LoadResources();
    std::string png = ReadBytes("gfx/back5.png");
    WriteBytes("gfx/back5.png", png.substr(0, png.size() / 2));  // a good header, half a picture
    sq::TRuntimeError e = Stop();
    EXPECT_EQ(e.Subject(), "gfx/back5.png");
    EXPECT_NE(std::string(e.what()).find("damaged PNG picture"), std::string::npos) << e.what();

    WriteBytes("gfx/back1.png", "not a picture at all");
    e = Stop();
    EXPECT_EQ(e.Subject(), "gfx/back1.png");

    liveBar = std::make_shared<CLiveBar>();
    player = std::make_shared<CPlayer>();
    gameLoop = std::make_shared<tMainGameLoop>();
    SetUpLevel(1);
    try {
        gameLoop->Draw();
        ADD_FAILURE() << "level 1 was drawn without its background";
    } catch (const sq::TRuntimeError& err) {
        EXPECT_EQ(err.Subject(), "gfx/back1.png");
    }
}

// The jingles and the narration play from their files, so nothing decodes
// them at loading: the check does, and a sound whose header is right but
// whose codebooks are not is refused at start-up, named.
TEST_F(DataCheckTest, ASoundPlayedFromItsFileIsDecodedByTheCheck) {
    LoadResources();
    ASSERT_TRUE(sndGameOver);
    EXPECT_TRUE(sndGameOver->streamed);
    EXPECT_GT(sndGameOver->streamFrames, 44100 * 5) << "its length is known from the start";
    for (const char* path : {"sfx/gameover.ogg", "sfx/info.ogg"}) {
        const std::string good = ReadBytes(path);
        std::string bad = good;
        // The second page holds the comment and setup headers; its body from
        // here on is the codebooks.
        const std::size_t second = good.find("OggS", 4);
        ASSERT_NE(second, std::string::npos);
        for (std::size_t i = second + 200; i < second + 400 && i < bad.size(); ++i) bad[i] = char(0x55);
        WriteBytes(path, bad);
        EXPECT_EQ(CheckDataFile({path, TDataKind::kSound}), "") << "the header alone looks right";
        EXPECT_NE(CheckDataFile({path, TDataKind::kStreamedSound}), "") << path;
        sq::TRuntimeError e = Stop();
        EXPECT_EQ(e.Subject(), path);
        WriteBytes(path, good);
    }
    EXPECT_NO_THROW(CheckGameData());
}

TEST_F(DataCheckTest, EachKindOfDamageIsRefusedWithAReason) {
    const std::string map = ReadBytes("maps/level_3.FMP"), ogg = ReadBytes("musica/full.ogg");
    std::string bigPicture = ReadBytes("gfx/back2.png");
    bigPicture[16] = char(0x7F);  // a width of about two thousand million
    std::string mapWithLongChunk = map;
    mapWithLongChunk[16] = char(0x7F);  // the first chunk's length
    std::string notVorbis = ogg;
    notVorbis[28 + ogg[26]] = 'X';
    struct Case {
        const char* path;
        TDataKind kind;
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"gfx/back2.png", TDataKind::kPicture, bigPicture, "impossible size"},
        {"gfx/back3.png", TDataKind::kPicture, "", "not a PNG picture"},
        {"maps/level_3.FMP", TDataKind::kMap, map.substr(0, map.size() - 100), "cut short"},
        {"maps/level_4.FMP", TDataKind::kMap, std::string("FORM\0\0\0\4FMAP", 12), "without its header"},
        {"maps/level_5.FMP", TDataKind::kMap, mapWithLongChunk, "runs past its end"},
        {"musica/full.ogg", TDataKind::kSound, notVorbis, "without Vorbis"},
        {"musica/OnGame.ogg", TDataKind::kSound, ogg.substr(0, 20), "not an Ogg file"},
        {"sfx/info.ogg", TDataKind::kSound, std::string("RIFF") + ogg.substr(4), "not an Ogg file"},
    };
    for (const Case& c : cases) {
        WriteBytes(sq::NativePath(c.path), c.bytes);
        EXPECT_NE(CheckDataFile({c.path, c.kind}).find(c.reason), std::string::npos) << c.path;
    }
    fs::remove("maps/level_6.FMP");
    EXPECT_EQ(CheckDataFile({"maps\\level_6.FMP", TDataKind::kMap}), "missing");
    // A pipe in place of a file is refused without waiting for a writer.
    ASSERT_EQ(::mkfifo("maps/level_6.FMP", 0644), 0);
    EXPECT_EQ(CheckDataFile({"maps\\level_6.FMP", TDataKind::kMap}), "not a file");
}

TEST_F(DataCheckTest, AResourceThatFailedToLoadStopsTheGameNamed) {
    WriteBytes("sfx/hoho.ogg", "garbage");
    LoadResources();
    sq::TRuntimeError e = Stop();
    EXPECT_EQ(e.Subject(), "sfx\\hoho.ogg");
}

// The pictures and sounds loaded before the check are read only when they are
// plain files: a pipe in a picture's or a sound's place is named like any
// damaged file instead of holding the start-up until a writer comes (which
// would hang this test).
TEST_F(DataCheckTest, APipeInPlaceOfAnEarlyPictureIsNamedWithoutWaiting) {
    fs::remove("gfx/title.png");
    ASSERT_EQ(::mkfifo("gfx/title.png", 0644), 0);
    LoadResources();
    EXPECT_EQ(sq::NativePath(Stop().Subject()), "gfx/title.png");
}

TEST_F(DataCheckTest, APipeInPlaceOfAnEarlySoundIsNamedWithoutWaiting) {
    fs::remove("sfx/hoho.ogg");
    ASSERT_EQ(::mkfifo("sfx/hoho.ogg", 0644), 0);
    LoadResources();
    EXPECT_EQ(sq::NativePath(Stop().Subject()), "sfx/hoho.ogg");
}

}  // namespace
