#include "platform/audio/mixer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "alloc_counter.h"
#include "platform/audio/sound.h"
#include "platform/system/clock.h"
#include "platform/system/runtime_error.h"

using namespace sq;

namespace {

// A sound built directly, no decoding: every frame (left, right) given by f.
template <class F>
SoundRef MakeSound(int frames, F f, bool loop = false) {
    auto s = std::make_shared<TSound>();
    s->frames = frames;
    s->loop = loop;
    s->samples.resize(std::size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        auto [l, r] = f(i);
        s->samples[std::size_t(i) * 2] = int16_t(l);
        s->samples[std::size_t(i) * 2 + 1] = int16_t(r);
    }
    return s;
}

SoundRef Flat(int frames, int value, bool loop = false) {
    return MakeSound(
        frames,
        [value](int) {
            return std::pair{value, value};
        },
        loop);
}

// A ramp shows where in the sound the mixer is: frame i sounds as i.
SoundRef Ramp(int frames, bool loop = false) {
    return MakeSound(
        frames,
        [](int i) {
            return std::pair{i, -i};
        },
        loop);
}

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseManualAudio();
        clock = std::make_shared<TManualClock>(5000);
        SetClock(clock);
    }
    void TearDown() override { SetClock(nullptr); }

    // Mixes n frames into `out`.
    void Mix(int n) {
        out.assign(std::size_t(n) * 2, 12345);
        MixAudio(out.data(), n);
    }
    int L(int i) const { return out[std::size_t(i) * 2]; }
    int R(int i) const { return out[std::size_t(i) * 2 + 1]; }

    std::shared_ptr<TManualClock> clock;
    std::vector<int16_t> out;
};

TEST_F(MixerTest, NewChannelDefaults) {
    auto ch = NewChannel();
    EXPECT_EQ(ch->Gain(), 1.0f);
    EXPECT_EQ(ch->Balance(), 0.0f);
    EXPECT_EQ(ch->PlaybackRate(), 1.0f);
    EXPECT_FALSE(ch->Suspended());
    EXPECT_EQ(IsChannelBusy(ch), 0);
    Mix(64);
    for (int16_t s : out) ASSERT_EQ(s, 0);  // nothing playing is silence
}

TEST_F(MixerTest, GainAndBalance) {
    auto snd = Flat(10000, 10000);
    auto ch = NewChannel();
    PlaySoundOn(snd, ch);
    Mix(16);
    EXPECT_EQ(L(0), 10000);
    EXPECT_EQ(R(15), 10000);

    ch->SetGain(0.5f);  // at once, on the sound playing
    Mix(16);
    EXPECT_EQ(L(0), 5000);
    EXPECT_EQ(R(0), 5000);

    ch->SetBalance(-1.0f);
    Mix(16);
    EXPECT_EQ(L(0), 5000);
    EXPECT_EQ(R(0), 0);

    ch->SetBalance(0.5f);
    Mix(16);
    EXPECT_EQ(L(0), 2500);
    EXPECT_EQ(R(0), 5000);

    // The settings stay on the channel for the next sound.
    PlaySoundOn(Flat(100, -8000), ch);
    Mix(16);
    EXPECT_EQ(L(0), -2000);
    EXPECT_EQ(R(0), -4000);

    ch->SetGain(0.0f);
    Mix(16);
    EXPECT_EQ(L(3), 0);
    EXPECT_EQ(R(3), 0);
    EXPECT_EQ(IsChannelBusy(ch), 1);  // silent is still playing
}

TEST_F(MixerTest, PlayRestartsFromTheBeginning) {
    auto ramp = Ramp(1000);
    auto ch = NewChannel();
    PlaySoundOn(ramp, ch);
    Mix(100);
    EXPECT_EQ(L(99), 99);
    EXPECT_EQ(R(99), -99);
    PlaySoundOn(ramp, ch);
    Mix(10);
    EXPECT_EQ(L(0), 0);
    EXPECT_EQ(L(9), 9);
}

TEST_F(MixerTest, FinishedSoundFreesTheChannel) {
    auto ch = NewChannel();
    PlaySoundOn(Flat(1000, 3000), ch);
    Mix(999);
    EXPECT_EQ(IsChannelBusy(ch), 1);
    Mix(1);
    EXPECT_EQ(IsChannelBusy(ch), 0);
    Mix(50);
    EXPECT_EQ(L(0), 0);
    // The same channel plays the next sound.
    PlaySoundOn(Flat(10, 77), ch);
    EXPECT_EQ(IsChannelBusy(ch), 1);
    Mix(12);
    EXPECT_EQ(L(9), 77);
    EXPECT_EQ(L(10), 0);
    EXPECT_EQ(IsChannelBusy(ch), 0);
}

