#pragma once
// A tiny cascade formant voice: a buzzing glottal source and a hiss go
// through four resonators that shape them into vowels. Enough for a cry, a
// giggle and a jolly laugh.
#include <utility>
#include <vector>

#include "dsp.h"

namespace sfx {

// A value that moves in straight lines between (time, value) points and holds
// its end values outside them.
struct TCurve {
    std::vector<std::pair<double, double>> points;
    TCurve() = default;
    TCurve(std::initializer_list<std::pair<double, double>> p) : points(p) {}
    TCurve(double constant) : points{{0.0, constant}} {}
    double At(double t) const;
};

struct TVoiceShape {
    double seconds = 0.5;
    TCurve pitch = 120.0;  // Hz of the buzz
    TCurve voicing = 1.0;  // loudness of the buzz
    TCurve breath = 0.0;   // loudness of the hiss
    TCurve f1 = 700.0, f2 = 1150.0, f3 = 2500.0, f4 = 3400.0;
    double b1 = 80, b2 = 100, b3 = 160, b4 = 250;
    double vibratoHz = 5.5, vibratoDepth = 0.0;  // depth as a fraction of the pitch
    double jitter = 0.003;                       // random pitch wander, fraction
    double tilt = 1.0;                           // harmonic n has level 1/n^tilt
    double presence = 1.0;  // the buzz between 3 and 7 kHz mixed back in: keeps it from sounding muffled
};

std::vector<float> RenderVoice(const TVoiceShape& shape, TRandom& rng);

}  // namespace sfx
