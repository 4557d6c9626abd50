#pragma once
// The options screen: volumes, the display, the pause on a lost focus, the
// assists, and a second page of the player's keys and pad buttons. Up and
// Down choose a line, Left and Right change it, Enter (Start) opens or
// confirms, Escape (Back) goes back. Every change is heard or seen at once;
// the settings file is written once, on leaving, when something changed.
#include <memory>
#include <string>

#include "core/timed_speed.h"
#include "platform/audio/sound.h"

class CSnow;

class tOptions : public CTimedSpeed {
public:
    enum Page { kPageMain, kPageControls };
    // The main page's lines, top to bottom.
    enum MainLine {
        kLineMusic,
        kLineEffects,
        kLineDisplay,
        kLineScale,
        kLineFocusPause,
        kLineSpeed,
        kLineFlashing,
        kLineControls,
        kLineBack,
        kMainLines
    };
    // The controls page: one line per action, then these.
    static constexpr int kLineReset = 6, kLineControlsBack = 7, kControlLines = 8;

    void Init() override;
    int Update() override;  // 1 when the player leaves the screen
    void Draw();
    void Release();

    // What each line shows: its title and its value ("< 80% >"), in the
    // words the screen draws.
    std::string LineTitle(int line) const;
    std::string LineValue(int line) const;
    int LineCount() const { return page == kPageMain ? kMainLines : kControlLines; }
    // Makes the words drawn from the settings and the screen's state; done
    // after a change, so that drawing a frame makes no text.
    void Refresh();

    int page = kPageMain;
    int line = 0;
    int capturing = -1;         // the action waiting for its new key or button
    bool confirmReset = false;  // "reset to defaults" asks once
    int largestScale = 1;       // the largest whole window scale the desktop takes
    std::shared_ptr<CSnow> snowEffect;
    sq::ChannelRef keyChannel;
    // What Draw shows: each line's title and value, the two lines of help.
    std::string shownTitle[kMainLines], shownValue[kMainLines], help[2];

private:
    void Move(int by);
    void Change(int by);
    void Choose();
    void FinishCapture();
    void Bind(int action, int scancode, int button);
    void Trace() const;
};

// Runs the options screen from the menu until the player goes back, then
// saves the settings if they changed.
void ShowOptions();
