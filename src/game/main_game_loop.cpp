#include "game/main_game_loop.h"

#include <array>

#include "audio/game_music.h"
#include "core/frame_helpers.h"
#include "core/globals.h"
#include "core/settings_file.h"
#include "game/game_score.h"
#include "game/level_table.h"
#include "game/live_bar.h"
#include "game/player.h"
#include "game/shoot.h"
#include "game/snow.h"
#include "map/fmp_map.h"
#include "platform/audio/sound.h"
#include "platform/system/clock.h"
#include "platform/system/memory.h"
#include "platform/system/random.h"
#include "platform/system/runtime_error.h"
#include "platform/video/graphics.h"

using namespace sq;

namespace {

bool ValidLevel(int level) { return level >= 1 && level <= kLevelCount; }

// The picture file of the level set up last, for the error if it is missing.
const char* backgroundFile = nullptr;

}  // namespace

void SetUpLevel(int level) {
    // The previous level's map, monsters and background are released by
    // replacing them; the player's Create replaces its sprite and channels.
    levelMap = std::make_shared<FmpMap>();
    SetLevelTime(level);
    RequireObject(gameScore, "gameScore");
    RequireObject(liveBar, "liveBar");
    gameScore->timeLeft = 0;
    gameScore->killsType1 = 0;
    gameScore->levelGifts = 0;
    gameScore->killsType2 = 0;
    liveBar->giftCount = 0;
    if (ValidLevel(level)) {
        const TLevelInfo& info = LevelInfo(level);
        imgBackground = LoadImageFrom(info.background, -1);
        backgroundFile = info.background;
        enemies = CEnemy::Create();
        SpawnEnemies(*enemies, info.kind2, info.kind1);
        levelMap->LoadMap(info.mapFile, 2);
        // A refused or empty map would leave the player falling through
        // nothing: stop with the loader's reason and the file's name instead.
        if (levelMap->errorCode >= kFmpHeaderRefused || levelMap->mapWidth <= 0 || levelMap->mapHeight <= 0)
            throw TRuntimeError(levelMap->LastError().empty() ? "Level map has no cells" : levelMap->LastError(),
                                info.mapFile);
        levelMap->InitAnims();
        RequireObject(player, "player");
        player->SetupForMap();
        player->Create();
        // The last level's map, monsters and background, and what loading
        // this one needed for a moment, go back to the system.
        ReturnFreeMemory();
    }
    PlacePlayerAtStart(level);
}

void PlacePlayerAtStart(int level) {
    if (!ValidLevel(level)) return;
    RequireObject(player, "player");
    const TLevelInfo& info = LevelInfo(level);
    player->x = float(info.startX);
    player->y = float(info.startY);
    if (player->sprite) {
        player->sprite->SetX(player->x);
        player->sprite->SetY(player->y);
    }
}

void TearDownLevel() {
    if (enemies) enemies = enemies->Clear();
    if (player) player->Release();
    if (levelMap) levelMap->FreeMap();
    levelMap.reset();
}

int tMainGameLoop::Update() {
    mapAnimTimer += 7.5f * tickDelta;
    // The step counter and the snow run on during the death sequence.
    if (updateCounter) updateCounter->Tick();
    if (snow) snow->Update();

    int result = 0;
    if (playerDying == 0) {
        deathStart = CurrentMillis();
        // The player runs first: it rewrites playState every step, and the
        // contact test below may set the game-over state after it.
        result = player->Update();
        gifts->Update(enemies->enemyList, player->scrollX, player->scrollY);
        enemies->Update(player->scrollX, player->scrollY);
        touching = enemies->TouchesBox(player->x, player->y, 28, 28, 6);
        if (touching) {
            liveBar->Damage(0.1f * tickDelta);
            if (!IsChannelBusy(player->jumpChannel)) PlaySoundOn(sndAhh, player->jumpChannel);
        }
        // Back to 0, not down by 25: with whole steps the blocks advance on
        // every fourth step.
        if (mapAnimTimer * tickDelta > 25 * tickDelta) {
            mapAnimTimer = 0;
            levelMap->UpdateAnims();
        }
    } else if (CurrentMillis() - deathStart < GameMillis(kDeathSequenceMs)) {
        // The player floats up in a sideways wave and fades with the halo.
        haloAlpha -= 0.001f * tickDelta;
        player->y -= 0.1f * tickDelta;
        player->x -= SinDeg(int(player->y)) / 5 * tickDelta;
    } else {
        music->Play();
        PlacePlayerAtStart(currentLevel);
        haloAlpha = 1.0f;
        playerDying = 0;
    }
    return result;
}

void tMainGameLoop::Draw() {
    const int sx = int(player->scrollX), sy = int(player->scrollY);
    // A background that failed to load stops the game with its file's name.
    if (!imgBackground)
        throw TRuntimeError(kNullObjectMessage, backgroundFile ? backgroundFile : "image imgBackground");
    DrawImageAt(imgBackground, 0, 0, 0);
    levelMap->currentLayer = 0;
    levelMap->DrawLayerBg(sx, sy, 0, 0, 320, 240);
    levelMap->currentLayer = 1;
    levelMap->DrawLayerFg(sx, sy, 0, 0, 320, 240, 0);
    levelMap->currentLayer = 2;
    levelMap->DrawLayerBg(sx, sy, 0, 0, 320, 240);
    enemies->Draw(player->scrollX, player->scrollY);
    const float px = player->x - player->scrollX, py = player->y - player->scrollY;
    if (touching && playerDying == 0) {
        // The hurt flash flickers in size: a fresh scale every frame.
        // Reduced flashing only dims it: the same random draws keep a
        // recording's course.
        SetBlendMode(kBlendAlpha);
        SetDrawAlpha(Settings().reducedFlashing ? 0.6f * kReducedFlashStrength : 0.6f);
        const float syf = float(RandomFloat(0.9, 1.1));
        const float sxf = float(RandomFloat(0.9, 1.1));
        SetDrawScale(sxf, syf);
        DrawImageAt(imgFlash, px - 2, py - 1, 0);
        SetDrawAlpha(1.0f);
        SetDrawScale(1, 1);
        SetBlendMode(kBlendMask);
    }
    if (playerDying != 0) {
        // The player is drawn next with the halo's blend and alpha, so both fade.
        SetBlendMode(kBlendAlpha);
        SetDrawAlpha(haloAlpha);
        DrawImageAt(imgAureola, px, py - 5, 0);
    }
    player->Draw();
    SetBlendMode(kBlendMask);
    SetDrawAlpha(1.0f);
    gifts->Draw(player->scrollX, player->scrollY, player->sprite ? player->sprite->frameWidth / 2 : 14);
    if (snow) snow->Draw();
    liveBar->Draw();
}
