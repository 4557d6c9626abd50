#include "screens/hi_score_screen.h"

#include <memory>

#include "core/trace.h"
#include "platform/input/keyboard.h"
#include "scores/hi_score.h"
#include "screens/fade.h"

using namespace sq;

void ShowHighScores() {
    auto screen = std::make_shared<THiScore>();
    auto fade = Object_Fade::NewColourFade(10, 10, 10);
    fade->Start();
    screen->Init();
    ClearKeys();
    TraceState("highscores");
    // Keys count only once the fade-in is over; one pressed during it ends
    // the screen on the first frame after.
    while (fade->IsRunning() || FirstKeyHit() == 0) DrawFadedFrame(*screen, *fade, -1);
    ClearKeys();
    FadeOutScreen(*screen, *fade, -1);
    screen->Release();
}
