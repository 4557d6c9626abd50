#pragma once
// Watching a replay drawn on screen: F doubles the speed (1, 2, 4, 8 times,
// then back to 1), P or Space holds the replay still and lets it go again.
// The speed is shown over every frame and in the window's caption. Only
// when things happen changes; what happens is the recording's.
#include <cstdint>

// The player's key that doubles the speed, and the ones that hold it still.
inline constexpr int kWatchFaster = 'F';
inline constexpr int kWatchHold = 'P';

// Installed for the life of the object (one replay).
class TReplayWatch {
public:
    TReplayWatch();
    ~TReplayWatch();
    TReplayWatch(const TReplayWatch&) = delete;
    TReplayWatch& operator=(const TReplayWatch&) = delete;
};

// The caption for a speed (0: held still): "REPLAY 2X", "REPLAY HELD".
const char* WatchCaption(int speed);
// The speed after `key` was pressed at `speed` (held: 0), and whether the
// replay is then held; keys that mean nothing leave both as they are.
struct TWatchState {
    int speed = 1;
    bool held = false;
};
TWatchState WatchKey(TWatchState state, int key);
