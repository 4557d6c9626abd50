#pragma once
// A real level drawn through the OpenGL display: the game's own pictures and
// map from the game folder, the level played on for a while by the headless
// simulation, then composed into a hidden window. For pixel tests and the
// drawing benchmarks.
#include <string>

namespace sqtest {

struct TLevelFrameSetup {
    int level = 1;
    // The display mode; the picture is the game's 320 x 240, scaled up to it.
    int width = 320, height = 240;
    int windowScale = 1;  // the window's size in mode pixels
    bool snow = true;
    int steps = 600;  // 5 ms logic steps played before the first frame
    // A plain grey picture behind the map instead of the level's own, so that
    // what the map and the actors put on screen can be told apart.
    bool plainBackground = false;
};

// Opens the display and the level. Returns false with `why` set when there
// is no display or the game data has not been generated.
bool OpenLevelFrame(const TLevelFrameSetup& setup, std::string& why);
// One display frame of play (17 ms, walking right) without drawing.
void StepLevelFrame();
// One 5 ms logic step with these keys held (TSimKey bits); returns playState.
int StepLevelKeys(unsigned keys);
// Puts the level's first monster against the player's right side and plays
// one step, as a monster walking into Santa would; returns whether the
// level loop saw the touch (the next frame then shows the hurt flash).
bool TouchPlayer();
// Composes the frame (background, map layers, actors, snow, HUD).
void DrawLevelFrame();
void CloseLevelFrame();

}  // namespace sqtest
