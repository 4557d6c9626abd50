// Santa's walk strip: 8 frames facing left (cells 0-7) and 8 facing right
// (cells 8-15). The left walk rests on cell 0 and the right walk on cell 11,
// so those two cells are the standing pose; the other cells are the walk.
#include <array>
#include <cmath>

#include "generator.h"
#include "sprites.h"

namespace gfx {

namespace {

constexpr int kCell = 28;
constexpr float kPi = 3.14159265f;

// Walk phase 0 is the standing pose; 1..7 complete the stride. Returns for
// each leg the foot's x offset from its hip and how far it is lifted.
struct FootPose {
    float dx, lift;
};

FootPose Foot(float u) {  // u: 0 = heel strike in front, 0.5 = toe-off behind
    u -= std::floor(u);
    if (u < 0.5f) return {3.5f - 14.0f * u, 0.0f};
    float s = (u - 0.5f) * 2.0f;
    return {-3.5f + 7.0f * s, 2.4f * std::sin(kPi * s)};
}

struct Pose {
    FootPose nearFoot, farFoot;
    int bob;        // body offset in rows (negative: up)
    float nearArm;  // arm angle in degrees, positive swings forward
    float farArm;
};

Pose WalkPose(int phase) {
    static const int kBob[8] = {0, -1, 0, 1, 0, -1, 0, 1};
    Pose p{};
    if (phase == 0) {
        p.nearFoot = {1.0f, 0};
        p.farFoot = {-1.0f, 0};
        p.bob = 0;
        p.nearArm = 4;
        p.farArm = -4;
        return p;
    }
    float u = (float(phase) + 2.0f) / 8.0f;
    p.nearFoot = Foot(u);
    p.farFoot = Foot(u + 0.5f);
    p.bob = kBob[phase];
    // Arms swing against the leg on their own side.
    p.nearArm = -p.nearFoot.dx * 9.0f;
    p.farArm = -p.farFoot.dx * 9.0f;
    return p;
}

Canvas Leg(const Context& ctx, float hipX, float hipY, FootPose foot, bool nearSide) {
    Canvas c(kCell, kCell);
    Rgba cloth = nearSide ? ctx.C("red2") : ctx.C("red1");
    Rgba clothShade = nearSide ? ctx.C("red1") : ctx.C("red0");
    Rgba boot = nearSide ? ctx.C("black1") : ctx.C("black0");
    Rgba bootHi = nearSide ? ctx.C("black2") : ctx.C("black1");
    float footX = hipX + foot.dx;
    int sole = 27 - int(std::lround(foot.lift));
    // Trouser leg down to the boot top.
    c.ThickLine(hipX, hipY, footX, float(sole - 2), 3.6f, cloth);
    c.Set(int(std::floor(hipX)) - 1, int(hipY) + 1, clothShade);
    // Boot: heel under the leg, toe pointing forward (right).
    int bx = int(std::lround(footX)) - 2;
    c.FillRect(bx, sole - 2, 5, 3, boot);
    c.Set(bx + 5, sole - 1, boot);
    c.Set(bx + 5, sole, boot);
    c.Set(bx + 1, sole - 2, bootHi);
    c.Set(bx + 2, sole - 2, bootHi);
    // White fur cuff on the boot top.
    c.Set(bx, sole - 3, ctx.C(nearSide ? "snow3" : "snow2"));
    c.Set(bx + 1, sole - 3, ctx.C(nearSide ? "snow4" : "snow2"));
    c.Set(bx + 2, sole - 3, ctx.C(nearSide ? "snow4" : "snow2"));
    c.Set(bx + 3, sole - 3, ctx.C(nearSide ? "snow3" : "snow1"));
    return c;
}

Canvas Arm(const Context& ctx, float sx, float sy, float degrees, bool nearSide) {
    Canvas c(kCell, kCell);
    float a = degrees * kPi / 180.0f;
    float len = 5.0f;
    float hx = sx + std::sin(a) * len, hy = sy + std::cos(a) * len;
    Rgba sleeve = nearSide ? ctx.C("red2") : ctx.C("red1");
    c.ThickLine(sx, sy, hx, hy, 3.4f, sleeve);
    if (nearSide) c.Set(int(sx), int(sy), ctx.C("red3"));
    // Fur cuff then the mitten.
    float cx = sx + std::sin(a) * (len + 0.8f), cy = sy + std::cos(a) * (len + 0.8f);
    c.FillCircle(cx, cy, 1.6f, nearSide ? ctx.C("snow4") : ctx.C("snow2"));
    float mx = sx + std::sin(a) * (len + 2.4f), my = sy + std::cos(a) * (len + 2.4f);
    c.FillCircle(mx, my, 1.5f, nearSide ? ctx.C("black1") : ctx.C("black0"));
    return c;
}

}  // namespace

Canvas SantaRight(const Context& ctx, int phase) {
    Pose p = WalkPose(phase);
    Rgba ink = ctx.C("ink");
    Canvas cell(kCell, kCell);
    const float hipY = 20.5f + float(p.bob);
    DrawWithOutline(cell, Arm(ctx, 11.5f, 14.5f + p.bob, p.farArm, false), 0, 0, ink);
    DrawWithOutline(cell, Leg(ctx, 12.5f, hipY, p.farFoot, false), 0, 0, ink);
    DrawWithOutline(cell, Leg(ctx, 16.0f, hipY, p.nearFoot, true), 0, 0, ink);
    DrawWithOutline(cell, ctx.art["santa_body"], 0, p.bob, ink);
    DrawWithOutline(cell, Arm(ctx, 15.5f, 14.5f + p.bob, p.nearArm, true), 0, 0, ink);
    // The beard hangs over the near arm.
    cell.Put(ctx.art["santa_beard"], 0, p.bob);
    return cell;
}

Canvas SantaStrip(const Context& ctx) {
    Canvas strip(16 * kCell, kCell);
    for (int phase = 0; phase < 8; ++phase) {
        // Left walk: cell i shows phase i, mirrored.
        strip.Put(SantaRight(ctx, phase).FlipX(), phase * kCell, 0);
        // Right walk: cell 8 + j shows phase (j - 3) mod 8, so cell 11 stands.
        int j = (phase + 3) % 8;
        strip.Put(SantaRight(ctx, phase), (8 + j) * kCell, 0);
    }
    return strip;
}

}  // namespace gfx