TEST_F(MixerTest, RateChangesSpeedWithLinearInterpolation) {
    auto ch = NewChannel();
    ch->SetPlaybackRate(2.0f);
    PlaySoundOn(Flat(1000, 100), ch);
    Mix(499);
    EXPECT_EQ(IsChannelBusy(ch), 1);
    Mix(1);
    EXPECT_EQ(IsChannelBusy(ch), 0);  // twice the rate, half the time

    auto ramp = MakeSound(100, [](int i) { return std::pair{i * 100, i * 100}; });
    ch->SetPlaybackRate(0.5f);
    PlaySoundOn(ramp, ch);
    Mix(8);
    EXPECT_EQ(L(0), 0);
    EXPECT_EQ(L(1), 50);  // half-way between frames 0 and 1
    EXPECT_EQ(L(2), 100);
    EXPECT_EQ(L(7), 350);

    ch->SetPlaybackRate(1.0f);  // changes the sound playing, from where it is
    Mix(2);
    EXPECT_EQ(L(0), 400);
    EXPECT_EQ(L(1), 500);
}

TEST_F(MixerTest, PauseKeepsThePlaceAndCountsAsBusy) {
    auto ch = NewChannel();
    PlaySoundOn(Ramp(1000), ch);
    Mix(100);
    ch->SetSuspended(1);
    Mix(5000);
    for (int16_t s : out) ASSERT_EQ(s, 0);
    EXPECT_EQ(IsChannelBusy(ch), 1);
    ch->SetSuspended(0);
    Mix(1);
    EXPECT_EQ(L(0), 100);
}

TEST_F(MixerTest, CueWaitsForResume) {
    auto ch = NewChannel();
    CueSoundOn(Ramp(1000), ch);
    EXPECT_TRUE(ch->Suspended());
    Mix(300);
    EXPECT_EQ(L(299), 0);
    EXPECT_EQ(IsChannelBusy(ch), 1);
    ch->SetSuspended(0);
    Mix(3);
    EXPECT_EQ(L(0), 0);
    EXPECT_EQ(L(2), 2);
    // A cue replaces what was playing and starts over, paused.
    CueSoundOn(Ramp(1000), ch);
    Mix(3);
    EXPECT_EQ(L(2), 0);
    ch->SetSuspended(0);
    Mix(1);
    EXPECT_EQ(L(0), 0);
}

TEST_F(MixerTest, HaltStopsAtOnce) {
    auto ch = NewChannel();
    PlaySoundOn(Flat(100000, 500, true), ch);
    Mix(10);
    EXPECT_EQ(L(0), 500);
    HaltChannel(ch);
    EXPECT_EQ(IsChannelBusy(ch), 0);
    Mix(10);
    EXPECT_EQ(L(0), 0);
    HaltChannel(ch);  // halting an idle channel is harmless
}

TEST_F(MixerTest, LoopingSoundWrapsAndStaysBusy) {
    auto ch = NewChannel();
    PlaySoundOn(Ramp(100, true), ch);
    Mix(250);
    EXPECT_EQ(L(99), 99);
    EXPECT_EQ(L(100), 0);
    EXPECT_EQ(L(249), 49);
    EXPECT_EQ(IsChannelBusy(ch), 1);
    ch->SetPlaybackRate(3.0f);
    Mix(100000);
    EXPECT_EQ(IsChannelBusy(ch), 1);
}

TEST_F(MixerTest, ManyVoicesSaturateWithoutWrapping) {
    std::vector<ChannelRef> channels;
    auto loud = Flat(2000, 10000);
    auto quiet = Flat(2000, -10000);
    for (int i = 0; i < 40; ++i) {
        channels.push_back(NewChannel());
        PlaySoundOn(loud, channels.back());
    }
    Mix(100);
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(L(i), 32767);
        ASSERT_EQ(R(i), 32767);
    }
    for (auto& ch : channels) PlaySoundOn(quiet, ch);
    Mix(100);
    EXPECT_EQ(L(50), -32768);
    // 40 voices of opposite sign cancel out: every voice is really mixed.
    for (std::size_t i = 0; i < channels.size(); ++i) PlaySoundOn(i < 20 ? loud : quiet, channels[i]);
    Mix(10);
    EXPECT_EQ(L(5), 0);
    for (auto& ch : channels) EXPECT_EQ(IsChannelBusy(ch), 1);
}

