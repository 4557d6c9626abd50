#pragma once
// The new-record name entry: up to 12 characters typed over the last frame
// of the game, confirmed with Enter. It starts with the last name entered on
// this computer. A pad spells it on a letter wheel: Up and Down turn the
// letter under the cursor (A-Z, 0-9, space), Left and Right move the cursor,
// the south button adds the next letter and Start keeps the name.
#include <string>

#include "core/timed_speed.h"
#include "platform/audio/sound.h"
#include "platform/video/graphics.h"

class CRecord : public CTimedSpeed {
public:
    static constexpr int kMaxName = 12;
    static constexpr int kConfirmed = 100;

    CRecord();  // makes the key-click channel
    void Init() override;
    int Update() override;
    void Release();
    void Draw();

    sq::ChannelRef keyChannel;
    std::string name;
    sq::ImageRef screenShot;
    int nameLength = 0;
    int cursor = 0;  // the letter the wheel turns

private:
    void TurnLetter(int by);
    void NextLetter();
};

// The wheel's letters, in turning order.
inline constexpr const char* kNameWheel = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ";

// Whether a key code types a character into the name: Space, and the codes
// from 49 ('1') to 121 (so the 0 key, code 48, types nothing).
bool NameEntryAccepts(int key);

// Runs the entry; the name comes back padded with spaces to 12 characters.
std::string EnterRecordName();
