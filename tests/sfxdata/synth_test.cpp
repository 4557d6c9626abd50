// The synthesizer's building blocks: envelopes, resampling, reverb on loops,
// the Ogg round trip and the speech helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "dsp.h"
#include "effects.h"
#include "narration.h"
#include "ogg_file.h"
#include "reverb.h"
#include "wave.h"

namespace {

using namespace sfx;

std::vector<float> Sine(double hz, double seconds, int rate, double amp = 0.5) {
    std::vector<float> v(size_t(seconds * rate));
    for (size_t i = 0; i < v.size(); ++i) v[i] = float(amp * std::sin(kTwoPi * hz * double(i) / rate));
    return v;
}

// Frequency estimate from rising zero crossings.
double ZeroCrossingHz(const std::vector<float>& v, int rate) {
    int crossings = 0;
    size_t first = 0, last = 0;
    for (size_t i = 1; i < v.size(); ++i)
        if (v[i - 1] < 0 && v[i] >= 0) {
            if (crossings == 0) first = i;
            last = i;
            ++crossings;
        }
    return crossings > 1 ? double(crossings - 1) * rate / double(last - first) : 0.0;
}

// --- envelopes ---

TEST(Envelope, LastsGatePlusRelease) {
    TAdsr env{0.01, 0.05, 0.7, 0.2};
    EXPECT_EQ(env.LengthSamples(0.5), Samples(0.7));
    std::vector<float> v = env.Render(0.5);
    ASSERT_EQ(v.size(), size_t(Samples(0.7)));
    EXPECT_FLOAT_EQ(v.front(), 0.0f);
    EXPECT_NEAR(v[size_t(Samples(0.01))], 1.0, 0.01);  // top of the attack
    EXPECT_NEAR(v[size_t(Samples(0.3))], 0.7, 1e-6);   // sustaining
    EXPECT_LT(v.back(), 1e-3);                         // released to silence
    EXPECT_EQ(env.At(0.75, 0.5), 0.0);
}

TEST(Envelope, NeverJumps) {
    // Gates shorter than the attack and the decay still release smoothly
    // from the level reached.
    for (double gate : {0.002, 0.03, 0.08, 0.4}) {
        TAdsr env{0.05, 0.1, 0.5, 0.1};
        std::vector<float> v = env.Render(gate);
        for (size_t i = 1; i < v.size(); ++i)
            ASSERT_LT(std::fabs(v[i] - v[i - 1]), 0.01) << "gate " << gate << " at " << i;
    }
}

// --- filters and resampling ---

TEST(Resample, KeepsPitchAndLevelAtTheNewRate) {
    std::vector<float> in = Sine(440.0, 1.0, 22050);
    std::vector<float> out = Resample(in, 22050, 44100);
    EXPECT_NEAR(double(out.size()), 44100.0, 2.0);
    EXPECT_NEAR(ZeroCrossingHz(out, 44100), 440.0, 0.5);
    TWave w = TWave::Mono(std::vector<float>(out.begin() + 2000, out.end() - 2000));
    EXPECT_NEAR(Measure(w).peakDb, GainToDb(0.5), 0.3);
}

TEST(Resample, RemovesWhatTheLowerRateCannotHold) {
    std::vector<float> in = Sine(15000.0, 0.5, 44100);
    std::vector<float> out = Resample(in, 44100, 22050);
    TWave w = TWave::Mono(std::vector<float>(out.begin() + 500, out.end() - 500));
    EXPECT_LT(Measure(w).peakDb, -30.0);  // 15 kHz is above 11 kHz: must not fold back as a whistle
}

TEST(Filters, LowPassPassesBassAndStopsTreble) {
    auto level = [](double hz) {
        TBiquad lp = TBiquad::LowPass(1000, 0.707);
        std::vector<float> v = Sine(hz, 0.3, kRate);
        lp.ProcessInPlace(v);
        return Measure(TWave::Mono(std::vector<float>(v.begin() + 4000, v.end()))).peakDb - GainToDb(0.5);
    };
    EXPECT_NEAR(level(100), 0.0, 0.5);
    EXPECT_NEAR(level(1000), -3.0, 0.5);
    EXPECT_LT(level(8000), -30.0);
}

TEST(Oscillator, SawIsInTuneAndBounded) {
    TOsc osc;
    std::vector<float> v(44100);
    for (float& s : v) s = float(osc.Saw(220.0));
    EXPECT_NEAR(ZeroCrossingHz(v, kRate), 220.0, 0.5);
    EXPECT_LT(Measure(TWave::Mono(v)).peakDb, 1.5);
}

// --- reverb over a loop ---

TEST(Reverb, LoopRingsFromTheEndIntoTheStart) {
    // A click near the end of a loop: its echo must be heard at the start,
    // because the file will be repeated.
    TWave w(2, size_t(kRate));
    w.At(size_t(kRate) - 100, 0) = w.At(size_t(kRate) - 100, 1) = 1.0f;
    TReverbSettings s;
    s.wet = 0.5;
    AddReverb(w, s, true);
    EXPECT_EQ(w.Frames(), size_t(kRate));
    double early = 0;
    for (size_t i = 0; i < size_t(Samples(0.2)); ++i) early = std::max(early, double(std::fabs(w.At(i, 0))));
    EXPECT_GT(early, 1e-3);
}

TEST(Reverb, PhraseGrowsByItsTail) {
    TWave w(1, 1000);
    w.At(10, 0) = 1.0f;
    AddReverb(w, TReverbSettings{}, false, 0.5);
    EXPECT_EQ(w.Frames(), 1000u + size_t(Samples(0.5)));
    EXPECT_EQ(w.channels, 1);
}

// --- levels ---

TEST(Levels, NormaliseObeysPeakAndLoudness) {
    TWave w = TWave::Mono(Sine(100, 0.5, kRate, 0.1));
    NormaliseTo(w, -3.0);
    EXPECT_NEAR(Measure(w).peakDb, -3.0, 0.05);
    NormaliseTo(w, -1.0, -20.0);  // the loudness limit wins for a sine (crest 3 dB)
    EXPECT_NEAR(Measure(w).rmsDb, -20.0, 0.05);
}

TEST(Levels, CompressorPullsLoudPartsTowardsQuietOnes) {
    std::vector<float> v = Sine(200, 1.0, kRate, 0.05);
    std::vector<float> loud = Sine(200, 1.0, kRate, 0.8);
    v.insert(v.end(), loud.begin(), loud.end());
    TWave w = TWave::Mono(v);
    Compress(w, -20.0, 4.0, 0.005, 0.05);
    TWave quiet = TWave::Mono(std::vector<float>(w.data.begin() + 20000, w.data.begin() + 40000));
    TWave louder = TWave::Mono(std::vector<float>(w.data.begin() + 70000, w.data.end()));
    double before = GainToDb(0.8 / 0.05);
    EXPECT_LT(Measure(louder).rmsDb - Measure(quiet).rmsDb, before - 10.0);
}

// --- Ogg round trip ---

TEST(OggFile, RoundTripKeepsLengthRateAndShape) {
    TWave w = TWave::Mono(Sine(440, 0.777, kRate, 0.5));
    TEncodeOptions o;
    o.serial = 1234;
    std::vector<uint8_t> bytes = EncodeOgg(w, o);
    int rate = 0;
    TWave back = DecodeOgg(bytes, &rate);
    EXPECT_EQ(rate, kRate);
    EXPECT_EQ(back.channels, 1);
    EXPECT_EQ(back.Frames(), w.Frames());  // the last page carries the exact length
    EXPECT_NEAR(Measure(back).rmsDb, Measure(w).rmsDb, 0.3);
}

TEST(OggFile, SameInputSameBytes) {
    TWave w = MakeEffect("pop");
    TEncodeOptions o;
    o.serial = 77;
    EXPECT_EQ(EncodeOgg(w, o), EncodeOgg(w, o));
    o.serial = 78;
    EXPECT_NE(EncodeOgg(w, o), EncodeOgg(MakeEffect("pop"), TEncodeOptions{0.4f, 77, ""}));
}

TEST(OggFile, CeilingHoldsAfterDecoding) {
    // A full-scale square wave overshoots after lossy coding; the encoder
    // must bring it back under the ceiling.
    TWave w(1, size_t(kRate / 2));
    for (size_t i = 0; i < w.Frames(); ++i) w.At(i, 0) = (i / 50) % 2 ? 0.89f : -0.89f;
    std::vector<uint8_t> bytes = EncodeUnderCeiling(w, TEncodeOptions{}, -1.1);
    EXPECT_LE(Measure(DecodeOgg(bytes)).peakDb, -1.1);
}

TEST(OggFile, RefusesWhatIsNotVorbis) {
    std::vector<uint8_t> junk(1000, 0x41);
    EXPECT_THROW(DecodeOgg(junk), std::runtime_error);
}

// --- effects ---

TEST(Effects, EveryRecipeIsRepeatableAndAtItsLevel) {
    for (const TEffectInfo& e : EffectList()) {
        TWave a = MakeEffect(e.name), b = MakeEffect(e.name);
        EXPECT_EQ(a.data, b.data) << e.name;
        EXPECT_NEAR(Measure(a).peakDb, e.peakDb, 0.01) << e.name;
        EXPECT_LT(std::fabs(a.data.front()), 0.01) << e.name << " starts with a click";
        EXPECT_LT(std::fabs(a.data.back()), 0.01) << e.name << " ends with a click";
    }
    EXPECT_THROW(MakeEffect("nonesuch"), std::invalid_argument);
}

double PeakOf(const std::vector<float>& v, size_t from, size_t to) {
    double p = 0;
    for (size_t i = from; i < to && i < v.size(); ++i) p = std::max(p, double(std::fabs(v[i])));
    return p;
}

double RmsDbOf(const std::vector<float>& v, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += double(v[i]) * v[i];
    return GainToDb(std::sqrt(sum / double(to - from)));
}

// Pitch of a voiced stretch by autocorrelation, searched between lo and hi Hz.
double PitchAt(const std::vector<float>& v, double at, double lo, double hi) {
    size_t start = size_t(Samples(at)), n = size_t(Samples(0.04));
    double best = -1, bestLag = 0;
    for (int lag = int(kRate / hi); lag <= int(kRate / lo); ++lag) {
        double sum = 0;
        for (size_t i = start; i < start + n; ++i) sum += double(v[i]) * v[i + size_t(lag)];
        if (sum > best) {
            best = sum;
            bestLag = lag;
        }
    }
    return kRate / bestLag;
}

TEST(Effects, NothingStartsAtFullLevel) {
    // Even the clicks and knocks rise over a few milliseconds: the first tenth
    // of one is nearly silent.
    for (const TEffectInfo& e : EffectList()) {
        TWave w = MakeEffect(e.name);
        double peak = PeakOf(w.data, 0, w.data.size());
        EXPECT_LT(PeakOf(w.data, 0, size_t(Samples(0.0001))), 0.1 * peak) << e.name;
    }
}

TEST(Effects, VoicesSoundLikeVoices) {
    // The hurt cry falls by far more than a wobble and sighs out to silence.
    TWave hurt = MakeEffect("ahh");
    double early = PitchAt(hurt.data, 0.1, 120, 500), late = PitchAt(hurt.data, 0.33, 120, 500);
    EXPECT_LT(late, early * 0.75) << early << " Hz to " << late << " Hz";
    size_t n = hurt.data.size();
    EXPECT_LT(RmsDbOf(hurt.data, n - size_t(Samples(0.02)), n), -70.0) << "the cry is cut off";
    // A voice has breath and harmonics above 10 kHz, not a wall where the buzz stops.
    for (const char* name : {"ahh", "hoho", "RIDE"}) {
        std::vector<float> v = MakeEffect(name).data;
        std::vector<float> air = v;
        TBiquad hp1 = TBiquad::HighPass(11000, 0.7), hp2 = TBiquad::HighPass(11000, 0.7);
        for (float& x : air) x = float(hp2.Process(hp1.Process(x)));
        EXPECT_GT(RmsDbOf(air, 0, air.size()) - RmsDbOf(v, 0, v.size()), -50.0) << name;
    }
}

// --- narration helpers ---

TEST(Narration, ParagraphsAndPauses) {
    auto p = SplitParagraphs("# note\none\ntwo\n\nthree\n\n\n  four\n");
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0].text, "one two");
    EXPECT_EQ(p[0].blankLinesBefore, 0);
    EXPECT_EQ(p[1].text, "three");
    EXPECT_EQ(p[1].blankLinesBefore, 1);
    EXPECT_EQ(p[2].text, "four");
    EXPECT_EQ(p[2].blankLinesBefore, 2);
}

