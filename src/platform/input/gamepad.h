#pragma once
// Gamepads, plugged in before or during the game. A press enters the key
// tables as the key it stands for, so the game cannot tell a pad from the
// keyboard: the d-pad gives the arrows, the left stick Left and Right, the
// south button Up (jump), the west and east buttons left Control (throw),
// Start Enter and Space (choose, continue), Back Escape (give up).

union SDL_Event;

namespace sq {

// Starts the game-controller subsystem; pads already plugged in announce
// themselves as events. False when the system offers no controllers.
bool StartGamepads();

// Takes a controller event (plugged, unplugged, button, axis). False for any
// other event.
bool HandleGamepadEvent(const SDL_Event& event);

// Pads currently open.
int OpenGamepadCount();

// Releases every key the pads hold and closes them.
void StopGamepads();

}  // namespace sq
