#include "effects.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "dsp.h"
#include "formant_voice.h"
#include "reverb.h"

namespace sfx {

namespace {

using Buffer = std::vector<float>;

Buffer Silence(double seconds) { return Buffer(size_t(Samples(seconds)), 0.0f); }

// A boot pressing into snow: a thud of the heel under a dense crackle of
// crystals breaking, short enough that the next step never waits.
Buffer Footstep(TRandom& rng) {
    const double len = 0.17;
    Buffer out = Silence(len);
    Buffer crackle = Silence(len);
    for (int g = 0; g < 90; ++g) {
        // Grains crowd in the first third: the snow gives way at once.
        double at = len * 0.8 * std::pow(rng.Uniform(), 1.6);
        double amp = rng.Range(0.2, 1.0) * (1.0 - at / len);
        double tau = rng.Range(0.0004, 0.0018);
        size_t s0 = size_t(Samples(at));
        for (size_t i = s0; i < crackle.size() && i < s0 + size_t(Samples(0.008)); ++i) {
            double t = double(i - s0) / kRate;
            crackle[i] += float(rng.Bipolar() * amp * Decay(t, tau));
        }
    }
    TBiquad band = TBiquad::BandPass(2200, 0.7);
    TBiquad soft = TBiquad::LowPass(6500, 0.7);
    TBiquad low = TBiquad::LowPass(500, 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double c = soft.Process(band.Process(crackle[i]));
        double thud = std::sin(kTwoPi * (90.0 + 40.0 * Decay(t, 0.02)) * t) * Decay(t, 0.03) * 0.35;
        double press = low.Process(rng.Bipolar()) * Decay(t, 0.04) * 0.5;
        out[i] = float(c * 1.6 + thud + press);
    }
    return out;
}

// A bright pick-up: a bubble popping upward, then a tiny two-note chime.
Buffer Pop(TRandom&) {
    Buffer out = Silence(0.32);
    double ph = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double f = 380.0 * std::pow(1400.0 / 380.0, std::min(1.0, t / 0.06));
        ph += f / kRate;
        double bubble = std::sin(kTwoPi * ph) * std::min(1.0, t / 0.002) * Decay(t, 0.045);
        double ct = t - 0.045;
        double chime = ct < 0 ? 0.0
                              : (std::sin(kTwoPi * 1760.0 * ct) * 0.6 + std::sin(kTwoPi * 2637.0 * ct) * 0.4 +
                                 std::sin(kTwoPi * 5280.0 * ct) * 0.1 * Decay(ct, 0.02)) *
                                    Decay(ct, 0.09) * std::min(1.0, ct / 0.002);
        out[i] = float(bubble + 0.55 * chime);
    }
    return out;
}

// A spring letting go: a rising boing with a wobble that settles.
Buffer Jump(TRandom&) {
    const double len = 0.34;
    Buffer out = Silence(len);
    double ph = 0;
    TBiquad lp = TBiquad::LowPass(3500, 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double rise = 170.0 * std::pow(3.6, std::min(1.0, t / 0.22));
        double wobble = 1.0 + 0.09 * std::sin(kTwoPi * 19.0 * t) * Decay(t, 0.12);
        ph += rise * wobble / kRate;
        double x = std::sin(kTwoPi * ph) + 0.3 * std::sin(3 * kTwoPi * ph) + 0.12 * std::sin(5 * kTwoPi * ph);
        double env = std::min(1.0, t / 0.006) * std::min(1.0, (len - t) / 0.12);
        out[i] = float(lp.Process(x) * env);
    }
    return out;
}

// Running into a wall: a dull, padded thump with little ring.
Buffer Bump(TRandom& rng) {
    Buffer out = Silence(0.28);
    double ph = 0;
    TBiquad lp = TBiquad::LowPass(380, 0.8);
    TBiquad body = TBiquad::BandPass(240, 1.2);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double f = 42.0 + 60.0 * Decay(t, 0.04);
        ph += f / kRate;
        double noise = rng.Bipolar();
        double v = std::sin(kTwoPi * ph) * Decay(t, 0.08) + lp.Process(noise) * Decay(t, 0.035) * 1.2 +
                   body.Process(noise) * Decay(t, 0.03) * 1.0;
        out[i] = float(v * std::min(1.0, t / 0.002));
    }
    return out;
}

