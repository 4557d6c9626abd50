#include "game/player.h"

#include <cmath>

#include "core/globals.h"
#include "core/timed_speed.h"
#include "core/trace.h"
#include "game/live_bar.h"
#include "game/shoot.h"
#include "map/fmp_map.h"
#include "platform/input/keyboard.h"
#include "platform/system/random.h"
#include "platform/system/runtime_error.h"

using namespace sq;
using namespace player_tuning;

void CPlayer::SetupForMap() {
    RequireObject(levelMap, "levelMap");
    mapPixelWidth = levelMap->mapWidth * levelMap->blockWidth;
    mapPixelHeight = levelMap->mapHeight * levelMap->blockHeight;
    scrollX = scrollY = 0;
}

void CPlayer::Create() {
    playerDying = 0;
    sprite = std::make_shared<CEasySprite>();
    footstepChannel = NewChannel();
    bumpChannel = NewChannel();
    jumpChannel = NewChannel();
    throwChannel = NewChannel();
    sprite->Init(imgBnatale4, kFrameSize, kFrameSize);
    walkRightAnim = sprite->AddAnim(8, 8, 3, 15);
    walkLeftAnim = sprite->AddAnim(0, 8, 0, 15);
    // Two more runs of the strip are registered after the walks, so the walks
    // keep ids 0 and 1; nothing selects them.
    sprite->AddAnim(3, 1, 1, 15);
    sprite->AddAnim(12, 2, 1, 15);
    sprite->SetAnim(walkRightAnim);
    sprite->Stop();  // standing, facing right
    sprite->maxVx = kWalkLimit;
    sprite->minVx = -kWalkLimit;
    sprite->maxVy = -kJumpSpeed;
    sprite->jumpSpeed = kJumpSpeed;
    sprite->vx = 0;
    sprite->vy = 0;
    jumpChannel->SetGain(kJumpGain);
    bumpChannel->SetGain(kBumpGain);
}

