#pragma once
// The loops that chain the screens: the title menu, one game over the
// levels, the level-complete screen between levels and the game-over path.
// (A level alone and the fresh start of recorded games: app/level_alone.h.)
#include "app/level_alone.h"

// The title menu loop; returns when the player chooses Quit.
void RunMenu();
// A game as the menu starts it: from a fresh state (ResetForRecordedGame,
// seeded from the clock), the score cleared and the game's tune, then
// PlayGame; back in the menu's state.
void PlayRecordedGame();
// One game from `currentLevel` until `playState` says the game is over.
void PlayGame();
// The level tally over the last frame; then the next level is set up.
void ShowLevelComplete();
// The game-over tally and the high-score check.
void GameOver();
