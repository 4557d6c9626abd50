#pragma once
// Pausing a level: P, or the window losing the focus.

// True when the player pressed P or the window lost the focus since the
// last call.
bool PauseWanted();

// Forgets a pause asked for outside play (a focus lost in the menu).
void ForgetPauseRequests();

// Holds the level: the game clock and the music stop, the level's picture
// stays with "PAUSED" over it, until any key or gamepad button. The level
// clock, the death sequence and every timed screen see none of the time
// spent here.
void RunPause();
