#include "screens/options.h"

#include <algorithm>

#include "core/globals.h"
#include "core/settings_file.h"
#include "core/trace.h"
#include "game/snow.h"
#include "platform/input/bindings.h"
#include "platform/input/keyboard.h"
#include "platform/replay/input_journal.h"
#include "platform/video/display_options.h"
#include "platform/video/graphics.h"

using namespace sq;

namespace {

std::string Percent(int value) { return std::to_string(value) + "%"; }

int Step(int value, int by, int step, int low, int high) { return std::clamp(value + by * step, low, high); }

// The display as the settings have it, handed to the window at once.
void ApplyDisplay() {
    TDisplayOptions display;
    display.windowed = !Settings().fullScreen;
    display.pictureScale = Settings().windowScale;
    SetDisplayOptions(display);
}

}  // namespace

void tOptions::Init() {
    CTimedSpeed::Init();
    snowEffect = CSnow::Create(150);
    keyChannel = NewChannel();
    largestScale = std::min(LargestWindowScale(320, 240), kMaxWindowScale);
    page = kPageMain;
    line = 0;
    capturing = -1;
    confirmReset = false;
    Refresh();
}

void tOptions::Refresh() {
    for (int i = 0; i < kMainLines; ++i) {
        shownTitle[i] = i < LineCount() ? LineTitle(i) : std::string();
        shownValue[i] = i < LineCount() ? LineValue(i) : std::string();
        // Arrows show what Left and Right change.
        if (i == line && page == kPageMain && !shownValue[i].empty()) shownValue[i] = "< " + shownValue[i] + " >";
    }
    // Two short lines under the list say what the keys do here.
    if (capturing >= 0) {
        help[0] = std::string("Press a key or button for ") + ActionTitle(capturing);
        help[1] = "(Escape cancels)";
    } else if (page == kPageMain) {
        help[0] = "Up/Down: choose a line";
        help[1] = "Left/Right: change it";
    } else {
        help[0] = "Enter: set its key or button";
        help[1] = "Escape: back";
    }
}

void tOptions::Release() {
    CaptureNextInput(false);
    HaltChannel(keyChannel);
    keyChannel = nullptr;
    snowEffect = CSnow::Destroy(snowEffect);
    snowEffect = nullptr;
}

std::string tOptions::LineTitle(int at) const {
    if (page == kPageControls) {
        if (at < kActionCount) return ActionTitle(at);
        if (at == kLineReset) return confirmReset ? "Enter again to reset" : "Reset to defaults";
        return "Back";
    }
    switch (at) {
        case kLineMusic:
            return "Music volume";
        case kLineEffects:
            return "Effects volume";
        case kLineDisplay:
            return "Display";
        case kLineScale:
            return "Window scale";
        case kLineFocusPause:
            return "Pause when away";
        case kLineSpeed:
            return "Game speed";
        case kLineFlashing:
            return "Reduced flashing";
        case kLineControls:
            return "Keys and buttons";
        default:
            return "Back";
    }
}

std::string tOptions::LineValue(int at) const {
    const TSettings& s = Settings();
    if (page == kPageControls) {
        if (at >= kActionCount) return {};
        const int key = s.bindings.keys[std::size_t(at)], button = s.bindings.buttons[std::size_t(at)];
        if (capturing == at) return "press...";
        return KeyLabel(key) + " / " + (button < 0 ? std::string("-") : PadButtonName(button));
    }
    switch (at) {
        case kLineMusic:
            return Percent(s.musicVolume);
        case kLineEffects:
            return Percent(s.effectsVolume);
        case kLineDisplay:
            return s.fullScreen ? "Full screen" : "Window";
        case kLineScale:
            return s.windowScale == 0 ? "Largest" : std::to_string(s.windowScale) + "x";
        case kLineFocusPause:
            return s.pauseOnFocusLoss ? "On" : "Off";
        case kLineSpeed:
            return Percent(s.gameSpeed);
        case kLineFlashing:
            return s.reducedFlashing ? "On" : "Off";
        default:
            return {};
    }
}

void tOptions::Trace() const {
    TraceState("options", std::string(page == kPageMain ? "main " : "controls ") + std::to_string(line));
}

void tOptions::Move(int by) {
    line = (line + by + LineCount()) % LineCount();
    confirmReset = false;
    PlaySoundOn(sndKey, keyChannel);
    Trace();
}

