// A virtual gamepad (no hardware needed) drives the key tables through the
// real SDL game-controller layer.
#include "platform/input/gamepad.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/input/keyboard.h"
#include "virtual_pad.h"

using namespace sq;

namespace {

class GamepadTest : public ::testing::Test {
protected:
    void SetUp() override {
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
        ASSERT_TRUE(StartGamepads()) << SDL_GetError();
        SetEventPump(nullptr);
        ClearKeys();
    }
    void TearDown() override {
        StopGamepads();
        Unplug();
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
        ClearKeys();
    }

    void Plug() {
        index = AttachVirtualPad();
        ASSERT_GE(index, 0) << SDL_GetError();
        joystick = SDL_JoystickOpen(index);
        ASSERT_NE(joystick, nullptr) << SDL_GetError();
        Pump();
    }
    void Unplug() {
        if (!joystick) return;
        SDL_JoystickClose(joystick);
        joystick = nullptr;
        SDL_JoystickDetachVirtual(index);
        Pump();
    }
    // What the display's event pump does with controller events.
    void Pump() {
        SDL_Event e;
        SDL_PumpEvents();
        while (SDL_PollEvent(&e)) HandleGamepadEvent(e);
    }
    void Button(SDL_GameControllerButton b, bool down) {
        SDL_JoystickSetVirtualButton(joystick, b, down ? 1 : 0);
        Pump();
    }
    void Stick(int value) {
        SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, Sint16(value));
        Pump();
    }

    SDL_Joystick* joystick = nullptr;
    int index = -1;
};

TEST_F(GamepadTest, ButtonsHoldTheKeysTheyStandFor) {
    Plug();
    ASSERT_EQ(OpenGamepadCount(), 1);
    const struct {
        SDL_GameControllerButton button;
        int key;
    } cases[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, kKeyLeft}, {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, kKeyRight},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, kKeyUp},     {SDL_CONTROLLER_BUTTON_DPAD_DOWN, kKeyDown},
        {SDL_CONTROLLER_BUTTON_A, kKeyUp},           {SDL_CONTROLLER_BUTTON_X, kKeyLControl},
        {SDL_CONTROLLER_BUTTON_B, kKeyLControl},     {SDL_CONTROLLER_BUTTON_BACK, kKeyEscape},
        {SDL_CONTROLLER_BUTTON_START, kKeyEnter},    {SDL_CONTROLLER_BUTTON_START, kKeySpace},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(SDL_GameControllerGetStringForButton(c.button));
        ClearKeys();
        Button(c.button, true);
        EXPECT_EQ(IsKeyDown(c.key), 1);
        EXPECT_EQ(KeyHitCount(c.key), 1);
        Button(c.button, false);
        EXPECT_EQ(IsKeyDown(c.key), 0);
    }
    // Buttons the game has no use for press nothing.
    ClearKeys();
    Button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true);
    EXPECT_EQ(FirstKeyHit(), 0);
}

TEST_F(GamepadTest, StickWalksAndLetsGoOnlyNearTheMiddle) {
    Plug();
    Stick(-20000);
    EXPECT_EQ(IsKeyDown(kKeyLeft), 1);
    Stick(-14000);  // between the release and press points: still leaning
    EXPECT_EQ(IsKeyDown(kKeyLeft), 1);
    Stick(-5000);
    EXPECT_EQ(IsKeyDown(kKeyLeft), 0);
    Stick(14000);  // not yet far enough to press
    EXPECT_EQ(IsKeyDown(kKeyRight), 0);
    Stick(32767);
    EXPECT_EQ(IsKeyDown(kKeyRight), 1);
    Stick(-32768);  // straight across: one direction lets go as the other presses
    EXPECT_EQ(IsKeyDown(kKeyRight), 0);
    EXPECT_EQ(IsKeyDown(kKeyLeft), 1);
}

TEST_F(GamepadTest, KeyHeldTwiceIsReleasedByTheLastOnly) {
    Plug();
    Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    Stick(-30000);
    EXPECT_EQ(KeyHitCount(kKeyLeft), 1);  // one press, not two
    Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    EXPECT_EQ(IsKeyDown(kKeyLeft), 1);
    Stick(0);
    EXPECT_EQ(IsKeyDown(kKeyLeft), 0);
    // The south button and the d-pad both stand for Up.
    Button(SDL_CONTROLLER_BUTTON_A, true);
    Button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    Button(SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_EQ(IsKeyDown(kKeyUp), 1);
}

TEST_F(GamepadTest, UnplugReleasesHeldKeysAndAPadPluggedLaterWorks) {
    EXPECT_EQ(OpenGamepadCount(), 0);
    Plug();
    Button(SDL_CONTROLLER_BUTTON_A, true);
    Stick(30000);
    ASSERT_EQ(IsKeyDown(kKeyUp), 1);
    ASSERT_EQ(IsKeyDown(kKeyRight), 1);  // seen while held, so no tap is left over
    Unplug();
    EXPECT_EQ(OpenGamepadCount(), 0);
    EXPECT_EQ(IsKeyDown(kKeyUp), 0);
    EXPECT_EQ(IsKeyDown(kKeyRight), 0);
    Plug();
    EXPECT_EQ(OpenGamepadCount(), 1);
    Button(SDL_CONTROLLER_BUTTON_X, true);
    EXPECT_EQ(IsKeyDown(kKeyLControl), 1);
}

}  // namespace
