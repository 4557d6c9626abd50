#pragma once
// How the display is opened: a window or the full screen, and its scale.

namespace sq {

struct TDisplayOptions {
    bool windowed = false;  // a window at an integer scale instead of full screen
    int windowScale = 0;    // 0: the largest integer scale that fits the desktop
    // The player's choice: a window this many times the game's picture
    // (pictureWidth x pictureHeight, whatever the mode's size); 0: windowScale decides.
    int pictureScale = 0;
    int pictureWidth = 320, pictureHeight = 240;
    bool hidden = false;  // tests: a hidden window (still renders)
};

// The largest whole scale of a width x height picture whose window fits the
// desktop (at least 1; 1 before the video starts).
int LargestWindowScale(int width, int height);

}  // namespace sq
