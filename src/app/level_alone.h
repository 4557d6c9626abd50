#pragma once
// A level or a game started from a known state, whatever ran before it in
// this run: the fresh start of recorded games and demos, and one level alone.

// Puts everything a game's course depends on back as a fresh start leaves it
// (the random generator seeded with `seed` and drawn from as start-up draws
// from it, the player, the thrown gift, the HUD's bar, the level loop and the
// snow), so that a game or demo recorded from its start plays the same when
// replayed at any later moment of a run.
void ResetForRecordedGame(int seed);
// One level alone, from its start until the exit is reached or the game is
// lost (recorded demos of single levels); the level stays set up.
void PlayLevelAlone(int level);
