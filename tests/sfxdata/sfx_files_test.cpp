// Every sound file the build wrote into the game folder: present under the
// game's own names, at 44.1 kHz, as long as its use allows, under the level
// ceiling, and for the tunes, repeating without a click.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "ogg_file.h"
#include "platform/audio/sound.h"
#include "wave.h"

#ifdef SFX_GAME_DIR

namespace {

using namespace sfx;

struct TExpected {
    const char* gameName;  // exactly as the game writes it
    double minSeconds, maxSeconds;
    bool tune;
};

// Lengths follow the use: footsteps must finish before the next step, the
// life-lost phrase inside the five-second death sequence, the narration
// before the scrolling text has left the screen (about 58 s).
const TExpected kFiles[] = {
    {"sfx/passi.ogg", 0.05, 0.3, false},     {"sfx/pop.ogg", 0.05, 0.5, false},
    {"sfx/jump2.ogg", 0.1, 0.5, false},      {"sfx/caduta.ogg", 0.05, 0.5, false},
    {"sfx\\ahh.ogg", 0.2, 0.8, false},       {"sfx\\lancio.ogg", 0.1, 0.5, false},
    {"sfx\\morto.ogg", 0.2, 1.0, false},     {"sfx\\Key.ogg", 0.01, 0.2, false},
    {"sfx\\RIDE.ogg", 0.2, 1.0, false},      {"sfx\\hoho.ogg", 0.6, 2.0, false},
    {"sfx\\dead.ogg", 1.0, 5.0, false},      {"sfx\\timclick.ogg", 0.01, 0.2, false},
    {"sfx\\gameover.ogg", 2.0, 12.0, false}, {"sfx\\cambiolivello.ogg", 1.5, 6.0, false},
    {"sfx/info.ogg", 25.0, 58.0, false},
};

const TExpected kTunes[] = {
    {"musica/OnGame.ogg", 60.0, 150.0, true},
    {"musica/HiScores.ogg", 60.0, 150.0, true},
    {"musica/MenuMusic.ogg", 60.0, 150.0, true},
    {"musica/full.ogg", 60.0, 150.0, true},
};

std::string PathOf(const char* gameName) {
    std::string p = std::string(SFX_GAME_DIR) + "/" + gameName;
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

class SoundFile : public ::testing::TestWithParam<TExpected> {
protected:
    void SetUp() override {
        bytes = ReadFileBytes(PathOf(GetParam().gameName));
        wave = DecodeOgg(bytes, &rate);
    }
    std::vector<uint8_t> bytes;
    TWave wave;
    int rate = 0;
};

TEST_P(SoundFile, RateLengthAndLevel) {
    const TExpected& e = GetParam();
    EXPECT_EQ(rate, 44100);
    EXPECT_GE(wave.Seconds(), e.minSeconds);
    EXPECT_LE(wave.Seconds(), e.maxSeconds);
    TLevels lv = Measure(wave);
    EXPECT_LE(lv.peakDb, -1.0) << "too hot";
    EXPECT_EQ(lv.clipped, 0u);
    EXPECT_GT(lv.rmsDb, -40.0) << "nearly silent";
    EXPECT_LT(std::fabs(lv.dcOffset), 0.01);
}

TEST_P(SoundFile, TheGameLoadsItUnderItsOwnName) {
    const TExpected& e = GetParam();
    // Relative to the game folder, the way the game asks for it (backslash and all).
    std::string name = std::string(SFX_GAME_DIR) + "/" + e.gameName;
    sq::SoundRef s = sq::LoadSoundFile(name, e.tune ? 1 : 0);
    ASSERT_TRUE(s) << name;
    EXPECT_EQ(size_t(s->frames), wave.Frames());
    EXPECT_EQ(s->loop, e.tune);
}

class TuneFile : public SoundFile {};

TEST_P(TuneFile, RepeatsWithoutASeam) {
    ASSERT_EQ(wave.channels, 2);
    const size_t n = wave.Frames();
    const size_t window = 2048;
    for (int c = 0; c < 2; ++c) {
        // The jump from the last sample to the first must look like any other
        // step of the music near it, not like a click.
        double maxStep = 0;
        for (size_t i = n - window; i + 1 < n; ++i)
            maxStep = std::max(maxStep, double(std::fabs(wave.At(i + 1, c) - wave.At(i, c))));
        for (size_t i = 0; i + 1 < window; ++i)
            maxStep = std::max(maxStep, double(std::fabs(wave.At(i + 1, c) - wave.At(i, c))));
        double seam = std::fabs(wave.At(0, c) - wave.At(n - 1, c));
        EXPECT_LE(seam, maxStep * 1.5 + 0.002) << "channel " << c;
        // And neither side is a hole of silence.
        auto rms = [&](size_t from, size_t count) {
            double sum = 0;
            for (size_t i = from; i < from + count; ++i) sum += double(wave.At(i, c)) * wave.At(i, c);
            return GainToDb(std::sqrt(sum / double(count)));
        };
        size_t tenth = size_t(kRate / 10);
        EXPECT_GT(rms(0, tenth), -45.0) << "silent start";
        EXPECT_GT(rms(n - tenth, tenth), -45.0) << "silent end";
    }
}

std::string TestName(const ::testing::TestParamInfo<TExpected>& info) {
    std::string out;
    for (const char* c = info.param.gameName; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c))) out += *c;
    return out;
}

INSTANTIATE_TEST_SUITE_P(Effects, SoundFile, ::testing::ValuesIn(kFiles), TestName);
INSTANTIATE_TEST_SUITE_P(Tunes, SoundFile, ::testing::ValuesIn(kTunes), TestName);
INSTANTIATE_TEST_SUITE_P(Tunes, TuneFile, ::testing::ValuesIn(kTunes), TestName);

std::vector<TExpected> AllFiles() {
    std::vector<TExpected> all(std::begin(kFiles), std::end(kFiles));
    all.insert(all.end(), std::begin(kTunes), std::end(kTunes));
    return all;
}

TEST(SoundSet, TunesAreEvenlyLoudAndTheWholeSetIsSmall) {
    double total = 0, lo = 100, hi = -100;
    for (const TExpected& e : AllFiles()) {
        struct stat st {};
        ASSERT_EQ(stat(PathOf(e.gameName).c_str(), &st), 0) << e.gameName;
        total += double(st.st_size);
        if (!e.tune) continue;
        double rms = Measure(DecodeOgg(ReadFileBytes(PathOf(e.gameName)))).rmsDb;
        lo = std::min(lo, rms);
        hi = std::max(hi, rms);
    }
    EXPECT_LT(hi - lo, 3.0) << "one tune is much louder than another";
    EXPECT_GT(lo, -21.0);
    EXPECT_LT(total, 12.0 * 1024 * 1024);
}

TEST(SoundSet, FootstepIsQuieterThanTheSoundsThatMatter) {
    // Footsteps repeat all the time; a hurt cry or a kill must stand out.
    auto peak = [](const char* name) { return Measure(DecodeOgg(ReadFileBytes(PathOf(name)))).peakDb; };
    EXPECT_LT(peak("sfx/passi.ogg"), peak("sfx\\ahh.ogg") - 2.0);
    EXPECT_LT(peak("sfx\\timclick.ogg"), peak("sfx\\morto.ogg") - 2.0);
}

}  // namespace

#endif  // SFX_GAME_DIR
