#include "instruments.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace sfx {

EPatch PatchFromName(const std::string& name) {
    static const struct {
        const char* name;
        EPatch patch;
    } kNames[] = {{"flute", EPatch::kFlute}, {"celesta", EPatch::kCelesta},   {"bells", EPatch::kBells},
                  {"brass", EPatch::kBrass}, {"clarinet", EPatch::kClarinet}, {"pluck", EPatch::kPluck},
                  {"pad", EPatch::kPad},     {"organ", EPatch::kOrgan},       {"bass", EPatch::kBass},
                  {"tuba", EPatch::kTuba},   {"musicbox", EPatch::kMusicBox}, {"kit", EPatch::kKit}};
    for (const auto& n : kNames)
        if (name == n.name) return n.patch;
    throw std::invalid_argument("unknown instrument '" + name + "'");
}

namespace {

using Buffer = std::vector<float>;

Buffer Flute(const TNote& n, TRandom& rng) {
    TAdsr env{0.06, 0.15, 0.8, 0.15};
    Buffer out(size_t(env.LengthSamples(n.gate)));
    TSvf breath;
    breath.Set(std::min(n.hz * 2.0, 8000.0), 2.5);
    TSvf chiff;
    chiff.Set(3000, 0.7);
    double ph = rng.Uniform();
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double depth = t > 0.25 ? std::min(1.0, (t - 0.25) / 0.3) * 0.005 : 0.0;
        double f = n.hz * (1.0 + depth * std::sin(kTwoPi * 5.2 * t));
        ph += f / kRate;
        ph -= std::floor(ph);
        double tone = std::sin(kTwoPi * ph) + 0.2 * std::sin(2 * kTwoPi * ph) + 0.07 * std::sin(3 * kTwoPi * ph);
        double noise = rng.Bipolar();
        double air = breath.Process(noise).band * 0.25 + chiff.Process(noise).high * 0.25 * Decay(t, 0.02);
        out[i] = float(env.At(t, n.gate) * (0.8 * tone + air) * n.velocity);
    }
    return out;
}

Buffer Celesta(const TNote& n, TRandom&) {
    double ring = std::clamp(1.3 * std::sqrt(523.0 / n.hz), 0.4, 2.0);
    double gate = std::max(n.gate, 0.25);
    Buffer out(size_t(Samples(gate + 0.5)));
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double w = kTwoPi * n.hz * t;
        double v = std::sin(w) * Decay(t, ring) + 0.3 * std::sin(2 * w) * Decay(t, ring * 0.35) +
                   0.12 * std::sin(4.0 * w) * Decay(t, 0.08) + 0.1 * std::sin(5.4 * w) * Decay(t, 0.025);
        double damper = t > gate ? Decay(t - gate, 0.12) : 1.0;
        double attack = std::min(1.0, t / 0.0015);
        out[i] = float(v * damper * attack * n.velocity * 0.8);
    }
    return out;
}

Buffer Bells(const TNote& n, TRandom&) {
    double len = std::min(3.2, n.gate + 1.8);
    Buffer out(size_t(Samples(len)));
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double w = kTwoPi * n.hz * t;
        double index = 0.3 + 2.2 * Decay(t, 0.35);
        double v = std::sin(w + index * std::sin(3.5 * w)) * Decay(t, 1.1) + 0.25 * std::sin(2.0 * w) * Decay(t, 0.5);
        double fadeEnd = std::min(1.0, (len - t) / 0.1);
        out[i] = float(v * std::min(1.0, t / 0.002) * fadeEnd * n.velocity * 0.6);
    }
    return out;
}

Buffer Brass(const TNote& n, TRandom& rng) {
    TAdsr env{0.04, 0.2, 0.75, 0.12};
    Buffer out(size_t(env.LengthSamples(n.gate)));
    TOsc a(rng.Uniform()), b(rng.Uniform());
    TSvf lp;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double scoop = std::pow(2.0, -0.35 * Decay(t, 0.03) / 12.0);
        double vib = t > 0.3 ? 0.003 * std::sin(kTwoPi * 5.0 * t) : 0.0;
        double f = n.hz * scoop * (1.0 + vib);
        double x = 0.6 * a.Saw(f) + 0.4 * b.Saw(f * 1.003);
        double fenv = std::min(1.0, t / 0.05) * (0.6 + 0.4 * Decay(t, 0.25));
        lp.Set(std::clamp(n.hz * (1.2 + 5.0 * fenv * n.velocity), 150.0, 9000.0), 0.9);
        out[i] = float(lp.Process(x).low * env.At(t, n.gate) * n.velocity * 0.8);
    }
    return out;
}