int CPlayer::Update() {
    CEasySprite& s = *sprite;
    FmpMap& map = *levelMap;
    const int w = s.frameWidth, h = s.frameHeight, halfW = w / 2;
    auto solid = [&map](float a, float b) { return map.IsSolidAt(int(a), int(b)) != 0; };

    // The camera centres on the player; above the map's top it stops following vertically.
    scrollX = x + halfW - kCameraOffsetX;
    if (y > 0) scrollY = y + h - kCameraOffsetY;

    // The map's sides bounce the player back to where it stood.
    if (x < 0 || x > mapPixelWidth - (w - kRightEdgeAllowance)) {
        s.vx = -s.vx;
        x = prevX;
    }

    // The camera never shows outside the map.
    if (scrollX > mapPixelWidth - kViewWidth) scrollX = mapPixelWidth - kViewWidth;
    if (scrollY > mapPixelHeight - kViewHeight) scrollY = mapPixelHeight - kViewHeight;
    if (scrollX <= 0) scrollX = 0;
    if (scrollY <= 0) scrollY = 0;

    // Where the player stood before this step; walls and floors put it back there.
    prevX = x;
    prevY = y;
    walking = 0;

    // Jump.
    if (IsKeyDown(kKeyUp) && !jumping) {
        s.vy = s.jumpSpeed;
        jumping = 1;
        PlaySoundOn(sndJump2, jumpChannel);
        TraceState("jump");  // a script driving the game sees its jump key work
    }

    // Walk; Right wins over Left. The limit is tested before the step, so
    // the speed may pass it by one step.
    if (IsKeyDown(kKeyRight)) {
        if (s.vx <= kWalkLimit) s.vx += kWalkAccel * tickDelta;
        s.SetAnim(walkRightAnim);
        s.Resume();
        facing = 0;
        walking = 1;
    } else if (IsKeyDown(kKeyLeft)) {
        if (s.vx >= -kWalkLimit) s.vx -= kWalkAccel * tickDelta;
        s.SetAnim(walkLeftAnim);
        s.Resume();
        facing = 1;
        walking = 1;
    }

    // Throw.
    if (IsKeyDown(kKeyLControl) && gifts && !gifts->inFlight && gifts->Throw(x, y, facing)) {
        if (!IsChannelBusy(throwChannel)) PlaySoundOn(sndLancio, throwChannel);
    }

    // Friction while no walk key is honoured; a crawl stops dead on the rest frame.
    if (!walking) {
        if (s.vx > 0)
            s.vx -= kWalkAccel * tickDelta;
        else if (s.vx < 0)
            s.vx += kWalkAccel * tickDelta;
        if (std::fabs(s.vx) < kWalkAccel * tickDelta) {
            s.vx = 0;
            s.Stop();
        }
    }

    // Move.
    x += s.vx * tickDelta;
    y += s.vy * tickDelta;

    // Floor: standing on ground puts the feet back and stops the fall.
    map.currentLayer = 0;
    if (solid(x + halfW, y + h)) {
        s.vy = 0;
        y = prevY;
        jumping = 0;
    } else {
        s.vy += kGravity * tickDelta;
    }

    // Walls at the feet: the player rebounds with the speed it had.
    bool wall = false;
    if (s.vx > 0)
        wall = solid(x + w - kWallInset, y + h);
    else if (s.vx < 0)
        wall = solid(x + kWallInset, y + h);
    if (wall) {
        x = prevX;
        s.vx = -s.vx;
        if (!IsChannelBusy(bumpChannel)) PlaySoundOn(sndCaduta, bumpChannel);
    }

    // Head: a ceiling ends the rise at once (the jump stays spent until landing).
    if (y + kHeadDepth > 0 && s.vy < 0) {
        if (solid(x + halfW, y + kHeadDepth)) s.vy = 0;
    }

    // Gifts lying in the level: the cell under the feet is cleared, so it counts once.
    map.currentLayer = 1;
    if (solid(x + halfW, y + h)) {
        const int column = int((x + halfW) / map.blockWidth);
        const int row = int((y + h) / map.blockHeight);
        lastPickBlock = map.CellValue(column, row, 1);
        lastPickColumn = column;
        lastPickRow = row;
        pickupCount += 1;
        map.SetCell(column, row, 0);
        RequireObject(liveBar, "liveBar");
        liveBar->giftCount += 1;
        if (!IsChannelBusy(bumpChannel)) {
            bumpChannel->SetPlaybackRate(float(RandomFloat(1.0, 1.2)));
            PlaySoundOn(sndPop, bumpChannel);
        }
    }

    // The walk animation.
    s.Update();

    // Footsteps from alternating sides, silenced in the air.
    if (walking) {
        const bool busy = IsChannelBusy(footstepChannel) != 0;
        if (!busy && !jumping) {
            footstepPan = -footstepPan;
            footstepChannel->SetBalance(footstepPan);
            footstepChannel->SetGain(kFootstepGain);
            footstepChannel->SetPlaybackRate(float(RandomFloat(1.0, 1.1)));
            PlaySoundOn(sndPassi, footstepChannel);
        } else if (busy && jumping) {
            footstepChannel->SetGain(0);
        }
    }

    // The exit. Written every step, so it must run before the contact
    // test that may end the game in the same step.
    map.currentLayer = 2;
    playState = solid(x + halfW, y + h) ? kPlayStateExitReached : kPlayStatePlaying;
    return 0;
}

void CPlayer::Draw() { sprite->DrawAt(x - scrollX, y - scrollY); }

void CPlayer::Release() {
    if (sprite) sprite->FreeAnims();
    sprite.reset();
    for (const ChannelRef* c : {&footstepChannel, &bumpChannel, &jumpChannel, &throwChannel})
        if (*c) HaltChannel(*c);
    throwChannel.reset();
    footstepChannel.reset();
    bumpChannel.reset();
    jumpChannel.reset();
}

TPlayerState CPlayer::SaveState() const {
    TPlayerState st;
    st.x = x;
    st.y = y;
    st.prevX = prevX;
    st.prevY = prevY;
    if (sprite) {
        st.vx = sprite->vx;
        st.vy = sprite->vy;
    }
    st.scrollX = scrollX;
    st.scrollY = scrollY;
    st.facing = facing;
    st.jumping = jumping;
    st.walking = walking;
    return st;
}

void CPlayer::RestoreState(const TPlayerState& st) {
    x = st.x;
    y = st.y;
    prevX = st.prevX;
    prevY = st.prevY;
    if (sprite) {
        sprite->vx = st.vx;
        sprite->vy = st.vy;
        sprite->x = st.x;
        sprite->y = st.y;
    }
    scrollX = st.scrollX;
    scrollY = st.scrollY;
    facing = st.facing;
    jumping = st.jumping;
    walking = st.walking;
}
