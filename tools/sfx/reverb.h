#pragma once
// A small stereo hall (parallel damped combs into series all-passes), and a
// way to run it over a loop so the tail of the end rings on into the start.
#include <vector>

#include "wave.h"

namespace sfx {

struct TReverbSettings {
    double wet = 0.2;       // level of the reverberated signal
    double room = 0.8;      // comb feedback 0..1: the length of the tail
    double damping = 0.35;  // high frequencies die faster
    double preDelay = 0.012;
};

class TReverb {
public:
    explicit TReverb(const TReverbSettings& settings);
    // One stereo frame in, the wet signal out (dry not included).
    void Process(float inL, float inR, float& outL, float& outR);

private:
    struct TComb {
        std::vector<float> buf;
        size_t pos = 0;
        float store = 0;
        float Process(float x, float feedback, float damp);
    };
    struct TAllPass {
        std::vector<float> buf;
        size_t pos = 0;
        float Process(float x);
    };
    TReverbSettings settings_;
    std::vector<TComb> combL_, combR_;
    std::vector<TAllPass> allL_, allR_;
    std::vector<float> preL_, preR_;
    size_t prePos_ = 0;
};

// Adds reverb to a stereo wave. With loop set the wave is taken as one turn
// of an endless repetition: the reverb runs over it twice and the second turn
// is kept, so the end's tail is already sounding at the start and the file
// repeats without a seam. Otherwise the wave grows by tailSeconds.
void AddReverb(TWave& wave, const TReverbSettings& settings, bool loop, double tailSeconds = 0.0);

}  // namespace sfx
