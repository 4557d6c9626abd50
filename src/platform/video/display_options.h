#pragma once
// How the display is opened: a window or the full screen, and its scale.

namespace sq {

struct TDisplayOptions {
    bool windowed = false;  // a window at an integer scale instead of full screen
    int windowScale = 0;    // 0: the largest integer scale that fits the desktop
    bool hidden = false;    // tests: a hidden window (still renders)
};

// The largest whole scale of a width x height picture whose window fits the
// desktop (at least 1; 1 before the video starts).
int LargestWindowScale(int width, int height);

}  // namespace sq
