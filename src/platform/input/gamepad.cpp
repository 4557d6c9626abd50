#include "platform/input/gamepad.h"

#include <SDL.h>

#include <array>
#include <map>

#include "platform/input/bindings.h"
#include "platform/input/keyboard.h"

namespace sq {

namespace {

// The stick leans into a direction past the press point and lets go of it
// only back inside the release point, so a stick resting near the edge does
// not chatter.
constexpr int kStickPress = 16000;
constexpr int kStickRelease = 12000;
constexpr int kKeyCount = 256;

struct TPad {
    SDL_GameController* controller = nullptr;
    std::array<bool, SDL_CONTROLLER_BUTTON_MAX> held{};
    // The codes each held button went down with: its release lets go of
    // them even when the bindings began or stopped applying meanwhile.
    std::array<TPadKeys, SDL_CONTROLLER_BUTTON_MAX> heldAs{};
    int stickKey = 0;  // kKeyLeft, kKeyRight or 0
};

std::map<SDL_JoystickID, TPad> pads;
// How many pad inputs hold each key: a key is released only when the last
// of them lets go (two pads, or the d-pad and the stick, may hold the same).
std::array<int, kKeyCount> holders{};

void Hold(int key) {
    if (key <= 0 || key >= kKeyCount) return;
    if (holders[key]++ == 0) PostKeyDown(key);
}

void Release(int key) {
    if (key <= 0 || key >= kKeyCount || holders[key] == 0) return;
    if (--holders[key] == 0) PostKeyUp(key);
}

void SetButton(TPad& pad, int button, bool down) {
    if (button < 0 || button >= SDL_CONTROLLER_BUTTON_MAX || pad.held[button] == down) return;
    if (down && CaptureButtonDown(button)) return;  // taken by the options screen, not pressed
    pad.held[button] = down;
    TPadKeys& keys = pad.heldAs[std::size_t(button)];
    if (down) keys = PadKeysForButton(button);
    for (int key : {keys.first, keys.second}) down ? Hold(key) : Release(key);
    if (!down) keys = {};
}

void SetStick(TPad& pad, int value) {
    int key = pad.stickKey;
    if (value <= -kStickPress)
        key = kKeyLeft;
    else if (value >= kStickPress)
        key = kKeyRight;
    else if (value > -kStickRelease && value < kStickRelease)
        key = 0;
    if (key == pad.stickKey) return;
    Release(pad.stickKey);
    pad.stickKey = key;
    Hold(key);
}

void LetGo(TPad& pad) {
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) SetButton(pad, b, false);
    SetStick(pad, 0);
}

void Open(int deviceIndex) {
    if (!SDL_IsGameController(deviceIndex)) return;
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller) return;
    SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    auto [it, added] = pads.try_emplace(id);
    if (!added) {
        SDL_GameControllerClose(controller);  // already open: drop the extra reference
        return;
    }
    it->second.controller = controller;
}

void Close(SDL_JoystickID id) {
    auto it = pads.find(id);
    if (it == pads.end()) return;
    LetGo(it->second);
    SDL_GameControllerClose(it->second.controller);
    pads.erase(it);
}

}  // namespace

bool StartGamepads() {
    if (SDL_WasInit(SDL_INIT_GAMECONTROLLER)) return true;
    return SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

bool HandleGamepadEvent(const SDL_Event& e) {
    switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED:
            Open(e.cdevice.which);
            return true;
        case SDL_CONTROLLERDEVICEREMOVED:
            Close(e.cdevice.which);
            return true;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            auto it = pads.find(e.cbutton.which);
            if (it != pads.end()) SetButton(it->second, e.cbutton.button, e.type == SDL_CONTROLLERBUTTONDOWN);
            return true;
        }
        case SDL_CONTROLLERAXISMOTION: {
            auto it = pads.find(e.caxis.which);
            if (it != pads.end() && e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) SetStick(it->second, e.caxis.value);
            return true;
        }
        default:
            return false;
    }
}

int OpenGamepadCount() { return int(pads.size()); }

void StopGamepads() {
    while (!pads.empty()) Close(pads.begin()->first);
    holders.fill(0);
}

}  // namespace sq
