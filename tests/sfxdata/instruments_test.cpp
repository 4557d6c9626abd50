// The instruments and the formant voice: in tune, silent at their end, and
// shaped the way their names promise.
#include "instruments.h"

#include <gtest/gtest.h>

#include <cmath>

#include "formant_voice.h"
#include "wave.h"

namespace {

using namespace sfx;

// Period by autocorrelation: the first lag whose correlation comes close to
// the best one, so a multiple of the period is not taken for it.
double PitchOf(const std::vector<float>& v, double from, double to) {
    size_t a = size_t(Samples(from)), b = std::min(v.size(), size_t(Samples(to)));
    const size_t minLag = kRate / 2000, maxLag = kRate / 40;
    std::vector<double> corr(maxLag + 1, 0.0);
    double best = 0;
    for (size_t lag = minLag; lag <= maxLag; ++lag) {
        double num = 0, e1 = 0, e2 = 0;
        for (size_t i = a; i + lag < b; ++i) {
            num += double(v[i]) * v[i + lag];
            e1 += double(v[i]) * v[i];
            e2 += double(v[i + lag]) * v[i + lag];
        }
        corr[lag] = num / std::sqrt(e1 * e2 + 1e-20);
        best = std::max(best, corr[lag]);
    }
    for (size_t lag = minLag + 1; lag < maxLag; ++lag) {
        if (corr[lag] >= 0.9 * best && corr[lag] >= corr[lag - 1] && corr[lag] >= corr[lag + 1]) {
            // Parabolic refinement between neighbouring lags.
            double l = corr[lag - 1], c = corr[lag], r = corr[lag + 1];
            double shift = 0.5 * (l - r) / (l - 2 * c + r);
            return kRate / (double(lag) + shift);
        }
    }
    return 0;
}

double BandEnergyDb(const std::vector<float>& v, double lo, double hi) {
    // Energy through a band-pass made of a high-pass and a low-pass.
    TBiquad h1 = TBiquad::HighPass(lo, 0.707), h2 = TBiquad::HighPass(lo, 0.707);
    TBiquad l1 = TBiquad::LowPass(hi, 0.707), l2 = TBiquad::LowPass(hi, 0.707);
    double e = 0;
    for (float s : v) {
        double y = l2.Process(l1.Process(h2.Process(h1.Process(s))));
        e += y * y;
    }
    return GainToDb(std::sqrt(e / double(v.size())));
}

const EPatch kPitched[] = {EPatch::kFlute, EPatch::kCelesta, EPatch::kBrass, EPatch::kClarinet, EPatch::kPluck,
                           EPatch::kPad,   EPatch::kOrgan,   EPatch::kBass,  EPatch::kTuba,     EPatch::kMusicBox};

class Instrument : public ::testing::TestWithParam<EPatch> {};

TEST_P(Instrument, PlaysInTune) {
    for (double hz : {110.0, 440.0}) {
        TRandom rng(5);
        std::vector<float> v = RenderNote(GetParam(), TNote{hz, 0.6, 0.8}, rng);
        double measured = PitchOf(v, 0.1, 0.5);
        // The organ's sub-octave stop makes its true period twice the note's.
        if (GetParam() == EPatch::kOrgan) measured *= 2.0;
        // Within a fifth of a semitone.
        EXPECT_NEAR(12.0 * std::log2(measured / hz), 0.0, 0.2) << "asked " << hz << " got " << measured;
    }
}

TEST_P(Instrument, FallsSilentAtItsEndAndStaysBounded) {
    for (double gate : {0.05, 0.5}) {
        TRandom rng(9);
        std::vector<float> v = RenderNote(GetParam(), TNote{330.0, gate, 1.0}, rng);
        ASSERT_GE(v.size(), size_t(Samples(gate)));
        EXPECT_LT(std::fabs(v.back()), 0.01);
        TLevels lv = Measure(TWave::Mono(v));
        EXPECT_LT(lv.peakDb, 6.0);
        EXPECT_GT(lv.peakDb, -30.0);
        for (float s : v) ASSERT_TRUE(std::isfinite(s));
    }
}

TEST_P(Instrument, SoftNotesAreQuieter) {
    TRandom a(3), b(3);
    double loud = Measure(TWave::Mono(RenderNote(GetParam(), TNote{262.0, 0.3, 1.0}, a))).rmsDb;
    double soft = Measure(TWave::Mono(RenderNote(GetParam(), TNote{262.0, 0.3, 0.3}, b))).rmsDb;
    EXPECT_LT(soft, loud - 6.0);
}

INSTANTIATE_TEST_SUITE_P(Patches, Instrument, ::testing::ValuesIn(kPitched));

TEST(Instruments, NamesAndTheKit) {
    EXPECT_EQ(PatchFromName("celesta"), EPatch::kCelesta);
    EXPECT_THROW(PatchFromName("harpsichord"), std::invalid_argument);
    TRandom rng(1);
    EXPECT_THROW(RenderNote(EPatch::kKit, TNote{}, rng), std::invalid_argument);
    for (char d : std::string("kshojtwc")) {
        ASSERT_TRUE(IsDrumLetter(d));
        std::vector<float> v = RenderDrum(d, 1.0, rng);
        TLevels lv = Measure(TWave::Mono(v));
        EXPECT_GT(lv.peakDb, -20.0) << d;
        EXPECT_LT(lv.peakDb, 6.0) << d;
        EXPECT_LT(std::fabs(v.back()), 0.02) << d;
    }
    EXPECT_FALSE(IsDrumLetter('x'));
    EXPECT_THROW(RenderDrum('x', 1.0, rng), std::invalid_argument);
}

TEST(Instruments, KickIsLowAndHatIsHigh) {
    TRandom rng(2);
    std::vector<float> kick = RenderDrum('k', 1.0, rng), hat = RenderDrum('h', 1.0, rng);
    EXPECT_GT(BandEnergyDb(kick, 30, 200), BandEnergyDb(kick, 3000, 12000) + 20.0);
    EXPECT_GT(BandEnergyDb(hat, 6000, 16000), BandEnergyDb(hat, 30, 500) + 20.0);
}

// --- the formant voice ---

TEST(FormantVoice, CurvesInterpolateAndHold) {
    TCurve c{{0.0, 100}, {1.0, 200}};
    EXPECT_DOUBLE_EQ(c.At(-1.0), 100);
    EXPECT_DOUBLE_EQ(c.At(0.25), 125);
    EXPECT_DOUBLE_EQ(c.At(5.0), 200);
    EXPECT_DOUBLE_EQ(TCurve(7.0).At(3.0), 7.0);
}

TEST(FormantVoice, VowelsDifferWhereTheirFormantsLie) {
    // "ah" is strong around 700 Hz, "ee" puts energy near 2.3 kHz instead.
    TVoiceShape ah, ee;
    ah.seconds = ee.seconds = 0.4;
    ah.pitch = ee.pitch = 140.0;
    ah.f1 = 750.0;
    ah.f2 = 1150.0;
    ee.f1 = 300.0;
    ee.f2 = 2300.0;
    ee.f3 = 3000.0;
    TRandom r1(4), r2(4);
    std::vector<float> a = RenderVoice(ah, r1), e = RenderVoice(ee, r2);
    double aLow = BandEnergyDb(a, 600, 900), aHigh = BandEnergyDb(a, 2000, 2600);
    double eLow = BandEnergyDb(e, 600, 900), eHigh = BandEnergyDb(e, 2000, 2600);
    EXPECT_GT(aLow - aHigh, eLow - eHigh + 10.0);
    EXPECT_NEAR(PitchOf(a, 0.1, 0.35), 140.0, 3.0);
}

TEST(FormantVoice, BreathAloneHasNoPitch) {
    TVoiceShape h;
    h.seconds = 0.3;
    h.voicing = 0.0;
    h.breath = 0.5;
    TRandom rng(8);
    std::vector<float> v = RenderVoice(h, rng);
    EXPECT_GT(Measure(TWave::Mono(v)).rmsDb, -60.0);  // a hiss is heard...
    TVoiceShape buzz = h;
    buzz.voicing = 1.0;
    buzz.breath = 0.0;
    TRandom rng2(8);
    std::vector<float> b = RenderVoice(buzz, rng2);
    EXPECT_NEAR(PitchOf(b, 0.05, 0.3), 120.0, 3.0);  // ...while the buzz sits on its pitch
}

}  // namespace