// Santa hurt: a short yelp, "ahh!", falling in pitch.
Buffer Hurt(TRandom& rng) {
    TVoiceShape v;
    v.seconds = 0.46;
    v.pitch = TCurve{{0.0, 215}, {0.05, 265}, {0.2, 230}, {0.46, 150}};
    v.voicing = TCurve{{0.0, 0.0}, {0.03, 1.0}, {0.28, 0.85}, {0.46, 0.0}};
    v.breath = TCurve{{0.0, 0.25}, {0.04, 0.05}, {0.35, 0.04}, {0.46, 0.08}};
    v.f1 = TCurve{{0.0, 650}, {0.08, 760}, {0.46, 700}};
    v.f2 = TCurve{{0.0, 1250}, {0.1, 1180}, {0.46, 1100}};
    v.f3 = 2550.0;
    v.f4 = 3500.0;
    v.b1 = 90;
    v.b2 = 110;
    v.vibratoHz = 7.0;
    v.vibratoDepth = 0.012;
    v.jitter = 0.006;
    return RenderVoice(v, rng);
}

// The whoosh of a parcel thrown hard: air rushing past, rising then falling.
Buffer Throw(TRandom& rng) {
    const double len = 0.32;
    Buffer out = Silence(len);
    TSvf bp, body;
    body.Set(700, 0.6);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double u = t / len;
        double centre = 450.0 + 2200.0 * std::sin(kPi * std::pow(u, 0.8));
        bp.Set(centre, 2.2);
        double noise = rng.Bipolar();
        double swell = std::pow(std::sin(kPi * std::pow(u, 0.7)), 2.0);
        out[i] = float((bp.Process(noise).band * 1.4 + body.Process(noise).low * 0.3) * swell);
    }
    return out;
}

// A green gremlin's end: a squeaky "eek!" that drops away, then a puff.
Buffer GremlinKill(TRandom& rng) {
    TVoiceShape v;
    v.seconds = 0.42;
    v.pitch = TCurve{{0.0, 760}, {0.07, 1050}, {0.15, 980}, {0.42, 330}};
    v.voicing = TCurve{{0.0, 0.0}, {0.02, 1.0}, {0.3, 0.8}, {0.42, 0.0}};
    v.breath = TCurve{{0.0, 0.1}, {0.42, 0.05}};
    v.f1 = TCurve{{0.0, 420}, {0.2, 400}, {0.42, 380}};
    v.f2 = TCurve{{0.0, 2700}, {0.18, 2500}, {0.42, 1000}};
    v.f3 = TCurve{{0.0, 3600}, {0.42, 3000}};
    v.f4 = 4500.0;
    v.b1 = 120;
    v.b2 = 180;
    v.b3 = 250;
    v.b4 = 350;
    v.vibratoHz = 11.0;
    v.vibratoDepth = 0.03;
    Buffer voice = RenderVoice(v, rng);
    double vpeak = 0;
    for (float s : voice) vpeak = std::max(vpeak, double(std::fabs(s)));
    Buffer out = Silence(0.6);
    for (size_t i = 0; i < voice.size(); ++i) out[i] += float(voice[i] / vpeak);
    TBiquad lp = TBiquad::LowPass(1400, 0.7);
    TBiquad hp = TBiquad::HighPass(200, 0.7);
    size_t puff = size_t(Samples(0.3));
    for (size_t i = puff; i < out.size(); ++i) {
        double t = double(i - puff) / kRate;
        double env = std::min(1.0, t / 0.015) * Decay(t, 0.08);
        out[i] += float(hp.Process(lp.Process(rng.Bipolar())) * env * 1.2);
    }
    return out;
}

