#pragma once
// A game controller plugged in through SDL's virtual joysticks, with every
// axis and button a controller has, for the pad tests.
#include <SDL.h>

// The new joystick's device index, or -1 (SDL_GetError says why).
inline int AttachVirtualPad() {
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Virtual test pad";
    return SDL_JoystickAttachVirtualEx(&desc);
}
