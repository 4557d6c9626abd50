#pragma once
// Building blocks of the game's sound synthesizer: a seeded noise source,
// oscillators, filters and envelopes. Everything here is plain arithmetic on
// doubles with fixed seeds, so a build writes the same samples every time.
#include <cmath>
#include <cstdint>
#include <vector>

namespace sfx {

inline constexpr int kRate = 44100;
inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2.0 * kPi;

inline int Samples(double seconds) { return int(std::lround(seconds * kRate)); }
inline double MidiToHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }
inline double DbToGain(double db) { return std::pow(10.0, db / 20.0); }
inline double GainToDb(double g) { return g > 1e-12 ? 20.0 * std::log10(g) : -240.0; }

// splitmix64: our own generator, because the standard distributions may
// differ between library versions and the data must not.
class TRandom {
public:
    explicit TRandom(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Uniform() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }  // [0, 1)
    double Bipolar() { return 2.0 * Uniform() - 1.0; }                              // [-1, 1)
    double Range(double a, double b) { return a + (b - a) * Uniform(); }

private:
    uint64_t state_;
};

// Stable seed from a name, so each sound gets its own noise.
uint64_t SeedFromName(const char* name);

// Phase-accumulating oscillator. Saw and square are band-limited with
// polyBLEP corrections so high notes do not alias into whistles.
class TOsc {
public:
    explicit TOsc(double phase = 0.0) : phase_(phase) {}
    // Advance by one sample at frequency hz; returns the waveform value.
    double Sine(double hz);
    double Saw(double hz);
    double Square(double hz);
    double Triangle(double hz);
    double Phase() const { return phase_; }

private:
    double Step(double hz);
    double phase_;  // 0..1
};

// Topology-preserving state-variable filter: safe to sweep every sample.
class TSvf {
public:
    struct TOut {
        double low, band, high;
    };
    TSvf() { Set(1000.0, 0.707); }
    void Set(double cutoff, double q);
    TOut Process(double x);
    void Reset() { ic1_ = ic2_ = 0.0; }

private:
    double k_ = 1.4, a1_ = 0, a2_ = 0, a3_ = 0;
    double ic1_ = 0, ic2_ = 0;
};

// Second-order section with the usual cookbook designs.
class TBiquad {
public:
    static TBiquad LowPass(double f, double q);
    static TBiquad HighPass(double f, double q);
    static TBiquad BandPass(double f, double q);  // 0 dB at the centre
    static TBiquad Peaking(double f, double q, double gainDb);
    static TBiquad LowShelf(double f, double gainDb);
    static TBiquad HighShelf(double f, double gainDb);
    double Process(double x) {
        double y = b0_ * x + z1_;
        z1_ = b1_ * x - a1_ * y + z2_;
        z2_ = b2_ * x - a2_ * y;
        return y;
    }
    void Reset() { z1_ = z2_ = 0.0; }
    void ProcessInPlace(std::vector<float>& v) {
        for (float& s : v) s = float(Process(s));
    }

private:
    TBiquad(double b0, double b1, double b2, double a0, double a1, double a2)
        : b0_(b0 / a0), b1_(b1 / a0), b2_(b2 / a0), a1_(a1 / a0), a2_(a2 / a0) {}
    double b0_, b1_, b2_, a1_, a2_;
    double z1_ = 0, z2_ = 0;
};

// Two-pole resonator with unity gain at DC, the classic formant filter of a
// cascade voice synthesizer. Frequency and bandwidth may change every sample.
class TResonator {
public:
    void Set(double freq, double bandwidth);
    double Process(double x) {
        double y = a_ * x + b_ * y1_ + c_ * y2_;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    double a_ = 1, b_ = 0, c_ = 0, y1_ = 0, y2_ = 0;
};

// Attack-decay-sustain-release envelope. A note held for `gate` seconds
// lasts gate + release; a gate shorter than the attack releases from the
// level reached, so there is never a jump.
struct TAdsr {
    double attack = 0.01, decay = 0.1, sustain = 1.0, release = 0.1;
    double Length(double gate) const { return gate + release; }
    int LengthSamples(double gate) const { return Samples(Length(gate)); }
    double At(double t, double gate) const;
    std::vector<float> Render(double gate) const;

private:
    double Held(double t) const;  // the level while the gate is open
};

// exp(-t / tau), the decay of anything struck.
inline double Decay(double t, double tau) { return t < 0 ? 0.0 : std::exp(-t / tau); }

// Pink-ish noise (Paul Kellet's economy filter), for breath and wind.
class TPinkNoise {
public:
    double Next(TRandom& rng);

private:
    double b0_ = 0, b1_ = 0, b2_ = 0;
};

}  // namespace sfx
