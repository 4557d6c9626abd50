// The player's keys and buttons at the window's edge: a bound key does its
// action in a level, the key it replaced does nothing there, the menus keep
// their own keys, a release lets go of what its press held, and a default
// set of bindings leaves every key as it always was.
#include "platform/input/bindings.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "gl_render_fixture.h"
#include "platform/input/keyboard.h"

using namespace sq;

namespace {

class Bindings : public ::testing::Test {
protected:
    void TearDown() override {
        SetBindings(DefaultBindings());
        SetBindingsActive(false);
        CaptureNextInput(false);
    }
    static int Down(SDL_Keycode key, SDL_Scancode sc) { return GameKeyForKeyDown(key, sc); }
    static int Up(SDL_Keycode key, SDL_Scancode sc) { return GameKeyForKeyUp(key, sc); }
};

TEST_F(Bindings, DefaultsLeaveEveryKeyAsItWas) {
    for (bool active : {false, true}) {
        SetBindingsActive(active);
        EXPECT_EQ(Down(SDLK_UP, SDL_SCANCODE_UP), kKeyUp);
        EXPECT_EQ(Down(SDLK_LCTRL, SDL_SCANCODE_LCTRL), kKeyLControl);
        EXPECT_EQ(Down(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), kKeyEscape);
        EXPECT_EQ(Down(SDLK_p, SDL_SCANCODE_P), 'P');
        EXPECT_EQ(Down(SDLK_w, SDL_SCANCODE_W), 'W');
        TPadKeys a = PadKeysForButton(SDL_CONTROLLER_BUTTON_A), b = PadKeysForButton(SDL_CONTROLLER_BUTTON_B);
        TPadKeys start = PadKeysForButton(SDL_CONTROLLER_BUTTON_START);
        EXPECT_EQ(a.first, kKeyUp);
        EXPECT_EQ(b.first, kKeyLControl);
        EXPECT_EQ(start.first, kKeyEnter);
        EXPECT_EQ(start.second, kKeySpace);
    }
}

TEST_F(Bindings, ABoundKeyActsInALevelAndTheMenusKeepTheirKeys) {
    TBindings b = DefaultBindings();
    b.keys[kActJump] = SDL_SCANCODE_W;
    b.keys[kActLeft] = SDL_SCANCODE_A;
    SetBindings(b);
    SetBindingsActive(true);
    // A French layout puts Z where W is: the place counts, not the letter.
    EXPECT_EQ(Down(SDLK_z, SDL_SCANCODE_W), kKeyUp);
    EXPECT_EQ(Down(SDLK_a, SDL_SCANCODE_A), kKeyLeft);
    EXPECT_EQ(Down(SDLK_UP, SDL_SCANCODE_UP), 0) << "the old jump key no longer jumps";
    EXPECT_EQ(Down(SDLK_LEFT, SDL_SCANCODE_LEFT), 0);
    EXPECT_EQ(Down(SDLK_RIGHT, SDL_SCANCODE_RIGHT), kKeyRight);
    // A release lets go of the code its press held, even once the level has
    // ended and the bindings rest.
    SetBindingsActive(false);
    EXPECT_EQ(Up(SDLK_z, SDL_SCANCODE_W), kKeyUp);
    EXPECT_EQ(Up(SDLK_UP, SDL_SCANCODE_UP), 0);
    // In the menus the arrows are arrows and letters are letters.
    EXPECT_EQ(Down(SDLK_UP, SDL_SCANCODE_UP), kKeyUp);
    EXPECT_EQ(Down(SDLK_LEFT, SDL_SCANCODE_LEFT), kKeyLeft);
    EXPECT_EQ(Down(SDLK_z, SDL_SCANCODE_W), 'Z');
    EXPECT_EQ(GameKeyForKeyRepeat(SDL_SCANCODE_W), 'Z');
}

TEST_F(Bindings, APadButtonDoesItsActionAlone) {
    TBindings b = DefaultBindings();
    b.buttons[kActJump] = SDL_CONTROLLER_BUTTON_B;
    b.buttons[kActPause] = SDL_CONTROLLER_BUTTON_Y;
    SetBindings(b);
    SetBindingsActive(true);
    EXPECT_EQ(PadKeysForButton(SDL_CONTROLLER_BUTTON_B).first, kKeyUp);
    EXPECT_EQ(PadKeysForButton(SDL_CONTROLLER_BUTTON_B).second, 0) << "no longer also a throw";
    EXPECT_EQ(PadKeysForButton(SDL_CONTROLLER_BUTTON_A).first, 0);
    EXPECT_EQ(PadKeysForButton(SDL_CONTROLLER_BUTTON_DPAD_UP).first, 0);
    EXPECT_EQ(PadKeysForButton(SDL_CONTROLLER_BUTTON_Y).first, 'P');
    EXPECT_EQ(PadKeysForButton(SDL_CONTROLLER_BUTTON_X).first, kKeyLControl);
    SetBindingsActive(false);
    EXPECT_EQ(PadKeysForButton(SDL_CONTROLLER_BUTTON_A).first, kKeyUp);  // menus: as always
}

TEST_F(Bindings, NamesAreLayoutFreeAndLeadBackToTheirKey) {
    for (int sc = 1; sc < SDL_NUM_SCANCODES; ++sc) {
        if (!BindableScancode(sc)) continue;
        EXPECT_EQ(ScancodeFromName(ScancodeName(sc)), sc) << sc;
    }
    EXPECT_EQ(ScancodeName(SDL_SCANCODE_LCTRL), "Left Ctrl");
    EXPECT_FALSE(BindableScancode(SDL_SCANCODE_F11));
    EXPECT_EQ(ScancodeFromName("No such key"), 0);
    for (int button = 0; button < SDL_CONTROLLER_BUTTON_MAX; ++button)
        EXPECT_EQ(PadButtonFromName(PadButtonName(button)), button);
    EXPECT_EQ(PadButtonFromName("none"), -1);
}

TEST_F(Bindings, ACaptureTakesOnePressAndOnlyWhenAsked) {
    EXPECT_FALSE(CaptureKeyDown(SDL_SCANCODE_W));
    CaptureNextInput(true);
    EXPECT_TRUE(CaptureKeyDown(SDL_SCANCODE_W));
    EXPECT_FALSE(CaptureKeyDown(SDL_SCANCODE_Q)) << "one press only";
    EXPECT_EQ(TakeCapturedKey(), SDL_SCANCODE_W);
    EXPECT_EQ(TakeCapturedKey(), 0);
    CaptureNextInput(true);
    EXPECT_TRUE(CaptureButtonDown(SDL_CONTROLLER_BUTTON_Y));
    EXPECT_EQ(TakeCapturedButton(), SDL_CONTROLLER_BUTTON_Y);
}

// Through a real window: the bound key's event, "press a key" taking one
// press whole, and a lost focus passed on only while it is to pause the game.
void Push(Uint32 type, SDL_Keycode key, SDL_Scancode sc) {
    SDL_Event e{};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = sc;
    SDL_PushEvent(&e);
}

class WindowBindings : public sqtest::GLRender {
protected:
    void TearDown() override {
        SetBindings(DefaultBindings());
        SetBindingsActive(false);
        CaptureNextInput(false);
        SetFocusLossPauses(true);
        ClearKeys();
    }
};

TEST_F(WindowBindings, TheWindowHandsOnTheBoundKeyTheCaptureAndTheFocus) {
    ClearKeys();
    TBindings b = DefaultBindings();
    b.keys[kActJump] = SDL_SCANCODE_W;
    SetBindings(b);
    SetBindingsActive(true);
    Push(SDL_KEYDOWN, SDLK_w, SDL_SCANCODE_W);
    sq::PresentFrame(0);
    EXPECT_EQ(IsKeyDown(kKeyUp), 1);
    EXPECT_EQ(IsKeyDown('W'), 0);
    Push(SDL_KEYUP, SDLK_w, SDL_SCANCODE_W);
    sq::PresentFrame(0);
    EXPECT_EQ(IsKeyDown(kKeyUp), 0);

    ClearKeys();
    CaptureNextInput(true);
    Push(SDL_KEYDOWN, SDLK_q, SDL_SCANCODE_Q);
    Push(SDL_KEYUP, SDLK_q, SDL_SCANCODE_Q);
    sq::PresentFrame(0);
    EXPECT_EQ(TakeCapturedKey(), SDL_SCANCODE_Q);
    EXPECT_EQ(FirstKeyHit(), 0) << "the taken key is no press of the game's";

    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    TakeFocusLost();
    SetFocusLossPauses(false);
    SDL_PushEvent(&focus);
    sq::PresentFrame(0);
    EXPECT_FALSE(TakeFocusLost()) << "the player asked to play on";
    SetFocusLossPauses(true);
    SDL_PushEvent(&focus);
    sq::PresentFrame(0);
    EXPECT_TRUE(TakeFocusLost());
}

}  // namespace
