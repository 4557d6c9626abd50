#pragma once
// How the display is opened: a window or the full screen, and its scale.

namespace sq {

struct TDisplayOptions {
    bool windowed = false;  // a window at an integer scale instead of full screen
    int windowScale = 0;    // 0: the largest integer scale that fits the desktop
    bool hidden = false;    // tests: a hidden window (still renders)
};

}  // namespace sq
