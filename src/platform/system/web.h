#pragma once
// The browser build's ties to its page. In the browser the game runs on the
// page's only thread: every frame and every wait hands control back to the
// browser, which shows the frame, delivers keys and plays sound meanwhile.
// On the desktop each of these does nothing.
#include <cstdint>

namespace sq::web {

// Whether this is the browser build.
constexpr bool kBrowser =
#ifdef __EMSCRIPTEN__
    true;
#else
    false;
#endif

// Gives control to the browser until its next animation frame, when the
// frame just drawn has been shown.
void WaitAnimationFrame();
// Gives control to the browser for about `ms` milliseconds.
void Sleep(uint32_t ms);
// Something to run at every hand-over (the tune decoder fills its rings).
void SetYieldHook(void (*hook)());
// Copies the saved files to the browser's storage (asynchronously), so the
// high-score table outlives the tab.
void PersistSavedFiles();
// Ends the run with `status`: in the browser the page learns that the game
// is over (a game that has handed control to the browser cannot simply
// return from main). On the desktop it returns, and main returns.
void EndRun(int status);
// The size in pixels the canvas should have for a mode of modeW x modeH, as
// the page asks: the size it shows the canvas at (whole multiples, enlarged
// without smoothing), or, when the page fills its window smoothly, the mode's
// size times the whole number that reaches that size, so that the page's
// smoothing never blurs a game pixel across more than one screen pixel.
// False when the page has not said (and always on the desktop).
bool CanvasPixels(int modeW, int modeH, int& w, int& h);
// Where the browser build keeps its data and its saved files.
inline constexpr const char* kDataDir = "/game/";
inline constexpr const char* kSaveDir = "/save/";

}  // namespace sq::web
