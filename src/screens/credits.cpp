#include "screens/credits.h"

#include "core/globals.h"
#include "core/trace.h"
#include "game/snow.h"
#include "platform/input/keyboard.h"
#include "platform/video/graphics.h"
#include "screens/fade.h"

using namespace sq;

void CCredits::Init() {
    CTimedSpeed::Init();
    snowEffect = CSnow::Create(250);
}

int CCredits::Update() {
    // The menu's cloud angles, turned faster here; the menu carries on from them.
    cloudAngleA += 0.035f * tickDelta;
    cloudAngleB -= 0.05f * tickDelta;
    snowEffect->Update();
    return 0;
}

void CCredits::Release() {
    snowEffect = CSnow::Destroy(snowEffect);
    snowEffect = nullptr;
}

void CCredits::Draw() {
    DrawImageAt(imgCreditsBack, 0, 0, 0);
    SetDrawColor(150, 150, 150);
    SetDrawScale(8, 8);
    SetDrawAlpha(0.2f);
    SetBlendMode(kBlendAlpha);
    SetDrawRotation(cloudAngleA);
    DrawImageAt(imgNuvole, 160, 120, 0);
    SetDrawAlpha(0.3f);
    SetDrawRotation(cloudAngleB);
    DrawImageAt(imgNuvole, 160, 120, 0);
    SetDrawScale(1, 1);
    SetDrawRotation(0);
    SetDrawColor(255, 255, 255);
    // Alpha 0.3 stays set: from the second frame on the picture is laid
    // over the last frame translucently, which gives the soft trails.
    snowEffect->Draw();
}

void ShowCredits() {
    auto screen = std::make_shared<CCredits>();
    auto fade = Object_Fade::NewColourFade(10, 10, 10);
    fade->Start();
    screen->Init();
    ClearKeys();
    TraceState("credits");
    while (FirstKeyHit() == 0) DrawFadedFrame(*screen, *fade, -1);
    FadeOutScreen(*screen, *fade, -1);
    ClearKeys();
    screen->Release();
}
