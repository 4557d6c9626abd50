#include "platform/input/bindings.h"

#include <SDL.h>

#include <array>

#include "platform/input/keyboard.h"
#include "platform/input/sdl_keymap.h"

namespace sq {

namespace {

constexpr int kKeyPause = 'P';

TBindings bindings = DefaultBindings();
bool active = false;
bool spelling = false;
// The code each key went down with, so its release lets go of the same one
// even when the bindings began or stopped applying meanwhile.
std::array<int, SDL_NUM_SCANCODES> downAs{};
bool capturing = false;
int capturedKey = 0;
int capturedButton = -1;

// An action the player moved away from its first key (or button): its old
// key no longer does it in a level.
bool KeyMoved(int action) { return bindings.keys[std::size_t(action)] != DefaultBindings().keys[std::size_t(action)]; }
bool ButtonMoved(int action) {
    return bindings.buttons[std::size_t(action)] != DefaultBindings().buttons[std::size_t(action)];
}

int ActionOfCode(int code) {
    for (int a = 0; a < kActionCount; ++a)
        if (ActionKeyCode(a) == code) return a;
    return -1;
}

// The codes a button has always stood for (menus, and play with the first buttons).
TPadKeys PlainPadKeys(int button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return {kKeyLeft, 0};
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return {kKeyRight, 0};
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return {kKeyUp, 0};
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return {kKeyDown, 0};
        case SDL_CONTROLLER_BUTTON_A:
            return {kKeyUp, 0};        // south: jump
        case SDL_CONTROLLER_BUTTON_X:  // west: throw
        case SDL_CONTROLLER_BUTTON_B:
            return {kKeyLControl, 0};  // east: throw
        // The menu chooses with Enter or Space, the tallies go on with Space,
        // and the name entry takes Enter before a typed space.
        case SDL_CONTROLLER_BUTTON_START:
            return {kKeyEnter, kKeySpace};
        case SDL_CONTROLLER_BUTTON_BACK:
            return {kKeyEscape, 0};
        default:
            return {};
    }
}

// A code that would do an action the player gave to another key or button.
int UnlessMoved(int code, bool (*moved)(int)) {
    int action = ActionOfCode(code);
    return action >= 0 && moved(action) ? 0 : code;
}

}  // namespace

TBindings DefaultBindings() {
    TBindings b;
    b.keys = {SDL_SCANCODE_LEFT,  SDL_SCANCODE_RIGHT,  SDL_SCANCODE_UP,
              SDL_SCANCODE_LCTRL, SDL_SCANCODE_ESCAPE, SDL_SCANCODE_P};
    b.buttons = {SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_BUTTON_A,
                 SDL_CONTROLLER_BUTTON_X,         SDL_CONTROLLER_BUTTON_BACK,       -1};
    return b;
}

int ActionKeyCode(int action) {
    static constexpr std::array<int, kActionCount> kCodes{kKeyLeft,     kKeyRight,  kKeyUp,
                                                          kKeyLControl, kKeyEscape, kKeyPause};
    return action >= 0 && action < kActionCount ? kCodes[std::size_t(action)] : 0;
}

const char* ActionWord(int action) {
    static constexpr std::array<const char*, kActionCount> kWords{"left", "right", "jump", "throw", "give_up", "pause"};
    return action >= 0 && action < kActionCount ? kWords[std::size_t(action)] : "";
}

const char* ActionTitle(int action) {
    static constexpr std::array<const char*, kActionCount> kTitles{"Left",  "Right",   "Jump",
                                                                   "Throw", "Give up", "Pause"};
    return action >= 0 && action < kActionCount ? kTitles[std::size_t(action)] : "";
}

std::string ScancodeName(int scancode) {
    if (scancode <= 0 || scancode >= SDL_NUM_SCANCODES) return {};
    return SDL_GetScancodeName(SDL_Scancode(scancode));
}

int ScancodeFromName(const std::string& name) {
    if (name.empty()) return 0;
    SDL_Scancode sc = SDL_GetScancodeFromName(name.c_str());
    return sc == SDL_SCANCODE_UNKNOWN ? 0 : int(sc);
}

