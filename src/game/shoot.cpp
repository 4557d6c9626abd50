#include "game/shoot.h"

#include "core/globals.h"
#include "core/timed_speed.h"
#include "game/enemy.h"
#include "game/live_bar.h"
#include "platform/system/runtime_error.h"
#include "platform/video/graphics.h"

using namespace sq;

namespace {
constexpr float kThrowSpeed = 2.0f;
constexpr float kGiftGravity = 0.015f;
constexpr float kSpinPerStep = 4.0f;
constexpr float kHitWindow = 4.0f;  // wider than a step's travel, so no monster is flown through
constexpr float kDropBelow = 8.0f;
}  // namespace

void CShoot::NewGiftChannel() { channel = NewChannel(); }

void CShoot::ReleaseGiftChannel() {
    if (channel) HaltChannel(channel);
    channel.reset();
}

int CShoot::Throw(float fromX, float fromY, int facing) {
    RequireObject(liveBar, "liveBar");
    if (liveBar->giftCount <= 0 || fallSpeed != 0) return 0;
    speed = kThrowSpeed;
    fallSpeed = 0;
    x = fromX;
    y = fromY;
    inFlight = 1;
    direction = facing ? -1.0f : 1.0f;
    liveBar->giftCount -= 1;
    return 1;
}

void CShoot::Draw(float scrollX, float scrollY, int throwerHalfWidth) {
    if (!inFlight) return;
    SetDrawRotation(float(angle));
    DrawImageAt(imgPacco, x - scrollX + float(throwerHalfWidth), y - scrollY, 0);
    SetDrawRotation(0);
}

void CShoot::Update(TList<EnemyInfo>& enemyList, float scrollX, float scrollY) {
    if (!inFlight) return;
    angle = int(float(angle) + kSpinPerStep * tickDelta);
    x += speed * tickDelta * direction;
    y += fallSpeed * tickDelta;
    fallSpeed += kGiftGravity * tickDelta;
    // Only the bottom and right edges end a flight: a gift thrown left flies
    // on until it has fallen out of the view.
    if (y > scrollY + 240 || x > scrollX + 320) {
        speed = 0;
        fallSpeed = 0;
        inFlight = 0;
        angle = 0;
        return;
    }
    for (const auto& ep : enemyList) {
        EnemyInfo& e = *ep;
        if (e.hitPoints <= 0) continue;
        const float ex = e.sprite->x, ey = e.sprite->y, eh = float(e.sprite->frameHeight);
        if (!(ex < x && x < ex + kHitWindow && ey < y && y < ey + eh)) continue;
        // The gift loses its horizontal speed and drops; it stays in flight
        // and may hit another monster below.
        if (e.hitPoints == 1) {
            speed = 0;
            e.hitPoints = 0;
            if (e.kind == 1)
                PlaySoundOn(sndMorto, channel);
            else if (e.kind == 2)
                PlaySoundOn(sndHoho, channel);
        } else {
            e.hitPoints -= 1;
            speed = 0;
            y = ey + eh + kDropBelow;
            PlaySoundOn(sndRide, channel);
        }
        break;
    }
}
