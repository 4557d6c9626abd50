#include "dsp.h"

#include <algorithm>

namespace sfx {

uint64_t SeedFromName(const char* name) {
    uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (const char* p = name; *p; ++p) {
        h ^= uint8_t(*p);
        h *= 1099511628211ull;
    }
    return h;
}

namespace {
double PolyBlep(double t, double dt) {
    if (dt <= 0.0) return 0.0;
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}
}  // namespace

double TOsc::Step(double hz) {
    double dt = std::clamp(hz / kRate, 0.0, 0.5);
    phase_ += dt;
    if (phase_ >= 1.0) phase_ -= std::floor(phase_);
    return dt;
}

double TOsc::Sine(double hz) {
    double v = std::sin(kTwoPi * phase_);
    Step(hz);
    return v;
}

double TOsc::Saw(double hz) {
    double dt = std::clamp(hz / kRate, 0.0, 0.5);
    double v = 2.0 * phase_ - 1.0 - PolyBlep(phase_, dt);
    Step(hz);
    return v;
}

double TOsc::Square(double hz) {
    double dt = std::clamp(hz / kRate, 0.0, 0.5);
    double v = phase_ < 0.5 ? 1.0 : -1.0;
    v += PolyBlep(phase_, dt);
    double shifted = phase_ + 0.5;
    if (shifted >= 1.0) shifted -= 1.0;
    v -= PolyBlep(shifted, dt);
    Step(hz);
    return v;
}

double TOsc::Triangle(double hz) {
    double v = phase_ < 0.5 ? 4.0 * phase_ - 1.0 : 3.0 - 4.0 * phase_;
    Step(hz);
    return v;
}

void TSvf::Set(double cutoff, double q) {
    cutoff = std::clamp(cutoff, 10.0, kRate * 0.45);
    double g = std::tan(kPi * cutoff / kRate);
    k_ = 1.0 / std::max(q, 0.05);
    a1_ = 1.0 / (1.0 + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
}

TSvf::TOut TSvf::Process(double x) {
    double v3 = x - ic2_;
    double v1 = a1_ * ic1_ + a2_ * v3;
    double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    return {v2, v1, x - k_ * v1 - v2};
}

TBiquad TBiquad::LowPass(double f, double q) {
    double w = kTwoPi * f / kRate, c = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    return TBiquad((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

TBiquad TBiquad::HighPass(double f, double q) {
    double w = kTwoPi * f / kRate, c = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    return TBiquad((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

TBiquad TBiquad::BandPass(double f, double q) {
    double w = kTwoPi * f / kRate, c = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    return TBiquad(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
}

TBiquad TBiquad::Peaking(double f, double q, double gainDb) {
    double a = std::pow(10.0, gainDb / 40.0);
    double w = kTwoPi * f / kRate, c = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    return TBiquad(1 + alpha * a, -2 * c, 1 - alpha * a, 1 + alpha / a, -2 * c, 1 - alpha / a);
}

TBiquad TBiquad::LowShelf(double f, double gainDb) {
    double a = std::pow(10.0, gainDb / 40.0);
    double w = kTwoPi * f / kRate, c = std::cos(w), s = std::sin(w);
    double alpha = s / 2.0 * std::sqrt(2.0), sa = 2.0 * std::sqrt(a) * alpha;
    return TBiquad(a * ((a + 1) - (a - 1) * c + sa), 2 * a * ((a - 1) - (a + 1) * c), a * ((a + 1) - (a - 1) * c - sa),
                   (a + 1) + (a - 1) * c + sa, -2 * ((a - 1) + (a + 1) * c), (a + 1) + (a - 1) * c - sa);
}

TBiquad TBiquad::HighShelf(double f, double gainDb) {
    double a = std::pow(10.0, gainDb / 40.0);
    double w = kTwoPi * f / kRate, c = std::cos(w), s = std::sin(w);
    double alpha = s / 2.0 * std::sqrt(2.0), sa = 2.0 * std::sqrt(a) * alpha;
    return TBiquad(a * ((a + 1) + (a - 1) * c + sa), -2 * a * ((a - 1) + (a + 1) * c), a * ((a + 1) + (a - 1) * c - sa),
                   (a + 1) - (a - 1) * c + sa, 2 * ((a - 1) - (a + 1) * c), (a + 1) - (a - 1) * c - sa);
}

void TResonator::Set(double freq, double bandwidth) {
    double r = std::exp(-kPi * bandwidth / kRate);
    c_ = -r * r;
    b_ = 2.0 * r * std::cos(kTwoPi * freq / kRate);
    a_ = 1.0 - b_ - c_;
}

double TAdsr::Held(double t) const {
    if (t < attack) return attack > 0 ? t / attack : 1.0;
    t -= attack;
    if (t < decay) return 1.0 - (1.0 - sustain) * (t / decay);
    return sustain;
}

double TAdsr::At(double t, double gate) const {
    if (t < 0) return 0.0;
    if (t < gate) return Held(t);
    double from = Held(gate);
    double r = release > 0 ? (t - gate) / release : 1.0;
    if (r >= 1.0) return 0.0;
    double fall = 1.0 - r;
    return from * fall * fall;  // a rounded tail: quiet notes fade without a step
}

std::vector<float> TAdsr::Render(double gate) const {
    std::vector<float> out(size_t(LengthSamples(gate)));
    for (size_t i = 0; i < out.size(); ++i) out[i] = float(At(double(i) / kRate, gate));
    return out;
}

double TPinkNoise::Next(TRandom& rng) {
    double white = rng.Bipolar();
    b0_ = 0.99765 * b0_ + white * 0.0990460;
    b1_ = 0.96300 * b1_ + white * 0.2965164;
    b2_ = 0.57000 * b2_ + white * 1.0526913;
    return (b0_ + b1_ + b2_ + white * 0.1848) * 0.2;
}

}  // namespace sfx