std::string PadButtonName(int button) {
    if (button < 0 || button >= SDL_CONTROLLER_BUTTON_MAX) return "none";
    const char* name = SDL_GameControllerGetStringForButton(SDL_GameControllerButton(button));
    return name ? name : "none";
}

int PadButtonFromName(const std::string& name) {
    if (name.empty() || name == "none") return -1;
    SDL_GameControllerButton b = SDL_GameControllerGetButtonFromString(name.c_str());
    return b == SDL_CONTROLLER_BUTTON_INVALID ? -1 : int(b);
}

std::string KeyLabel(int scancode) {
    if (scancode <= 0 || scancode >= SDL_NUM_SCANCODES) return "-";
    const char* name = SDL_GetKeyName(SDL_GetKeyFromScancode(SDL_Scancode(scancode)));
    if (name && name[0]) return name;
    return ScancodeName(scancode);
}

bool BindableScancode(int scancode) {
    if (scancode <= 0 || scancode >= SDL_NUM_SCANCODES) return false;
    // F11 belongs to the window; the rest have no name to show.
    // and a name must lead back to its own key, or the file could not keep it.
    return scancode != SDL_SCANCODE_F11 && !ScancodeName(scancode).empty() &&
           ScancodeFromName(ScancodeName(scancode)) == scancode;
}

void SetBindings(const TBindings& b) { bindings = b; }
const TBindings& CurrentBindings() { return bindings; }
void SetBindingsActive(bool on) { active = on; }
bool BindingsActive() { return active; }

int GameKeyForKeyDown(int sdlKeycode, int scancode) {
    int code = 0;
    if (active) {
        for (int a = 0; a < kActionCount && !code; ++a)
            if (KeyMoved(a) && bindings.keys[std::size_t(a)] == scancode) code = ActionKeyCode(a);
    }
    if (!code) {
        code = VirtualKeyFromSdl(sdlKeycode, scancode);
        if (active) code = UnlessMoved(code, KeyMoved);
    }
    if (scancode > 0 && scancode < SDL_NUM_SCANCODES) downAs[std::size_t(scancode)] = code;
    return code;
}

int GameKeyForKeyUp(int sdlKeycode, int scancode) {
    if (scancode <= 0 || scancode >= SDL_NUM_SCANCODES) return VirtualKeyFromSdl(sdlKeycode, scancode);
    int code = downAs[std::size_t(scancode)];
    downAs[std::size_t(scancode)] = 0;
    return code;
}

int GameKeyForKeyRepeat(int scancode) {
    return scancode > 0 && scancode < SDL_NUM_SCANCODES ? downAs[std::size_t(scancode)] : 0;
}

void SetPadSpelling(bool on) { spelling = on; }

TPadKeys PadKeysForButton(int button) {
    if (spelling && button == SDL_CONTROLLER_BUTTON_A) return {kKeyPadNextLetter, 0};
    TPadKeys plain = PlainPadKeys(button);
    if (!active) return plain;
    // A button the player gave an action does that action alone.
    for (int a = 0; a < kActionCount; ++a)
        if (ButtonMoved(a) && bindings.buttons[std::size_t(a)] == button) return {ActionKeyCode(a), 0};
    return {UnlessMoved(plain.first, ButtonMoved), UnlessMoved(plain.second, ButtonMoved)};
}

void CaptureNextInput(bool capture) {
    capturing = capture;
    capturedKey = 0;
    capturedButton = -1;
}

int TakeCapturedKey() {
    int key = capturedKey;
    capturedKey = 0;
    return key;
}

int TakeCapturedButton() {
    int button = capturedButton;
    capturedButton = -1;
    return button;
}

bool Capturing() { return capturing; }

bool CaptureKeyDown(int scancode) {
    if (!capturing || scancode <= 0) return false;
    capturedKey = scancode;
    capturing = false;
    return true;
}

bool CaptureButtonDown(int button) {
    if (!capturing || button < 0) return false;
    capturedButton = button;
    capturing = false;
    return true;
}

}  // namespace sq