// "Ho ho ho!": a deep, round, jolly laugh, each "ho" a little lower.
Buffer SnowmanKill(TRandom& rng) {
    const double syll = 0.3, gap = 0.05;
    const double starts[] = {0.0, syll + gap, 2 * (syll + gap)};
    const double pitches[] = {150.0, 132.0, 118.0};
    TVoiceShape v;
    v.seconds = 3 * syll + 2 * gap + 0.05;
    std::vector<std::pair<double, double>> pitch, voicing, breath, f1, f2;
    for (int k = 0; k < 3; ++k) {
        double s = starts[k], p = pitches[k];
        double hEnd = s + 0.07;  // the breathy "h"
        double end = s + syll;
        pitch.insert(pitch.end(), {{s, p * 1.05}, {hEnd + 0.04, p * 1.08}, {end, p * 0.86}});
        voicing.insert(voicing.end(),
                       {{s, 0.0}, {hEnd - 0.01, 0.0}, {hEnd + 0.03, 1.0}, {end - 0.08, 0.85}, {end, 0.0}});
        breath.insert(breath.end(), {{s, 0.0}, {s + 0.02, 0.55}, {hEnd, 0.35}, {hEnd + 0.03, 0.03}, {end, 0.0}});
        // "o" closing towards "oo" as each laugh ends.
        f1.insert(f1.end(), {{s, 520}, {hEnd + 0.05, 500}, {end, 380}});
        f2.insert(f2.end(), {{s, 920}, {hEnd + 0.05, 880}, {end, 760}});
    }
    v.pitch.points = pitch;
    v.voicing.points = voicing;
    v.breath.points = breath;
    v.f1.points = f1;
    v.f2.points = f2;
    v.f3 = 2500.0;
    v.f4 = 3300.0;
    v.b1 = 70;
    v.b2 = 90;
    v.b3 = 150;
    v.b4 = 220;
    v.tilt = 1.15;
    v.vibratoHz = 5.0;
    v.vibratoDepth = 0.01;
    v.jitter = 0.005;
    Buffer out = RenderVoice(v, rng);
    // A chest that fills the room: a little low warmth and a short hall.
    TBiquad warm = TBiquad::LowShelf(250, 4.0);
    warm.ProcessInPlace(out);
    TWave w = TWave::Mono(out);
    NormaliseTo(w, -1.0);
    TReverbSettings hall;
    hall.wet = 0.12;
    hall.room = 0.6;
    AddReverb(w, hall, false, 0.35);
    return w.data;
}

// A survivor's cheeky giggle after a boing off its head: "hee-hee-hee".
Buffer CheekyGiggle(TRandom& rng) {
    Buffer out = Silence(0.72);
    // The boing.
    double ph = 0;
    for (size_t i = 0; i < size_t(Samples(0.16)); ++i) {
        double t = double(i) / kRate;
        double f = 420.0 * (1.0 + 0.25 * std::sin(kTwoPi * 28.0 * t) * Decay(t, 0.06));
        ph += f / kRate;
        double fade = std::min(1.0, (0.16 - t) / 0.04);
        out[i] += float(std::sin(kTwoPi * ph) * Decay(t, 0.05) * std::min(1.0, t / 0.002) * fade * 0.55);
    }
    // The giggle.
    TVoiceShape v;
    const int count = 4;
    const double first = 0.13, step = 0.125, on = 0.085;
    v.seconds = first + count * step + 0.05;
    std::vector<std::pair<double, double>> pitch, voicing, breath;
    for (int k = 0; k < count; ++k) {
        double s = first + k * step;
        double p = 680.0 - 40.0 * k;
        pitch.insert(pitch.end(), {{s, p * 0.92}, {s + on * 0.4, p * 1.08}, {s + on, p * 0.9}});
        voicing.insert(voicing.end(), {{s, 0.0}, {s + 0.015, 1.0}, {s + on - 0.02, 0.8}, {s + on, 0.0}});
        breath.insert(breath.end(),
                      {{s - 0.025, 0.0}, {s - 0.01, 0.3}, {s + 0.01, 0.05}, {s + on, 0.02}, {s + on + 0.02, 0.0}});
    }
    v.pitch.points = pitch;
    v.voicing.points = voicing;
    v.voicing.points.insert(v.voicing.points.begin(), {0.0, 0.0});
    v.breath.points = breath;
    v.breath.points.insert(v.breath.points.begin(), {0.0, 0.0});
    v.f1 = 330.0;
    v.f2 = 2450.0;
    v.f3 = 3150.0;
    v.f4 = 4200.0;
    v.b1 = 90;
    v.b2 = 150;
    v.b3 = 220;
    v.b4 = 300;
    v.jitter = 0.01;
    Buffer giggle = RenderVoice(v, rng);
    double gpeak = 0;
    for (float s : giggle) gpeak = std::max(gpeak, double(std::fabs(s)));
    for (size_t i = 0; i < giggle.size() && i < out.size(); ++i) out[i] += float(giggle[i] / gpeak * 0.9);
    return out;
}

