// The two monsters. Both strips use 26 x 26 cells whose top-left 24 x 24 is
// the monster's collision box, feet on the cell's bottom row, so the figures
// are kept inside the box and the left-facing cells mirror inside it too.
#include <cmath>
#include <stdexcept>
#include <string>

#include "generator.h"
#include "sprites.h"

namespace gfx {

namespace {

constexpr int kCell = 26;
constexpr int kBox = 24;
constexpr float kPi = 3.14159265f;

// Shaded ball lit from the upper right: four tones of the given ramp.
void Ball(Canvas& c, float cx, float cy, float rx, float ry, const Rgba tones[4]) {
    for (int y = int(cy - ry) - 1; y <= int(cy + ry) + 1; ++y)
        for (int x = int(cx - rx) - 1; x <= int(cx + rx) + 1; ++x) {
            float nx = (x + 0.5f - cx) / rx, ny = (y + 0.5f - cy) / ry;
            float d2 = nx * nx + ny * ny;
            if (d2 > 1.0f) continue;
            float nz = std::sqrt(std::max(0.0f, 1.0f - d2));
            float light = nx * 0.45f - ny * 0.6f + nz * 0.66f;
            int tone = light > 0.72f ? 3 : light > 0.38f ? 2 : light > 0.05f ? 1 : 0;
            c.Set(x, y, tones[tone]);
        }
}

// --- Snowman ------------------------------------------------------------

struct HopPose {
    int lift;     // rows above the ground
    int squash;   // +1 squashed (landing), -1 stretched (take-off)
    float armUp;  // arm angle above horizontal, degrees
    float scarf;  // scarf tail angle: 0 hangs, positive flies up
};

HopPose Hop(int frame) {
    // Two hops per 12-frame cycle, each from a standing start (frame 0 is
    // also the tally icon) to a squashed landing; the second hop raises the
    // other arm higher.
    static const int kLift[6] = {0, 1, 2, 3, 2, 0};
    static const int kSquash[6] = {0, -1, 0, 0, 0, 1};
    static const float kScarf[6] = {10.0f, -25.0f, -25.0f, 10.0f, 45.0f, 20.0f};
    int f = frame % 6;
    HopPose p{};
    p.lift = kLift[f];
    p.squash = kSquash[f];
    // Arms droop on landing and fly up at the top of the hop.
    p.armUp = f == 5 ? -30.0f : float(kLift[f]) * 12.0f - 10.0f;
    p.scarf = kScarf[f];
    return p;
}

Canvas SnowmanRight(const Context& ctx, int frame) {
    HopPose p = Hop(frame);
    bool second = frame >= 6;
    Rgba ink = ctx.C("ink");
    const Rgba snow[4] = {ctx.C("snow1"), ctx.C("snow2"), ctx.C("snow3"), ctx.C("snow4")};
    Canvas cell(kCell, kCell);

    float ground = 25.5f - float(p.lift);  // bottom edge of the body ball
    float bodyRx = 6.5f + (p.squash > 0 ? 0.5f : p.squash < 0 ? -0.5f : 0.0f);
    float bodyRy = 5.5f - (p.squash > 0 ? 0.5f : p.squash < 0 ? -0.5f : 0.0f);
    float bx = 11.0f, by = ground - bodyRy;
    float hx = 12.0f, hy = by - bodyRy - 3.2f;

    // Far arm (behind the body), then the body, scarf tail, head, near arm.
    auto arm = [&](float sx, float sy, float deg, bool nearSide) {
        Canvas a(kCell, kCell);
        Rgba wood = nearSide ? ctx.C("brown2") : ctx.C("brown1");
        float r = deg * kPi / 180.0f;
        float dirX = nearSide ? 1.0f : -1.0f;
        float ex = sx + dirX * std::cos(r) * 4.5f, ey = sy - std::sin(r) * 4.5f;
        a.Line(int(sx), int(sy), int(std::lround(ex)), int(std::lround(ey)), wood);
        // Two twig fingers.
        int fx = int(std::lround(ex)), fy = int(std::lround(ey));
        a.Set(fx + int(dirX), fy - 1, wood);
        a.Set(fx, fy - 1, wood);
        a.Set(fx + int(dirX), fy + 1, wood);
        return a;
    };
    float farDeg = second ? p.armUp + 25.0f : p.armUp;
    float nearDeg = second ? p.armUp : p.armUp + 25.0f;
    DrawWithOutline(cell, arm(bx - bodyRx + 1.0f, by - 2.0f, farDeg, false), 0, 0, ink);

    Canvas body(kCell, kCell);
    Ball(body, bx, by, bodyRx, bodyRy, snow);
    // Coal buttons.
    body.Set(int(bx + 2), int(by - 2), ctx.C("black1"));
    body.Set(int(bx + 2), int(by + 1), ctx.C("black1"));
    DrawWithOutline(cell, body, 0, 0, ink);

    // Scarf tail streaming behind (left), angle follows the hop.
    {
        Canvas tail(kCell, kCell);
        float r = p.scarf * kPi / 180.0f;
        float sx = hx - 3.0f, sy = hy + 4.0f;
        for (int i = 0; i < 6; ++i) {
            float tx = sx - std::cos(r) * float(i), ty = sy - std::sin(r) * float(i) + float(i) * 0.35f;
            Rgba col = (i / 2) % 2 ? ctx.C("scarf2") : ctx.C("scarf1");
            tail.Set(int(std::lround(tx)), int(std::lround(ty)), col);
            tail.Set(int(std::lround(tx)), int(std::lround(ty)) + 1, Shade(col, 0.8f));
        }
        DrawWithOutline(cell, tail, 0, 0, ink);
    }

    Canvas head(kCell, kCell);
    Ball(head, hx, hy, 4.5f, 4.0f, snow);
    // Mischievous face looking right: slanted brows, coal eyes, crooked grin.
    Rgba coal = ctx.C("black0");
    int ex = int(hx), ey = int(hy - 1);
    head.Set(ex, ey, coal);
    head.Set(ex, ey + 1, coal);
    head.Set(ex + 3, ey, coal);
    head.Set(ex + 3, ey + 1, coal);
    head.Set(ex - 1, ey - 2, coal);
    head.Set(ex, ey - 1, coal);
    head.Set(ex + 3, ey - 1, coal);
    head.Set(ex + 4, ey - 2, coal);
    head.Set(ex - 1, ey + 3, coal);
    head.Set(ex, ey + 4, coal);
    head.Set(ex + 1, ey + 4, coal);
    head.Set(ex + 2, ey + 4, coal);
    head.Set(ex + 3, ey + 3, coal);
    DrawWithOutline(cell, head, 0, 0, ink);
    // Carrot nose pokes out of the outline to the right.
    {
        int nx = ex + 2, ny = ey + 2;
        cell.Set(nx, ny, ctx.C("carrot1"));
        cell.Set(nx + 1, ny, ctx.C("carrot1"));
        cell.Set(nx + 2, ny, ctx.C("carrot1"));
        cell.Set(nx + 3, ny, ctx.C("carrot2"));
        cell.Set(nx + 4, ny, ctx.C("carrot2"));
        cell.Set(nx + 1, ny + 1, ctx.C("carrot0"));
        cell.Set(nx + 2, ny + 1, ctx.C("carrot0"));
        cell.Set(nx + 5, ny, ink);
        cell.Set(nx + 3, ny + 1, ink);
        cell.Set(nx + 4, ny + 1, ink);
        cell.Set(nx + 3, ny - 1, ink);
        cell.Set(nx + 4, ny - 1, ink);
    }
    // Scarf knot round the neck.
    {
        Canvas scarf(kCell, kCell);
        int sy = int(hy + 3.5f);
        for (int x = int(hx) - 4; x <= int(hx) + 4; ++x) {
            bool stripe = ((x - int(hx)) & 2) != 0;
            scarf.Set(x, sy, stripe ? ctx.C("scarf2") : ctx.C("scarf1"));
            scarf.Set(x, sy + 1, stripe ? ctx.C("scarf1") : ctx.C("scarf0"));
        }
        DrawWithOutline(cell, scarf, 0, 0, ink);
    }
    // Battered top hat, tipped back.
    {
        Canvas hat(kCell, kCell);
        int top = int(hy - 4.0f) - 3, left = int(hx) - 3;
        hat.FillRect(left, top, 6, 3, ctx.C("black1"));
        hat.FillRect(left, top + 2, 6, 1, ctx.C("red2"));
        hat.FillRect(left - 2, top + 3, 10, 1, ctx.C("black0"));
        hat.Set(left + 4, top, ctx.C("black2"));
        hat.Set(left + 4, top + 1, ctx.C("black2"));
        // A sprig of holly on the band.
        hat.Set(left + 1, top + 2, ctx.C("green3"));
        hat.Set(left + 2, top + 2, ctx.C("red3"));
        DrawWithOutline(cell, hat, 0, 0, ink);
    }
    DrawWithOutline(cell, arm(bx + bodyRx - 1.0f, by - 2.0f, nearDeg, true), 0, 0, ink);
    return cell;
}

// --- Gremlin ------------------------------------------------------------

struct StepPose {
    float nearDx, nearLift, farDx, farLift;
    int bob;
    float nearArm, farArm;
};

StepPose Step(int frame) {
    auto foot = [](float u, float& dx, float& lift) {
        u -= std::floor(u);
        if (u < 0.5f) {
            dx = 3.0f - 12.0f * u;
            lift = 0;
        } else {
            float s = (u - 0.5f) * 2.0f;
            dx = -3.0f + 6.0f * s;
            lift = 2.5f * std::sin(kPi * s);
        }
    };
    StepPose p{};
    float u = float(frame) / 8.0f;
    foot(u, p.nearDx, p.nearLift);
    foot(u + 0.5f, p.farDx, p.farLift);
    static const int kBob[8] = {0, 1, 0, -1, 0, 1, 0, -1};
    p.bob = kBob[frame % 8];
    p.nearArm = -p.nearDx * 12.0f;
    p.farArm = -p.farDx * 12.0f;
    return p;
}

Canvas GremlinRight(const Context& ctx, int frame) {
    StepPose p = Step(frame);
    Rgba ink = ctx.C("ink");
    Canvas cell(kCell, kCell);
    auto leg = [&](float hipX, float dx, float lift, bool nearSide) {
        Canvas l(kCell, kCell);
        Rgba skin = nearSide ? ctx.C("green3") : ctx.C("green2");
        float fx = hipX + dx;
        int sole = 25 - int(std::lround(lift));
        l.ThickLine(hipX, 20.0f + p.bob, fx, float(sole - 1), 2.4f, skin);
        // Big splayed foot with claws forward.
        int x0 = int(std::lround(fx)) - 2;
        l.FillRect(x0, sole - 1, 5, 2, skin);
        l.Set(x0 + 5, sole, ctx.C("tooth"));
        l.Set(x0 + 3, sole, nearSide ? ctx.C("green2") : ctx.C("green1"));
        return l;
    };
    auto arm = [&](float sx, float sy, float deg, bool nearSide) {
        Canvas a(kCell, kCell);
        Rgba skin = nearSide ? ctx.C("green3") : ctx.C("green2");
        float r = deg * kPi / 180.0f;
        float ex = sx + std::sin(r) * 5.0f, ey = sy + std::cos(r) * 5.0f;
        a.ThickLine(sx, sy, ex, ey, 2.2f, skin);
        int hx = int(std::lround(ex)), hy = int(std::lround(ey));
        a.Set(hx + 1, hy + 1, ctx.C("tooth"));
        a.Set(hx - 1, hy + 1, ctx.C("tooth"));
        return a;
    };
    DrawWithOutline(cell, arm(7.5f, 17.5f + p.bob, p.farArm, false), 0, 0, ink);
    DrawWithOutline(cell, leg(10.0f, p.farDx, p.farLift, false), 0, 0, ink);
    DrawWithOutline(cell, leg(13.5f, p.nearDx, p.nearLift, true), 0, 0, ink);
    // Pot-bellied body.
    {
        Canvas body(kCell, kCell);
        const Rgba tones[4] = {ctx.C("green1"), ctx.C("green2"), ctx.C("green3"), ctx.C("green4")};
        Ball(body, 11.5f, 18.0f + p.bob, 5.0f, 4.0f, tones);
        body.FillEllipse(13.0f, 18.8f + p.bob, 2.4f, 2.6f, ctx.C("grem_belly"));
        DrawWithOutline(cell, body, 0, 0, ink);
    }
    DrawWithOutline(cell, ctx.art["gremlin_head"], 0, 1 + p.bob, ink);
    DrawWithOutline(cell, arm(15.5f, 18.0f + p.bob, p.nearArm, true), 0, 0, ink);
    return cell;
}

// The game mirrors nothing itself: a figure drawn past the box would be cut
// differently in the two directions, so the generator refuses it.
void CheckInBox(const Canvas& cell, const char* what, int frame) {
    for (int y = 0; y < kCell; ++y)
        for (int x = kBox; x < kCell; ++x)
            if (cell.Get(x, y).a)
                throw std::runtime_error(std::string(what) + " frame " + std::to_string(frame) +
                                         " reaches past the 24-pixel box");
}

// Mirrors a figure inside the collision box, keeping the two spare columns on
// the right of the cell.
Canvas MirrorInBox(const Canvas& right) {
    Canvas out(kCell, kCell);
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kBox; ++x) out.At(kBox - 1 - x, y) = right.Get(x, y);
    return out;
}

}  // namespace

Canvas SnowmanStrip(const Context& ctx) {
    Canvas strip(24 * kCell, kCell);
    for (int f = 0; f < 12; ++f) {
        Canvas right = SnowmanRight(ctx, f);
        CheckInBox(right, "snowman", f);
        strip.Put(right, f * kCell, 0);
        strip.Put(MirrorInBox(right), (12 + f) * kCell, 0);
    }
    return strip;
}

Canvas GremlinStrip(const Context& ctx) {
    Canvas strip(16 * kCell, kCell);
    for (int f = 0; f < 8; ++f) {
        Canvas right = GremlinRight(ctx, f);
        CheckInBox(right, "gremlin", f);
        strip.Put(right, f * kCell, 0);
        strip.Put(MirrorInBox(right), (8 + f) * kCell, 0);
    }
    return strip;
}

}  // namespace gfx
