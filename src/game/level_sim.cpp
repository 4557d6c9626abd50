#include "game/level_sim.h"

#include <algorithm>

#include "audio/game_music.h"
#include "core/frame_helpers.h"
#include "core/globals.h"
#include "game/game_score.h"
#include "game/live_bar.h"
#include "game/shoot.h"
#include "game/snow.h"
#include "map/fmp_map.h"
#include "platform/audio/sound.h"
#include "platform/input/keyboard.h"
#include "platform/system/random.h"
#include "platform/video/graphics.h"

using namespace sq;

namespace {

constexpr int kStepMs = 5;

// Silence of a plausible length: channels then report playing for as long as
// the real effect would, without any file.
SoundRef SilentSound(double seconds, bool loop) {
    auto s = std::make_shared<TSound>();
    s->frames = int(seconds * kMixRate);
    s->samples.assign(std::size_t(s->frames) * 2, 0);
    s->loop = loop;
    s->path = "silence";
    return s;
}

void FillSound(SoundRef& snd, double seconds) {
    if (!snd) snd = SilentSound(seconds, false);
}

ImageRef BlankImage(int w, int h, int frames) {
    ImageRef img = CreateImageBuffer(w, h, frames, kDefaultImageFlags);
    return img;
}

void FillImage(ImageRef& img, int w, int h, int frames) {
    if (!img) img = BlankImage(w, h, frames);
}

constexpr std::pair<TSimKey, int> kKeyCodes[] = {
    {kSimLeft, kKeyLeft}, {kSimRight, kKeyRight}, {kSimUp, kKeyUp}, {kSimFire, kKeyLControl}};

}  // namespace

TLevelSim::TLevelSim(int seed, bool headless) {
    if (headless) {
        SetGraphicsBackend(GraphicsBackend::kHeadless);
        if (!GraphicsModeOpen()) OpenGraphicsMode(320, 240, 32, 60, 0);
    }
    UseManualAudio();
    clock_ = std::make_shared<TManualClock>(1000);
    SetClock(clock_);
    InitDegreeTables();
    SeedRandom(seed);
    ClearKeys();

    // Stand-ins for the effects and pictures that no file provided.
    FillSound(sndPassi, 0.3);
    FillSound(sndPop, 0.2);
    FillSound(sndJump2, 0.4);
    FillSound(sndCaduta, 0.3);
    FillSound(sndAhh, 0.6);
    FillSound(sndLancio, 0.3);
    FillSound(sndMorto, 0.8);
    FillSound(sndRide, 0.5);
    FillSound(sndHoho, 0.8);
    FillSound(sndDead, 1.5);
    FillSound(sndTimclick, 0.05);
    FillImage(imgBnatale4, 28, 28, 16);
    FillImage(imgPneve, 24, 24, 24);
    FillImage(imgGring2, 24, 24, 16);
    FillImage(imgAureola, 24, 8, 1);
    FillImage(imgFlash, 32, 32, 1);
    FillImage(imgPacco, 12, 12, 1);
    FillImage(imgFiocco, 3, 3, 1);
    FillImage(imgLives, 14, 14, 1);
    FillImage(imgTimer, 24, 24, 1);

    // The long-lived objects as start-up makes them, then a new game.
    gameScore = std::make_shared<CGameScore>();
    liveBar = std::make_shared<CLiveBar>();
    liveBar->SetLives(3);
    gifts = std::make_shared<CShoot>();
    gifts->NewGiftChannel();
    snow = CSnow::Create(200);
    music = std::make_shared<CGameMusic>();
    music->Init();
    music->channel->SetGain(TuneInfo(1)->gain);
    music->tune = SilentSound(4.0, true);
    player = std::make_shared<CPlayer>();
    gameLoop = std::make_shared<tMainGameLoop>();
    gameLoop->Init();
    frameCounter = std::make_shared<CFPS>();
    updateCounter = std::make_shared<CFPS>();
    gameScore->Reset();
    liveBar->lives = 2;
    liveBar->giftCount = 0;
    liveBar->energy = kFullEnergy;
    currentLevel = 1;
    playState = kPlayStatePlaying;
    playerDying = 0;
    edits_.reserve(256);
}

TLevelSim::~TLevelSim() { Finish(); }

