#pragma once
// core/: the design's globals, fixed-step timing, frame helpers, the trace.
// Uses the platform only.
//
// The game's globals: one per picture and sound, the long-lived objects, the
// level's objects and the game state. They live here so a reader finds
// `player` or `liveBar` at once; ResetGlobals() gives tests a fresh set.
#include <array>
#include <memory>

#include "platform/audio/sound.h"
#include "platform/video/graphics.h"

class CGameScore;
class CFPS;
class tMainGameLoop;
class CPlayer;
class CSnow;
class tTitle;
class CLiveBar;
class CShoot;
class CGameMusic;
class CEnemy;
class FmpMap;

// ---- Pictures (loaded once at start-up, in this order) ----
extern sq::ImageRef imgBackground, imgFiocco, imgStar, imgTitle, imgAdventure, imgBnatale4, imgLives, imgPneve,
    imgGring2, imgAureola, imgScores, imgLevelComplete, imgTimer, imgPagina2, imgStartGFX, imgHIScores, imgInstruction,
    imgCredits, imgQuit, imgOptions, imgGameOver, imgCreditsBack, imgRecord, imgPacco, imgFlash, imgNuvole;

// ---- Sounds ----
extern sq::SoundRef sndPassi, sndPop, sndJump2, sndCaduta, sndAhh, sndLancio, sndMorto, sndKey, sndRide, sndHoho,
    sndDead, sndTimclick, sndGameOver, sndCambioLivello;

// ---- Long-lived objects ----
extern std::shared_ptr<CGameScore> gameScore;
extern std::shared_ptr<CFPS> frameCounter;
extern std::shared_ptr<CFPS> updateCounter;
extern std::shared_ptr<tMainGameLoop> gameLoop;
extern std::shared_ptr<CPlayer> player;
extern std::shared_ptr<CSnow> snow;
extern std::shared_ptr<tTitle> title;
extern std::shared_ptr<CLiveBar> liveBar;
extern std::shared_ptr<CShoot> gifts;
extern std::shared_ptr<CGameMusic> music;

// ---- The level's objects (replaced by every level set-up) ----
extern std::shared_ptr<FmpMap> levelMap;
extern std::shared_ptr<CEnemy> enemies;

// ---- Game state ----
extern float cloudAngleA, cloudAngleB;
extern int currentLevel;  // 1..6
extern int playState;     // 1 menu, 6 playing, 4 exit reached, 5 game over
extern int playerDying;   // the death sequence runs
// The speed of the game being played, in per cent (the assist: 100 down to
// 50). Logic steps, animations, the death sequence and the level clock all
// run that much slower, as if time did.
extern int gameSpeed;
// What `ms` milliseconds of game time take at the current game speed.
int GameMillis(int ms);
extern int deathStart;      // ms: the last logic step in which the player was not dying
extern int levelTimeLimit;  // seconds on the clock of the current level (300 before any level)

// What the game is doing; kept in playState.
inline constexpr int kPlayStateMenu = 1;         // before and between games
inline constexpr int kPlayStateExitReached = 4;  // the player stepped on the exit
inline constexpr int kPlayStateGameOver = 5;     // no lives left, or the clock ran out on the last one
inline constexpr int kPlayStatePlaying = 6;

// Fraction of a whole logic step the current Update covers (1.0, or the
// remainder of the frame's last step). Every speed and timer is multiplied by it.
extern float tickDelta;

// A falling, spinning, tinted star of the title screen.
struct cStars {
    float x = 0;
    float y = 0;
    float fallSpeed = 0;  // pixels per step, and degrees of spin per step
    float scale = 0;
    float angle = 0;
    int layer = 0;  // 1 behind the title and menu, 2 in front
    int red = 0, green = 0, blue = 0;
};

inline constexpr int kStarCount = 20;
extern std::array<cStars, kStarCount> stars;

inline constexpr const char* kAppTitle = "Snowquill";

// Drops every global back to its start value (tests use it between cases).
void ResetGlobals();
