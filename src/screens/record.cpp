#include "screens/record.h"

#include "audio/game_music.h"
#include "core/globals.h"
#include "core/trace.h"
#include "platform/input/keyboard.h"
#include "platform/system/text.h"

using namespace sq;

bool NameEntryAccepts(int key) { return key == kKeySpace || (key > 48 && key < 122); }

CRecord::CRecord() : keyChannel(NewChannel()) {}

void CRecord::Init() {
    CTimedSpeed::Init();
    name = "";
    screenShot = GrabScreenImage();
}

int CRecord::Update() {
    int key = FirstKeyHit();
    // Enter wins over a key typed in the same step: that key is dropped.
    if (IsKeyDown(kKeyEnter)) return kConfirmed;
    if (nameLength < kMaxName && NameEntryAccepts(key)) {
        name = name + CharToText(key);
        PlaySoundOn(sndKey, keyChannel);
        nameLength += 1;
        TraceState("name", name);
    }
    if (key == kKeyBackspace && nameLength > 0) {
        nameLength -= 1;
        PlaySoundOn(sndKey, keyChannel);
        name = Substring(name, 1, int(name.size()) - 1);
        TraceState("name", name);
    }
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
    // The block cursor sits just after the last character (8 pixels each).
    FillRect(float(nameLength * 8 + 81), 150, 8, 10);
}

std::string EnterRecordName() {
    auto entry = std::make_shared<CRecord>();
    entry->Init();
    music->Pause();
    ClearKeys();
    TraceState("name-entry");
    int result = 0;
    while (result != CRecord::kConfirmed) {
        result = entry->Run();
        entry->Draw();
        PresentFrame(-1);
    }
    ClearKeys();
    music->Play();
    std::string text = entry->name;
    while (int(text.size()) < CRecord::kMaxName) text += " ";
    entry->Release();
    return text;
}