void TLevelSim::Finish() {
    for (const auto& [bit, code] : kKeyCodes) PostKeyUp(code);
    if (snowAside_) snow = std::move(snowAside_);
    if (customActive_) OverrideLevelInfo(1, nullptr);
    customActive_ = false;
    SetClock(nullptr);
}

void TLevelSim::LoadLevel(int level) {
    currentLevel = level;
    SetUpLevel(level);
    playState = kPlayStatePlaying;
    lastTick_ = uint32_t(CurrentMillis());
    gameLoop->lastTime = CurrentMillis();
    pickupsSeen_ = player->pickupCount;
    edits_.clear();
}

void TLevelSim::LoadCustom(std::shared_ptr<FmpMap> map, int startX, int startY, int timeLimit,
                           std::span<const TSpawnPoint> kind2, std::span<const TSpawnPoint> kind1) {
    customKind2_.assign(kind2.begin(), kind2.end());
    customKind1_.assign(kind1.begin(), kind1.end());
    customInfo_ = TLevelInfo{"", "", timeLimit, startX, startY, customKind2_, customKind1_};
    // The level plays as level 1, so the clock's restart and the return to
    // the start point after a lost life find this level's row.
    OverrideLevelInfo(1, &customInfo_);
    customActive_ = true;
    currentLevel = 1;

    // SetUpLevel's order, with the map already in memory.
    levelMap = std::move(map);
    SetLevelTime(1);
    gameScore->timeLeft = gameScore->killsType1 = gameScore->levelGifts = gameScore->killsType2 = 0;
    liveBar->giftCount = 0;
    enemies = CEnemy::Create();
    SpawnEnemies(*enemies, customKind2_, customKind1_);
    levelMap->InitAnims();
    player->SetupForMap();
    player->Create();
    PlacePlayerAtStart(1);

    playState = kPlayStatePlaying;
    lastTick_ = uint32_t(CurrentMillis());
    gameLoop->lastTime = CurrentMillis();
    pickupsSeen_ = player->pickupCount;
    edits_.clear();
}

void TLevelSim::SetSnow(bool on) {
    if (on == snowOn_) return;
    snowOn_ = on;
    if (!on) {
        snowAside_ = std::move(snow);
        snow.reset();
    } else {
        snow = std::move(snowAside_);
    }
}

void TLevelSim::SetKeys(unsigned keys) {
    // Posted as the window system would: a press counts only when the key was up.
    // Each step of the simulation is a frame of its own.
    AgeKeyTaps();
    for (const auto& [bit, code] : kKeyCodes) {
        if (keys & bit)
            PostKeyDown(code);
        else
            PostKeyUp(code);
    }
    keys_ = keys;
}

void TLevelSim::TickLevelClock() {
    // As the frame loop of play does it: a second off the clock whenever
    // more than 1001 ms of game time have passed, never while the player is dying.
    const uint32_t now = uint32_t(CurrentMillis());
    if (int32_t(now - (lastTick_ + uint32_t(GameMillis(1001)))) > 0 && playerDying == 0) {
        lastTick_ = now;
        liveBar->TickSecond();
    }
}

void TLevelSim::RecordEdits() {
    if (player->pickupCount == pickupsSeen_) return;
    edits_.push_back({player->lastPickColumn, player->lastPickRow, player->lastPickBlock});
    pickupsSeen_ = player->pickupCount;
}

void TLevelSim::MixStep() {
    if (!mixing_) return;
    static int16_t scratch[2 * 512];
    mixCarry_ += kMixRate * (kStepMs / 1000.0);
    int frames = int(mixCarry_);
    mixCarry_ -= frames;
    while (frames > 0) {
        int n = std::min(frames, 512);
        MixAudio(scratch, n);
        frames -= n;
    }
}

int TLevelSim::Step(unsigned keys) {
    SetKeys(keys);
    clock_->Advance(kStepMs);
    TickLevelClock();
    gameLoop->SetTween(1.0f);
    gameLoop->Update();
    gameLoop->lastTime = CurrentMillis();
    RecordEdits();
    MixStep();
    ++steps_;
    return playState;
}

int TLevelSim::StepFrame(unsigned keys, int ms) {
    SetKeys(keys);
    clock_->Advance(uint32_t(ms));
    TickLevelClock();
    gameLoop->Run();
    RecordEdits();
    ++steps_;
    return playState;
}

