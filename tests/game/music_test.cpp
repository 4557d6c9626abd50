// The music object: tune selection, restarts, pauses.
#include <gtest/gtest.h>

#include "audio/game_music.h"
#include "platform/clock.h"
#include "platform/mixer.h"
#include "platform/runtime_error.h"
#include "platform/sound.h"

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

}  // namespace
