// The player's music and effects volumes, measured where the sound leaves
// the mixer.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/audio/sound.h"
#include "platform/system/clock.h"

using namespace sq;

namespace {

constexpr int kFrames = 4800;

// A 441 Hz tone at a third of full scale, long enough to measure.
SoundRef Tone() {
    auto s = std::make_shared<TSound>();
    s->frames = kFrames * 4;
    s->samples.resize(std::size_t(s->frames) * 2);
    for (int i = 0; i < s->frames; ++i) {
        auto v = int16_t(std::lrint(10000.0 * std::sin(2.0 * 3.14159265358979 * 441.0 * i / 44100.0)));
        s->samples[std::size_t(i) * 2] = v;
        s->samples[std::size_t(i) * 2 + 1] = v;
    }
    return s;
}

double Rms(const std::vector<int16_t>& out) {
    double sum = 0;
    for (int16_t v : out) sum += double(v) * double(v);
    return std::sqrt(sum / double(out.size()));
}

class VolumeTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseManualAudio();
        clock = std::make_shared<TManualClock>(5000);
        SetClock(clock);
        effect = NewChannel();
        tune = NewChannel();
        tune->SetSoundGroup(SoundGroup::kMusic);
    }
    void TearDown() override {
        HaltChannel(effect);
        HaltChannel(tune);
        SetGroupVolume(SoundGroup::kMusic, 1);
        SetGroupVolume(SoundGroup::kEffects, 1);
        SetClock(nullptr);
    }
    // The level of what the mixer puts out next, with each channel playing
    // the tone or silent.
    double Level(bool effectPlays, bool tunePlays) {
        HaltChannel(effect);
        HaltChannel(tune);
        if (effectPlays) PlaySoundOn(tone, effect);
        if (tunePlays) PlaySoundOn(tone, tune);
        std::vector<int16_t> out(std::size_t(kFrames) * 2);
        MixAudio(out.data(), kFrames);
        return Rms(out);
    }

    std::shared_ptr<TManualClock> clock;
    SoundRef tone = Tone();
    ChannelRef effect, tune;
};

double Decibels(double level, double full) { return 20.0 * std::log10(level / full); }

TEST_F(VolumeTest, ZeroIsSilenceAndHalfIsSixDecibelsDown) {
    const double full = Level(true, false);
    ASSERT_GT(full, 5000);
    SetGroupVolume(SoundGroup::kEffects, 0.5f);
    EXPECT_NEAR(Decibels(Level(true, false), full), -6.02, 0.5);
    SetGroupVolume(SoundGroup::kEffects, 0);
    EXPECT_EQ(Level(true, false), 0.0);
    // Every step of ten per cent is heard as a step.
    double last = 0;
    for (int percent = 10; percent <= 100; percent += 10) {
        SetGroupVolume(SoundGroup::kEffects, float(percent) / 100.0f);
        double level = Level(true, false);
        EXPECT_GT(level, last) << percent;
        EXPECT_NEAR(level / full, percent / 100.0, 0.01) << percent;
        last = level;
    }
}

TEST_F(VolumeTest, MusicAndEffectsAreIndependent) {
    const double full = Level(false, true);
    SetGroupVolume(SoundGroup::kMusic, 0);
    EXPECT_EQ(Level(false, true), 0.0);
    EXPECT_NEAR(Level(true, false), full, 1.0);  // effects untouched by the music's volume
    SetGroupVolume(SoundGroup::kMusic, 1);
    SetGroupVolume(SoundGroup::kEffects, 0);
    EXPECT_EQ(Level(true, false), 0.0);
    EXPECT_NEAR(Level(false, true), full, 1.0);
    // A tune already playing follows a new volume at once.
    SetGroupVolume(SoundGroup::kEffects, 1);
    PlaySoundOn(tone, tune);
    SetGroupVolume(SoundGroup::kMusic, 0.5f);
    std::vector<int16_t> out(std::size_t(kFrames) * 2);
    MixAudio(out.data(), kFrames);
    EXPECT_NEAR(Decibels(Rms(out), full), -6.02, 0.5);
    // What the channels report does not change with the volume.
    EXPECT_EQ(tune->Gain(), 1.0f);
    EXPECT_EQ(IsChannelBusy(tune), 1);
}

}  // namespace
