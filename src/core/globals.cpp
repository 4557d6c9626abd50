#include "core/globals.h"

using sq::ImageRef;
using sq::SoundRef;

ImageRef imgBackground, imgFiocco, imgStar, imgTitle, imgAdventure, imgBnatale4, imgLives, imgPneve, imgGring2,
    imgAureola, imgScores, imgLevelComplete, imgTimer, imgPagina2, imgStartGFX, imgHIScores, imgInstruction, imgCredits,
    imgQuit, imgOptions, imgGameOver, imgCreditsBack, imgRecord, imgPacco, imgFlash, imgNuvole;

SoundRef sndPassi, sndPop, sndJump2, sndCaduta, sndAhh, sndLancio, sndMorto, sndKey, sndRide, sndHoho, sndDead,
    sndTimclick, sndGameOver, sndCambioLivello;

std::shared_ptr<CGameScore> gameScore;
std::shared_ptr<CFPS> frameCounter;
std::shared_ptr<CFPS> updateCounter;
std::shared_ptr<tMainGameLoop> gameLoop;
std::shared_ptr<CPlayer> player;
std::shared_ptr<CSnow> snow;
std::shared_ptr<tTitle> title;
std::shared_ptr<CLiveBar> liveBar;
std::shared_ptr<CShoot> gifts;
std::shared_ptr<CGameMusic> music;
std::shared_ptr<FmpMap> levelMap;
std::shared_ptr<CEnemy> enemies;

float cloudAngleA = 0, cloudAngleB = 0;
int currentLevel = 1;
int playState = 1;
int playerDying = 0;
int gameSpeed = 100;

int GameMillis(int ms) { return gameSpeed >= 100 || gameSpeed <= 0 ? ms : ms * 100 / gameSpeed; }
int deathStart = 0;
int levelTimeLimit = 300;
float tickDelta = 1.0f;
std::array<cStars, kStarCount> stars;

void ResetGlobals() {
    for (ImageRef* img :
         {&imgBackground,  &imgFiocco,   &imgStar,        &imgTitle,   &imgAdventure,     &imgBnatale4, &imgLives,
          &imgPneve,       &imgGring2,   &imgAureola,     &imgScores,  &imgLevelComplete, &imgTimer,    &imgPagina2,
          &imgStartGFX,    &imgHIScores, &imgInstruction, &imgCredits, &imgQuit,          &imgOptions,  &imgGameOver,
          &imgCreditsBack, &imgRecord,   &imgPacco,       &imgFlash,   &imgNuvole})
        img->reset();
    for (SoundRef* snd : {&sndPassi, &sndPop, &sndJump2, &sndCaduta, &sndAhh, &sndLancio, &sndMorto, &sndKey, &sndRide,
                          &sndHoho, &sndDead, &sndTimclick, &sndGameOver, &sndCambioLivello})
        snd->reset();
    gameScore.reset();
    frameCounter.reset();
    updateCounter.reset();
    gameLoop.reset();
    player.reset();
    snow.reset();
    title.reset();
    liveBar.reset();
    gifts.reset();
    music.reset();
    levelMap.reset();
    enemies.reset();
    cloudAngleA = cloudAngleB = 0;
    currentLevel = 1;
    playState = 1;
    playerDying = 0;
    gameSpeed = 100;
    deathStart = 0;
    levelTimeLimit = 300;
    tickDelta = 1.0f;
    stars = {};
}
