#include "app/level_alone.h"

#include "audio/game_music.h"
#include "core/frame_helpers.h"
#include "core/globals.h"
#include "game/game_score.h"
#include "game/live_bar.h"
#include "game/main_game_loop.h"
#include "game/player.h"
#include "game/shoot.h"
#include "game/snow.h"
#include "platform/audio/sound.h"
#include "platform/input/bindings.h"
#include "platform/input/keyboard.h"
#include "platform/system/clock.h"
#include "platform/system/random.h"
#include "platform/video/graphics.h"
#include "screens/fade.h"

using namespace sq;

void ResetForRecordedGame(int seed) {
    SeedRandom(seed);
    snow = CSnow::Destroy(snow);
    snow = CSnow::Create(200);
    cloudAngleA = float(RandomFloat(0, 360));
    cloudAngleB = float(RandomFloat(0, 360));
    if (player) player->Release();
    player = std::make_shared<CPlayer>();
    if (gifts) gifts->ReleaseGiftChannel();
    gifts = std::make_shared<CShoot>();
    gifts->NewGiftChannel();
    liveBar = std::make_shared<CLiveBar>();
    liveBar->SetLives(3);
    gameLoop = std::make_shared<tMainGameLoop>();
    gameLoop->Init();
    // The rate counters read the clock once a second of their own: counted
    // from here, they read it at the same moments in the replay.
    if (frameCounter) frameCounter->Reset();
    if (updateCounter) updateCounter->Reset();
    playerDying = 0;
    tickDelta = 1.0f;
    playState = kPlayStateMenu;
}

void PlayLevelAlone(int level) {
    ChannelRef clockChannel = NewChannel();
    auto fade = Object_Fade::NewColourFade(10, 10, 10);
    gameScore->Reset();
    SelectTune(kTuneInGame);
    music->Play();
    currentLevel = level;
    SetUpLevel(currentLevel);
    playState = kPlayStatePlaying;
    liveBar->lives = 2;
    liveBar->giftCount = 0;
    liveBar->energy = kFullEnergy;
    // The level's first logic step comes with the next frame, as in the
    // level simulation the routes are found with.
    int lastTick = CurrentMillis();
    gameLoop->SetSpeedPercent(gameSpeed);
    gameLoop->lastTime = CurrentMillis();
    fade->SetFadeIn();
    fade->Start();
    SetBindingsActive(true);
    while (playState == kPlayStatePlaying) {
        if (CurrentMillis() > lastTick + GameMillis(1001) && playerDying == 0) {
            lastTick = CurrentMillis();
            liveBar->TickSecond();
            PlaySoundOn(sndTimclick, clockChannel);
        }
        gameLoop->Run();
        gameLoop->Draw();
        if (fade->IsRunning()) fade->UpdateAndDraw();
        if (IsKeyDown(kKeyEscape)) playState = kPlayStateGameOver;
        PresentFrame(1);
    }
    SetBindingsActive(false);
    HaltChannel(clockChannel);
}
