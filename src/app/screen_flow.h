#pragma once
// The loops that chain the screens: the title menu, one game over the
// levels, the level-complete screen between levels and the game-over path.

// The title menu loop; returns when the player chooses Quit.
void RunMenu();
// Puts everything a game's course depends on back as a fresh start leaves it
// (the random generator seeded with `seed` and drawn from as start-up draws
// from it, the player, the thrown gift, the HUD's bar, the level loop and the
// snow), so that a game or demo recorded from its start plays the same when
// replayed at any later moment of a run.
void ResetForRecordedGame(int seed);
// A game as the menu starts it: from a fresh state (ResetForRecordedGame,
// seeded from the clock),
// the score cleared and the game's tune, then PlayGame; back in the menu's state.
void PlayRecordedGame();
// One game from `currentLevel` until `playState` says the game is over.
void PlayGame();
// One level alone, from its start until the exit is reached or the game is
// lost (recorded demos of single levels); the level stays set up.
void PlayLevelAlone(int level);
// The level tally over the last frame; then the next level is set up.
void ShowLevelComplete();
// The game-over tally and the high-score check.
void GameOver();
