#include "platform/input/keyboard.h"

#include <SDL.h>

#include <bitset>
#include <cstring>

#include "platform/replay/input_journal.h"
#include "platform/system/quit_signals.h"

namespace sq {

namespace {

constexpr int kKeyCount = 256;

uint8_t keyDown[kKeyCount];
// A press not yet seen by IsKeyDown while it was held: a key pressed and
// released between two frames still reads as held through the next frame, so
// a short tap on a slow frame is not lost, even by a screen that acts only on
// its frame's last logic step. 1: pressed during this frame, 2: during the
// last one (see AgeKeyTaps).
uint8_t keyUnseen[kKeyCount];
int keyHits[kKeyCount];
bool focusLost = false;
bool focusLossPauses = true;
// Keys held when IgnoreHeldKeys was called, until they are let go.
std::bitset<kKeyCount> ignoredUntilUp;
bool pointerHidden = false;
bool pumping = false;
std::function<void()>& Pump() {
    static std::function<void()> pump;
    return pump;
}

bool ValidKey(int key) { return key >= 0 && key < kKeyCount; }

// Where queued and replayed events enter: as the window system's would.
void DeliverJournalEvent(JournalTag tag, int key) {
    if (tag == kJournalKeyUp)
        PostKeyUp(key);
    else if (tag == kJournalFocus)
        PostFocusChange();
    else if (tag == kJournalFocusLost)
        PostFocusLost();
    else
        PostKeyDown(key, tag == kJournalKeyRepeat);
}

void ResetKeyTables() {
    std::memset(keyDown, 0, sizeof keyDown);
    std::memset(keyUnseen, 0, sizeof keyUnseen);
    std::memset(keyHits, 0, sizeof keyHits);
}

}  // namespace

void SetEventPump(std::function<void()> pump) { Pump() = std::move(pump); }

void PumpEvents() {
    // The pump delivers events through the Post* functions; a pump that
    // ends up calling a keyboard operation must not recurse into itself.
    if (pumping) return;
    JournalPump(DeliverJournalEvent);
    if (!Pump()) return CheckQuit(false);
    pumping = true;
    try {
        Pump()();
    } catch (...) {
        pumping = false;
        throw;
    }
    pumping = false;
    CheckQuit(false);
}

int IsKeyDown(int key) {
    PumpEvents();
    if (!ValidKey(key)) return 0;
    if (keyDown[key]) {
        keyUnseen[key] = 0;  // seen while held: its release ends it at once
        return 1;
    }
    return keyUnseen[key] ? 1 : 0;
}

int KeyHitCount(int key) {
    PumpEvents();
    if (!ValidKey(key)) return 0;
    int n = keyHits[key];
    keyHits[key] = 0;
    return n;
}

void ClearKeys() {
    PumpEvents();
    ResetKeyTables();
}

int FirstKeyHit() {
    PumpEvents();
    for (int k = 0; k < kKeyCount; ++k) {
        if (keyHits[k] != 0) {
            keyHits[k] = 0;
            return k;
        }
    }
    return 0;
}

void AgeKeyTaps() {
    // 1: pressed during the frame that ends; 2: a frame old; then gone.
    for (uint8_t& u : keyUnseen) u = u == 1 ? 2 : 0;
}

void PostKeyDown(int key, bool repeat) {
    if (ValidKey(key) && ignoredUntilUp[std::size_t(key)] && CurrentJournalMode() != JournalMode::kReplay) return;
    if (!ValidKey(key) || !JournalKeyEvent(repeat ? kJournalKeyRepeat : kJournalKeyDown, key)) return;
    // Only a key that was up counts a press: the operating system's
    // auto-repeat finds the flag set and adds nothing. After ClearKeys the
    // flag is down again, so the next repeat of a held key counts once more.
    if (!keyDown[key]) {
        keyDown[key] = 1;
        keyUnseen[key] = 1;
        if (keyHits[key] < 0x7FFFFFFF) ++keyHits[key];
    }
}

void PostKeyUp(int key) {
    if (ValidKey(key) && CurrentJournalMode() != JournalMode::kReplay) ignoredUntilUp.reset(std::size_t(key));
    if (!ValidKey(key) || !JournalKeyEvent(kJournalKeyUp, key)) return;
    keyDown[key] = 0;
}

void PostFocusChange() {
    if (JournalKeyEvent(kJournalFocus, 0)) ResetKeyTables();
}

// Journaled like the keys: a replay pauses where the recorded game did, and
// never because the player's own window lost the focus meanwhile.
void PostFocusLost() {
    if (JournalKeyEvent(kJournalFocusLost, 0)) focusLost = true;
}

void PostClick() { JournalNoteLiveEvent(true); }

void PostWindowEvent() { JournalNoteLiveEvent(false); }

void IgnoreHeldKeys() { ignoredUntilUp = JournalLiveInput().held; }

bool TakeFocusLost() {
    bool lost = focusLost;
    focusLost = false;
    return lost;
}

void SetFocusLossPauses(bool pauses) { focusLossPauses = pauses; }
bool FocusLossPauses() { return focusLossPauses; }

void PostQuitRequest() { RequestQuit(); }

bool QuitRequested() { return QuitPending(); }

void ResetQuitRequest() { ResetQuit(); }

void HidePointer() {
    pointerHidden = true;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(SDL_DISABLE);
}

void ShowPointer() {
    pointerHidden = false;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(SDL_ENABLE);
}

bool PointerHidden() { return pointerHidden; }

}  // namespace sq
