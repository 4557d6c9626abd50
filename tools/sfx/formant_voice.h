#pragma once
// A small cascade formant voice: a glottal buzz and a breath go through four
// resonators that shape them into vowels, with the things that make a voice
// sound alive rather than like a buzzer: the pitch wavers from one glottal
// cycle to the next (jitter) and so does the loudness (shimmer), the vibrato
// grows in after the onset, the breath puffs with each cycle, and consonants
// add their own hiss above the vowel. Enough for a cry, a giggle and a laugh.
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
    TCurve pitch = 120.0;       // Hz of the buzz
    TCurve voicing = 1.0;       // loudness of the buzz
    TCurve breath = 0.0;        // loudness of the breath, shaped by the vowel
    TCurve frication = 0.0;     // loudness of a consonant's hiss, above the vowel
    double fricationHz = 5000;  // centre of that hiss
    TCurve f1 = 700.0, f2 = 1150.0, f3 = 2500.0, f4 = 3400.0;
    double b1 = 80, b2 = 100, b3 = 160, b4 = 250;
    double vibratoHz = 5.5, vibratoDepth = 0.0;  // depth as a fraction of the pitch
    double vibratoOnset = 0.0;                   // seconds the vibrato takes to grow to full depth
    double jitter = 0.003;                       // slow random pitch wander, fraction
    double cycleJitter = 0.0;                    // pitch change from one cycle to the next, fraction
    double shimmer = 0.0;                        // loudness change from one cycle to the next, fraction
    double tilt = 1.0;                           // harmonic n has level 1/n^tilt
    double presence = 1.0;                       // the buzz above 3 kHz mixed back in: keeps it from sounding muffled
    double air = 0.0;                            // breath above 2.5 kHz mixed back in: the breathiness a listener hears
};

// The voice, `seconds` long. The buzz reaches up to about 15 kHz and rolls off
// gently, with no wall where the harmonics stop.
std::vector<float> RenderVoice(const TVoiceShape& shape, TRandom& rng);

}  // namespace sfx
