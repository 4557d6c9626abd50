#include "app/screen_flow.h"

#include "app/attract.h"
#include "app/pause.h"
#include "app/recent_games.h"
#include "app/resources.h"
#include "audio/game_music.h"
#include "core/frame_helpers.h"
#include "core/globals.h"
#include "core/settings_file.h"
#include "core/trace.h"
#include "game/game_score.h"
#include "game/live_bar.h"
#include "game/main_game_loop.h"
#include "platform/audio/sound.h"
#include "platform/input/bindings.h"
#include "platform/input/keyboard.h"
#include "platform/system/clock.h"
#include "platform/video/graphics.h"
#include "scores/hi_score.h"
#include "screens/credits.h"
#include "screens/end_screens.h"
#include "screens/fade.h"
#include "screens/hi_score_screen.h"
#include "screens/instructions.h"
#include "screens/options.h"
#include "screens/title.h"

using namespace sq;

namespace {

// A game from the menu, recorded as it is played and kept when it ends, also
// when it is abandoned by closing the window or a signal. A run that is
// itself recorded or replayed plays the game unrecorded.
void PlayFromMenu() {
    gameSpeed = Settings().gameSpeed;
    gameScore->Reset();
    ClearKeys();
    SelectTune(kTuneInGame);
    music->Play();
    PlayGame();
    ClearKeys();
    playState = kPlayStateMenu;
}

void PlayAndKeepGame() {
    TGameRecorder recorder;
    if (!recorder.Start()) {
        PlayFromMenu();
        return;
    }
    try {
        PlayRecordedGame();
    } catch (...) {
        recorder.Keep(false);
        throw;
    }
    recorder.Keep(true);
}

}  // namespace

void PlayRecordedGame() {
    ResetForRecordedGame(CurrentMillis());
    PlayFromMenu();
}

void RunMenu() {
    CreateStars();
    auto fade = Object_Fade::NewColourFade(10, 10, 10);
    fade->SetFadeIn();
    fade->Start();
    music->Pause();
    SelectTune(kTuneMenu);
    music->Play();

    auto menuFrame = [&] {
        title->Run();
        title->Draw();
        fade->UpdateAndDraw();
        PresentFrame(1);
    };
    // The menu keeps moving under the fade; its choices are not acted on.
    auto fadeMenu = [&](bool out) {
        fade->Stop();
        if (out)
            fade->SetFadeOut();
        else
            fade->SetFadeIn();
        fade->Start();
        if (!out) {
            music->Pause();
            SelectTune(kTuneMenu);
            music->Play();
        }
        while (fade->IsRunning()) menuFrame();
    };

    TraceState("menu", title->selected);
    TAttract attract;
    int choice = 0;
    while (choice != kMenuQuit) {
        choice = title->Run();
        if (choice != kMenuQuit && attract.Due() && attract.PlayNext([&] { fadeMenu(true); })) {
            fadeMenu(false);
            TraceState("menu", title->selected);
            continue;
        }
        if (choice == kMenuStart || choice == kMenuHighScores || choice == kMenuCredits ||
            choice == kMenuInstructions || choice == kMenuOptions) {
            fadeMenu(true);
            switch (choice) {
                case kMenuStart:
                    PlayAndKeepGame();
                    break;
                case kMenuHighScores:
                    ClearKeys();
                    music->Pause();
                    SelectTune(kTuneHighScores);
                    music->Play();
                    ShowHighScores();
                    ClearKeys();
                    break;
                case kMenuCredits:
                    music->Pause();
                    SelectTune(kTuneCredits);
                    music->Play();
                    ClearKeys();
                    ShowCredits();
                    ClearKeys();
                    break;
                case kMenuInstructions:
                    music->Pause();
                    ShowInstructions();
                    break;
                case kMenuOptions:
                    // The menu's tune plays on, so the music volume is heard as it changes.
                    ShowOptions();
                    break;
            }
            fadeMenu(false);
            TraceState("menu", title->selected);
        }
        title->Draw();
        fade->UpdateAndDraw();
        PresentFrame(1);
    }
    fadeMenu(true);
    ClearKeys();
    TraceState("quit");
}

