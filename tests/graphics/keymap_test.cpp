// SDL keys to the game's key codes.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/input/sdl_keymap.h"

namespace {

using sq::VirtualKeyFromSdl;

int Vk(SDL_Keycode key) { return VirtualKeyFromSdl(key, SDL_SCANCODE_UNKNOWN); }

TEST(SdlKeymap, KeysTheGameReads) {
    EXPECT_EQ(Vk(SDLK_BACKSPACE), 8);
    EXPECT_EQ(Vk(SDLK_RETURN), 13);
    EXPECT_EQ(Vk(SDLK_KP_ENTER), 13);
    EXPECT_EQ(Vk(SDLK_ESCAPE), 27);
    EXPECT_EQ(Vk(SDLK_SPACE), 32);
    EXPECT_EQ(Vk(SDLK_LEFT), 37);
    EXPECT_EQ(Vk(SDLK_UP), 38);
    EXPECT_EQ(Vk(SDLK_RIGHT), 39);
    EXPECT_EQ(Vk(SDLK_DOWN), 40);
    EXPECT_EQ(Vk(SDLK_LCTRL), 162);
    EXPECT_EQ(Vk(SDLK_RCTRL), 163);
    EXPECT_EQ(Vk(SDLK_LSHIFT), 160);
    EXPECT_EQ(Vk(SDLK_RSHIFT), 161);
}

TEST(SdlKeymap, LettersDigitsAndFunctionKeys) {
    for (int i = 0; i < 26; ++i) EXPECT_EQ(Vk(SDLK_a + i), 'A' + i);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Vk(SDLK_0 + i), '0' + i);
    EXPECT_EQ(Vk(SDLK_KP_0), 96);
    EXPECT_EQ(Vk(SDLK_KP_1), 97);  // the name entry turns this into "a"
    EXPECT_EQ(Vk(SDLK_KP_9), 105);
    EXPECT_EQ(Vk(SDLK_F1), 112);
    EXPECT_EQ(Vk(SDLK_F10), 121);
    EXPECT_EQ(Vk(SDLK_F12), 123);
}

TEST(SdlKeymap, PunctuationAndEditingKeys) {
    const std::pair<SDL_Keycode, int> keys[] = {
        {SDLK_TAB, 9},         {SDLK_PAUSE, 19},        {SDLK_CAPSLOCK, 20},   {SDLK_PAGEUP, 33},
        {SDLK_PAGEDOWN, 34},   {SDLK_END, 35},          {SDLK_HOME, 36},       {SDLK_INSERT, 45},
        {SDLK_DELETE, 46},     {SDLK_KP_MULTIPLY, 106}, {SDLK_KP_PLUS, 107},   {SDLK_KP_MINUS, 109},
        {SDLK_KP_PERIOD, 110}, {SDLK_KP_DIVIDE, 111},   {SDLK_SEMICOLON, 186}, {SDLK_EQUALS, 187},
        {SDLK_COMMA, 188},     {SDLK_MINUS, 189},       {SDLK_PERIOD, 190},    {SDLK_SLASH, 191},
        {SDLK_BACKQUOTE, 192}, {SDLK_LEFTBRACKET, 219}, {SDLK_BACKSLASH, 220}, {SDLK_RIGHTBRACKET, 221},
        {SDLK_QUOTE, 222},     {SDLK_LALT, 18},
    };
    for (auto [key, vk] : keys) EXPECT_EQ(Vk(key), vk) << SDL_GetKeyName(key);
}

TEST(SdlKeymap, NonLatinLayoutsFallBackToKeyPosition) {
    // A Cyrillic layout reports the letter it types; the key is still "Q".
    EXPECT_EQ(VirtualKeyFromSdl(0x0439, SDL_SCANCODE_Q), 'Q');
    EXPECT_EQ(VirtualKeyFromSdl(0x0439, SDL_SCANCODE_1), '1');
    EXPECT_EQ(VirtualKeyFromSdl(0x0439, SDL_SCANCODE_0), '0');
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN), 0);
}

}  // namespace
