// The music object: tune selection, restarts, pauses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/game_music.h"
#include "ogg_tone.h"
#include "platform/audio/mixer.h"
#include "platform/audio/sound.h"
#include "platform/system/clock.h"
#include "platform/system/runtime_error.h"

namespace {

class MusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        sq::UseManualAudio();
        sq::SetClock(std::make_shared<sq::TManualClock>(1000));
        music.Init();
        auto tune = std::make_shared<sq::TSound>();
        tune->frames = sq::kMixRate;  // one second of silence, looping
        tune->samples.assign(std::size_t(tune->frames) * 2, 0);
        tune->loop = true;
        music.tune = tune;
    }
    void TearDown() override {
        music.Release();
        sq::SetClock(nullptr);
    }
    CGameMusic music;
};

TEST_F(MusicTest, TheTuneTable) {
    EXPECT_STREQ(TuneInfo(1)->file, "musica/OnGame.ogg");
    EXPECT_FLOAT_EQ(TuneInfo(1)->gain, 0.55f);
    EXPECT_STREQ(TuneInfo(2)->file, "musica/HiScores.ogg");
    EXPECT_STREQ(TuneInfo(3)->file, "musica/MenuMusic.ogg");
    EXPECT_STREQ(TuneInfo(4)->file, "musica/full.ogg");
    EXPECT_FLOAT_EQ(TuneInfo(4)->gain, 1.0f);
    EXPECT_EQ(TuneInfo(0), nullptr);
    EXPECT_EQ(TuneInfo(5), nullptr);
}

TEST_F(MusicTest, SelectingAnUnknownNumberChangesNothing) {
    auto tune = music.tune;
    music.channel->SetGain(0.3f);
    music.Select(0);
    music.Select(5);
    EXPECT_EQ(music.tune, tune);
    EXPECT_FLOAT_EQ(music.channel->Gain(), 0.3f);
}

TEST_F(MusicTest, SelectSetsTheVolumeAtOnceWithoutStartingPlayback) {
    music.Play();
    music.Select(1);  // no file here: the tune is lost, the volume is set
    EXPECT_FLOAT_EQ(music.channel->Gain(), 0.55f);
    EXPECT_EQ(sq::IsChannelBusy(music.channel), 1) << "the old tune plays on until the next Play";
    EXPECT_THROW(music.Play(), sq::TRuntimeError) << "playing a missing tune stops the game";
}

TEST_F(MusicTest, PlayAfterPauseStartsFromTheBeginning) {
    music.Play();
    EXPECT_FALSE(music.channel->Suspended());
    int16_t buffer[2 * 4410];
    sq::MixAudio(buffer, 4410);
    music.Pause();
    EXPECT_TRUE(music.channel->Suspended());
    music.Play();
    EXPECT_FALSE(music.channel->Suspended());
    sq::MixAudio(buffer, 10);
    EXPECT_LT(sq::mixer::VoicePosition(music.channel->Voice()), 100u) << "restarted, not resumed at 4410";
}

// The tunes come from their files in musica/ under the current directory.
class MusicFileTest : public MusicTest {
protected:
    void SetUp() override {
        MusicTest::SetUp();
        music.tune.reset();
        home = std::filesystem::current_path();
        dir = std::filesystem::temp_directory_path() /
              ("sq_music_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        std::filesystem::create_directories(dir / "musica");
        // Each tune a different pitch, a few seconds long.
        for (int n = 1; n <= 4; ++n) {
            auto bytes = sqtest::EncodeSine(2, 44100, 3 * 44100, 200.0 * n, 0.4);
            std::ofstream(dir / TuneInfo(n)->file, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        }
        std::filesystem::current_path(dir);
    }
    void TearDown() override {
        MusicTest::TearDown();
        std::filesystem::current_path(home);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    // Mixes n frames once the tune's decoder has caught up.
    std::vector<int16_t> Mix(int n) {
        EXPECT_TRUE(sq::WaitForSoundStreams());
        std::vector<int16_t> out(std::size_t(n) * 2);
        sq::MixAudio(out.data(), n);
        return out;
    }
    std::filesystem::path home, dir;
};

// Every screen change selects and plays: the tune is heard from its start at
// its volume, restarts after a pause, and however many changes there are,
// only the playing tune's buffers are held.
TEST_F(MusicFileTest, SelectedTunesPlayFromTheirFilesOneAtATime) {
    const int before = sq::LiveSoundStreams();
    const int order[] = {3, 2, 3, 4, 3, 1, 3, 2, 3, 4};
    for (int n : order) {
        music.Pause();
        music.Select(n);
        ASSERT_NE(music.tune, nullptr);
        EXPECT_TRUE(music.tune->samples.empty()) << "selecting decodes nothing";
        music.Play();
        auto out = Mix(2000);
        // Loud enough to be the tune at the tune's volume: a 0.4 sine peaks
        // near 0.4 of full scale, and tune 1 plays at 0.55 of that.
        int peak = 0;
        for (int16_t v : out) peak = std::max(peak, std::abs(int(v)));
        EXPECT_NEAR(peak, 0.4 * 32768 * TuneInfo(n)->gain, 1500) << "tune " << n;
        EXPECT_EQ(sq::IsChannelBusy(music.channel), 1);
    }
    Mix(16);
    sq::IsChannelBusy(music.channel);
    EXPECT_EQ(sq::LiveSoundStreams() - before, 1);

    // Pause, then Play: from the beginning again.
    Mix(5000);
    music.Pause();
    music.Play();
    Mix(10);
    EXPECT_LT(sq::mixer::VoicePosition(music.channel->Voice()), 100u);

    // The game keeps running when a tune file is broken.
    std::ofstream(dir / TuneInfo(2)->file, std::ios::binary) << "not a tune at all";
    ::testing::internal::CaptureStderr();
    music.Select(2);
    music.Play();
    Mix(1024);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(sq::IsChannelBusy(music.channel), 0);
    EXPECT_NE(err.find("HiScores.ogg"), std::string::npos) << err;
}

}  // namespace
