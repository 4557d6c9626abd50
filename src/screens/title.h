#pragma once
// screens/: every screen outside level play. Uses scores/, game/ and the
// floors below them.
//
// The title menu: two huge rotating cloud layers, snow, falling stars, the
// title artwork and six picture items, the selected one pulsing.
#include <array>
#include <memory>

#include "core/globals.h"
#include "core/timed_speed.h"
#include "platform/audio/sound.h"

class CSnow;

// Fills the stars with new random values (the start of the menu loop).
void CreateStars();

// The menu's backdrop with its two clouds turned to the angles given, as the
// title and the options screen draw it. Leaves the drawing state plain (white,
// opaque, unturned, full size) with the mask blend the snow is drawn in.
void DrawMenuBackdrop(float cloudAngleA, float cloudAngleB);

// Whether the menu has its Options item (taken by the title's Init). A
// recording made before the item came says so by lacking the header line
// kMenuHeader names, and is replayed on the five-item menu it was made on.
void SetMenuWithOptions(bool with);
bool MenuWithOptions();
inline constexpr const char* kMenuHeader = "menu";
inline constexpr const char* kMenuHeaderValue = "options";

// The result codes of the title's Update.
enum MenuCode : int {
    kMenuNothing = 1,
    kMenuQuit = 2,
    kMenuStart = 3,
    kMenuHighScores = 7,
    kMenuCredits = 8,
    kMenuInstructions = 10,
    kMenuOptions = 11,
};

struct TMenuItem {
    int y;     // centre of the picture on screen (x is always 160)
    int code;  // what Update returns when it is chosen
};
// Options sits just above Quit, which stays last; the items are a little
// closer together than the five were, so that six fit under the artwork.
inline constexpr std::array<TMenuItem, 6> kMenuItems{{
    {140, kMenuStart},
    {158, kMenuHighScores},
    {176, kMenuInstructions},
    {194, kMenuCredits},
    {212, kMenuOptions},
    {229, kMenuQuit},
}};
// Where the five items stood before Options came, for recordings made then:
// they are replayed on the menu they were made on.
inline constexpr std::array<int, 5> kFiveItemYs{142, 163, 184, 204, 225};
inline constexpr int kOptionsItem = 4;

class tTitle : public CTimedSpeed {
public:
    void Init() override;
    int Update() override;
    void Draw();
    void Release();

    float& ItemScale(int item);
    // How many items the menu shows, and the kMenuItems entry of each.
    int ItemCount() const { return withOptions ? int(kMenuItems.size()) : int(kMenuItems.size()) - 1; }
    int ItemOf(int shown) const { return !withOptions && shown >= kOptionsItem ? shown + 1 : shown; }
    float ItemY(int shown) const;

    sq::ChannelRef keyChannel;
    int selected = 0;
    int pulsePhase = 0;  // degrees, 0..360
    float scaleStart = 1.0f;
    float scaleHiScores = 1.0f;
    float scaleInstructions = 1.0f;
    float scaleCredits = 1.0f;
    float scaleQuit = 1.0f;
    float scaleOptions = 1.0f;
    bool withOptions = true;  // false: the five-item menu of older recordings
    std::shared_ptr<CSnow> snowEffect;
};
