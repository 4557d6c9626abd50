#pragma once
// The status bar and the keeper of the player's resources in a game: carried
// gifts, spare lives, the energy of the current life and the level clock.
#include <memory>
#include <string>

#include "platform/audio/sound.h"

class CLiveBar {
public:
    CLiveBar();  // makes its own channel
    void SetLives(int n);
    void DrawBox(int x, int y, int w, int h);
    void DrawEnergyBar(int x, int y);
    void DrawClockText(const std::string& text, int x, int y);
    void Draw();
    void Damage(float amount);
    void TickSecond();

    // "TIME MM:SS" for a number of seconds.
    static std::string ClockText(int seconds);

    int timeLeft = 0;        // seconds on the level clock
    sq::ChannelRef channel;  // the life-lost sound
    int giftCount = 0;
    int lives = 0;  // spare lives; -1 once the last one is lost
    float energy = 50.0f;
};
using LiveBarRef = std::shared_ptr<CLiveBar>;

inline constexpr float kFullEnergy = 50.0f;

// The clock allotment of a level in seconds (0 for a number outside 1..6).
int LevelTimeAllotment(int level);
// Gives the clock of level 1..6 its allotment (levelTimeLimit and liveBar's
// timeLeft); any other number changes nothing.
void SetLevelTime(int level);
