#include "app/startup.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/data_check.h"
#include "app/recent_games.h"
#include "app/resources.h"
#include "app/screen_flow.h"
#include "audio/game_music.h"
#include "core/frame_helpers.h"
#include "core/globals.h"
#include "core/settings_file.h"
#include "core/trace.h"
#include "game/game_score.h"
#include "game/live_bar.h"
#include "game/main_game_loop.h"
#include "game/player.h"
#include "game/shoot.h"
#include "game/snow.h"
#include "platform/audio/sound.h"
#include "platform/input/keyboard.h"
#include "platform/system/clock.h"
#include "platform/system/memory.h"
#include "platform/system/quit_signals.h"
#include "platform/system/random.h"
#include "platform/system/runtime_error.h"
#include "platform/video/graphics.h"
#include "scores/hi_score.h"
#include "screens/fade.h"
#include "screens/title.h"

using namespace sq;

namespace {

bool entered = false;

}  // namespace

void CreateLongLivedObjects() {
    gameScore = std::make_shared<CGameScore>();
    frameCounter = std::make_shared<CFPS>();
    frameCounter->Reset();
    updateCounter = std::make_shared<CFPS>();
    updateCounter->Reset();
    gameLoop = std::make_shared<tMainGameLoop>();
    gameLoop->Init();
    player = std::make_shared<CPlayer>();  // set up by every level
    snow = CSnow::Create(200);
    title = std::make_shared<tTitle>();  // initialised once the display is chosen
    liveBar = std::make_shared<CLiveBar>();
    liveBar->SetLives(3);
    gifts = std::make_shared<CShoot>();
    gifts->NewGiftChannel();
    music = std::make_shared<CGameMusic>();
    music->Init();
}

namespace {

// Makes sure "HISCORES.DAT" exists (a missing one is written with the
// default table).
void EnsureHighScoreFile() {
    THiScore::RemoveStrayTemporaryFiles();
    auto table = std::make_shared<THiScore>();
    table->Init();
    table->Load();
    table->Release();
}

// `titleStarted`: the title screen was initialised (a close during the
// splash ends the run before it is). `keepDisplay`: the window stays open
// for another run in this process.
void ShutDown(bool titleStarted, bool keepDisplay) {
    if (titleStarted) title->Release();
    imgLives = nullptr;
    imgBackground = nullptr;
    imgPneve = nullptr;
    imgGring2 = nullptr;
    gifts->ReleaseGiftChannel();
    gifts = nullptr;
    title = nullptr;
    imgAureola = nullptr;
    if (player) {
        player->Release();
        player = nullptr;
    }
    music->Release();
    music = nullptr;
    snow = CSnow::Destroy(snow);
    gameLoop = nullptr;
    imgTitle = nullptr;
    sndPassi = nullptr;
    sndPop = nullptr;
    gameScore = nullptr;
    ReturnFreeMemory();
    if (keepDisplay) return;
    CloseGraphicsMode();
    ShowPointer();
}

}  // namespace

void OpenDisplay(int width, int height, int depth, int hz, int flags) {
    if (!OpenGraphicsMode(width, height, depth, hz, flags))
        throw TRuntimeError("Could not open the display", std::to_string(width) + " x " + std::to_string(height) +
                                                              " x " + std::to_string(depth) + " display mode");
}

