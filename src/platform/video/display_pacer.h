#pragma once
// Software frame pacing for displays whose buffer swap does not wait for the
// vertical blank: frames are spaced 1000 / hz ms apart (truncated), with one
// extra millisecond whenever the dropped remainders add up to a whole frame
// rate, so that hz frames take exactly 1000 ms.
#include <cstdint>

namespace sq {

class IClock;

class TFramePacer {
public:
    // Starts pacing at `hz` frames per second from time `now`; hz <= 0 stops it.
    void Start(int hz, uint32_t now);
    void Stop() { hz_ = 0; }
    // Sleeps on `clock` until the next frame is due. A frame that is already
    // late is shown at once and the schedule restarts from now, so one slow
    // frame does not cause a burst of fast ones.
    void WaitForNextFrame(IClock& clock);

private:
    int hz_ = 0;
    int step_ = 0;       // 1000 / hz, truncated
    int remainder_ = 0;  // 1000 - hz * step, gathered per frame
    int gathered_ = 0;
    uint32_t next_ = 0;
};

}  // namespace sq
