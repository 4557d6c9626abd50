#include "sprite/easy_sprite.h"

#include <cmath>

#include "platform/system/runtime_error.h"

using namespace sq;

void TSpriteAnimationINFO::CreateClock() { clock = CDeltaTime::Create(); }

void CEasySprite::Init(const ImageRef& img, int width, int height) {
    lastAnimId = -1;
    animList = std::make_shared<TList<TSpriteAnimationINFO>>();
    currentAnim = std::make_shared<TSpriteAnimationINFO>();
    image = img;
    frameWidth = width;
    frameHeight = height;
}

void CEasySprite::FreeAnims() {
    lastAnimId = -1;
    if (animList) {
        for (auto& anim : *animList)
            if (anim) anim->clock = CDeltaTime::Destroy(anim->clock);
        animList->Clear();
    }
    animList.reset();
    image.reset();
    currentAnim.reset();
}

int CEasySprite::AddAnim(int first, int count, int restOffset, int speed) {
    RequireObject(animList, "sprite animations");
    lastAnimId += 1;
    auto anim = std::make_shared<TSpriteAnimationINFO>();
    anim->CreateClock();
    anim->SetFirstFrame(first);
    anim->SetFrameCount(count);
    anim->SetSpeed(float(speed));
    anim->SetRestOffset(restOffset);
    anim->SetFrame(float(first));
    animList->Append(std::move(anim));
    return lastAnimId;
}

void CEasySprite::SetAnim(int id) {
    if (id == currentAnimId) return;
    RequireObject(animList, "sprite animations");
    currentAnim = animList->ValueAt(id);
    currentAnim->frame = 0.0f;
    currentAnimId = id;
}

int CEasySprite::CurrentFrame() const { return currentAnim ? int(currentAnim->frame) : 0; }

void CEasySprite::Draw() { DrawImageAt(image, x, y, CurrentFrame()); }

void CEasySprite::DrawAt(float atX, float atY) {
    DrawImageAt(image, atX, atY, CurrentFrame());
    x = atX;
    y = atY;
}

void CEasySprite::Update() {
    if (stopped) return;
    RequireObject(currentAnim, "sprite animation");
    TSpriteAnimationINFO& a = *currentAnim;
    // The blank record made by Init has no clock and no frames: it never steps.
    if (!a.clock || a.frameCount <= 0) return;
    a.clock->Update();
    double advanced = double(a.frame) + double(a.speed) * double(a.clock->deltaSeconds);
    a.frame = float(std::fmod(advanced, double(a.frameCount)) + a.firstFrame);
    if (a.frame >= float(a.firstFrame + a.frameCount)) a.frame = float(a.firstFrame);
}

void CEasySprite::Stop() {
    if (stopped) return;
    RequireObject(currentAnim, "sprite animation");
    currentAnim->frame = float(currentAnim->firstFrame + currentAnim->restOffset);
    stopped = 1;
}

void CEasySprite::Resume() { stopped = 0; }

int CEasySprite::IsOnScreen(int centred) const {
    int w = frameWidth, h = frameHeight;
    float screenW = float(ScreenWidth()), screenH = float(ScreenHeight());
    if (centred) {
        int hw = w / 2, hh = h / 2;
        return (x + hw >= 0 && x - hw <= screenW && y + hh >= 0 && y - hh <= screenH) ? 1 : 0;
    }
    return (x + w >= 0 && x <= screenW && y + h >= 0 && y <= screenH) ? 1 : 0;
}
