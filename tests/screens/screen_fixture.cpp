#include "screen_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "app/resources.h"
#include "audio/game_music.h"
#include "core/frame_helpers.h"
#include "core/globals.h"
#include "core/settings_file.h"
#include "game/game_score.h"
#include "ogg_tone.h"
#include "platform/input/bindings.h"
#include "platform/input/keyboard.h"
#include "platform/video/graphics.h"
#include "platform/video/pixmap.h"
#include "scores/hi_score.h"

namespace fs = std::filesystem;

sq::SoundRef TestSound(int frames) {
    auto s = std::make_shared<sq::TSound>();
    s->frames = frames;
    s->samples.assign(std::size_t(frames) * 2, 0);
    return s;
}

void ScreenTest::SetUp() {
    ResetGlobals();
    ResetResources();
    THiScore::ForgetUnsavedTable();
    oldDir = fs::current_path();
    dir = fs::temp_directory_path() / ("sq_screens_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);

    clock = std::make_shared<sq::TManualClock>(100000, 1);
    sq::SetClock(clock);
    sq::UseManualAudio();
    sq::SetGraphicsBackend(sq::GraphicsBackend::kHeadless);
    ASSERT_TRUE(sq::OpenGraphicsMode(320, 240, 32, 60, 0));
    InitDegreeTables();
    sq::SetEventPump([this] {
        // A loop that never ends fails the test instead of hanging it.
        if (++polls > pollLimit) throw std::runtime_error("the screen never ended");
        if (pump) pump();
    });
    // Every key starts up: one a test before left held down would be
    // ignored, until let go, by the next screen that ignores held keys.
    for (int key = 1; key < 256; ++key) sq::PostKeyUp(key);
    sq::ClearKeys();
    // The player's settings start from the defaults, kept in the test's folder.
    ResetSettings();
    ApplySettings();
    FakeResources();
    gameScore = std::make_shared<CGameScore>();
    music = std::make_shared<CGameMusic>();
    music->Init();
    music->tune = TestSound(100);
}

void ScreenTest::TearDown() {
    sq::SetEventPump(nullptr);
    pump = nullptr;
    sq::ClearKeys();
    sq::CloseGraphicsMode();
    ResetGlobals();
    ResetSettings();
    ApplySettings();
    sq::SetBindingsActive(false);
    sq::SetClock(nullptr);
    fs::current_path(oldDir);
    std::error_code ec;
    fs::remove_all(dir, ec);
}

void ScreenTest::FakeResources() {
    for (const TResource& r : ResourceTable()) {
        if (r.image) {
            int frames = r.cellCount > 0 ? r.cellCount : 1;
            int w = r.cellCount > 0 ? r.cellWidth : 16, h = r.cellCount > 0 ? r.cellHeight : 16;
            *r.image = sq::CreateImageBuffer(w, h, frames, r.flags);
        } else {
            *r.sound = TestSound(441);
        }
    }
    CenterResourceHandles();
}

void ScreenTest::Tap(int key) {
    sq::PostKeyDown(key);
    sq::PostKeyUp(key);
}

void ScreenTest::WriteSilentOgg(const fs::path& path, double seconds) {
    fs::create_directories(path.parent_path());
    const std::vector<uint8_t> bytes = sqtest::EncodeSine(1, 44100, long(seconds * 44100), 0, 0);
    ASSERT_FALSE(bytes.empty());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void ScreenTest::WriteScreenFiles() {
    for (int n = 1; n <= 4; ++n) WriteSilentOgg(TuneInfo(n)->file, 0.2);
    WriteSilentOgg("sfx/info.ogg", 2.0);
    for (const char* png : {"gfx/InstructionsBACK.png", "gfx/endScreen.png", "gfx/MenuBack.png"}) {
        fs::create_directories(fs::path(png).parent_path());
        ASSERT_TRUE(sq::SavePixmapPNG(sq::NewPixmap(8, 8, sq::kPfRGBA), png));
    }
}

std::filesystem::path GameDir() {
    if (const char* env = std::getenv("SNOWQUILL_GAME_DIR")) return env;
    return SQ_GAME_DIR;
}