Buffer Clarinet(const TNote& n, TRandom& rng) {
    TAdsr env{0.05, 0.1, 0.85, 0.1};
    Buffer out(size_t(env.LengthSamples(n.gate)));
    TOsc osc(rng.Uniform());
    TSvf lp;
    lp.Set(std::min(n.hz * 5.0, 7000.0), 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double vib = t > 0.3 ? 0.003 * std::sin(kTwoPi * 4.8 * t) : 0.0;
        double x = osc.Square(n.hz * (1.0 + vib)) + 0.05 * rng.Bipolar();
        out[i] = float(lp.Process(x).low * env.At(t, n.gate) * n.velocity * 0.7);
    }
    return out;
}

Buffer Pluck(const TNote& n, TRandom& rng) {
    double period = double(kRate) / n.hz;
    double len = n.gate + 0.25;
    Buffer out(size_t(Samples(len)));
    size_t size = size_t(period) + 4;
    std::vector<double> line(size, 0.0);
    TSvf shape;
    shape.Set(1500.0 + 4000.0 * n.velocity, 0.6);
    double t60 = 2.2 * std::pow(220.0 / n.hz, 0.3);
    double rhoHeld = std::pow(0.001, 1.0 / (t60 * n.hz));
    double rhoDamped = std::pow(0.001, 1.0 / (0.12 * n.hz));
    double delay = period - 0.5;  // the averaging filter adds half a sample
    double prev = 0;
    size_t w = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double r = double(w) + double(size) - delay;
        size_t i0 = size_t(std::floor(r));
        double frac = r - std::floor(r);
        double y = line[i0 % size] * (1.0 - frac) + line[(i0 + 1) % size] * frac;
        double excite = double(i) < period ? shape.Process(rng.Bipolar()).low : 0.0;
        double rho = t < n.gate ? rhoHeld : rhoDamped;
        double v = excite + rho * 0.5 * (y + prev);
        prev = y;
        line[w] = v;
        w = (w + 1) % size;
        out[i] = float(v * n.velocity * 1.4);
    }
    return out;
}

Buffer Pad(const TNote& n, TRandom& rng) {
    TAdsr env{0.25, 0.3, 0.85, 0.45};
    Buffer out(size_t(env.LengthSamples(n.gate)));
    TOsc o1(rng.Uniform()), o2(rng.Uniform()), o3(rng.Uniform());
    TSvf lp;
    lp.Set(std::min(2500.0, n.hz * 4.0 + 600.0), 0.6);
    double drift = rng.Uniform() * kTwoPi;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double d = 0.0007 * std::sin(kTwoPi * 0.3 * t + drift);
        double x = o1.Saw(n.hz * (0.9954 + d)) + o2.Saw(n.hz) + o3.Saw(n.hz * (1.0046 - d));
        out[i] = float(lp.Process(x).low * env.At(t, n.gate) * n.velocity * 0.35);
    }
    return out;
}

Buffer Organ(const TNote& n, TRandom& rng) {
    TAdsr env{0.012, 0.05, 1.0, 0.07};
    Buffer out(size_t(env.LengthSamples(n.gate)));
    static const double kRatio[] = {0.5, 1, 2, 3, 4, 6, 8};
    static const double kLevel[] = {0.3, 1, 0.55, 0.3, 0.25, 0.12, 0.08};
    double ph = rng.Uniform();
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        // The phase runs over two cycles so the sub-octave drawbar (half the
        // frequency) turns smoothly instead of restarting every cycle.
        ph += n.hz / kRate;
        if (ph >= 2.0) ph -= 2.0;
        double x = 0;
        for (int h = 0; h < 7; ++h)
            if (kRatio[h] * n.hz < 10000.0) x += kLevel[h] * std::sin(kTwoPi * kRatio[h] * ph);
        double trem = 1.0 + 0.08 * std::sin(kTwoPi * 5.7 * t);
        out[i] = float(x * trem * env.At(t, n.gate) * n.velocity * 0.4);
    }
    return out;
}

