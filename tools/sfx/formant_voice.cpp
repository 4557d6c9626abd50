#include "formant_voice.h"

#include <algorithm>
#include <cmath>

namespace sfx {

double TCurve::At(double t) const {
    if (points.empty()) return 0.0;
    if (t <= points.front().first) return points.front().second;
    for (size_t i = 1; i < points.size(); ++i) {
        if (t <= points[i].first) {
            const auto& a = points[i - 1];
            const auto& b = points[i];
            double span = b.first - a.first;
            double u = span > 0 ? (t - a.first) / span : 1.0;
            return a.second + (b.second - a.second) * u;
        }
    }
    return points.back().second;
}

std::vector<float> RenderVoice(const TVoiceShape& shape, TRandom& rng) {
    std::vector<float> out(size_t(Samples(shape.seconds)));
    TResonator r1, r2, r3, r4;
    TBiquad presenceLow = TBiquad::HighPass(3000, 0.7), presenceHigh = TBiquad::LowPass(12000, 0.6);
    TBiquad airLow = TBiquad::HighPass(2500, 0.7), airHigh = TBiquad::LowPass(13000, 0.6);
    TBiquad hissBand = TBiquad::BandPass(shape.fricationHz, 0.9);
    TBiquad hissSoft = TBiquad::LowPass(14000, 0.6);
    const double topHz = 15000.0;
    const int kMaxHarmonics = 200;
    std::vector<double> level(kMaxHarmonics + 1);
    for (int n = 1; n <= kMaxHarmonics; ++n) level[size_t(n)] = 1.0 / std::pow(double(n), shape.tilt);
    double phase = 0.0, wander = 0.0;
    double cyclePitch = 1.0, cycleLevel = 1.0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        // Slow random wander of the pitch: a smoothed random walk.
        wander = 0.999 * wander + 0.001 * rng.Bipolar() * 30.0;
        double vibrato = shape.vibratoDepth * std::sin(kTwoPi * shape.vibratoHz * t);
        if (shape.vibratoOnset > 0) vibrato *= std::min(1.0, t / shape.vibratoOnset);
        double f0 = shape.pitch.At(t) * (1.0 + vibrato + shape.jitter * wander) * cyclePitch;
        phase += f0 / kRate;
        if (phase >= 1.0) {
            // A new glottal cycle: its length and strength differ a little.
            phase -= std::floor(phase);
            cyclePitch = 1.0 + shape.cycleJitter * rng.Bipolar();
            cycleLevel = 1.0 + shape.shimmer * rng.Bipolar();
        }
        // Harmonics fade out towards the top instead of stopping at a wall.
        int harmonics = std::clamp(int(topHz / std::max(f0, 30.0)), 1, kMaxHarmonics);
        double buzz = 0;
        for (int n = 1; n <= harmonics; ++n) {
            double hz = n * f0;
            double edge = hz < topHz * 0.6 ? 1.0 : 0.5 + 0.5 * std::cos(kPi * (hz - topHz * 0.6) / (topHz * 0.4));
            buzz += std::sin(kTwoPi * n * phase) * level[size_t(n)] * edge;
        }
        double voiced = shape.voicing.At(t) * buzz * 0.3 * cycleLevel;
        // Breath puffs as the folds open: stronger in the first half of a cycle.
        double puff = 0.65 + 0.35 * std::cos(kTwoPi * phase);
        double breath = shape.breath.At(t) * rng.Bipolar() * (shape.voicing.At(t) > 0.05 ? puff : 1.0);
        double source = voiced + breath;
        r1.Set(shape.f1.At(t), shape.b1);
        r2.Set(shape.f2.At(t), shape.b2);
        r3.Set(shape.f3.At(t), shape.b3);
        r4.Set(shape.f4.At(t), shape.b4);
        double vowel = r4.Process(r3.Process(r2.Process(r1.Process(source))));
        double hiss = hissSoft.Process(hissBand.Process(rng.Bipolar())) * shape.frication.At(t);
        out[i] = float(vowel + shape.presence * presenceHigh.Process(presenceLow.Process(voiced)) +
                       shape.air * airHigh.Process(airLow.Process(breath)) + hiss);
    }
    return out;
}

}  // namespace sfx
