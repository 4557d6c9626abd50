#pragma once
// platform/audio: the sound device, the mixer, decoded effects and streamed
// tunes. Uses system/ and files/, and replay/ for the channels' answers.
//
// Sounds, channels and the software mixer.
//
// A TSound is decoded whole when it is loaded, except a streamed one (the
// music), which is decoded from its file a little ahead of the mixer while
// it plays. A TChannel is a voice owned
// by the object that makes the noise. Channel commands from the game thread
// reach the mixer through a lock-free queue; the mixer never blocks the game.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/sound_data.h"

namespace sq {

namespace streaming {
class TStreamPlay;
}

class TChannel;
using ChannelRef = std::shared_ptr<TChannel>;

// Decodes an Ogg Vorbis file (backslashes are separators). flags 1: loops.
// Returns nullptr when the file is missing or cannot be decoded.
SoundRef LoadSoundFile(const std::string& path, int flags);
// The same from bytes in memory (tools and tests).
SoundRef DecodeSound(const std::vector<uint8_t>& oggBytes, int flags, const std::string& name = {});
SoundRef DecodeSound(const uint8_t* oggBytes, std::size_t size, int flags, const std::string& name = {});

// A sound that is decoded from its file while it plays, so that a long tune
// costs neither a wait nor memory for all of it. Only whether the file exists
// is checked here (nullptr when it does not); a file that turns out not to
// decode, or breaks off, ends that play with one line on standard error.
//
// With `measure`, the file's length is read now (its headers, not its sound),
// so that whether a channel still plays it is known from its start.
SoundRef OpenSoundStream(const std::string& path, int flags, bool measure = false);
// Whether the file decodes from its start to its end, read a block at a time
// (nothing of it is kept); when not, `why` says what is wrong, in words.
bool SoundFileDecodes(const std::string& path, std::string& why);

// Which of the player's two volumes a channel follows: the tunes and
// jingles are music, everything else is an effect.
enum class SoundGroup : uint8_t { kEffects = 0, kMusic = 1 };
// 0 silent .. 1 full: a factor on the amplitude of every sound of the group,
// playing or to come, applied by the mixer (the channels' own gains and what
// they report stay as they are).
void SetGroupVolume(SoundGroup group, float volume);

ChannelRef NewChannel();
void PlaySoundOn(const SoundRef& sound, const ChannelRef& channel);
void CueSoundOn(const SoundRef& sound, const ChannelRef& channel);
void HaltChannel(const ChannelRef& channel);
int IsChannelBusy(const ChannelRef& channel);

class TChannel {
public:
    TChannel() = default;
    ~TChannel();
    TChannel(const TChannel&) = delete;
    TChannel& operator=(const TChannel&) = delete;
    // Settings apply at once to the sound playing and stay for later sounds.
    void SetGain(float v);          // 0 silent .. 1 full
    void SetBalance(float p);       // -1 left .. +1 right
    void SetPlaybackRate(float r);  // speed and pitch factor, 1 normal
    void SetSuspended(int flag);    // 1 pause, 0 resume
    void SetSoundGroup(SoundGroup group);
    SoundGroup Group() const { return group_; }
    float Gain() const { return gain_; }
    float Balance() const { return balance_; }
    float PlaybackRate() const { return rate_; }
    bool Suspended() const { return suspended_; }
    int Voice() const { return voice_; }

private:
    friend ChannelRef NewChannel();
    friend void PlaySoundOn(const SoundRef&, const ChannelRef&);
    friend void CueSoundOn(const SoundRef&, const ChannelRef&);
    friend void HaltChannel(const ChannelRef&);
    friend int IsChannelBusy(const ChannelRef&);
    friend struct TChannelAccess;
    int voice_ = -1;  // the mixer's voice slot, taken at the first play
    float gain_ = 1.0f, balance_ = 0.0f, rate_ = 1.0f;
    bool suspended_ = false;
    SoundGroup group_ = SoundGroup::kEffects;
    bool active_ = false;                           // started and neither halted nor seen finished
    SoundRef sound_;                                // keeps the samples alive while the mixer reads them
    std::shared_ptr<streaming::TStreamPlay> play_;  // the play of a streamed sound
    uint32_t serial_ = 0;
    // Without a mixer the channel times its sound on the game clock.
    double clockFrames_ = 0;
    uint32_t clockLast_ = 0;
};

// The mixer: a plain function of the channels' state that fills a buffer.
// The SDL audio callback calls MixAudio; tests call it directly.
void MixAudio(int16_t* out, int frames);  // interleaved stereo

// Audio device control. OpenAudio returns false when no device can be opened;
// the game then runs silently and channels report playing for the length of
// their sound divided by the rate, measured on the game clock. CloseAudio
// returns to that silent state (also from manual audio).
bool OpenAudio();
void CloseAudio();
bool AudioDeviceOpen();
// Tests: no device, and no wall-clock timing; the mixer runs only when
// MixAudio is called, and whether a channel is busy comes from the mixer.
// OpenAudio refuses to open a device until CloseAudio.
void UseManualAudio();
// Tests: stop the decoding of streamed sounds (the mixer then finds their
// rings empty), start it again, and wait until every stream is topped up.
void HoldSoundStreams(bool hold);
bool WaitForSoundStreams();
// Plays of streamed sounds whose buffers are still held (tests, benchmarks).
int LiveSoundStreams();

// The longest sound that loads (longer files are refused).
inline constexpr int kMaxSoundSeconds = 600;

}  // namespace sq