TEST_F(MixerTest, DroppedChannelStopsItsVoice) {
    auto ch = NewChannel();
    std::weak_ptr<TSound> weak;
    {
        auto snd = Flat(100000, 1234);
        weak = snd;
        PlaySoundOn(snd, ch);
    }
    Mix(4);
    EXPECT_EQ(L(0), 1234);
    EXPECT_FALSE(weak.expired());  // the channel keeps the sound it plays
    ch.reset();
    Mix(4);
    EXPECT_EQ(L(0), 0);
    EXPECT_TRUE(weak.expired());  // and lets it go once the mixer has stopped
}

TEST_F(MixerTest, VoicesAreReusedAndOverflowTimesOnTheClock) {
    // Far more channels than voices over a run: dropped ones give theirs back.
    for (int round = 0; round < 5; ++round) {
        std::vector<ChannelRef> channels;
        for (int i = 0; i < mixer::kMaxVoices; ++i) {
            channels.push_back(NewChannel());
            PlaySoundOn(Flat(10, 1), channels.back());
            ASSERT_GE(channels.back()->Voice(), 0);
        }
        // One more than the mixer has: it still plays by the clock.
        auto extra = NewChannel();
        PlaySoundOn(Flat(441, 1), extra);
        EXPECT_EQ(extra->Voice(), -1);
        EXPECT_EQ(IsChannelBusy(extra), 1);
        clock->Advance(11);
        EXPECT_EQ(IsChannelBusy(extra), 0);
    }
}

TEST_F(MixerTest, NullSoundOrChannelStopsTheGame) {
    auto ch = NewChannel();
    SoundRef none;
    try {
        PlaySoundOn(none, ch);
        FAIL() << "no error";
    } catch (const TRuntimeError& e) {
        EXPECT_STREQ(e.what(), "Attempt to access field or method of Null object");
    }
    EXPECT_THROW(CueSoundOn(none, ch), TRuntimeError);
    EXPECT_THROW(PlaySoundOn(Flat(1, 1), nullptr), TRuntimeError);
    EXPECT_THROW(IsChannelBusy(nullptr), TRuntimeError);
    EXPECT_THROW(HaltChannel(nullptr), TRuntimeError);
}

TEST_F(MixerTest, OddSettingsStaySafe) {
    auto ch = NewChannel();
    ch->SetGain(-3.0f);
    ch->SetBalance(7.0f);
    ch->SetPlaybackRate(-1.0f);
    PlaySoundOn(Flat(10, 1000), ch);
    Mix(4);
    EXPECT_EQ(L(0), 0);
    ch->SetGain(1.0f);
    ch->SetBalance(std::nanf(""));
    ch->SetPlaybackRate(std::nanf(""));
    Mix(4);
    EXPECT_EQ(IsChannelBusy(ch), 1);              // a stopped rate never ends the sound
    PlaySoundOn(std::make_shared<TSound>(), ch);  // an empty sound ends at once
    EXPECT_EQ(IsChannelBusy(ch), 0);
    auto liar = Flat(10, 5);
    liar->frames = 1000000;  // claims more frames than it holds
    ch->SetPlaybackRate(1.0f);
    PlaySoundOn(liar, ch);
    Mix(20);
    EXPECT_EQ(L(9), 5);
    EXPECT_EQ(L(10), 0);
    EXPECT_EQ(IsChannelBusy(ch), 0);
}

TEST_F(MixerTest, MixingAllocatesNothing) {
    std::vector<ChannelRef> channels;
    for (int i = 0; i < 16; ++i) {
        channels.push_back(NewChannel());
        channels.back()->SetBalance(float(i % 3) - 1.0f);
        channels.back()->SetPlaybackRate(0.9f + 0.02f * float(i));
        PlaySoundOn(Ramp(3000, i % 2 == 0), channels.back());
    }
    std::vector<int16_t> buf(4096 * 2);
    sqtest::StartCountingAllocations();
    auto probe = std::make_shared<int>(1);  // the counter does see allocations
    EXPECT_EQ(sqtest::StopCountingAllocations(), 1);
    sqtest::StartCountingAllocations();
    for (int i = 0; i < 20; ++i) MixAudio(buf.data(), 4096);
    EXPECT_EQ(sqtest::StopCountingAllocations(), 0);
}

