#include "app/pause.h"

#include "audio/game_music.h"
#include "core/globals.h"
#include "game/main_game_loop.h"
#include "platform/input/keyboard.h"
#include "platform/system/clock.h"
#include "platform/video/graphics.h"

using namespace sq;

namespace {

constexpr int kKeyPause = 'P';
constexpr const char* kPausedText = "PAUSED";

// Lets the clock and the music go again however the pause ends (a close
// request unwinds through it).
class THold {
public:
    THold() {
        HoldGameClock(true);
        if (music && music->channel) music->channel->SetSuspended(1);
    }
    ~THold() {
        if (music && music->channel) music->channel->SetSuspended(0);
        HoldGameClock(false);
    }
    THold(const THold&) = delete;
    THold& operator=(const THold&) = delete;
};

void DrawPausedText() {
    // Centred on whole pixels: half an odd width is dropped.
    const float x = float(160 - TextWidth(kPausedText) / 2), y = 112;  // NOLINT(bugprone-integer-division)
    int r = 0, g = 0, b = 0;
    GetDrawColor(r, g, b);
    const float alpha = GetDrawAlpha();
    const int blend = GetBlendMode();
    SetBlendMode(kBlendAlpha);
    // A dimmed band keeps the word readable over any part of the level.
    SetDrawAlpha(0.5f);
    SetDrawColor(0, 0, 0);
    FillRect(0, y - 8, 320, 32);
    SetDrawAlpha(1);
    DrawTextAt(kPausedText, x + 1, y + 1);
    SetDrawColor(255, 255, 255);
    DrawTextAt(kPausedText, x, y);
    SetDrawColor(r, g, b);
    SetDrawAlpha(alpha);
    SetBlendMode(blend);
}

}  // namespace

bool PauseWanted() {
    bool focusLost = TakeFocusLost();
    return KeyHitCount(kKeyPause) > 0 || focusLost;
}

void ForgetPauseRequests() {
    TakeFocusLost();
    KeyHitCount(kKeyPause);
}

void RunPause() {
    THold hold;
    ClearKeys();
    for (;;) {
        gameLoop->Draw();
        DrawPausedText();
        PresentFrame(1);
        if (FirstKeyHit() != 0) break;
    }
    // The key that ended the pause is not also a move.
    ClearKeys();
}
