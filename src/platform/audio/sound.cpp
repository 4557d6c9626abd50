#include "platform/audio/sound.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/audio/mixer.h"
#include "platform/audio/sound_stream.h"
#include "platform/audio/vorbis_decoder.h"
#include "platform/files/safe_file.h"
#include "platform/files/stream.h"
#include "platform/replay/input_journal.h"
#include "platform/system/clock.h"
#include "platform/system/runtime_error.h"

namespace sq {

// ---------------------------------------------------------------------------
// Decoding

namespace {

// Linear interpolation from `rate` to the mixing rate.
std::vector<int16_t> Resample(const std::vector<int16_t>& in, long rate) {
    std::size_t inFrames = in.size() / 2;
    if (inFrames == 0) return {};
    std::size_t outFrames = std::size_t((uint64_t(inFrames) * kMixRate + uint64_t(rate) - 1) / uint64_t(rate));
    std::vector<int16_t> out(outFrames * 2);
    double stepIn = double(rate) / kMixRate;
    for (std::size_t i = 0; i < outFrames; ++i) {
        double p = double(i) * stepIn;
        std::size_t a = std::size_t(p);
        if (a >= inFrames) a = inFrames - 1;
        std::size_t b = a + 1 < inFrames ? a + 1 : a;
        double f = p - double(a);
        for (int c = 0; c < 2; ++c) {
            double v = in[a * 2 + c] + (in[b * 2 + c] - in[a * 2 + c]) * f;
            out[i * 2 + c] = int16_t(std::lround(v));
        }
    }
    return out;
}

}  // namespace

SoundRef DecodeSound(const std::vector<uint8_t>& oggBytes, int flags, const std::string& name) {
    return DecodeSound(oggBytes.data(), oggBytes.size(), flags, name);
}

SoundRef DecodeSound(const uint8_t* oggBytes, std::size_t size, int flags, const std::string& name) {
    // An effect is a stream read to its end, then brought to the mixing rate.
    TVorbisDecoder decoder;
    if (decoder.Open(oggBytes, size) != nullptr) return nullptr;
    const long rate = decoder.Rate();
    const uint64_t maxFrames = uint64_t(kMaxSoundSeconds) * uint64_t(rate);
    const int64_t total = decoder.TotalFrames(/*wholeFile=*/true);
    if (total < 0 || uint64_t(total) > maxFrames) return nullptr;
    constexpr int kBlock = 4096;
    std::vector<int16_t> pcm(std::size_t(total + kBlock) * 2);
    std::size_t frames = 0;
    for (;;) {
        if ((frames + kBlock) * 2 > pcm.size()) pcm.resize((frames + kBlock) * 2);
        long got = decoder.Read(pcm.data() + frames * 2, kBlock);
        if (got == TVorbisDecoder::kEnd) break;
        if (got < 0 || frames + uint64_t(got) > maxFrames) return nullptr;
        frames += std::size_t(got);
    }
    pcm.resize(frames * 2);
    if (rate != kMixRate) pcm = Resample(pcm, rate);
    auto sound = std::make_shared<TSound>();
    sound->frames = int(pcm.size() / 2);
    sound->samples = std::move(pcm);
    sound->loop = (flags & 1) != 0;
    sound->path = name;
    return sound;
}

SoundRef LoadSoundFile(const std::string& path, int flags) {
    // Compressed sounds are a fraction of their decoded size; a file much
    // larger than the longest decodable sound is not one of ours.
    constexpr uint64_t kMaxFileBytes = 256u << 20;
    std::string file;
    if (!ReadWholeFile(path, file, std::size_t(kMaxFileBytes))) return nullptr;
    return DecodeSound(reinterpret_cast<const uint8_t*>(file.data()), file.size(), flags, path);
}

SoundRef OpenSoundStream(const std::string& path, int flags, bool measure) {
    // Unless measured, nothing is read here: opening and decoding happen on
    // the decoding thread once the sound is played.
    if (PathKind(NativePath(path)) != 1) return nullptr;
    auto sound = std::make_shared<TSound>();
    sound->streamed = true;
    if (measure) {
        TVorbisDecoder decoder;
        if (decoder.Open(path) == nullptr) {
            const int64_t total = decoder.TotalFrames(/*wholeFile=*/false);
            if (total >= 0) sound->streamFrames = streaming::FramesAtMixRate(total, decoder.Rate());
        }
    }
    sound->loop = (flags & 1) != 0;
    sound->path = path;
    return sound;
}

bool SoundFileDecodes(const std::string& path, std::string& why) {
    TVorbisDecoder decoder;
    if (const char* error = decoder.Open(path)) {
        why = error;
        return false;
    }
    constexpr int kBlock = 4096;
    std::vector<int16_t> block(std::size_t(kBlock) * 2);
    for (;;) {
        const long got = decoder.Read(block.data(), kBlock);
        if (got == TVorbisDecoder::kEnd) return true;
        if (got == TVorbisDecoder::kDamaged) {
            why = "damaged Vorbis sound";
            return false;
        }
        if (got == TVorbisDecoder::kRateChanged) {
            why = "Vorbis sound that changes its rate or channels";
            return false;
        }
    }
}

void HoldSoundStreams(bool hold) { streaming::HoldDecoding(hold); }
bool WaitForSoundStreams() { return streaming::WaitUntilSettled(); }
int LiveSoundStreams() { return streaming::LivePlays(); }

// ---------------------------------------------------------------------------
// Channels

namespace {

uint32_t nextSerial = 0;

// Sounds a channel has let go of while the mixer may still be reading them,
// each with the number of commands the mixer must take before it is safe.
struct TRetired {
    uint32_t after;
    SoundRef sound;
    streaming::StreamPlayRef play;
};

std::vector<TRetired>& Retired() {
    // Never destroyed, like the mixer it guards (channels in globals may be
    // released during exit).
    static std::vector<TRetired>* const list = [] {
        auto* l = new std::vector<TRetired>;
        l->reserve(64);
        return l;
    }();
    return *list;
}

void CollectRetired() {
    auto& list = Retired();
    if (list.empty()) return;
    uint32_t consumed = mixer::Consumed();
    std::size_t keep = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (int32_t(consumed - list[i].after) >= 0) continue;
        if (keep != i) list[keep] = std::move(list[i]);
        ++keep;
    }
    list.resize(keep);
}

void Retire(SoundRef&& sound, streaming::StreamPlayRef&& play = nullptr) {
    if (play) streaming::CancelPlay(*play);
    if (!sound && !play) return;
    Retired().push_back({mixer::Issued(), std::move(sound), std::move(play)});
    CollectRetired();
}

bool MixerDecides(int voice) { return voice >= 0 && mixer::CurrentMode() != mixer::Mode::kSilent; }

}  // namespace

