#include "app/replay_watch.h"

#include <string>

#include "core/frame_helpers.h"
#include "core/globals.h"
#include "platform/input/keyboard.h"
#include "platform/replay/input_journal.h"
#include "platform/video/graphics.h"

using namespace sq;

namespace {

TWatchState watch;
uint64_t pressesSeen = 0;

// Made once: a frame allocates nothing for its caption.
const std::string& Hint() {
    static const std::string hint = "F FASTER   P PAUSE";
    return hint;
}

uint64_t heldAtFrame = 0;

// A hold waits for one frame drawn with its caption, so the picture that
// stays on screen says so.
void ShowSpeed() {
    if (watch.held)
        heldAtFrame = DrawStats().frames;
    else
        SetJournalReplaySpeed(watch.speed);
    SetWindowCaption(std::string(kAppTitle) + " - " + WatchCaption(watch.held ? 0 : watch.speed));
}

// Looks at the player's keys since the last look.
void Observe() {
    if (watch.held && JournalReplaySpeed() != 0 && DrawStats().frames != heldAtFrame) SetJournalReplaySpeed(0);
    const TLiveInput live = JournalLiveInput();
    if (live.presses == pressesSeen) return;
    pressesSeen = live.presses;
    TWatchState next = WatchKey(watch, live.lastKey);
    if (next.speed == watch.speed && next.held == watch.held) return;
    watch = next;
    ShowSpeed();
}

const std::string& CaptionFor(int speed) {
    static const std::string held = WatchCaption(0), x1 = WatchCaption(1), x2 = WatchCaption(2), x4 = WatchCaption(4),
                             x8 = WatchCaption(8);
    switch (speed) {
        case 0:
            return held;
        case 2:
            return x2;
        case 4:
            return x4;
        case 8:
            return x8;
        default:
            return x1;
    }
}

void DrawWatchCaption() { DrawCaptions(CaptionFor(watch.held ? 0 : watch.speed), Hint()); }

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
