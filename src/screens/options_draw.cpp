// The options screen's picture and its loop.
#include "core/globals.h"
#include "core/settings_file.h"
#include "core/trace.h"
#include "game/snow.h"
#include "platform/input/bindings.h"
#include "platform/input/keyboard.h"
#include "platform/video/graphics.h"
#include "screens/fade.h"
#include "screens/options.h"
#include "screens/title.h"

using namespace sq;

namespace {

constexpr float kFirstLineY = 52;
constexpr float kLineHeight = 15;
constexpr float kTitleX = 28, kValueRight = 292;

void ShadowedText(const std::string& text, float x, float y, int r, int g, int b) {
    SetDrawColor(0, 0, 0);
    DrawTextAt(text, x + 1, y + 1);
    SetDrawColor(r, g, b);
    DrawTextAt(text, x, y);
}

void CentredText(const std::string& text, float y, int r, int g, int b) {
    ShadowedText(text, float(160 - TextWidth(text) / 2), y, r, g, b);  // NOLINT(bugprone-integer-division)
}

}  // namespace

void tOptions::Draw() {
    // The menu's backdrop and clouds, dimmed under a panel.
    DrawMenuBackdrop(cloudAngleA, cloudAngleB);
    snowEffect->Draw();

    SetBlendMode(kBlendAlpha);
    SetDrawAlpha(0.55f);
    SetDrawColor(10, 10, 30);
    FillRect(16, 36, 288, 176);
    SetDrawAlpha(1);
    SetDrawColor(255, 255, 255);
    DrawImageAt(imgOptions, 160, 20, 0);
    static const std::string kColumns = "KEY / PAD BUTTON";
    if (page == kPageControls) CentredText(kColumns, 40, 150, 200, 255);

    const float top = page == kPageControls ? kFirstLineY + 8 : kFirstLineY;
    for (int i = 0; i < LineCount(); ++i) {
        const float y = top + float(i) * kLineHeight;
        const bool chosen = i == line;
        if (chosen) {
            SetDrawAlpha(0.35f);
            SetDrawColor(120, 140, 255);
            FillRect(20, y - 3, 280, 13);
            SetDrawAlpha(1);
        }
        const int shade = chosen ? 255 : 200;
        ShadowedText(shownTitle[i], kTitleX, y, shade, shade, 255);
        const std::string& value = shownValue[i];
        if (!value.empty())
            ShadowedText(value, kValueRight - float(TextWidth(value)), y, 255, chosen ? 255 : 220, chosen ? 160 : 120);
    }
    const bool asking = capturing >= 0;
    CentredText(help[0], 186, asking ? 255 : 200, asking ? 255 : 220, asking ? 160 : 255);
    CentredText(help[1], 198, asking ? 255 : 200, asking ? 255 : 220, asking ? 160 : 255);

    SetDrawColor(255, 255, 255);
    SetBlendMode(kBlendMask);
}

void ShowOptions() {
    auto screen = std::make_shared<tOptions>();
    auto fade = Object_Fade::NewColourFade(10, 10, 10);
    fade->SetFadeIn();
    fade->Start();
    screen->Init();
    ClearKeys();
    // The Enter that chose Options must not also change the first line.
    IgnoreHeldKeys();
    TraceState("options", "main 0");
    while (screen->Run() == 0) {
        screen->Draw();
        fade->UpdateAndDraw();
        PresentFrame(1);
    }
    FadeOutScreen(*screen, *fade, 1);
    ClearKeys();
    screen->Release();
    SaveSettings();
}
