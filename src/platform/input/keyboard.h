#pragma once
// platform/input: the keyboard, gamepads and the map from SDL's keys to the
// game's. Uses system/ and files/, and replay/ to record and replay them.
//
// Keyboard state, indexed by Windows virtual-key numbers (the game's key
// codes). The window system's events are turned into these codes inside the
// platform layer; tests inject the same events directly.
#include <functional>

namespace sq {

inline constexpr int kKeyBackspace = 8, kKeyEnter = 13, kKeyEscape = 27, kKeySpace = 32, kKeyLeft = 37, kKeyUp = 38,
                     kKeyRight = 39, kKeyDown = 40, kKeyLControl = 162;

// 1 while the key is held; also 1 for a press released before any check saw
// it held, through the rest of its frame and the next one.
int IsKeyDown(int key);
// Called once a frame (PresentFrame; the headless level simulation once a
// step): a press that no check saw while it was held stays visible through
// the next frame and is then forgotten, so a tap on a slow frame is never
// lost, and a press that lost to another key (Right wins over Left) cannot
// come back as a phantom step long after it was released.
void AgeKeyTaps();
int KeyHitCount(int key);
void ClearKeys();
int FirstKeyHit();

// Event entry points, as the window system delivers them. `repeat` marks the
// operating system's auto-repeat of a held key.
void PostKeyDown(int key, bool repeat = false);
void PostKeyUp(int key);
void PostFocusChange();  // suspended or resumed: the state is cleared
void PostFocusLost();    // the window lost the focus (after PostFocusChange)
// A mouse click, or any other window event: input that the game's key tables
// never see, counted for the menu's idle time and to end a demo.
void PostClick();
void PostWindowEvent();
// The keys held down right now are ignored, auto-repeat and all, until they
// are let go: a key that ended a demo is not also taken by the menu.
void IgnoreHeldKeys();
bool TakeFocusLost();  // true once for every loss since the last call
// Whether the window passes a loss of the focus on (a level then pauses; on
// unless the player turned it off). Asked by the window, never in a replay.
void SetFocusLossPauses(bool pauses);
bool FocusLossPauses();
void PostQuitRequest();  // recorded, never acted on by the game
bool QuitRequested();
void ResetQuitRequest();

// The source of pending window events, run by every keyboard operation and
// by PresentFrame. The display installs one; without it nothing is polled.
void SetEventPump(std::function<void()> pump);
void PumpEvents();

// Mouse pointer over the game's window.
void HidePointer();
void ShowPointer();
bool PointerHidden();

}  // namespace sq
