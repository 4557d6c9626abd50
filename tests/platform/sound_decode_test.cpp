#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "ogg_tone.h"
#include "platform/audio/sound.h"

using namespace sq;
namespace fs = std::filesystem;

namespace {

double Rms(const TSound& s, int channel, int from, int to) {
    double sum = 0;
    for (int i = from; i < to; ++i) {
        double v = s.samples[std::size_t(i) * 2 + std::size_t(channel)];
        sum += v * v;
    }
    return std::sqrt(sum / (to - from));
}

TEST(SoundDecode, StereoAtTheMixingRate) {
    auto bytes = sqtest::EncodeSine(2, 44100, 22050, 440.0);
    auto s = DecodeSound(bytes, 0, "tone");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->frames, 22050);
    EXPECT_EQ(s->samples.size(), 44100u);
    EXPECT_FALSE(s->loop);
    EXPECT_EQ(s->path, "tone");
    // A sine of amplitude 0.5 has an RMS of 0.5 / sqrt 2 of full scale.
    EXPECT_NEAR(Rms(*s, 0, 1000, 21000), 0.5 / std::sqrt(2.0) * 32768, 800);
    // The right side is the negated left.
    EXPECT_NEAR(double(s->samples[20000]) + s->samples[20001], 0.0, 400.0);
}

TEST(SoundDecode, MonoSpreadsAndOtherRatesResample) {
    auto bytes = sqtest::EncodeSine(1, 22050, 11025, 220.0);
    auto s = DecodeSound(bytes, 1);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(s->loop);
    EXPECT_NEAR(s->frames, 22050, 2);  // half a second at 44100
    for (int i = 0; i < s->frames; i += 97)
        ASSERT_EQ(s->samples[std::size_t(i) * 2], s->samples[std::size_t(i) * 2 + 1]);
    EXPECT_NEAR(Rms(*s, 0, 1000, 21000), 0.5 / std::sqrt(2.0) * 32768, 800);
    // Still 220 Hz after resampling: count rising zero crossings over 0.4 s.
    int crossings = 0;
    for (int i = 2000; i < 2000 + 17640; ++i)
        if (s->samples[std::size_t(i) * 2] < 0 && s->samples[std::size_t(i + 1) * 2] >= 0) ++crossings;
    EXPECT_NEAR(crossings, 88, 1);
}

TEST(SoundDecode, BadDataGivesTheNullObject) {
    EXPECT_EQ(DecodeSound({}, 0), nullptr);
    std::vector<uint8_t> junk(5000);
    for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = uint8_t(i * 37 + 11);
    EXPECT_EQ(DecodeSound(junk, 0), nullptr);
    auto good = sqtest::EncodeSine(1, 44100, 4410, 440.0);
    std::vector<uint8_t> cut(good.begin(), good.begin() + long(good.size() / 3));
    auto s = DecodeSound(cut, 0);  // a cut file: whatever decodes, never a crash
    if (s) {
        EXPECT_LE(s->frames, 4410);
    }
    std::vector<uint8_t> header(good.begin(), good.begin() + 60);
    EXPECT_EQ(DecodeSound(header, 0), nullptr);
}

TEST(SoundDecode, LoadsFilesWithBackslashPaths) {
    fs::path dir = fs::temp_directory_path() / "sq_sound_test";
    fs::create_directories(dir / "sfx");
    auto bytes = sqtest::EncodeSine(1, 44100, 4410, 440.0);
    {
        std::FILE* f = std::fopen((dir / "sfx" / "pop.ogg").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    fs::path old = fs::current_path();
    fs::current_path(dir);
    auto s = LoadSoundFile("sfx\\pop.ogg", 0);
    auto missing = LoadSoundFile("sfx\\none.ogg", 0);
    auto folder = LoadSoundFile("sfx", 0);
    fs::current_path(old);
    fs::remove_all(dir);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->frames, 4410);
    EXPECT_EQ(s->path, "sfx\\pop.ogg");
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(folder, nullptr);
}

}  // namespace
