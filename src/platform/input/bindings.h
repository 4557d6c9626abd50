#pragma once
// The player's own keys and pad buttons. A binding ties a physical key (its
// scan code, so that another keyboard layout keeps the same places) or a pad
// button to one of the game's actions; the window turns the key into the
// action's key code here, so nothing above knows which key was chosen. In
// menus the bindings rest: the arrows, Enter and Escape always work there, and
// typed letters stay letters.
#include <array>
#include <string>

namespace sq {

enum TAction : int { kActLeft, kActRight, kActJump, kActThrow, kActGiveUp, kActPause, kActionCount };

struct TBindings {
    std::array<int, kActionCount> keys{};     // SDL scan codes; 0: none
    std::array<int, kActionCount> buttons{};  // SDL controller buttons; -1: none
};

// The keys and buttons the game has always had: the arrows, left Control,
// Escape and P; the d-pad, the south button to jump, the west one to throw,
// Back to give up, and no button for the pause.
TBindings DefaultBindings();

// The game's key code an action stands for (37 Left, 39 Right, 38 Up, 162
// left Control, 27 Escape, 'P').
int ActionKeyCode(int action);
// "left", "right", "jump", "throw", "give_up", "pause": the settings file's words.
const char* ActionWord(int action);
// "Left", "Right", "Jump", "Throw", "Give up", "Pause": the options screen's words.
const char* ActionTitle(int action);

// Layout-independent names of scan codes ("Left", "Left Ctrl", "W") and of
// pad buttons ("a", "dpleft", "back"); 0 or -1 for a name that is not one.
std::string ScancodeName(int scancode);
int ScancodeFromName(const std::string& name);
std::string PadButtonName(int button);
int PadButtonFromName(const std::string& name);
// What the keyboard's current layout prints on the key at that place ("Z" on
// the key a QWERTY keyboard calls "W" when the layout is AZERTY).
std::string KeyLabel(int scancode);
// A scan code the player may bind (not one the menus, the window or the
// system keep to themselves).
bool BindableScancode(int scancode);

// The bindings in force, and whether they apply now (in a level) or rest (menus).
void SetBindings(const TBindings& bindings);
const TBindings& CurrentBindings();
void SetBindingsActive(bool active);
bool BindingsActive();

// The game's key code for a key event from the window: the bound action's
// code while the bindings apply, nothing for a key whose own code would act
// as an action it is not bound to, else the layout's key code. The code a key
// went down with is the one its release lets go of.
int GameKeyForKeyDown(int sdlKeycode, int scancode);
int GameKeyForKeyUp(int sdlKeycode, int scancode);
int GameKeyForKeyRepeat(int scancode);
// While the name entry spells with the pad, its south button stands for this
// code (a virtual-key number no key has) instead of a jump: it adds the next
// letter there.
inline constexpr int kKeyPadNextLetter = 136;
void SetPadSpelling(bool spelling);
// The same for pad buttons; up to two codes, 0 for none.
struct TPadKeys {
    int first = 0, second = 0;
};
TPadKeys PadKeysForButton(int button);

// While set, the next key or button press is taken here instead of going to
// the game (the options screen's "press a key"): TakeCapturedKey returns it
// once (scan code, or button through TakeCapturedButton), 0 / -1 until then.
void CaptureNextInput(bool capture);
int TakeCapturedKey();
int TakeCapturedButton();
bool Capturing();
bool CaptureKeyDown(int scancode);
bool CaptureButtonDown(int button);

}  // namespace sq