Buffer Bass(const TNote& n, TRandom& rng) {
    double release = 0.08;
    Buffer out(size_t(Samples(n.gate + release)));
    TSvf thump;
    thump.Set(600, 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double w = kTwoPi * n.hz * t;
        double body = std::sin(w) + 0.4 * std::sin(2 * w) * Decay(t, 0.2) + 0.15 * std::sin(3 * w) * Decay(t, 0.1);
        double level = (0.3 + 0.7 * Decay(t, 0.35)) * std::min(1.0, t / 0.004);
        if (t > n.gate) level *= std::max(0.0, 1.0 - (t - n.gate) / release);
        double click = thump.Process(rng.Bipolar()).low * Decay(t, 0.012) * 0.6;
        out[i] = float((body * level + click) * n.velocity * 0.75);
    }
    return out;
}

Buffer Tuba(const TNote& n, TRandom& rng) {
    TAdsr env{0.03, 0.15, 0.8, 0.08};
    Buffer out(size_t(env.LengthSamples(n.gate)));
    TOsc saw(rng.Uniform());
    TSvf lp;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double fenv = std::min(1.0, t / 0.04) * (0.5 + 0.5 * Decay(t, 0.15));
        lp.Set(n.hz * 2.5 + 500.0 * fenv, 0.8);
        double x = lp.Process(saw.Saw(n.hz)).low + 0.5 * std::sin(kTwoPi * n.hz * t);
        out[i] = float(x * env.At(t, n.gate) * n.velocity * 0.7);
    }
    return out;
}

Buffer MusicBox(const TNote& n, TRandom&) {
    double len = std::max(n.gate, 0.2) + 1.0;
    Buffer out(size_t(Samples(len)));
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double w = kTwoPi * n.hz * t;
        double v = std::sin(w) * Decay(t, 1.2) + 0.3 * std::sin(3.9 * w) * Decay(t, 0.25) +
                   0.1 * std::sin(9.1 * w) * Decay(t, 0.05);
        double fadeEnd = std::min(1.0, (len - t) / 0.1);
        out[i] = float(v * std::min(1.0, t / 0.001) * fadeEnd * n.velocity * 0.7);
    }
    return out;
}

// --- percussion ---

Buffer Kick(double vel, TRandom& rng) {
    Buffer out(size_t(Samples(0.35)));
    double ph = 0;
    TSvf click;
    click.Set(2500, 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double f = 48.0 + 75.0 * Decay(t, 0.035);
        ph += f / kRate;
        double v = std::sin(kTwoPi * ph) * Decay(t, 0.13) + click.Process(rng.Bipolar()).band * Decay(t, 0.004) * 0.3;
        out[i] = float(v * vel);
    }
    return out;
}

Buffer Snare(double vel, TRandom& rng) {
    Buffer out(size_t(Samples(0.25)));
    TSvf bp;
    bp.Set(2600, 0.6);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double noise = bp.Process(rng.Bipolar()).band * Decay(t, 0.07);
        double body = std::sin(kTwoPi * 190.0 * t) * Decay(t, 0.05) * 0.4;
        out[i] = float((noise * 1.3 + body) * std::min(1.0, t / 0.003) * vel * 0.7);
    }
    return out;
}

Buffer Hat(double vel, TRandom& rng, double tau) {
    Buffer out(size_t(Samples(std::min(1.0, tau * 6.0 + 0.01))));
    TBiquad hp = TBiquad::HighPass(7000, 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        out[i] = float(hp.Process(rng.Bipolar()) * Decay(t, tau) * vel * 0.6);
    }
    return out;
}

// Sleigh bells: a shake is a little cloud of tiny bells ringing at once.
Buffer SleighBells(double vel, TRandom& rng) {
    Buffer out(size_t(Samples(0.32)));
    TBiquad hp = TBiquad::HighPass(5000, 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        out[i] = float(hp.Process(rng.Bipolar()) * Decay(t, 0.03) * 0.25);
    }
    int grains = 14;
    for (int g = 0; g < grains; ++g) {
        double start = 0.09 * rng.Uniform() * rng.Uniform();  // crowded at the start of the shake
        double f0 = rng.Range(2600, 4400);
        double tau = rng.Range(0.03, 0.07);
        double amp = rng.Range(0.25, 0.6);
        static const double kPartials[] = {1.0, 1.52, 2.27, 2.91};
        size_t s0 = size_t(Samples(start));
        for (size_t i = s0; i < out.size(); ++i) {
            double t = double(i - s0) / kRate;
            double v = 0;
            for (int p = 0; p < 4; ++p) v += std::sin(kTwoPi * f0 * kPartials[p] * t) / (1.0 + p);
            out[i] += float(v * amp * Decay(t, tau) * 0.3);
        }
    }
    for (float& s : out) s = float(s * vel);
    return out;
}

