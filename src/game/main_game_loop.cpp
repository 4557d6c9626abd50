#include "game/main_game_loop.h"

#include <array>

#include "app/frame_helpers.h"
#include "app/globals.h"
#include "audio/game_music.h"
#include "game/game_score.h"
#include "game/live_bar.h"
#include "game/player.h"
#include "game/shoot.h"
#include "game/snow.h"
#include "map/fmp_map.h"
#include "platform/clock.h"
#include "platform/graphics.h"
#include "platform/random.h"
#include "platform/runtime_error.h"
#include "platform/sound.h"

using namespace sq;

namespace {

// Spawn positions of the monsters, in creation order.
constexpr TSpawnPoint kLevel1Kind2[] = {{130, 246},  {344, 246},  {443, 246}, {632, 166}, {785, 166},
                                        {893, 166},  {920, 166},  {945, 262}, {824, 262}, {697, 262},
                                        {1027, 166}, {1064, 102}, {831, 70},  {666, 38},  {254, 102}};
constexpr TSpawnPoint kLevel2Kind2[] = {{358, 870}, {352, 678}, {354, 678}, {296, 614}, {238, 470},
                                        {27, 550},  {78, 550},  {65, 439},  {325, 390}, {264, 390},
                                        {119, 246}, {341, 198}, {237, 118}};
constexpr TSpawnPoint kLevel2Kind1[] = {{376, 502}, {197, 214}, {149, 102}};
constexpr TSpawnPoint kLevel3Kind2[] = {{172, 726}, {381, 694}, {672, 630}, {375, 646}, {544, 470},
                                        {436, 198}, {634, 22},  {140, 54},  {167, 374}, {92, 374}};
constexpr TSpawnPoint kLevel3Kind1[] = {{180, 582}, {85, 374}, {154, 374}, {375, 182}, {638, 22}, {424, 22}};
constexpr TSpawnPoint kLevel4Kind2[] = {{72, 806},  {177, 774}, {320, 806}, {515, 774}, {421, 758}, {834, 806},
                                        {716, 534}, {671, 646}, {551, 662}, {434, 662}, {305, 646}, {126, 662},
                                        {201, 534}, {68, 534},  {72, 182},  {313, 86},  {354, 86},  {580, 38},
                                        {665, 38},  {578, 358}, {746, 358}, {787, 278}, {833, 134}};
// Two kind-1 monsters share (851, 806): both are made, and they walk as one.
constexpr TSpawnPoint kLevel4Kind1[] = {{315, 742}, {581, 806}, {851, 806}, {526, 662}, {376, 662},
                                        {851, 806}, {208, 534}, {87, 534},  {48, 182},  {407, 54},
                                        {604, 38},  {643, 38},  {815, 134}, {870, 134}};
constexpr TSpawnPoint kLevel5Kind2[] = {{698, 790},  {523, 790},  {1060, 854}, {284, 630},  {154, 630},  {536, 214},
                                        {817, 534},  {695, 6},    {662, 6},    {898, 1126}, {310, 1382}, {957, 1398},
                                        {513, 1174}, {469, 1174}, {361, 1174}, {285, 1078}, {170, 950},  {867, 950},
                                        {758, 950},  {650, 950},  {539, 950},  {426, 950}};
constexpr TSpawnPoint kLevel5Kind1[] = {{973, 854},  {1097, 822}, {1056, 1206}, {18, 1398}, {93, 1398},
                                        {222, 1398}, {378, 1174}, {149, 1190},  {955, 950}, {1003, 950},
                                        {1066, 950}, {812, 534},  {532, 790},   {192, 630}, {62, 630},
                                        {192, 118},  {69, 86},    {1003, 374},  {980, 6},   {831, 6}};
constexpr TSpawnPoint kLevel6Kind2[] = {
    {359, 214},  {313, 214},  {653, 214},  {116, 726},  {250, 726},  {359, 726},  {457, 726},  {559, 726},
    {684, 726},  {783, 726},  {750, 342},  {394, 342},  {477, 966},  {418, 966},  {375, 966},  {952, 1222},
    {887, 1222}, {819, 1222}, {757, 1222}, {685, 1222}, {617, 1222}, {550, 1222}, {487, 1222}, {423, 1222},
    {969, 726},  {483, 838},  {620, 838},  {610, 566},  {525, 566},  {227, 598},  {1198, 214}, {855, 118},
    {764, 182},  {198, 118},  {132, 86},   {923, 982},  {984, 150},  {111, 662}};
constexpr TSpawnPoint kLevel6Kind1[] = {{501, 214}, {634, 214},  {811, 150},  {998, 294},  {1239, 582}, {1058, 726},
                                        {977, 726}, {911, 726},  {839, 726},  {764, 726},  {688, 726},  {609, 726},
                                        {533, 726}, {562, 550},  {296, 566},  {220, 342},  {199, 342},  {58, 438},
                                        {837, 358}, {566, 822},  {261, 966},  {342, 966},  {432, 966},  {610, 966},
                                        {769, 966}, {700, 1222}, {611, 1222}, {519, 1222}, {443, 1222}, {402, 1222}};

const std::array<TLevelInfo, kLevelCount> kLevels = {{
    {"gfx/back1.png", "maps\\level_1.FMP", 180, 5, 194, kLevel1Kind2, {}},
    {"gfx/back2.png", "maps\\level_2.FMP", 240, 1, 899, kLevel2Kind2, kLevel2Kind1},
    {"gfx/back3.png", "maps\\level_3.FMP", 360, 2, 755, kLevel3Kind2, kLevel3Kind1},
    {"gfx/back4.png", "maps\\level_4.FMP", 480, 5, 800, kLevel4Kind2, kLevel4Kind1},
    {"gfx/back5.png", "maps\\level_5.FMP", 900, 356, 755, kLevel5Kind2, kLevel5Kind1},
    {"gfx/back6.png", "maps\\level_6.FMP", 1500, 10, 10, kLevel6Kind2, kLevel6Kind1},
}};

std::array<const TLevelInfo*, kLevelCount> overrides{};
// The picture file of the level set up last, for the error if it is missing.
const char* backgroundFile = nullptr;

bool ValidLevel(int level) { return level >= 1 && level <= kLevelCount; }

}  // namespace

const TLevelInfo& LevelInfo(int level) {
    if (!ValidLevel(level)) throw TRuntimeError(kListIndexMessage, "level table");
    const TLevelInfo* o = overrides[level - 1];
    return o ? *o : kLevels[level - 1];
}

void OverrideLevelInfo(int level, const TLevelInfo* info) {
    if (ValidLevel(level)) overrides[level - 1] = info;
}

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
        gifts->Update(enemies->enemyList);
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
    } else if (CurrentMillis() - deathStart < kDeathSequenceMs) {
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
    if (!imgBackground) throw TRuntimeError(kNullObjectMessage, backgroundFile ? backgroundFile : "image imgBackground");
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
        SetBlendMode(kBlendAlpha);
        SetDrawAlpha(0.6f);
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
    gifts->Draw();
    if (snow) snow->Draw();
    liveBar->Draw();
}
