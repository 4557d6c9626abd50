#include "screens/record.h"

#include <algorithm>

#include "audio/game_music.h"
#include "core/globals.h"
#include "core/settings_file.h"
#include "core/trace.h"
#include "platform/input/bindings.h"
#include "platform/input/gamepad.h"
#include "platform/input/keyboard.h"
#include "platform/system/text.h"

using namespace sq;

bool NameEntryAccepts(int key) { return key == kKeySpace || (key > 48 && key < 122); }

CRecord::CRecord() : keyChannel(NewChannel()) {}

void CRecord::Init() {
    CTimedSpeed::Init();
    name = Settings().lastName.substr(0, kMaxName);
    nameLength = int(name.size());
    cursor = nameLength > 0 ? nameLength - 1 : 0;
    screenShot = GrabScreenImage();
}

void CRecord::TurnLetter(int by) {
    const std::string wheel = kNameWheel;
    if (cursor >= nameLength) {
        // Past the end: the first turn makes the letter.
        if (nameLength >= kMaxName) return;
        name += by > 0 ? 'A' : ' ';
        nameLength += 1;
        cursor = nameLength - 1;
    } else {
        std::size_t at = wheel.find(name[std::size_t(cursor)]);
        if (at == std::string::npos) at = 0;
        const int n = int(wheel.size());
        name[std::size_t(cursor)] = wheel[std::size_t((int(at) + by + n) % n)];
    }
    PlaySoundOn(sndKey, keyChannel);
    TraceState("name", name);
}

void CRecord::NextLetter() {
    if (cursor < nameLength - 1) {
        cursor += 1;
    } else if (nameLength < kMaxName) {
        // The new letter starts as the one before it, so runs of a letter are quick.
        name += nameLength > 0 ? name.back() : 'A';
        nameLength += 1;
        cursor = nameLength - 1;
        TraceState("name", name);
    } else {
        return;
    }
    PlaySoundOn(sndKey, keyChannel);
}

int CRecord::Update() {
    int key = FirstKeyHit();
    // Enter wins over a key typed in the same step: that key is dropped.
    if (IsKeyDown(kKeyEnter)) return kConfirmed;
    if (nameLength < kMaxName && NameEntryAccepts(key)) {
        name = name + CharToText(key);
        PlaySoundOn(sndKey, keyChannel);
        nameLength += 1;
        cursor = nameLength - 1;
        TraceState("name", name);
    }
    if (key == kKeyBackspace && nameLength > 0) {
        nameLength -= 1;
        PlaySoundOn(sndKey, keyChannel);
        name = Substring(name, 1, int(name.size()) - 1);
        cursor = std::min(cursor, std::max(nameLength - 1, 0));
        TraceState("name", name);
    }
    // The wheel: the arrows (the pad's d-pad) and the pad's south button.
    if (key == kKeyUp) TurnLetter(1);
    if (key == kKeyDown) TurnLetter(-1);
    if (key == kKeyLeft && cursor > 0) cursor -= 1;
    if (key == kKeyRight && cursor < std::min(nameLength, kMaxName - 1)) cursor += 1;
    if (key == kKeyPadNextLetter) NextLetter();
    return 0;
}

void CRecord::Release() {
    HaltChannel(keyChannel);
    keyChannel = nullptr;
    screenShot = nullptr;
}

void CRecord::Draw() {
    SetDrawColor(150, 150, 150);
    DrawImageAt(screenShot, 0, 0, 0);
    SetDrawColor(255, 255, 255);
    SetBlendMode(kBlendAlpha);
    DrawImageAt(imgRecord, 60, 80, 0);
    SetDrawColor(0, 0, 0);
    DrawTextAt(name, 80, 149);
    SetDrawColor(205, 0, 0);
    DrawTextAt(name, 79, 148);
    SetDrawColor(152, 99, 59);
    // The block cursor sits just after the last character (8 pixels each);
    // the wheel's letter, when the cursor was moved back onto one, is underlined.
    FillRect(float(nameLength * 8 + 81), 150, 8, 10);
    if (cursor < nameLength) FillRect(float(cursor * 8 + 80), 158, 8, 2);
    if (OpenGamepadCount() > 0) {
        static const std::string lines[] = {"Pad: Up/Down turn the letter,", "Left/Right move, A next, Start keep"};
        for (int i = 0; i < 2; ++i) {
            const float x = float(160 - TextWidth(lines[i]) / 2), y = float(212 + 11 * i);  // NOLINT
            SetDrawColor(0, 0, 0);
            DrawTextAt(lines[i], x + 1, y + 1);
            SetDrawColor(255, 255, 200);
            DrawTextAt(lines[i], x, y);
        }
    }
}

std::string EnterRecordName() {
    auto entry = std::make_shared<CRecord>();
    entry->Init();
    music->Pause();
    ClearKeys();
    SetPadSpelling(true);
    TraceState("name-entry");
    int result = 0;
    while (result != CRecord::kConfirmed) {
        result = entry->Run();
        entry->Draw();
        PresentFrame(-1);
    }
    SetPadSpelling(false);
    ClearKeys();
    music->Play();
    // Kept for the next time, without the padding.
    std::string kept = entry->name;
    while (!kept.empty() && kept.back() == ' ') kept.pop_back();
    while (!kept.empty() && kept.front() == ' ') kept.erase(kept.begin());
    Settings().lastName = kept;
    SaveSettings();
    std::string text = entry->name;
    while (int(text.size()) < CRecord::kMaxName) text += " ";
    entry->Release();
    return text;
}