Buffer Triangle(double vel, TRandom&) {
    Buffer out(size_t(Samples(1.6)));
    static const double kRatio[] = {1.0, 2.76, 3.93, 5.4, 6.8};
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double v = 0;
        for (int p = 0; p < 5; ++p)
            v += std::sin(kTwoPi * 1250.0 * kRatio[p] * t) * Decay(t, 0.9 / (1 + 0.4 * p)) / (1 + p);
        double fadeEnd = std::min(1.0, (1.6 - t) / 0.2);
        out[i] = float(v * fadeEnd * vel * 0.35);
    }
    return out;
}

Buffer Woodblock(double vel, TRandom&) {
    Buffer out(size_t(Samples(0.12)));
    TResonator r1, r2;
    r1.Set(950, 60);
    r2.Set(2400, 150);
    for (size_t i = 0; i < out.size(); ++i) {
        double x = i < 3 ? 1.0 : 0.0;
        out[i] = float((r1.Process(x) * 1.0 + r2.Process(x) * 0.4) * vel * 1.6);
    }
    return out;
}

Buffer Cymbal(double vel, TRandom& rng) {
    Buffer out(size_t(Samples(1.8)));
    TBiquad hp = TBiquad::HighPass(4000, 0.7);
    TSvf bp;
    bp.Set(6500, 1.5);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double noise = rng.Bipolar();
        double v = hp.Process(noise) * 0.5 + bp.Process(noise).band * 0.8;
        out[i] = float(v * Decay(t, 0.6) * std::min(1.0, (1.8 - t) / 0.2) * vel * 0.35);
    }
    return out;
}

}  // namespace

std::vector<float> RenderNote(EPatch patch, const TNote& note, TRandom& rng) {
    switch (patch) {
        case EPatch::kFlute:
            return Flute(note, rng);
        case EPatch::kCelesta:
            return Celesta(note, rng);
        case EPatch::kBells:
            return Bells(note, rng);
        case EPatch::kBrass:
            return Brass(note, rng);
        case EPatch::kClarinet:
            return Clarinet(note, rng);
        case EPatch::kPluck:
            return Pluck(note, rng);
        case EPatch::kPad:
            return Pad(note, rng);
        case EPatch::kOrgan:
            return Organ(note, rng);
        case EPatch::kBass:
            return Bass(note, rng);
        case EPatch::kTuba:
            return Tuba(note, rng);
        case EPatch::kMusicBox:
            return MusicBox(note, rng);
        case EPatch::kKit:
            break;
    }
    throw std::invalid_argument("the percussion kit plays drum letters, not pitches");
}

bool IsDrumLetter(char letter) {
    switch (letter) {
        case 'k':
        case 's':
        case 'h':
        case 'o':
        case 'j':
        case 't':
        case 'w':
        case 'c':
            return true;
        default:
            return false;
    }
}

namespace {
Buffer Strike(char letter, double velocity, TRandom& rng) {
    switch (letter) {
        case 'k':
            return Kick(velocity, rng);
        case 's':
            return Snare(velocity, rng);
        case 'h':
            return Hat(velocity, rng, 0.025);
        case 'o':
            return Hat(velocity, rng, 0.18);
        case 'j':
            return SleighBells(velocity, rng);
        case 't':
            return Triangle(velocity, rng);
        case 'w':
            return Woodblock(velocity, rng);
        case 'c':
            return Cymbal(velocity, rng);
        default:
            break;
    }
    throw std::invalid_argument(std::string("unknown drum '") + letter + "'");
}
}  // namespace

std::vector<float> RenderDrum(char letter, double velocity, TRandom& rng) {
    Buffer out = Strike(letter, velocity, rng);
    // Whatever still rings when the buffer ends is faded, never cut.
    size_t fade = std::min(out.size(), size_t(Samples(0.02)));
    for (size_t i = 0; i < fade; ++i) out[out.size() - 1 - i] *= float(double(i) / double(fade));
    return out;
}

}  // namespace sfx
