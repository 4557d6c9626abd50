#pragma once
// Start-up, the splash, the choice of display mode, and shutdown.

inline constexpr const char* kSplashFile = "gfx/splash.png";

struct TStartOptions {
    bool windowed = false;  // a window instead of the full screen
};

// The whole run: start-up, the title menu until Quit, shutdown. Returns the
// exit status (0). A second call in the same process returns at once.
int RunGame(const TStartOptions& options);

// Start-up step 7: gameScore, the frame counters, gameLoop, player, snow,
// title, liveBar, gifts and music, in that order.
void CreateLongLivedObjects();

void ShowSplash();
void ChooseDisplayMode();
// OpenGraphicsMode, stopping the game with a clear message when the display
// cannot be opened.
void OpenDisplay(int width, int height, int depth, int hz, int flags);

// Waits until more than `ms` milliseconds have passed; nothing is drawn and
// no events are processed meanwhile.
void WaitMillis(float ms);
// Gives the processor away for about a millisecond inside a polling loop.
void IdlePoll();

// Tests: lets RunGame run once more in this process.
void AllowAnotherRun();
