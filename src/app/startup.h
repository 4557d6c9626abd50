#pragma once
// app/: start-up, resources, the screen flow and the replays. Uses every
// floor below it.
//
// Start-up, the splash, the choice of display mode, and shutdown.
#include <functional>

struct TStartOptions {
    bool windowed = false;      // a window instead of the full screen
    bool displayGiven = false;  // windowed was asked for this run: the settings do not choose
    bool sound = true;          // false: no sound device is opened
    bool headless = false;      // no window and no sound device (replays, demo making)
    int startLevel = 0;         // 1..6: that level alone from its start, no menu (demos)
    bool oneGame = false;       // one game as the menu starts it, no splash or menu (recorded games)
    // With oneGame or startLevel: just before the game or the level (a
    // recording or replay takes over there), and as soon as it has ended.
    // With startLevel, the level then starts from the state start-up left.
    std::function<void()> beforeGame;
    std::function<void()> afterGame;
    std::function<void()> beforeShutDown;  // sees the final state of the run
    bool keepDisplay = false;              // the window stays open for another run (soaks)
};

// The whole run: start-up, the title menu until Quit, shutdown. Returns the
// exit status (0). A close request or a quit signal ends the run the same
// way from any screen, abandoning a game in progress. A second call in the
// same process returns at once.
int RunGame(const TStartOptions& options);
// Lets RunGame run once more in this process, from a fresh start: every
// global and resource is let go first. For soaks that play a whole run over
// and over.
void AllowAnotherRun();

// The objects that live for the whole run: gameScore, the frame counters, gameLoop, player, snow,
// title, liveBar, gifts and music, in that order.
void CreateLongLivedObjects();

// The splash picture, faded in, held six seconds and faded out. `whileHeld`
// is done while the picture is held still (the loading of the game's data).
void ShowSplash(const std::function<void()>& whileHeld = {});
void ChooseDisplayMode();
// OpenGraphicsMode, stopping the game with a clear message when the display
// cannot be opened.
void OpenDisplay(int width, int height, int depth, int hz, int flags);
