#include "screens/title.h"

#include "core/frame_helpers.h"
#include "core/globals.h"
#include "core/trace.h"
#include "game/snow.h"
#include "platform/input/keyboard.h"
#include "platform/system/random.h"
#include "platform/system/text.h"
#include "platform/video/graphics.h"

using namespace sq;

namespace {

const ImageRef& ItemPicture(int item) {
    switch (item) {
        case 0:
            return imgStartGFX;
        case 1:
            return imgHIScores;
        case 2:
            return imgInstruction;
        case 3:
            return imgCredits;
        case kOptionsItem:
            return imgOptions;
        default:
            return imgQuit;
    }
}

void DrawStars(int layer) {
    for (const cStars& s : stars) {
        SetDrawScale(s.scale, s.scale);
        SetDrawRotation(s.angle);
        if (s.layer == layer) {
            SetDrawColor(s.red, s.green, s.blue);
            DrawImageAt(imgStar, s.x, s.y, 0);
        }
    }
}

}  // namespace

void CreateStars() {
    for (cStars& s : stars) {
        s.x = float(RandomFloat(0, 320));
        // Some start below the screen and only show after they wrap.
        s.y = float(RandomFloat(0, 320));
        s.scale = float(RandomFloat(0.4, 1));
        s.fallSpeed = float(RandomFloat(0.08, 0.2));
        s.angle = float(RandomInt(0, 360));
        s.layer = RandomInt(1, 2);
        s.red = RandomInt(60, 255);
        s.green = RandomInt(60, 255);
        s.blue = RandomInt(60, 255);
    }
}

namespace {
bool menuWithOptions = true;
}  // namespace

void SetMenuWithOptions(bool with) { menuWithOptions = with; }
bool MenuWithOptions() { return menuWithOptions; }

float& tTitle::ItemScale(int item) {
    switch (item) {
        case 0:
            return scaleStart;
        case 1:
            return scaleHiScores;
        case 2:
            return scaleInstructions;
        case 3:
            return scaleCredits;
        case kOptionsItem:
            return scaleOptions;
        default:
            return scaleQuit;
    }
}

float tTitle::ItemY(int shown) const {
    if (!withOptions) return float(kFiveItemYs[std::size_t(shown)]);
    return float(kMenuItems[std::size_t(shown)].y);
}

void tTitle::Init() {
    CTimedSpeed::Init();
    withOptions = menuWithOptions;
    snowEffect = CSnow::Create(300);
    keyChannel = NewChannel();
}

int tTitle::Update() {
    pulsePhase = ToInt(pulsePhase + 4 * tickDelta);
    if (pulsePhase > 360) pulsePhase = 0;
    snowEffect->Update();
    cloudAngleA += 0.01f * tickDelta;
    cloudAngleB -= 0.025f * tickDelta;
    for (cStars& s : stars) {
        s.y += s.fallSpeed * tickDelta;
        s.angle += s.fallSpeed * tickDelta;
        if (s.y > 272) {
            s.y = -32;
            s.scale = float(RandomFloat(0.4, 1));
            s.fallSpeed = float(RandomFloat(0.08, 0.2));
            s.angle = float(RandomInt(0, 360));
            s.layer = RandomInt(1, 2);
            s.x = float(RandomFloat(0, 320));
            s.red = RandomInt(60, 255);
            s.green = RandomInt(60, 255);
            s.blue = RandomInt(60, 255);
        }
    }
    // Clearing the keys after a move makes a held arrow move once per key-down
    // event, and means Down wins when both arrows are held.
    bool moved = false;
    if (IsKeyDown(kKeyDown)) {
        moved = true;
        pulsePhase = 0;
        selected += 1;
        ClearKeys();
        PlaySoundOn(sndKey, keyChannel);
    }
    if (IsKeyDown(kKeyUp)) {
        moved = true;
        pulsePhase = 0;
        selected -= 1;
        ClearKeys();
        PlaySoundOn(sndKey, keyChannel);
    }
    const int last = ItemCount() - 1;
    if (selected > last) selected = 0;
    if (selected < 0) selected = last;
    if (moved) TraceState("menu", selected);
    for (int i = 0; i < int(kMenuItems.size()); ++i) {
        if (i == ItemOf(selected))
            ItemScale(i) += SinDeg(pulsePhase) / 80 * tickDelta;
        else
            ItemScale(i) = 1;
    }
    if (IsKeyDown(kKeySpace) || IsKeyDown(kKeyEnter)) return kMenuItems[std::size_t(ItemOf(selected))].code;
    return kMenuNothing;
}

void DrawMenuBackdrop(float cloudAngleA, float cloudAngleB) {
    SetDrawColor(255, 255, 255);
    DrawImageAt(imgBackground, 0, 0, 0);

    SetDrawColor(150, 150, 150);
    SetDrawScale(8, 8);
    SetDrawAlpha(0.5f);
    SetBlendMode(kBlendAlpha);
    SetDrawRotation(cloudAngleA);
    DrawImageAt(imgNuvole, 160, 120, 0);
    SetDrawRotation(cloudAngleB);
    DrawImageAt(imgNuvole, 160, 120, 0);
    SetDrawScale(1, 1);
    SetDrawRotation(0);
    SetDrawAlpha(1);
    SetDrawColor(255, 255, 255);
    SetBlendMode(kBlendMask);
}

void tTitle::Draw() {
    DrawMenuBackdrop(cloudAngleA, cloudAngleB);
    snowEffect->Draw();

    SetBlendMode(kBlendAlpha);
    DrawStars(1);

    SetDrawColor(255, 255, 255);
    SetDrawRotation(0);
    SetDrawScale(1, 1);
    DrawImageAt(imgTitle, 30, 2, 0);
    DrawImageAt(imgAdventure, 140, 72, 0);

    for (int shown = 0; shown < ItemCount(); ++shown) {
        const int i = ItemOf(shown);
        float s = ItemScale(i);
        SetDrawScale(s, s);
        if (shown == selected)
            SetDrawColor(255, 255, 255);
        else
            SetDrawColor(200, 200, 255);
        DrawImageAt(ItemPicture(i), 160, ItemY(shown), 0);
    }

    SetDrawScale(1, 1);
    SetDrawColor(255, 255, 255);
    DrawStars(2);

    SetDrawColor(255, 255, 255);
    SetDrawRotation(0);
    SetDrawScale(1, 1);
    SetBlendMode(kBlendMask);
    SetDrawAlpha(1);
}

void tTitle::Release() {
    HaltChannel(keyChannel);
    keyChannel = nullptr;
    snowEffect = CSnow::Destroy(snowEffect);
    snowEffect = nullptr;
}
