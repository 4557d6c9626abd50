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

// Every effect rises over a few milliseconds, even a click: a sound that
// starts at full level clicks against whatever is playing.
constexpr double kFadeIn = 0.003;

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

// Santa hurt: "ahh!", caught on a sharp breath, jumping up and falling away
// by an octave, shaking as it goes, and sighing out to nothing.
Buffer Hurt(TRandom& rng) {
    TVoiceShape v;
    v.seconds = 0.5;
    v.pitch = TCurve{{0.0, 250}, {0.04, 330}, {0.075, 320}, {0.23, 230}, {0.38, 165}, {0.46, 140}};
    v.voicing = TCurve{{0.0, 0.0}, {0.018, 0.0}, {0.045, 1.0}, {0.19, 0.9}, {0.34, 0.45}, {0.42, 0.0}};
    v.breath = TCurve{{0.0, 0.0}, {0.012, 0.35}, {0.045, 0.08}, {0.27, 0.06}, {0.38, 0.12}, {0.46, 0.0}};
    v.frication = TCurve{{0.0, 0.0}, {0.008, 0.05}, {0.04, 0.0}};
    v.fricationHz = 3500;
    // An open "a" that slackens towards "uh" as the breath runs out.
    v.f1 = TCurve{{0.0, 600}, {0.06, 780}, {0.23, 740}, {0.46, 600}};
    v.f2 = TCurve{{0.0, 1350}, {0.08, 1250}, {0.27, 1180}, {0.46, 1100}};
    v.f3 = TCurve{{0.0, 2600}, {0.46, 2450}};
    v.f4 = 3500.0;
    v.b1 = 90;
    v.b2 = 110;
    v.vibratoHz = 6.5;
    v.vibratoDepth = 0.035;
    v.vibratoOnset = 0.12;
    v.jitter = 0.008;
    v.cycleJitter = 0.012;
    v.shimmer = 0.1;
    v.air = 0.6;
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

// "Ho ho ho!": a deep, round, jolly laugh. Each "ho" opens with a puff of
// breath, swells into a round "o" that closes towards "oo", and falls; the
// laughs come a little unevenly and the last one is the longest and lowest.
Buffer SnowmanKill(TRandom& rng) {
    struct TSyllable {
        double start, length, pitch;
    };
    const TSyllable laughs[] = {{0.0, 0.27, 152.0}, {0.33, 0.26, 140.0}, {0.655, 0.44, 128.0}};
    TVoiceShape v;
    v.seconds = 1.12;
    std::vector<std::pair<double, double>> pitch, voicing, breath, hiss, f1, f2, f3;
    for (const TSyllable& k : laughs) {
        double s = k.start, p = k.pitch;
        double h = s + 0.06;  // the breathy "h" before the vowel
        double end = s + k.length;
        pitch.insert(pitch.end(), {{s, p * 1.1}, {h + 0.03, p * 1.12}, {h + 0.1, p}, {end, p * 0.78}});
        voicing.insert(voicing.end(), {{s, 0.0}, {h - 0.015, 0.0}, {h + 0.025, 1.0}, {end - 0.09, 0.8}, {end, 0.0}});
        breath.insert(breath.end(),
                      {{s, 0.0}, {s + 0.015, 0.5}, {h, 0.3}, {h + 0.03, 0.05}, {end - 0.05, 0.05}, {end, 0.0}});
        hiss.insert(hiss.end(), {{s, 0.0}, {s + 0.012, 0.04}, {h + 0.01, 0.0}});
        // The "h" is shaped by the "o" to come; the "o" rounds towards "oo".
        f1.insert(f1.end(), {{s, 480}, {h + 0.04, 560}, {end, 400}});
        f2.insert(f2.end(), {{s, 950}, {h + 0.04, 900}, {end, 720}});
        f3.insert(f3.end(), {{s, 2500}, {end, 2350}});
    }
    v.pitch.points = pitch;
    v.voicing.points = voicing;
    v.breath.points = breath;
    v.frication.points = hiss;
    v.fricationHz = 2500;
    v.f1.points = f1;
    v.f2.points = f2;
    v.f3.points = f3;
    v.f4 = 3300.0;
    v.b1 = 75;
    v.b2 = 95;
    v.b3 = 150;
    v.b4 = 220;
    v.tilt = 1.1;
    v.vibratoHz = 5.5;
    v.vibratoDepth = 0.02;
    v.jitter = 0.008;
    v.cycleJitter = 0.012;
    v.shimmer = 0.12;
    v.air = 0.5;
    Buffer out = RenderVoice(v, rng);
    // A chest that fills the room: a little low warmth and a short hall.
    TBiquad warm = TBiquad::LowShelf(250, 4.0);
    warm.ProcessInPlace(out);
    TWave w = TWave::Mono(out);
    NormaliseTo(w, -1.0);
    TReverbSettings hall;
    hall.wet = 0.12;
    hall.room = 0.6;
    AddReverb(w, hall, false, 0.3);
    FadeEdges(w, 0.0, 0.25);  // the hall dies away rather than stopping
    return w.data;
}

// A survivor's cheeky giggle after a boing off its head: "hee-hee-hee!",
// each "hee" a hiss and a bright squeaky vowel, bouncing and tumbling down.
Buffer CheekyGiggle(TRandom& rng) {
    Buffer out = Silence(0.8);
    // The boing.
    double ph = 0;
    for (size_t i = 0; i < size_t(Samples(0.16)); ++i) {
        double t = double(i) / kRate;
        double f = 420.0 * (1.0 + 0.25 * std::sin(kTwoPi * 28.0 * t) * Decay(t, 0.06));
        ph += f / kRate;
        double fade = std::min(1.0, (0.16 - t) / 0.04);
        out[i] += float(std::sin(kTwoPi * ph) * Decay(t, 0.05) * std::min(1.0, t / 0.002) * fade * 0.55);
    }
    // The giggle: uneven beats, each "hee" lower than the last, the last one drawn out.
    struct TSyllable {
        double start, length, pitch;
    };
    const TSyllable hees[] = {{0.14, 0.08, 700.0}, {0.255, 0.075, 660.0}, {0.37, 0.08, 630.0}, {0.49, 0.15, 600.0}};
    TVoiceShape v;
    v.seconds = 0.75;
    std::vector<std::pair<double, double>> pitch, voicing, breath, hiss, f1, f2;
    voicing.push_back({0.0, 0.0});
    breath.push_back({0.0, 0.0});
    hiss.push_back({0.0, 0.0});
    for (const TSyllable& k : hees) {
        double s = k.start, p = k.pitch, end = s + k.length;
        pitch.insert(pitch.end(), {{s, p * 0.94}, {s + k.length * 0.35, p * 1.1}, {end, p * 0.82}});
        voicing.insert(voicing.end(), {{s, 0.0}, {s + 0.012, 1.0}, {end - 0.025, 0.75}, {end, 0.0}});
        breath.insert(breath.end(),
                      {{s - 0.03, 0.0}, {s - 0.012, 0.3}, {s + 0.01, 0.05}, {end, 0.03}, {end + 0.02, 0.0}});
        hiss.insert(hiss.end(), {{s - 0.035, 0.0}, {s - 0.012, 0.08}, {s + 0.008, 0.0}});
        // "ee" opening a little towards "eh" as each one lets go.
        f1.insert(f1.end(), {{s, 300}, {end, 380}});
        f2.insert(f2.end(), {{s, 2550}, {end, 2250}});
    }
    v.pitch.points = pitch;
    v.voicing.points = voicing;
    v.breath.points = breath;
    v.frication.points = hiss;
    v.fricationHz = 4200;
    v.f1.points = f1;
    v.f2.points = f2;
    v.f3 = 3150.0;
    v.f4 = 4200.0;
    v.b1 = 90;
    v.b2 = 150;
    v.b3 = 220;
    v.b4 = 300;
    v.vibratoHz = 9.0;
    v.vibratoDepth = 0.02;
    v.jitter = 0.01;
    v.cycleJitter = 0.015;
    v.shimmer = 0.12;
    v.air = 0.5;
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
        FadeEdges(w, kFadeIn, 0.02);
        NormaliseTo(w, r.info.peakDb);
        return w;
    }
    throw std::invalid_argument("no sound effect named '" + name + "'");
}

}  // namespace sfx