void tOptions::Change(int by) {
    if (page != kPageMain) return;
    TSettings& s = Settings();
    switch (line) {
        case kLineMusic:
            s.musicVolume = Step(s.musicVolume, by, kVolumeStep, 0, 100);
            break;
        case kLineEffects:
            s.effectsVolume = Step(s.effectsVolume, by, kVolumeStep, 0, 100);
            break;
        case kLineDisplay:
            s.fullScreen = !s.fullScreen;
            break;
        case kLineScale:
            // Largest (0), then 1x up to what the desktop takes.
            s.windowScale = Step(std::min(s.windowScale, largestScale), by, 1, 0, largestScale);
            break;
        case kLineFocusPause:
            s.pauseOnFocusLoss = !s.pauseOnFocusLoss;
            break;
        case kLineSpeed:
            s.gameSpeed = Step(s.gameSpeed, by, kGameSpeedStep, kMinGameSpeed, 100);
            break;
        case kLineFlashing:
            s.reducedFlashing = !s.reducedFlashing;
            break;
        default:
            return;
    }
    ApplySettings();
    if (line == kLineDisplay || line == kLineScale) ApplyDisplay();
    // The click is heard at the new effects volume.
    PlaySoundOn(sndKey, keyChannel);
    TraceState("option", LineTitle(line) + " " + LineValue(line));
}

void tOptions::Choose() {
    if (page == kPageMain) {
        if (line == kLineControls) {
            page = kPageControls;
            line = 0;
            PlaySoundOn(sndKey, keyChannel);
            Trace();
        } else if (line == kLineBack) {
            page = -1;  // leave
        } else {
            Change(1);
        }
        return;
    }
    if (line < kActionCount) {
        capturing = line;
        CaptureNextInput(true);
        PlaySoundOn(sndKey, keyChannel);
        TraceState("options-press", ActionWord(line));
    } else if (line == kLineReset) {
        if (!confirmReset) {
            confirmReset = true;
            TraceState("options-reset", "ask");
        } else {
            confirmReset = false;
            Settings().bindings = DefaultBindings();
            ApplySettings();
            TraceState("options-reset", "done");
        }
        PlaySoundOn(sndKey, keyChannel);
    } else {
        page = kPageMain;
        line = kLineControls;
        PlaySoundOn(sndKey, keyChannel);
        Trace();
    }
}

// A key or button already bound to another action swaps with this one's, so
// every action keeps exactly one of each.
void tOptions::Bind(int action, int scancode, int button) {
    TBindings& b = Settings().bindings;
    const auto a = std::size_t(action);
    if (scancode > 0) {
        for (std::size_t other = 0; other < b.keys.size(); ++other)
            if (other != a && b.keys[other] == scancode) b.keys[other] = b.keys[a];
        b.keys[a] = scancode;
    } else {
        for (std::size_t other = 0; other < b.buttons.size(); ++other)
            if (other != a && b.buttons[other] == button) b.buttons[other] = b.buttons[a];
        b.buttons[a] = button;
    }
    ApplySettings();
    TraceState("options-bound",
               std::string(ActionWord(action)) + " " + (scancode > 0 ? ScancodeName(scancode) : PadButtonName(button)));
}

void tOptions::FinishCapture() {
    // What was pressed passes through the input journal as the keys do (as a
    // number: a scan code, or kButtonBase plus a button), so that a recording
    // made while binding a key replays the same binding.
    constexpr int kButtonBase = 1000;
    const int key = TakeCapturedKey(), pad = TakeCapturedButton();
    const int pressed = JournalSeed(key > 0 ? key : pad >= 0 ? kButtonBase + pad : 0);
    const int scancode = pressed > 0 && pressed < kButtonBase ? pressed : 0;
    const int button = pressed >= kButtonBase ? pressed - kButtonBase : -1;
    if (scancode == 0 && button < 0) {
        if (!Capturing()) CaptureNextInput(true);  // an unbindable key was let through: keep waiting
        return;
    }
    const int action = capturing;
    if (scancode == ScancodeFromName("Escape")) {
        TraceState("options-bound", std::string(ActionWord(action)) + " cancelled");
    } else if (scancode > 0 && !BindableScancode(scancode)) {
        CaptureNextInput(true);  // a key the game cannot keep: wait for another
        return;
    } else {
        Bind(action, scancode, button);
    }
    capturing = -1;
    PlaySoundOn(sndKey, keyChannel);
    // The key that was taken must not also move the menu.
    ClearKeys();
}

int tOptions::Update() {
    if (page < 0) return 1;  // left: the fade-out runs the screen on
    snowEffect->Update();
    cloudAngleA += 0.01f * tickDelta;
    cloudAngleB -= 0.025f * tickDelta;
    if (capturing >= 0) {
        FinishCapture();
        if (capturing < 0) Refresh();
        return 0;
    }
    const int key = FirstKeyHit();
    switch (key) {
        case kKeyUp:
            Move(-1);
            break;
        case kKeyDown:
            Move(1);
            break;
        case kKeyLeft:
            Change(-1);
            break;
        case kKeyRight:
            Change(1);
            break;
        case kKeyEnter:
        case kKeySpace:
            Choose();
            // Start stands for Enter and Space together: one choice, not two.
            ClearKeys();
            break;
        case kKeyEscape:
            if (page == kPageControls) {
                line = kLineControlsBack;  // Choose then goes back to the main page
                Choose();
            } else {
                page = -1;
            }
            break;
        default:
            break;
    }
    if (key != 0 && page >= 0) Refresh();
    return page < 0 ? 1 : 0;
}