// A menu key: a small crisp click with a hint of pitch.
Buffer KeyClick(TRandom& rng) {
    Buffer out = Silence(0.06);
    TBiquad hp = TBiquad::HighPass(2500, 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double v = hp.Process(rng.Bipolar()) * Decay(t, 0.003) * 0.9 +
                   std::sin(kTwoPi * 1900.0 * t) * Decay(t, 0.012) * 0.6 +
                   std::sin(kTwoPi * 3800.0 * t) * Decay(t, 0.005) * 0.25;
        out[i] = float(v * std::min(1.0, t / 0.0005));
    }
    return out;
}

// A clock's tick: a small, dry, wooden knock with a metallic edge.
Buffer ClockTick(TRandom& rng) {
    Buffer out = Silence(0.09);
    TResonator wood, metal;
    wood.Set(2100, 140);
    metal.Set(4300, 250);
    TBiquad hp = TBiquad::HighPass(3000, 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = double(i) / kRate;
        double hit = i < 4 ? 1.0 : 0.0;
        double noise = hp.Process(rng.Bipolar()) * Decay(t, 0.0015);
        out[i] = float(wood.Process(hit) * 4.0 + metal.Process(hit) * 2.5 + noise * 0.5);
    }
    return out;
}

struct TRecipe {
    TEffectInfo info;
    Buffer (*make)(TRandom&);
};

const std::vector<TRecipe>& Recipes() {
    static const std::vector<TRecipe> kRecipes = {
        {{"passi", -7.0, "a soft crunch in snow under a boot"}, Footstep},
        {{"pop", -3.0, "a bubble pop rising into a little chime"}, Pop},
        {{"jump2", -9.0, "a springy rising boing"}, Jump},
        {{"caduta", -2.5, "a dull padded thump"}, Bump},
        {{"ahh", -3.0, "a short hurt yelp, falling"}, Hurt},
        {{"lancio", -4.0, "a whoosh of air"}, Throw},
        {{"morto", -2.5, "a squeaky gremlin 'eek' and a puff"}, GremlinKill},
        {{"hoho", -2.0, "a deep jolly 'ho ho ho'"}, SnowmanKill},
        {{"RIDE", -3.0, "a boing and a cheeky 'hee-hee-hee'"}, CheekyGiggle},
        {{"Key", -6.0, "a small crisp key click"}, KeyClick},
        {{"timclick", -8.0, "a dry wooden clock tick"}, ClockTick},
    };
    return kRecipes;
}

}  // namespace

const std::vector<TEffectInfo>& EffectList() {
    static const std::vector<TEffectInfo> kList = [] {
        std::vector<TEffectInfo> list;
        for (const auto& r : Recipes()) list.push_back(r.info);
        return list;
    }();
    return kList;
}

TWave MakeEffect(const std::string& name) {
    for (const auto& r : Recipes()) {
        if (r.info.name != name) continue;
        TRandom rng(SeedFromName(name.c_str()));
        TWave w = TWave::Mono(r.make(rng));
        // No offset left by the filters, no click at either end.
        double mean = Measure(w).dcOffset;
        for (float& s : w.data) s = float(s - mean);
        FadeEdges(w, 0.0005, 0.01);
        NormaliseTo(w, r.info.peakDb);
        return w;
    }
    throw std::invalid_argument("no sound effect named '" + name + "'");
}

}  // namespace sfx
