// Streamed sounds: decoded from their file while they play, on a thread of
// their own, and heard exactly as the same file decoded whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ogg_tone.h"
#include "platform/audio/mixer.h"
#include "platform/audio/sound.h"
#include "platform/system/clock.h"

using namespace sq;
namespace fs = std::filesystem;

namespace {

class SoundStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseManualAudio();
        clock = std::make_shared<TManualClock>(5000);
        SetClock(clock);
        dir = fs::temp_directory_path() /
              ("sq_stream_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        // Lets go of streams an earlier test left to the decoder and mixer.
        WaitForSoundStreams();
        IsChannelBusy(NewChannel());
    }
    void TearDown() override {
        HoldSoundStreams(false);
        SetClock(nullptr);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        fs::path p = dir / name;
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return p.string();
    }
    // Mixes n frames (at most what a topped-up ring holds) after letting the
    // decoder catch up.
    std::vector<int16_t> Mix(int n) {
        EXPECT_TRUE(WaitForSoundStreams());
        std::vector<int16_t> out(std::size_t(n) * 2, 12345);
        MixAudio(out.data(), n);
        return out;
    }

    std::shared_ptr<TManualClock> clock;
    fs::path dir;
};

// A loud 44.1 kHz tune and a quiet low-rate mono one, each compared frame by
// frame with the same file decoded whole: the stream loses, adds and moves
// nothing, and a looping tune comes round to its first frame again.
TEST_F(SoundStreamTest, PlaysTheSameFramesAsTheWholeDecodeAndLoops) {
    const auto bytes = sqtest::EncodeSine(2, 44100, 30000, 523.0, 0.6);
    ASSERT_FALSE(bytes.empty());
    const std::string path = Write("tune.ogg", bytes);
    auto whole = DecodeSound(bytes, 1);
    ASSERT_NE(whole, nullptr);
    auto tune = OpenSoundStream(path, 1);
    ASSERT_NE(tune, nullptr);
    EXPECT_TRUE(tune->streamed);
    EXPECT_TRUE(tune->loop);
    EXPECT_TRUE(tune->samples.empty()) << "nothing is decoded when a stream is opened";

    auto ch = NewChannel();
    PlaySoundOn(tune, ch);
    const int frames = whole->frames;
    int at = 0;
    int mismatches = 0;
    for (int pass = 0; pass < 5; ++pass) {  // 100000 frames: more than three times round
        auto out = Mix(20000);
        for (int i = 0; i < 20000; ++i, ++at) {
            const std::size_t src = std::size_t(at % frames) * 2;
            if (out[std::size_t(i) * 2] != whole->samples[src] ||
                out[std::size_t(i) * 2 + 1] != whole->samples[src + 1])
                ++mismatches;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(IsChannelBusy(ch), 1) << "a loop never ends";
    HaltChannel(ch);
    EXPECT_EQ(IsChannelBusy(ch), 0);

    // 22050 Hz mono: spread to both sides and resampled on the way.
    const auto low = sqtest::EncodeSine(1, 22050, 11025, 300.0, 0.3);
    auto lowWhole = DecodeSound(low, 0);
    ASSERT_NE(lowWhole, nullptr);
    PlaySoundOn(OpenSoundStream(Write("low.ogg", low), 0), ch);
    auto out = Mix(lowWhole->frames - 1);
    int lowMismatches = 0;
    for (std::size_t i = 0; i < out.size(); ++i)
        if (out[i] != lowWhole->samples[i]) ++lowMismatches;
    EXPECT_EQ(lowMismatches, 0);
    Mix(100);
    EXPECT_EQ(IsChannelBusy(ch), 0) << "a stream that does not loop ends with its file";
}

// While the decoder is behind, the voice is silent and waits where it is; it
// never blocks the caller, and the tune then starts from its first frame.
TEST_F(SoundStreamTest, AnEmptyRingPlaysSilenceAndWaits) {
    const auto bytes = sqtest::EncodeSine(2, 44100, 20000, 440.0, 0.5);
    auto whole = DecodeSound(bytes, 1);
    ASSERT_NE(whole, nullptr);
    auto tune = OpenSoundStream(Write("late.ogg", bytes), 1);
    auto ch = NewChannel();
    HoldSoundStreams(true);
    PlaySoundOn(tune, ch);
    std::vector<int16_t> out(4096 * 2, 1);
    MixAudio(out.data(), 4096);
    EXPECT_EQ(std::count(out.begin(), out.end(), int16_t(0)), std::ptrdiff_t(out.size()));
    EXPECT_EQ(mixer::VoicePosition(ch->Voice()), 0u);
    EXPECT_EQ(IsChannelBusy(ch), 1) << "a late stream is still playing";
    HoldSoundStreams(false);
    auto played = Mix(1000);
    EXPECT_TRUE(std::equal(played.begin(), played.end(), whole->samples.begin()));

    // Pause keeps the place; a new play begins again at frame 0.
    ch->SetSuspended(1);
    Mix(1000);
    ch->SetSuspended(0);
    played = Mix(10);
    EXPECT_TRUE(std::equal(played.begin(), played.end(), whole->samples.begin() + 2000));
    PlaySoundOn(tune, ch);
    played = Mix(10);
    EXPECT_TRUE(std::equal(played.begin(), played.end(), whole->samples.begin()));
}

// A file that turns out not to be a tune, or one that breaks off part-way,
// ends that play with one line naming it; nothing stops the game.
TEST_F(SoundStreamTest, ABadFileEndsItsPlayQuietly) {
    EXPECT_EQ(OpenSoundStream((dir / "missing.ogg").string(), 1), nullptr);

    auto ch = NewChannel();
    const std::string junk = Write("junk.ogg", std::vector<uint8_t>(5000, 0x5A));
    ::testing::internal::CaptureStderr();
    PlaySoundOn(OpenSoundStream(junk, 1), ch);
    Mix(512);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(IsChannelBusy(ch), 0);
    EXPECT_NE(err.find("junk.ogg"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;

    // A second part at another rate: the first part plays, then the tune ends.
    auto first = sqtest::EncodeSine(2, 44100, 20000, 440.0, 0.5, 1);
    const auto second = sqtest::EncodeSine(2, 22050, 20000, 440.0, 0.5, 2);
    first.insert(first.end(), second.begin(), second.end());
    ::testing::internal::CaptureStderr();
    PlaySoundOn(OpenSoundStream(Write("chained.ogg", first), 1), ch);
    auto out = Mix(30000);
    err = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(std::any_of(out.begin() + 2 * 5000, out.begin() + 2 * 15000, [](int16_t v) { return v != 0; }))
        << "the readable part is heard: " << err;
    EXPECT_TRUE(std::all_of(out.begin() + 2 * 21000, out.end(), [](int16_t v) { return v == 0; }));
    EXPECT_EQ(IsChannelBusy(ch), 0) << "a broken loop does not play on forever";
    EXPECT_NE(err.find("chained.ogg"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

// Replaced and halted plays give their buffers back once the mixer is done
// with them, so one tune at a time is held however often it changes.
TEST_F(SoundStreamTest, OnlyThePlayingStreamIsHeld) {
    const auto bytes = sqtest::EncodeSine(2, 44100, 30000, 440.0, 0.5);
    auto tune = OpenSoundStream(Write("tune.ogg", bytes), 1);
    const int before = LiveSoundStreams();
    auto ch = NewChannel();
    for (int i = 0; i < 20; ++i) {
        PlaySoundOn(tune, ch);
        Mix(256);
    }
    Mix(16);
    IsChannelBusy(ch);  // lets go of what the mixer no longer reads
    EXPECT_EQ(LiveSoundStreams() - before, 1);
    ch.reset();
    Mix(16);
    IsChannelBusy(NewChannel());
    EXPECT_EQ(LiveSoundStreams() - before, 0);
}

// Without a device a stream times itself on the game clock like any sound:
// a loop plays until halted, a one-off for its length once that is known.
TEST_F(SoundStreamTest, WithoutADeviceStreamsTimeOnTheClock) {
    CloseAudio();
    const auto bytes = sqtest::EncodeSine(2, 44100, 44100, 440.0, 0.5);
    const std::string path = Write("second.ogg", bytes);
    auto ch = NewChannel();
    PlaySoundOn(OpenSoundStream(path, 0), ch);
    ASSERT_TRUE(WaitForSoundStreams());
    clock->Advance(990);
    EXPECT_EQ(IsChannelBusy(ch), 1);
    clock->Advance(20);
    EXPECT_EQ(IsChannelBusy(ch), 0);
    PlaySoundOn(OpenSoundStream(path, 1), ch);
    clock->Advance(100000);
    EXPECT_EQ(IsChannelBusy(ch), 1);
    HaltChannel(ch);
    EXPECT_EQ(IsChannelBusy(ch), 0);
    UseManualAudio();
}

// The real arrangement: a device thread mixes while the game thread starts,
// replaces, pauses and halts tunes. Under the sanitizers this shows that no
// ring is freed or reused while the mixer or the decoder still reads it.
TEST_F(SoundStreamTest, TunesChangeWhileAnotherThreadMixes) {
    const auto bytes = sqtest::EncodeSine(2, 44100, 8000, 440.0, 0.5);
    auto loop = OpenSoundStream(Write("loop.ogg", bytes), 1);
    auto once = OpenSoundStream(Write("once.ogg", bytes), 0);
    mixer::SetMode(mixer::Mode::kDevice);
    std::atomic<bool> stop{false};
    std::atomic<long> passes{0};
    std::thread device([&] {
        std::vector<int16_t> buf(512 * 2);
        while (!stop.load()) {
            MixAudio(buf.data(), 512);
            passes.fetch_add(1);
        }
    });
    std::vector<ChannelRef> channels(3);
    for (int i = 0; i < 300; ++i) {
        auto& ch = channels[std::size_t(i) % channels.size()];
        if (!ch || i % 37 == 0) ch = NewChannel();
        PlaySoundOn(i % 4 == 0 ? once : loop, ch);
        ch->SetSuspended(i % 5 == 0 ? 1 : 0);
        if (i % 7 == 0) HaltChannel(ch);
        IsChannelBusy(ch);
        if (i % 50 == 0) {
            // Waits for the device to mix again, so that the changes really
            // interleave with mixing however busy the machine is.
            const long seen = passes.load();
            while (passes.load() == seen) std::this_thread::yield();
        }
    }
    channels.clear();
    stop = true;
    device.join();
    UseManualAudio();
    EXPECT_GT(passes.load(), 0);
    EXPECT_EQ(mixer::Consumed(), mixer::Issued());
    WaitForSoundStreams();
    IsChannelBusy(NewChannel());
    EXPECT_EQ(LiveSoundStreams(), 0) << "every stream let go once its channel is gone";
}

}  // namespace
