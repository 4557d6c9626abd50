#pragma once
// A stand-alone copy of the player's walking, jumping and map probes, used to
// try level layouts before a map file (or the game library) exists. The
// checker proper drives the game's own player through the level simulation;
// the tests compare the two.
#include "solid_query.h"

namespace levels {

// Keys, the same bits the level simulation takes.
enum TKeyBits : unsigned { kKeyLeft = 1, kKeyRight = 2, kKeyUp = 4, kKeyFire = 8 };

struct TMoverState {
    float x = 0, y = 0, prevX = 0, prevY = 0, vx = 0, vy = 0;
    int jumping = 0;
    // Carried along for the game's player; the model itself ignores them.
    float scrollX = 0, scrollY = 0;
    int facing = 0, walking = 0;
};

// What one step found under the player's feet.
struct TStepProbe {
    int giftColumn = -1, giftRow = -1;  // a gift block touched by the feet, if any
    bool onExit = false;
};

TStepProbe StepPlayerModel(const TSolidQuery& map, TMoverState& s, unsigned keys);

}  // namespace levels