struct TChannelAccess {
    static mixer::TMixCommand Command(const TChannel& c, mixer::Op op) {
        mixer::TMixCommand m;
        m.op = op;
        m.voice = int16_t(c.voice_);
        m.serial = c.serial_;
        m.paused = c.suspended_;
        m.gain = c.gain_;
        m.balance = c.balance_;
        m.rate = c.rate_;
        m.group = uint8_t(c.group_);
        if (c.play_) {
            m.ring = &c.play_->ring;
            m.loop = c.play_->loop;
        } else if (c.sound_) {
            m.samples = c.sound_->samples.data();
            // Never more frames than there are samples, whatever `frames` claims.
            std::size_t have = c.sound_->samples.size() / 2;
            std::size_t claimed = c.sound_->frames > 0 ? std::size_t(c.sound_->frames) : 0;
            m.frames = uint32_t(claimed < have ? claimed : have);
            m.loop = c.sound_->loop;
        }
        return m;
    }

    // Brings the game-clock estimate of the playing position up to now.
    static void AdvanceClock(TChannel& c) {
        // The platform's own reading, not one the game takes: whether it is
        // taken at all depends on the audio device.
        uint32_t now = Clock().Millis();
        if (c.active_ && !c.suspended_) {
            double rate = c.rate_ > 0.0f ? double(c.rate_) : 0.0;
            c.clockFrames_ += double(uint32_t(now - c.clockLast_)) * (kMixRate / 1000.0) * rate;
        }
        c.clockLast_ = now;
    }