// Without a device, channels report busy for the length of their sound at
// their rate, on the game clock.
class SilentAudioTest : public MixerTest {
protected:
    void SetUp() override {
        MixerTest::SetUp();
        CloseAudio();
    }
    void TearDown() override {
        UseManualAudio();
        MixerTest::TearDown();
    }
};

TEST_F(SilentAudioTest, BusyForTheSoundsLengthOverItsRate) {
    ASSERT_FALSE(AudioDeviceOpen());
    auto second = Flat(kMixRate, 1);
    auto ch = NewChannel();
    PlaySoundOn(second, ch);
    clock->Advance(999);
    EXPECT_EQ(IsChannelBusy(ch), 1);
    clock->Advance(1);
    EXPECT_EQ(IsChannelBusy(ch), 0);

    ch->SetPlaybackRate(2.0f);
    PlaySoundOn(second, ch);
    clock->Advance(499);
    EXPECT_EQ(IsChannelBusy(ch), 1);
    clock->Advance(1);
    EXPECT_EQ(IsChannelBusy(ch), 0);
}

TEST_F(SilentAudioTest, PauseStopsTheClockAndLoopsNeverEnd) {
    auto ch = NewChannel();
    CueSoundOn(Flat(kMixRate, 1), ch);
    clock->Advance(5000);
    EXPECT_EQ(IsChannelBusy(ch), 1);
    ch->SetSuspended(0);
    clock->Advance(600);
    ch->SetSuspended(1);
    clock->Advance(60000);
    EXPECT_EQ(IsChannelBusy(ch), 1);
    ch->SetSuspended(0);
    clock->Advance(400);
    EXPECT_EQ(IsChannelBusy(ch), 0);

    PlaySoundOn(Flat(100, 1, true), ch);
    clock->Advance(100000);
    EXPECT_EQ(IsChannelBusy(ch), 1);
    HaltChannel(ch);
    EXPECT_EQ(IsChannelBusy(ch), 0);
}

TEST_F(SilentAudioTest, ManualAudioRefusesADevice) {
    UseManualAudio();
    EXPECT_FALSE(OpenAudio());
    EXPECT_FALSE(AudioDeviceOpen());
}

// The real arrangement: another thread mixes while the game thread plays,
// replaces, halts and drops channels. Under the sanitizers this shows that
// no sample buffer is freed while the mixer reads it.
TEST_F(MixerTest, GameThreadNeverWaitsForTheMixerThread) {
    mixer::SetMode(mixer::Mode::kDevice);
    std::atomic<bool> stop{false};
    std::atomic<long> passes{0};
    std::thread device([&] {
        std::vector<int16_t> buf(256 * 2);
        while (!stop.load()) {
            MixAudio(buf.data(), 256);
            passes.fetch_add(1);
        }
    });
    std::vector<ChannelRef> channels(8);
    for (int i = 0; i < 20000; ++i) {
        auto& ch = channels[std::size_t(i) % channels.size()];
        if (!ch || i % 97 == 0) ch = NewChannel();
        PlaySoundOn(Flat(50 + i % 300, i % 2000, i % 5 == 0), ch);
        ch->SetGain(0.5f);
        ch->SetPlaybackRate(1.0f + float(i % 7) * 0.1f);
        if (i % 11 == 0) HaltChannel(ch);
        IsChannelBusy(ch);
    }
    channels.clear();
    stop = true;
    device.join();
    UseManualAudio();  // takes whatever the mixer thread left in the queue
    EXPECT_GT(passes.load(), 0);
    EXPECT_EQ(mixer::Consumed(), mixer::Issued());
}

}  // namespace

namespace {

// The SDL device path, on SDL's dummy driver (no sound hardware needed).
TEST(AudioDevice, OpensPlaysAndClosesOnTheDummyDriver) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    CloseAudio();
    if (!OpenAudio()) GTEST_SKIP() << "no dummy audio driver";
    EXPECT_TRUE(AudioDeviceOpen());
    EXPECT_TRUE(OpenAudio());  // already open
    {
        auto ch = NewChannel();
        auto snd = std::make_shared<TSound>();
        snd->frames = kMixRate * 10;
        snd->samples.assign(std::size_t(snd->frames) * 2, 100);
        PlaySoundOn(snd, ch);
        EXPECT_EQ(IsChannelBusy(ch), 1);  // answered at once, whatever the callback is doing
        ch->SetGain(0.2f);
    }
    CloseAudio();
    EXPECT_FALSE(AudioDeviceOpen());
    EXPECT_EQ(mixer::Consumed(), mixer::Issued());
    UseManualAudio();
}

}  // namespace
