#include "app/replay_watch.h"

#include <string>

#include "core/globals.h"
#include "platform/input/keyboard.h"
#include "platform/replay/input_journal.h"
#include "platform/video/graphics.h"

using namespace sq;

namespace {

TWatchState watch;
uint64_t pressesSeen = 0;

constexpr const char* kHint = "F FASTER   P PAUSE";

void ShowSpeed() {
    SetJournalReplaySpeed(watch.held ? 0 : watch.speed);
    SetWindowCaption(std::string(kAppTitle) + " - " + WatchCaption(watch.held ? 0 : watch.speed));
}

// Looks at the player's keys since the last look.
void Observe() {
    const TLiveInput live = JournalLiveInput();
    if (live.presses == pressesSeen) return;
    pressesSeen = live.presses;
    TWatchState next = WatchKey(watch, live.lastKey);
    if (next.speed == watch.speed && next.held == watch.held) return;
    watch = next;
    ShowSpeed();
}

void DrawShadowed(const char* text, float y) {
    const float x = float(160 - TextWidth(text) / 2);  // NOLINT(bugprone-integer-division)
    SetDrawColor(0, 0, 0);
    DrawTextAt(text, x + 1, y + 1);
    SetDrawColor(255, 255, 255);
    DrawTextAt(text, x, y);
}

void DrawWatchCaption() {
    int r = 0, g = 0, b = 0;
    GetDrawColor(r, g, b);
    const float alpha = GetDrawAlpha();
    const int blend = GetBlendMode();
    SetBlendMode(kBlendAlpha);
    SetDrawAlpha(1);
    DrawShadowed(WatchCaption(watch.held ? 0 : watch.speed), 24);
    DrawShadowed(kHint, 226);
    SetDrawColor(r, g, b);
    SetDrawAlpha(alpha);
    SetBlendMode(blend);
}

}  // namespace

const char* WatchCaption(int speed) {
    switch (speed) {
        case 0:
            return "REPLAY HELD";
        case 2:
            return "REPLAY 2X";
        case 4:
            return "REPLAY 4X";
        case 8:
            return "REPLAY 8X";
        default:
            return "REPLAY 1X";
    }
}

TWatchState WatchKey(TWatchState state, int key) {
    if (key == kWatchFaster) {
        state.speed = state.speed >= 8 ? 1 : state.speed * 2;
        state.held = false;
    } else if (key == kWatchHold || key == kKeySpace) {
        state.held = !state.held;
    }
    return state;
}

TReplayWatch::TReplayWatch() {
    watch = {};
    pressesSeen = JournalLiveInput().presses;
    SetJournalPumpObserver(Observe);
    SetJournalHoldHook([] {
        PumpEvents();
        Observe();
    });
    SetFrameOverlay(DrawWatchCaption);
    ShowSpeed();
}

TReplayWatch::~TReplayWatch() {
    SetJournalPumpObserver(nullptr);
    SetJournalHoldHook(nullptr);
    SetFrameOverlay(nullptr);
    SetJournalReplaySpeed(1);
    SetWindowCaption(kAppTitle);
}