void PlayGame() {
    ChannelRef clockChannel = NewChannel();
    int lastTick = CurrentMillis();
    auto fade = Object_Fade::NewColourFade(10, 10, 10);
    gameLoop->SetSpeedPercent(gameSpeed);
    SetUpLevel(currentLevel);
    fade->SetFadeIn();
    fade->Start();
    // A new game: two spare lives, no gifts, full energy.
    liveBar->lives = 2;
    liveBar->giftCount = 0;
    liveBar->energy = kFullEnergy;
    SetBindingsActive(true);  // the level runs under its fade already
    while (fade->IsRunning()) {
        gameLoop->Run();
        gameLoop->Draw();
        fade->UpdateAndDraw();
        PresentFrame(1);
    }
    TraceState("level", currentLevel);
    ForgetPauseRequests();
    while (playState != kPlayStateGameOver) {
        // The player's own keys and buttons work in the level; the tallies
        // and the name entry have the keys they always had.
        SetBindingsActive(true);
        if (PauseWanted()) RunPause();
        // The level clock stands still during the death sequence; the tick
        // alternates between a lower one on the left and a higher one on the right.
        if (CurrentMillis() > lastTick + GameMillis(1001) && playerDying == 0) {
            lastTick = CurrentMillis();
            liveBar->TickSecond();
            if (liveBar->timeLeft % 2 != 0) {
                clockChannel->SetBalance(-0.3f);
                clockChannel->SetPlaybackRate(0.9f);
            } else {
                clockChannel->SetBalance(0.3f);
                clockChannel->SetPlaybackRate(1.1f);
            }
            PlaySoundOn(sndTimclick, clockChannel);
        }
        gameLoop->Run();
        frameCounter->Tick();
        gameLoop->Draw();
        if (IsKeyDown(kKeyEscape)) playState = kPlayStateGameOver;
        int state = playState;
        if (state == kPlayStateExitReached || state == kPlayStateGameOver) SetBindingsActive(false);
        if (state == kPlayStateExitReached) {
            gameScore->Tally();
            if (currentLevel == kLevelCount) {
                ShowEndScreen();
                playState = kPlayStateGameOver;
            } else {
                ShowLevelComplete();
            }
        } else if (state == kPlayStateGameOver) {
            GameOver();
            currentLevel = 1;
        }
        PresentFrame(1);
    }
    SetBindingsActive(false);
    HaltChannel(clockChannel);
    clockChannel = nullptr;
    TearDownLevel();
}

void ShowLevelComplete() {
    auto screen = std::make_shared<tGoNextLevel>();
    ChannelRef channel = NewChannel();
    screen->screenShot = GrabScreenImage();
    screen->Init();
    ClearKeys();
    music->Pause();
    channel->SetSoundGroup(SoundGroup::kMusic);  // the level's jingle goes with the tunes
    PlaySoundOn(sndCambioLivello, channel);
    // The last frame of the level stays on screen; nothing is polled meanwhile.
    WaitMillis(1800);
    TraceState("level-complete", currentLevel);
    while (!IsKeyDown(kKeySpace)) {
        screen->Draw();
        screen->Run();
        PresentFrame(1);
    }
    ClearKeys();
    HaltChannel(channel);
    music->Play();
    playState = kPlayStatePlaying;
    currentLevel += 1;
    SetUpLevel(currentLevel);
    TraceState("level", currentLevel);
    screen->Release();
}

void GameOver() {
    auto table = std::make_shared<THiScore>();
    ChannelRef channel = NewChannel();
    auto screen = std::make_shared<tGameOver>();
    ImageRef background = GrabScreenImage();
    music->Pause();
    // Left to play out while the tally shows; a jingle, so it goes with the tunes.
    channel->SetSoundGroup(SoundGroup::kMusic);
    PlaySoundOn(sndGameOver, channel);
    ShowGameOverTally(background);
    CheckHighScore(*table);
    screen->Release();
    imgBackground = LoadImageFrom("gfx/MenuBack.png", -1);
    NoteLoadedFile(imgBackground, "gfx/MenuBack.png");
}
