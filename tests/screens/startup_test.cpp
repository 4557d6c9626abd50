// Start-up: the resource table and its loaded flags, the record of missing
// files that the error report names, the splash that no key shortens, and
// the display mode.
#include "app/startup.h"

#include <filesystem>

#include "app/resources.h"
#include "core/frame_helpers.h"
#include "core/globals.h"
#include "core/loaded_files.h"
#include "platform/files/stream.h"
#include "platform/input/keyboard.h"
#include "platform/system/quit_signals.h"
#include "platform/system/runtime_error.h"
#include "platform/video/graphics.h"
#include "platform/video/pixmap.h"
#include "screen_fixture.h"

namespace fs = std::filesystem;

namespace {

class StartupTest : public ScreenTest {
protected:
    // Every file of the resource table, strips wide enough for their frames.
    void WriteResourceFiles(const std::string& except = "") {
        for (const TResource& r : ResourceTable()) {
            std::string file = sq::NativePath(r.file);
            if (file == except) continue;
            fs::create_directories(fs::path(file).parent_path());
            if (r.image) {
                int w = r.cellCount > 0 ? r.cellWidth * r.cellCount : 12, h = r.cellCount > 0 ? r.cellHeight : 10;
                ASSERT_TRUE(sq::SavePixmapPNG(sq::NewPixmap(w, h, sq::kPfRGBA), file));
            } else {
                WriteSilentOgg(file, 0.05);
            }
        }
    }
};

TEST_F(StartupTest, TheTableLoadsEveryGlobalOnceInItsOrder) {
    ASSERT_EQ(ResourceTable().size(), 26u + 14u);
    EXPECT_EQ(std::string(ResourceTable().front().file), "gfx/MenuBack.png");
    EXPECT_EQ(std::string(ResourceTable().back().file), "sfx\\cambiolivello.ogg");
    ResetGlobals();
    WriteResourceFiles();
    LoadResources();
    EXPECT_TRUE(MissingFiles().empty());
    ASSERT_TRUE(imgBnatale4 && imgPneve && imgGring2 && sndCambioLivello && sndKey);
    EXPECT_EQ(imgBnatale4->FrameCount(), 16);
    EXPECT_EQ(imgPneve->FrameCount(), 24);
    EXPECT_EQ(imgGring2->width, 26);
    EXPECT_EQ(imgFiocco->flags, sq::kImgMasked);
    EXPECT_EQ(imgStar->flags, sq::kImgFiltered);
    // A second pass keeps what the first one loaded.
    auto fiocco = imgFiocco;
    LoadResources();
    EXPECT_EQ(imgFiocco, fiocco);
    CenterResourceHandles();
    EXPECT_EQ(imgQuit->handleX, 6.0f);
    EXPECT_EQ(imgPacco->handleY, 5.0f);
    EXPECT_EQ(imgTitle->handleX, 0.0f);
}

TEST_F(StartupTest, AMissingFileIsRememberedForTheErrorReport) {
    ResetGlobals();
    WriteResourceFiles("gfx/fiocco.png");
    LoadResources();
    EXPECT_FALSE(imgFiocco);
    ASSERT_EQ(MissingFiles().size(), 1u);
    EXPECT_EQ(MissingFiles()[0], "gfx/fiocco.png");
    EXPECT_THROW(sq::DrawImageAt(imgFiocco, 0, 0, 0), sq::TRuntimeError);
}

TEST_F(StartupTest, NoKeyShortensTheSplash) {
    fs::create_directories("gfx");
    ASSERT_TRUE(sq::SavePixmapPNG(sq::NewPixmap(640, 480, sq::kPfRGBA), "gfx/splash.png"));
    pump = [] {
        sq::PostKeyDown(sq::kKeySpace);
        sq::PostKeyDown(sq::kKeyEscape);
    };
    int start = sq::CurrentMillis();
    ShowSplash();
    int ms = sq::CurrentMillis() - start;
    // Two fades of 67 steps of more than 15 ms each, and six seconds.
    EXPECT_GT(ms, 6000 + 2 * 67 * 15);
    EXPECT_LT(ms, 11000);
    EXPECT_EQ(sq::ScreenWidth(), 640);
}

// The data is loaded while the splash is held: after the picture has faded
// in and been presented, and the hold still ends six seconds after it began
// however long the loading took.
TEST_F(StartupTest, TheSplashLoadsWhileHeldAndHoldsNoLonger) {
    fs::create_directories("gfx");
    ASSERT_TRUE(sq::SavePixmapPNG(sq::NewPixmap(640, 480, sq::kPfRGBA), "gfx/splash.png"));
    uint64_t framesBefore = 0;
    int loadedAt = 0;
    const int start = sq::CurrentMillis();
    ShowSplash([&] {
        framesBefore = sq::DrawStats().frames;
        loadedAt = sq::CurrentMillis();
        clock->Advance(2500);  // a slow disk
    });
    const int ms = sq::CurrentMillis() - start;
    EXPECT_GT(framesBefore, 60u) << "the picture faded in before the loading";
    EXPECT_GT(loadedAt - start, 67 * 15);
    EXPECT_GT(ms, 6000 + 2 * 67 * 15);
    EXPECT_LT(ms, 11000) << "the loading is inside the six seconds, not added to them";

    // Without its picture there is nothing to hold: the loading (and with it
    // the data check that names the file) comes at once.
    fs::remove("gfx/splash.png");
    ForgetMissingFiles();
    const uint64_t frames = sq::DrawStats().frames;
    bool loaded = false;
    EXPECT_THROW(ShowSplash([&] {
                     loaded = sq::DrawStats().frames == frames;
                     throw sq::TRuntimeError("A picture or sound of the game cannot be loaded", "gfx/splash.png");
                 }),
                 sq::TRuntimeError);
    EXPECT_TRUE(loaded);
}

TEST_F(StartupTest, TheDisplayIsThreeTwentyByTwoFortyWhenOffered) {
    ChooseDisplayMode();
    EXPECT_EQ(sq::ScreenWidth(), 320);
    EXPECT_EQ(sq::ScreenHeight(), 240);
}

TEST_F(StartupTest, WaitMillisWaitsMoreThanItsTime) {
    clock->SetAutoStep(0);
    int start = sq::CurrentMillis();
    WaitMillis(1800);
    EXPECT_GT(sq::CurrentMillis() - start, 1800);
    EXPECT_LT(sq::CurrentMillis() - start, 1805);

    // Work done inside the wait counts towards it; work that outlasts it
    // ends the wait at once.
    start = sq::CurrentMillis();
    WaitMillis(1800, [&] { clock->Advance(700); });
    EXPECT_GT(sq::CurrentMillis() - start, 1800);
    EXPECT_LT(sq::CurrentMillis() - start, 1805);
    start = sq::CurrentMillis();
    WaitMillis(1800, [&] { clock->Advance(2500); });
    EXPECT_EQ(sq::CurrentMillis() - start, 2500);
}

// The splash is held for seconds: a signal or the close button must not wait
// for its end.
TEST_F(StartupTest, AQuitRequestEndsAWaitAtOnce) {
    clock->SetAutoStep(0);
    sq::ArmQuit(true);
    const int start = sq::CurrentMillis();
    bool quit = false;
    try {
        WaitMillis(6000, [] { sq::RequestQuit(); });
    } catch (const sq::TQuitGame&) {
        quit = true;
    }
    sq::ArmQuit(false);
    sq::ResetQuit();
    EXPECT_TRUE(quit);
    EXPECT_LT(sq::CurrentMillis() - start, 100);
}

}  // namespace
