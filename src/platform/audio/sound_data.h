#pragma once
// A decoded sound as the mixer plays it: the samples, or the file a streamed
// tune is decoded from while it plays.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sq {

inline constexpr int kMixRate = 44100;

class TSound {
public:
    // Interleaved stereo 16-bit samples at kMixRate (mono files are spread to
    // both sides, other rates are resampled at load time).
    std::vector<int16_t> samples;
    int frames = 0;
    bool loop = false;
    std::string path;
    // Played from the file at `path` instead of `samples` (and `frames` is 0).
    bool streamed = false;
    // A streamed sound's length at kMixRate when it was measured on opening
    // (-1: unknown until a play has opened the file).
    int64_t streamFrames = -1;
    double Seconds() const { return double(frames) / kMixRate; }
};
using SoundRef = std::shared_ptr<TSound>;

}  // namespace sq
