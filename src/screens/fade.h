#pragma once
// Full-screen colour fades between screens, paced by the wall clock rather
// than the logic steps so a fade lasts about a second at any frame rate.
#include <memory>

#include "platform/video/graphics.h"

// A one-shot millisecond deadline.
class Fade_Timer {
public:
    static Fade_Timer New(int ms);
    virtual ~Fade_Timer() = default;
    virtual void OnExpired() {}
    int Expired();

    int startTime = 0;
    int deadline = 0;
};

// What a fade does.
inline constexpr int kFadeIn = 1;     // a colour clears away
inline constexpr int kFadeOut = 2;    // a colour covers the screen
inline constexpr int kFadeCross = 3;  // one picture gives way to another

class Object_Fade {
public:
    static constexpr float kAlphaStep = 0.015f;
    static constexpr int kStepMillis = 15;

    void SaveDrawState();
    void RestoreDrawState();
    static std::shared_ptr<Object_Fade> NewColourFade(int red, int green, int blue);
    static std::shared_ptr<Object_Fade> NewImageFade(const sq::ImageRef& imageA, const sq::ImageRef& imageB);
    void Start();
    void Stop();
    int IsRunning() const;
    void SetFadeIn();
    void SetFadeOut();
    void SetImages(const sq::ImageRef& a, const sq::ImageRef& b);
    void UpdateAndDraw();

    int x = 0, y = 0, width = 0, height = 0;
    unsigned char red = 0, green = 0, blue = 0;
    sq::ImageRef imageA, imageB;
    int mode = 0;  // kFadeIn, kFadeOut or kFadeCross
    int running = 0;
    float alpha = 0.0f;
    int stepMillis = 0;
    // Replaced after every step; held by value so a step allocates nothing.
    Fade_Timer timer;
    int savedRed = 0, savedGreen = 0, savedBlue = 0;
    int savedBlend = 0;
    float savedAlpha = 0.0f;
};

// One frame of a screen under its fade: the screen's logic, its picture, the
// fade over it, then the frame is shown.
template <class TScreen>
void DrawFadedFrame(TScreen& screen, Object_Fade& fade, int sync) {
    screen.Run();
    screen.Draw();
    fade.UpdateAndDraw();
    sq::PresentFrame(sync);
}

// Fades a screen out while it keeps running.
template <class TScreen>
void FadeOutScreen(TScreen& screen, Object_Fade& fade, int sync) {
    fade.Stop();
    fade.Start();
    fade.SetFadeOut();
    while (fade.IsRunning()) DrawFadedFrame(screen, fade, sync);
}
