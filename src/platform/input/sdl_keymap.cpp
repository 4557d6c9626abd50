#include "platform/input/sdl_keymap.h"

#include <SDL.h>

namespace sq {

namespace {

struct TKeyPair {
    SDL_Keycode sdl;
    int vk;
};

// Keys that are not letters or digits, as virtual keys number them.
constexpr TKeyPair kKeys[] = {
    {SDLK_BACKSPACE, 8},     {SDLK_TAB, 9},           {SDLK_CLEAR, 12},         {SDLK_RETURN, 13},
    {SDLK_RETURN2, 13},      {SDLK_KP_ENTER, 13},     {SDLK_LSHIFT, 160},       {SDLK_RSHIFT, 161},
    {SDLK_LCTRL, 162},       {SDLK_RCTRL, 163},       {SDLK_LALT, 18},          {SDLK_RALT, 18},
    {SDLK_PAUSE, 19},        {SDLK_CAPSLOCK, 20},     {SDLK_ESCAPE, 27},        {SDLK_SPACE, 32},
    {SDLK_PAGEUP, 33},       {SDLK_PAGEDOWN, 34},     {SDLK_END, 35},           {SDLK_HOME, 36},
    {SDLK_LEFT, 37},         {SDLK_UP, 38},           {SDLK_RIGHT, 39},         {SDLK_DOWN, 40},
    {SDLK_SELECT, 41},       {SDLK_PRINTSCREEN, 44},  {SDLK_INSERT, 45},        {SDLK_DELETE, 46},
    {SDLK_HELP, 47},         {SDLK_LGUI, 91},         {SDLK_RGUI, 92},          {SDLK_APPLICATION, 93},
    {SDLK_SLEEP, 95},        {SDLK_KP_MULTIPLY, 106}, {SDLK_KP_PLUS, 107},      {SDLK_KP_MINUS, 109},
    {SDLK_KP_PERIOD, 110},   {SDLK_KP_DECIMAL, 110},  {SDLK_KP_DIVIDE, 111},    {SDLK_F1, 112},
    {SDLK_F2, 113},          {SDLK_F3, 114},          {SDLK_F4, 115},           {SDLK_F5, 116},
    {SDLK_F6, 117},          {SDLK_F7, 118},          {SDLK_F8, 119},           {SDLK_F9, 120},
    {SDLK_F10, 121},         {SDLK_F11, 122},         {SDLK_F12, 123},          {SDLK_F13, 124},
    {SDLK_F14, 125},         {SDLK_F15, 126},         {SDLK_F16, 127},          {SDLK_NUMLOCKCLEAR, 144},
    {SDLK_SCROLLLOCK, 145},  {SDLK_SEMICOLON, 186},   {SDLK_EQUALS, 187},       {SDLK_COMMA, 188},
    {SDLK_MINUS, 189},       {SDLK_PERIOD, 190},      {SDLK_SLASH, 191},        {SDLK_BACKQUOTE, 192},
    {SDLK_LEFTBRACKET, 219}, {SDLK_BACKSLASH, 220},   {SDLK_RIGHTBRACKET, 221}, {SDLK_QUOTE, 222},
    {SDLK_AUDIOMUTE, 173},   {SDLK_VOLUMEDOWN, 174},  {SDLK_VOLUMEUP, 175},     {SDLK_AUDIONEXT, 176},
    {SDLK_AUDIOPREV, 177},   {SDLK_AUDIOSTOP, 178},   {SDLK_AUDIOPLAY, 179},
};

int KeypadDigit(SDL_Keycode key) {
    switch (key) {
        case SDLK_KP_0:
            return 96;
        case SDLK_KP_1:
            return 97;
        case SDLK_KP_2:
            return 98;
        case SDLK_KP_3:
            return 99;
        case SDLK_KP_4:
            return 100;
        case SDLK_KP_5:
            return 101;
        case SDLK_KP_6:
            return 102;
        case SDLK_KP_7:
            return 103;
        case SDLK_KP_8:
            return 104;
        case SDLK_KP_9:
            return 105;
        default:
            return 0;
    }
}

}  // namespace

int VirtualKeyFromSdl(int sdlKeycode, int sdlScancode) {
    SDL_Keycode key = sdlKeycode;
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (int vk = KeypadDigit(key)) return vk;
    for (const TKeyPair& pair : kKeys)
        if (pair.sdl == key) return pair.vk;
    // A layout whose keys carry other characters (Cyrillic, Greek...) still
    // has letter and digit keys: number them by their position.
    SDL_Scancode sc = SDL_Scancode(sdlScancode);
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return 'A' + (sc - SDL_SCANCODE_A);
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return '1' + (sc - SDL_SCANCODE_1);
    if (sc == SDL_SCANCODE_0) return '0';
    return 0;
}

}  // namespace sq