TEST(Narration, PhrasesPauseByTheirPunctuation) {
    TNarrationOptions o;
    auto p = SplitPhrases("Use the keys, jump... Be Careful!!! v2.5 ends.. , and then good luck", o);
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[0].text, "Use the keys,");
    EXPECT_DOUBLE_EQ(p[0].pauseAfter, o.pauseAfterComma);
    // Runs of marks are spoken as one, so the dots are never read out.
    EXPECT_EQ(p[1].text, "jump.");
    EXPECT_DOUBLE_EQ(p[1].pauseAfter, o.pauseAfterEllipsis);
    EXPECT_EQ(p[2].text, "Be Careful!");
    EXPECT_DOUBLE_EQ(p[2].pauseAfter, o.pauseAfterSentence);
    // A dot inside a word stays; a stray comma after a pause adds nothing.
    EXPECT_EQ(p[3].text, "v2.5 ends.");
    EXPECT_DOUBLE_EQ(p[3].pauseAfter, o.pauseAfterEllipsis);
    // The last phrase keeps its words and leaves the quiet to the paragraph.
    EXPECT_EQ(p[4].text, "and then good luck");
    EXPECT_DOUBLE_EQ(p[4].pauseAfter, 0.0);
    EXPECT_TRUE(SplitPhrases(" ... ", o).empty());
}

