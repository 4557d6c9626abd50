// A new record's name spelled on a virtual gamepad (no hardware needed)
// through SDL's real game-controller layer, and kept in the table.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "../screens/screen_fixture.h"
#include "core/globals.h"
#include "core/settings_file.h"
#include "game/game_score.h"
#include "platform/input/gamepad.h"
#include "platform/input/keyboard.h"
#include "scores/hi_score.h"
#include "screens/end_screens.h"
#include "virtual_pad.h"

using namespace sq;

namespace {

class PadNameTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
        ASSERT_TRUE(StartGamepads()) << SDL_GetError();
        index = AttachVirtualPad();
        ASSERT_GE(index, 0) << SDL_GetError();
        joystick = SDL_JoystickOpen(index);
        ASSERT_NE(joystick, nullptr) << SDL_GetError();
        PumpPad();
        ASSERT_EQ(OpenGamepadCount(), 1);
    }
    void TearDown() override {
        StopGamepads();
        if (joystick) SDL_JoystickClose(joystick);
        SDL_JoystickDetachVirtual(index);
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
        ScreenTest::TearDown();
    }
    // What the window's event pump does with controller events.
    static void PumpPad() {
        SDL_Event e;
        SDL_PumpEvents();
        while (SDL_PollEvent(&e)) HandleGamepadEvent(e);
    }

    SDL_Joystick* joystick = nullptr;
    int index = -1;
};

TEST_F(PadNameTest, ANameSpelledOnTheWheelIsSavedInTheTable) {
    // South (the first letter, A), Up (B), south (a second B), Down (A),
    // Start: "BA". Each button is held for a while and let go.
    const std::vector<SDL_GameControllerButton> presses = {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_DPAD_UP,
                                                           SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_DPAD_DOWN,
                                                           SDL_CONTROLLER_BUTTON_START};
    long n = 0;
    pump = [&] {
        // A button every 40 polls, after the first 40: down for 20, then up.
        const long at = n / 40 - 1, phase = n % 40;
        ++n;
        if (at >= 0 && std::size_t(at) < presses.size() && (phase == 0 || phase == 20))
            SDL_JoystickSetVirtualButton(joystick, presses[std::size_t(at)], phase == 0 ? 1 : 0);
        PumpPad();
    };
    gameScore->total = 50000;
    currentLevel = 3;
    auto table = std::make_shared<THiScore>();
    CheckHighScore(*table);
    auto saved = std::make_shared<THiScore>();
    saved->entries = DefaultHiScoreTable();
    saved->Load();
    EXPECT_EQ(saved->entries->ValueAt(0)->score, 50000);
    EXPECT_EQ(saved->entries->ValueAt(0)->name, "BA          ");
    EXPECT_EQ(Settings().lastName, "BA") << "offered again next time";
    // The pad's south button jumps again once the entry is over.
    pump = nullptr;
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 1);
    PumpPad();
    EXPECT_EQ(IsKeyDown(kKeyUp), 1);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 0);
    PumpPad();
}

}  // namespace