void ShowSplash(const std::function<void()>& whileHeld) {
    OpenDisplay(640, 480, 16, 60, 0);
    // The fade-in starts from its colour alone: that frame goes on the screen
    // at once, before the picture is even read.
    constexpr int kShade = 10;
    ShowColourFrame(kShade, kShade, kShade);
    ImageRef splash = LoadImageFrom(kSplashFile, -1);
    NoteLoadedFile(splash, kSplashFile);
    // Without its picture the splash has nothing to show: the data check
    // names the file at once instead.
    if (!splash && whileHeld) whileHeld();
    auto fade = Object_Fade::NewColourFade(kShade, kShade, kShade);
    fade->SetFadeIn();
    fade->Start();
    auto fadeLoop = [&] {
        while (fade->IsRunning()) {
            DrawImageAt(splash, 0, 0, 0);
            fade->UpdateAndDraw();
            PresentFrame(1);
        }
    };
    fadeLoop();
    TraceState("splash");
    // No key shortens the splash. The picture stands still meanwhile, so the
    // loading is done then, unseen.
    WaitMillis(6000, splash ? whileHeld : std::function<void()>{});
    fade->Stop();
    fade->SetFadeOut();
    fade->Start();
    fadeLoop();
}

void ChooseDisplayMode() {
    if (DisplayModeAvailable(320, 240, 32, 0)) {
        OpenDisplay(320, 240, 32, 60, 0);
    } else {
        OpenDisplay(640, 480, 32, 60, 0);
        SetVirtualResolution(320, 240);
    }
}

void AllowAnotherRun() {
    ResetGlobals();
    ResetResources();
    entered = false;
}

int RunGame(const TStartOptions& options) {
    if (entered) return 0;
    entered = true;

    // No thread is started before the video: the window system's start-up
    // reads its input method's tables a character at a time, which costs
    // several times as much once the process has more than one thread.
    const bool splashFirst = options.startLevel == 0 && !options.oneGame;

    TDisplayOptions display;
    display.windowed = options.windowed;
    display.pictureScale = Settings().windowScale;
    SetDisplayOptions(display);
    if (options.headless) SetGraphicsBackend(GraphicsBackend::kHeadless);
    InitDegreeTables();

    SetLoadMaskColor(255, 0, 255);
    const int startSeed = CurrentMillis();
    SeedRandom(startSeed);
    CreateLongLivedObjects();
    cloudAngleA = float(RandomFloat(0, 360));
    cloudAngleB = float(RandomFloat(0, 360));
    SetWindowCaption(kAppTitle);
    HidePointer();
    ArmQuit(true);
    bool titleStarted = false;
    // The pictures and sounds, and a check of every other data file: a
    // missing or damaged one stops the game here, named, before the menu.
    auto loadData = [&options] {
        // Without a sound device the game plays silently (the audio layer says so).
        if (options.sound && !options.headless) OpenAudio();
        LoadResources();
        CenterResourceHandles();
        CheckGameData();
        // Checking decoded every picture once; those pages go back.
        ReturnFreeMemory();
    };
    try {
        // The splash comes first, at once; the data is loaded while it is
        // held on screen.
        if (splashFirst)
            ShowSplash(loadData);
        else
            loadData();
        OpenDisplay(320, 240, 32, 60, 0);
        EnsureHighScoreFile();
        ChooseDisplayMode();
        title->Init();
        titleStarted = true;

        if (options.startLevel > 0) {
            // A demo recorded from the level's start: everything before it
            // is put back as start-up left it, seed and all.
            if (options.beforeGame) {
                options.beforeGame();
                ResetForRecordedGame(startSeed);
            }
            gameSpeed = Settings().gameSpeed;
            PlayLevelAlone(options.startLevel);
            if (options.afterGame) options.afterGame();
        } else if (options.oneGame) {
            if (options.beforeGame) options.beforeGame();
            PlayRecordedGame();
            if (options.afterGame) options.afterGame();
        } else {
            RunMenu();
        }
    } catch (const TQuitGame&) {
        // Closed or signalled: whatever screen was running is abandoned; the
        // table on disk is only ever written whole, so it stays as it was.
    }
    // A choice made in Options is kept even when the window is closed with
    // the options screen still open.
    SaveSettings();
    // The recording of the last game reaches its file before the run ends.
    WaitForKeptGames();
    ArmQuit(false);

    if (options.beforeShutDown) options.beforeShutDown();
    ShutDown(titleStarted, options.keepDisplay);
    CloseAudio();
    return 0;
}