std::vector<uint8_t> WavBytes(uint32_t riffSize, uint32_t dataSize, const std::vector<int16_t>& samples) {
    std::vector<uint8_t> b;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
    };
    auto put16 = [&](uint16_t v) {
        b.push_back(uint8_t(v));
        b.push_back(uint8_t(v >> 8));
    };
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i) b.push_back(uint8_t(t[i]));
    };
    tag("RIFF");
    put32(riffSize);
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(1);
    put16(1);
    put32(22050);
    put32(44100);
    put16(2);
    put16(16);
    tag("data");
    put32(dataSize);
    for (int16_t s : samples) put16(uint16_t(s));
    return b;
}

TEST(Narration, ReadsAWaveStreamedThroughAPipe) {
    // Written to a pipe, the sizes are unknown and left at their maximum.
    std::vector<int16_t> s = {0, 16384, -16384, 32767};
    int rate = 0, channels = 0;
    std::vector<float> v = ParseWav(WavBytes(0x7FFFFFFF, 0xFFFFFFFF, s), rate, channels);
    EXPECT_EQ(rate, 22050);
    EXPECT_EQ(channels, 1);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_FLOAT_EQ(v[1], 0.5f);
    EXPECT_FLOAT_EQ(v[2], -0.5f);
    // A truthful header that claims less than is there is believed.
    EXPECT_EQ(ParseWav(WavBytes(40, 4, s), rate, channels).size(), 2u);
}

TEST(Narration, RefusesWhatIsNotAWave) {
    int rate = 0, channels = 0;
    std::vector<uint8_t> junk = {'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    EXPECT_THROW(ParseWav(junk, rate, channels), std::runtime_error);
    std::vector<uint8_t> cut = WavBytes(36, 8, {});
    cut.resize(30);  // the format chunk is cut short
    EXPECT_THROW(ParseWav(cut, rate, channels), std::runtime_error);
}

}  // namespace

namespace {

TEST(Narration, TheSpeakerSaysTheSameEveryTime) {
    // Two builds must write the same narration bytes.
    sfx::TNarrationOptions o;
    int rateA = 0, rateB = 0;
    std::vector<float> a = sfx::SpeakText("Good luck!", o, rateA), b = sfx::SpeakText("Good luck!", o, rateB);
    EXPECT_GT(a.size(), size_t(rateA / 4));
    EXPECT_EQ(rateA, rateB);
    EXPECT_EQ(a, b);
}

TEST(Narration, AMissingSpeechProgramIsAnError) {
    sfx::TNarrationOptions o;
    o.program = "/nonexistent/speaker";
    int rate = 0;
    EXPECT_THROW(sfx::SpeakText("hello", o, rate), std::runtime_error);
}

}  // namespace
