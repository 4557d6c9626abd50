#include "screens/fade.h"

#include "platform/system/clock.h"

using namespace sq;

Fade_Timer Fade_Timer::New(int ms) {
    Fade_Timer t;
    t.startTime = CurrentMillis();
    t.deadline = t.startTime + ms;
    return t;
}

int Fade_Timer::Expired() {
    if (deadline >= CurrentMillis()) return 0;
    OnExpired();
    return 1;
}

void Object_Fade::SaveDrawState() {
    GetDrawColor(savedRed, savedGreen, savedBlue);
    savedBlend = GetBlendMode();
    savedAlpha = GetDrawAlpha();
}

void Object_Fade::RestoreDrawState() {
    SetDrawColor(savedRed, savedGreen, savedBlue);
    SetBlendMode(savedBlend);
    SetDrawAlpha(savedAlpha);
}

std::shared_ptr<Object_Fade> Object_Fade::NewColourFade(int r, int g, int b) {
    auto f = std::make_shared<Object_Fade>();
    f->width = ScreenWidth();
    f->height = ScreenHeight();
    f->red = (unsigned char)r;
    f->green = (unsigned char)g;
    f->blue = (unsigned char)b;
    f->alpha = 1.0f;
    f->mode = kFadeIn;
    f->running = 0;
    f->stepMillis = kStepMillis;
    f->timer = Fade_Timer::New(kStepMillis);
    return f;
}

std::shared_ptr<Object_Fade> Object_Fade::NewImageFade(const ImageRef& a, const ImageRef& b) {
    auto f = NewColourFade(255, 255, 255);
    f->alpha = 0.0f;
    f->mode = kFadeCross;
    f->imageA = a;
    f->imageB = b;
    return f;
}

void Object_Fade::Start() { running = 1; }
void Object_Fade::Stop() { running = 0; }
int Object_Fade::IsRunning() const { return running; }
void Object_Fade::SetFadeIn() { mode = kFadeIn; }
void Object_Fade::SetFadeOut() { mode = kFadeOut; }

void Object_Fade::SetImages(const ImageRef& a, const ImageRef& b) {
    imageA = a;
    imageB = b;
    alpha = 0.0f;
}

void Object_Fade::UpdateAndDraw() {
    if (running == 1) {
        // The next step is timed from this step, not from the old deadline,
        // so a slow frame never makes the fade catch up in a jump.
        if (timer.Expired() == 1) {
            if (mode == kFadeIn)
                alpha -= kAlphaStep;
            else
                alpha += kAlphaStep;
            timer = Fade_Timer::New(stepMillis);
        }
        if (mode == kFadeIn) {
            if (!(alpha > 0.0f)) {
                alpha = 0.0f;
                running = 0;
            }
        } else if (alpha >= 1.0f) {
            alpha = 1.0f;
            running = 0;
        }
    }
    if (mode == kFadeIn || mode == kFadeOut) {
        SaveDrawState();
        SetBlendMode(kBlendAlpha);
        SetDrawAlpha(alpha);
        SetDrawColor(red, green, blue);
        FillRect(float(x), float(y), float(width), float(height));
        RestoreDrawState();
    } else if (mode == kFadeCross) {
        // The cross-fade: the first picture as the caller left the alpha,
        // the second one over it at the fade's opacity.
        SaveDrawState();
        SetBlendMode(kBlendAlpha);
        SetDrawColor(red, green, blue);
        if (imageA) DrawImageAt(imageA, float(x), float(y), 0);
        SetDrawAlpha(alpha);
        if (imageB) DrawImageAt(imageB, float(x), float(y), 0);
        RestoreDrawState();
    }
}
