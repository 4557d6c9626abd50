#include "player_model.h"

#include <cmath>

namespace levels {

TStepProbe StepPlayerModel(const TSolidQuery& map, TMoverState& s, unsigned keys) {
    constexpr int W = 28, H = 28;
    constexpr float kAccel = 0.005f, kLimit = 0.4f, kGravity = 0.03f, kJump = -1.65f;
    auto solid = [&](int layer, float a, float b) { return map.Solid(layer, int(a), int(b)); };
    TStepProbe probe;
    if (s.x < 0 || s.x > float(map.PixelWidth() - (W - 6))) {
        s.vx = -s.vx;
        s.x = s.prevX;
    }
    s.prevX = s.x;
    s.prevY = s.y;
    bool walking = false;
    if ((keys & kKeyUp) && s.jumping == 0) {
        s.vy = kJump;
        s.jumping = 1;
    }
    if (keys & kKeyRight) {
        if (s.vx <= kLimit) s.vx += kAccel;
        walking = true;
    } else if (keys & kKeyLeft) {
        if (s.vx >= -kLimit) s.vx -= kAccel;
        walking = true;
    }
    if (!walking) {
        if (s.vx > 0)
            s.vx -= kAccel;
        else if (s.vx < 0)
            s.vx += kAccel;
        if (std::fabs(s.vx) < kAccel) s.vx = 0;
    }
    s.x += s.vx;
    s.y += s.vy;
    if (solid(0, s.x + W / 2, s.y + H)) {
        s.vy = 0;
        s.y = s.prevY;
        s.jumping = 0;
    } else {
        s.vy += kGravity;
    }
    if (s.vx != 0) {
        float px = s.vx > 0 ? s.x + W - 4 : s.x + 4;
        if (solid(0, px, s.y + H)) {
            s.x = s.prevX;
            s.vx = -s.vx;
        }
    }
    if (s.y + 6 > 0 && s.vy < 0 && solid(0, s.x + W / 2, s.y + 6)) s.vy = 0;
    float fx = s.x + W / 2, fy = s.y + H;
    if (solid(1, fx, fy)) {
        probe.giftColumn = int(fx) / 16;
        probe.giftRow = int(fy) / 16;
    }
    probe.onExit = solid(2, fx, fy);
    return probe;
}

}  // namespace levels
