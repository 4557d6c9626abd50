// Fades step 0.015 of opacity at most once per 15 ms and leave the drawing
// state as they found it.
#include "screens/fade.h"

#include "platform/video/graphics.h"
#include "screen_fixture.h"

namespace {

class FadeTest : public ScreenTest {
protected:
    // One frame of a 60 Hz display.
    void Frame(Object_Fade& fade) {
        clock->Advance(16);
        fade.UpdateAndDraw();
    }
};

TEST_F(FadeTest, AColourFadeCoversTheScreenAndStartsOpaque) {
    auto fade = Object_Fade::NewColourFade(10, 10, 10);
    EXPECT_EQ(fade->width, 320);
    EXPECT_EQ(fade->height, 240);
    EXPECT_EQ(fade->alpha, 1.0f);
    EXPECT_EQ(fade->mode, 1);
    EXPECT_EQ(fade->IsRunning(), 0);
}

TEST_F(FadeTest, AFadeInTakesSixtySevenStepsAndAFadeOutReturns) {
    auto fade = Object_Fade::NewColourFade(10, 10, 10);
    fade->Start();
    int frames = 0;
    while (fade->IsRunning() && frames < 1000) {
        Frame(*fade);
        ++frames;
    }
    EXPECT_EQ(frames, 67);
    EXPECT_EQ(fade->alpha, 0.0f);
    auto rects = sq::DrawStats().rects;
    Frame(*fade);  // a finished fade still draws, fully transparent
    EXPECT_EQ(sq::DrawStats().rects, rects + 1);

    fade->Stop();
    fade->SetFadeOut();
    fade->Start();
    frames = 0;
    while (fade->IsRunning() && frames < 1000) {
        Frame(*fade);
        ++frames;
    }
    EXPECT_EQ(frames, 67);
    EXPECT_EQ(fade->alpha, 1.0f);
}

TEST_F(FadeTest, AtMostOneStepIn15MsAndStopFreezes) {
    auto fade = Object_Fade::NewColourFade(10, 10, 10);
    fade->Start();
    clock->Advance(20);
    fade->UpdateAndDraw();
    fade->UpdateAndDraw();  // within 15 ms of the step
    EXPECT_FLOAT_EQ(fade->alpha, 1.0f - 0.015f);
    fade->Stop();
    for (int i = 0; i < 10; ++i) Frame(*fade);
    EXPECT_FLOAT_EQ(fade->alpha, 1.0f - 0.015f);
}

TEST_F(FadeTest, TheDrawingStateIsPutBack) {
    auto fade = Object_Fade::NewColourFade(10, 10, 10);
    fade->Start();
    sq::SetDrawColor(1, 2, 3);
    sq::SetBlendMode(sq::kBlendLight);
    sq::SetDrawAlpha(0.25f);
    Frame(*fade);
    int r, g, b;
    sq::GetDrawColor(r, g, b);
    EXPECT_EQ(r * 10000 + g * 100 + b, 10203);
    EXPECT_EQ(sq::GetBlendMode(), sq::kBlendLight);
    EXPECT_EQ(sq::GetDrawAlpha(), 0.25f);
}

}  // namespace
