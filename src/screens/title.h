#pragma once
// screens/: every screen outside level play. Uses scores/, game/ and the
// floors below them.
//
// The title menu: two huge rotating cloud layers, snow, falling stars, the
// title artwork and five picture items, the selected one pulsing.
#include <array>
#include <memory>

#include "core/globals.h"
#include "core/timed_speed.h"
#include "platform/audio/sound.h"

class CSnow;

// Fills the stars with new random values (the start of the menu loop).
void CreateStars();

// The result codes of the title's Update.
enum MenuCode : int {
    kMenuNothing = 1,
    kMenuQuit = 2,
    kMenuStart = 3,
    kMenuHighScores = 7,
    kMenuCredits = 8,
    kMenuInstructions = 10,
};

struct TMenuItem {
    int y;     // centre of the picture on screen (x is always 160)
    int code;  // what Update returns when it is chosen
};
inline constexpr std::array<TMenuItem, 5> kMenuItems{{
    {142, kMenuStart},
    {163, kMenuHighScores},
    {184, kMenuInstructions},
    {204, kMenuCredits},
    {225, kMenuQuit},
}};

class tTitle : public CTimedSpeed {
public:
    void Init() override;
    int Update() override;
    void Draw();
    void Release();

    float& ItemScale(int item);

    sq::ChannelRef keyChannel;
    int selected = 0;
    int pulsePhase = 0;  // degrees, 0..360
    float scaleStart = 1.0f;
    float scaleHiScores = 1.0f;
    float scaleInstructions = 1.0f;
    float scaleCredits = 1.0f;
    float scaleQuit = 1.0f;
    std::shared_ptr<CSnow> snowEffect;
};
