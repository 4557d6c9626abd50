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
    TBiquad airLow = TBiquad::HighPass(3000, 0.7), airHigh = TBiquad::LowPass(7000, 0.7);
    double phase = 0.0, wander = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        // Slow random wander of the pitch: a smoothed random walk.
        wander = 0.999 * wander + 0.001 * rng.Bipolar() * 30.0;
        double f0 = shape.pitch.At(t) *
                    (1.0 + shape.vibratoDepth * std::sin(kTwoPi * shape.vibratoHz * t) + shape.jitter * wander);
        phase += f0 / kRate;
        phase -= std::floor(phase);
        int harmonics = std::clamp(int(9000.0 / std::max(f0, 30.0)), 1, 90);
        double buzz = 0;
        for (int n = 1; n <= harmonics; ++n) buzz += std::sin(kTwoPi * n * phase) / std::pow(double(n), shape.tilt);
        double voiced = shape.voicing.At(t) * buzz * 0.3;
        double source = voiced + shape.breath.At(t) * rng.Bipolar();
        r1.Set(shape.f1.At(t), shape.b1);
        r2.Set(shape.f2.At(t), shape.b2);
        r3.Set(shape.f3.At(t), shape.b3);
        r4.Set(shape.f4.At(t), shape.b4);
        out[i] = float(r4.Process(r3.Process(r2.Process(r1.Process(source)))) +
                       shape.presence * airHigh.Process(airLow.Process(voiced)));
    }
    return out;
}

}  // namespace sfx