void TLevelSim::Draw() {
    FillImage(imgBackground, 320, 240, 1);  // the level's own when its file was found
    gameLoop->Draw();
}

TPlayerState TLevelSim::SavePlayer() const { return player->SaveState(); }

void TLevelSim::RestorePlayer(const TPlayerState& s) { player->RestoreState(s); }

TSimSnapshot TLevelSim::Save() const {
    TSimSnapshot s;
    SaveInto(s);
    return s;
}

void TLevelSim::SaveInto(TSimSnapshot& s) const {
    s.player = player->SaveState();
    s.giftCount = liveBar->giftCount;
    s.lives = liveBar->lives;
    s.timeLeft = liveBar->timeLeft;
    s.energy = liveBar->energy;
    s.shotX = gifts->x;
    s.shotY = gifts->y;
    s.shotSpeed = gifts->speed;
    s.shotFall = gifts->fallSpeed;
    s.shotDirection = gifts->direction;
    s.shotInFlight = gifts->inFlight;
    s.shotAngle = gifts->angle;
    s.enemies.clear();
    for (const auto& e : enemies->enemyList) {
        const CEasySprite& sp = *e->sprite;
        s.enemies.push_back({sp.x, sp.y, sp.vx, e->alpha, e->hitPoints, e->gone, sp.currentAnimId});
    }
    s.cellEdits = edits_.size();
    s.animCurrent.clear();
    s.animDelay.clear();
    s.animType.clear();
    for (const ANISTR& a : levelMap->anims) {
        s.animCurrent.push_back(a.current);
        s.animDelay.push_back(a.delayCounter);
        s.animType.push_back(a.animType);
    }
    s.mapAnimTimer = gameLoop->mapAnimTimer;
    s.haloAlpha = gameLoop->haloAlpha;
    s.touching = gameLoop->touching;
    s.playState = playState;
    s.playerDying = playerDying;
    s.deathStart = deathStart;
    s.now = clock_->Peek();
    s.lastTick = lastTick_;
}

void TLevelSim::Restore(const TSimSnapshot& s) {
    player->RestoreState(s.player);
    liveBar->giftCount = s.giftCount;
    liveBar->lives = s.lives;
    liveBar->timeLeft = s.timeLeft;
    liveBar->energy = s.energy;
    gifts->x = s.shotX;
    gifts->y = s.shotY;
    gifts->speed = s.shotSpeed;
    gifts->fallSpeed = s.shotFall;
    gifts->direction = s.shotDirection;
    gifts->inFlight = s.shotInFlight;
    gifts->angle = s.shotAngle;
    std::size_t i = 0;
    for (const auto& e : enemies->enemyList) {
        if (i >= s.enemies.size()) break;
        const TEnemyState& st = s.enemies[i++];
        CEasySprite& sp = *e->sprite;
        sp.x = st.x;
        sp.y = st.y;
        sp.vx = st.vx;
        e->alpha = st.alpha;
        e->hitPoints = st.hitPoints;
        e->gone = st.gone;
        if (st.currentAnimId >= 0) enemies->SelectAnimation(e, st.currentAnimId);
    }
    // Put picked-up gifts back, newest first.
    const int layer = levelMap->currentLayer;
    levelMap->currentLayer = 1;
    while (edits_.size() > s.cellEdits) {
        const TCellEdit& edit = edits_.back();
        levelMap->SetCell(edit.column, edit.row, edit.before);
        edits_.pop_back();
    }
    levelMap->currentLayer = layer;
    pickupsSeen_ = player->pickupCount;
    for (std::size_t a = 0; a < levelMap->anims.size() && a < s.animCurrent.size(); ++a) {
        levelMap->anims[a].current = s.animCurrent[a];
        levelMap->anims[a].delayCounter = s.animDelay[a];
        levelMap->anims[a].animType = s.animType[a];
    }
    gameLoop->mapAnimTimer = s.mapAnimTimer;
    gameLoop->haloAlpha = s.haloAlpha;
    gameLoop->touching = s.touching;
    playState = s.playState;
    playerDying = s.playerDying;
    // The clock never runs backwards (animations and channels measure time
    // on it): the saved times are moved forward to the present instead.
    const uint32_t shift = clock_->Peek() - s.now;
    deathStart = int(uint32_t(s.deathStart) + shift);
    lastTick_ = s.lastTick + shift;
    gameLoop->lastTime = CurrentMillis();
}
