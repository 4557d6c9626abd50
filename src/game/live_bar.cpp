#include "game/live_bar.h"

#include "audio/game_music.h"
#include "core/globals.h"
#include "game/level_table.h"
#include "platform/system/runtime_error.h"
#include "platform/system/text.h"
#include "platform/video/graphics.h"

using namespace sq;

namespace {

// White HUD lettering with a black rim all round: it reads over dark sky,
// snow, ice, tiles and monsters alike, and keeps the bar apart from the
// level's own gifts drawn near the top of the view.
void DrawRimmedText(const std::string& text, float x, float y) {
    SetDrawColor(0, 0, 0);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx != 0 || dy != 0) DrawTextAt(text, x + float(dx), y + float(dy));
    SetDrawColor(255, 255, 255);
    DrawTextAt(text, x, y);
}

}  // namespace

CLiveBar::CLiveBar() : channel(NewChannel()) {}

void CLiveBar::SetLives(int n) {
    lives = n - 1;  // the life being played is not a spare one
    energy = kFullEnergy;
}

void CLiveBar::DrawBox(int x, int y, int w, int h) {
    DrawLineSegment(float(x), float(y), float(x + w), float(y), 1);
    DrawLineSegment(float(x), float(y + h), float(x + w), float(y + h), 1);
    DrawLineSegment(float(x), float(y), float(x), float(y + h), 1);
    DrawLineSegment(float(x + w), float(y), float(x + w), float(y + h), 1);
}

void CLiveBar::DrawEnergyBar(int x, int y) {
    // Three greens, darkest for the last 10 points, framed in grey.
    SetDrawColor(80, 80, 80);
    DrawBox(x - 1, y - 1, 51, 4);
    SetDrawColor(2, 141, 0);
    if (energy <= 10) {
        FillRect(float(x), float(y), energy, 3);
    } else {
        FillRect(float(x), float(y), 10, 3);
        SetDrawColor(1, 192, 0);
        if (energy <= 25) {
            FillRect(float(x + 10), float(y), energy - 10, 3);
        } else {
            FillRect(float(x + 10), float(y), 15, 3);
            SetDrawColor(0, 255, 0);
            if (energy <= 50) FillRect(float(x + 25), float(y), energy - 25, 3);
        }
    }
    SetDrawColor(255, 255, 255);
}

void CLiveBar::DrawClockText(const std::string& text, int, int) {
    // The black shadow one pixel down and right is part of the rim.
    DrawRimmedText(text, 119, 7);
}

std::string CLiveBar::ClockText(int seconds) {
    return "TIME " + PadLeft(IntToText(seconds / 60), 2, "0") + ":" + PadLeft(IntToText(seconds % 60), 2, "0");
}

void CLiveBar::Draw() {
    DrawImageAt(imgPacco, 12, 10, 0);
    DrawRimmedText("x" + IntToText(giftCount), 19, 5);
    if (lives >= 0) {
        // One icon per life, the one being played included, ending at the right edge.
        for (int i = lives; i >= 0; --i) DrawImageAt(imgLives, float(316 - 16 * (i + 1)), 4, 0);
        DrawEnergyBar(266, 25);
    }
    DrawClockText(ClockText(timeLeft), 120, 8);
    DrawImageAt(imgTimer, 92, -4, 0);
}

void CLiveBar::Damage(float amount) {
    if (lives < 0) return;  // the game is over
    energy -= amount;
    if (energy > 0) {
        playerDying = 0;
        return;
    }
    if (lives == 0) {
        playState = kPlayStateGameOver;
    } else {
        RequireObject(music, "music");
        music->Pause();
        PlaySoundOn(sndDead, channel);
    }
    lives -= 1;
    energy = kFullEnergy;
    playerDying = 1;
}

void CLiveBar::TickSecond() {
    timeLeft -= 1;
    // "<= 0" rather than "== 0": a clock that was never set must not run
    // down through the negative numbers without ever costing a life.
    if (timeLeft <= 0) {
        energy = 0;
        Damage(0);
        SetLevelTime(currentLevel);
    }
}

int LevelTimeAllotment(int level) {
    if (level < 1 || level > kLevelCount) return 0;
    return LevelInfo(level).timeLimit;
}

void SetLevelTime(int level) {
    if (level < 1 || level > kLevelCount) return;
    levelTimeLimit = LevelTimeAllotment(level);
    RequireObject(liveBar, "liveBar");
    liveBar->timeLeft = levelTimeLimit;
}