    static void Start(const SoundRef& sound, const ChannelRef& channel, bool paused) {
        RequireObject(sound, "sound");
        RequireObject(channel, "channel");
        TChannel& c = *channel;
        if (c.voice_ < 0) c.voice_ = mixer::AllocVoice();
        SoundRef old = std::move(c.sound_);
        streaming::StreamPlayRef oldPlay = std::move(c.play_);
        c.sound_ = sound;
        // Every play of a streamed sound decodes it anew from its beginning.
        if (sound->streamed) c.play_ = streaming::StartPlay(sound->path, sound->loop);
        c.serial_ = ++nextSerial == 0 ? ++nextSerial : nextSerial;
        c.suspended_ = paused;
        c.active_ = true;
        c.clockFrames_ = 0;
        c.clockLast_ = Clock().Millis();
        if (c.voice_ >= 0) mixer::Send(Command(c, mixer::Op::kStart));
        Retire(std::move(old), std::move(oldPlay));
    }

    static void SendSettings(TChannel& c) {
        if (c.active_ && c.voice_ >= 0) mixer::Send(Command(c, mixer::Op::kSettings));
    }
};

TChannel::~TChannel() {
    if (voice_ >= 0) {
        // Stop the voice before the slot goes back to the pool, and keep the
        // samples until the mixer has seen the stop.
        mixer::Send(TChannelAccess::Command(*this, mixer::Op::kStop));
        mixer::FreeVoice(voice_);
    }
    Retire(std::move(sound_), std::move(play_));
}

void TChannel::SetGain(float v) {
    gain_ = v;
    TChannelAccess::SendSettings(*this);
}

void TChannel::SetBalance(float p) {
    balance_ = p;
    TChannelAccess::SendSettings(*this);
}

void TChannel::SetPlaybackRate(float r) {
    TChannelAccess::AdvanceClock(*this);
    rate_ = r;
    TChannelAccess::SendSettings(*this);
}

void TChannel::SetSoundGroup(SoundGroup group) {
    group_ = group;
    TChannelAccess::SendSettings(*this);
}

void SetGroupVolume(SoundGroup group, float volume) { mixer::SetGroupGain(int(group), volume); }

void TChannel::SetSuspended(int flag) {
    TChannelAccess::AdvanceClock(*this);
    suspended_ = flag != 0;
    TChannelAccess::SendSettings(*this);
}

ChannelRef NewChannel() { return std::make_shared<TChannel>(); }

void PlaySoundOn(const SoundRef& sound, const ChannelRef& channel) { TChannelAccess::Start(sound, channel, false); }

void CueSoundOn(const SoundRef& sound, const ChannelRef& channel) { TChannelAccess::Start(sound, channel, true); }

void HaltChannel(const ChannelRef& channel) {
    RequireObject(channel, "channel");
    TChannel& c = *channel;
    if (c.active_ && c.voice_ >= 0) mixer::Send(TChannelAccess::Command(c, mixer::Op::kStop));
    c.active_ = false;
    Retire(std::move(c.sound_), std::move(c.play_));
}

int IsChannelBusy(const ChannelRef& channel) {
    RequireObject(channel, "channel");
    TChannel& c = *channel;
    CollectRetired();
    if (!c.active_) return 0;
    bool busy;
    if (MixerDecides(c.voice_)) {
        busy = !mixer::VoiceDone(c.voice_, c.serial_);
    } else {
        TChannelAccess::AdvanceClock(c);
        if (c.play_) {
            // A stream's length is known once its file is open; until then,
            // and for a loop, it plays on unless the file failed.
            const streaming::TStreamPlay& p = *c.play_;
            int64_t total = p.totalFrames.load(std::memory_order_acquire);
            if (total < 0 && c.sound_) total = c.sound_->streamFrames;
            busy = !p.failed.load(std::memory_order_acquire) && (p.loop || total < 0 || c.clockFrames_ < double(total));
        } else {
            busy = (c.sound_ && c.sound_->loop && c.sound_->frames > 0) ||
                   (c.sound_ && c.clockFrames_ < double(c.sound_->frames));
        }
    }
    busy = JournalChannelBusy(busy);
    if (!busy) c.active_ = false;
    return busy ? 1 : 0;
}

}  // namespace sq
