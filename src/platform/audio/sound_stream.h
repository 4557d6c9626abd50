#pragma once
// Inside the sound system: long sounds played straight from their Ogg file.
// Every play of a streamed sound gets a ring of decoded frames that one
// background thread keeps topped up and the mixer drains. The game thread
// only starts and cancels plays; it never decodes and never waits for the
// decoder. Nothing here is for the game; it uses sound.h.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/audio/mixer.h"

namespace sq::streaming {

// About 1.5 s of sound: room for the decoder to be late on a busy machine.
inline constexpr uint32_t kRingFrames = 1u << 16;

struct TDecoder;  // the open file, touched only by the decoding thread

// One play of a streamed sound, from its beginning.
class TStreamPlay {
public:
    TStreamPlay(std::string path, bool loop);
    ~TStreamPlay();
    TStreamPlay(const TStreamPlay&) = delete;
    TStreamPlay& operator=(const TStreamPlay&) = delete;

    mixer::TStreamRing ring;
    const std::string path;
    const bool loop;
    std::atomic<bool> cancelled{false};
    std::atomic<bool> failed{false};       // the file could not be read to its end
    std::atomic<int64_t> totalFrames{-1};  // at the mixing rate, once the file is open
    std::unique_ptr<TDecoder> decoder;
};
using StreamPlayRef = std::shared_ptr<TStreamPlay>;

// A stream's length at the mixing rate: its first link's `frames` at `rate`.
int64_t FramesAtMixRate(int64_t frames, long rate);

// Hands a new play to the decoding thread (started on first use).
StreamPlayRef StartPlay(const std::string& path, bool loop);
// The decoder lets go of the play's file; the mixer may still read its ring.
void CancelPlay(TStreamPlay& play);

// Tests: stop and restart the decoding thread's work, and wait until every
// play is topped up (or has ended). False when that took unreasonably long.
void HoldDecoding(bool hold);
int LivePlays();  // plays whose ring is still held by anyone
bool WaitUntilSettled();

}  // namespace sq::streaming
