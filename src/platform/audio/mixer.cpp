#include "platform/audio/mixer.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "platform/audio/sound_data.h"

namespace sq {

namespace mixer {

namespace {

// The mixer's own picture of a voice. Only the consumer touches it.
struct TVoice {
    const int16_t* samples = nullptr;
    TStreamRing* ring = nullptr;  // set for a streamed sound
    uint64_t end = 0;             // frames << 32
    uint64_t pos = 0;             // 32.32 fixed-point frame position
    uint64_t step = 0;            // 32.32 frames per output frame
    uint32_t frames = 0;
    uint32_t serial = 0;
    float gainLeft = 1.0f, gainRight = 1.0f;
    uint8_t group = 0;
    bool loop = false;
    bool playing = false;
    bool paused = false;
};

struct TMixerState {
    // Queue: written by the game thread, read by the mixer.
    TMixCommand ring[kQueueSize];
    std::atomic<uint32_t> head{0};  // commands pushed
    std::atomic<uint32_t> tail{0};  // commands taken

    // Published by the mixer for the game thread.
    std::atomic<uint32_t> doneSerial[kMaxVoices];
    std::atomic<uint32_t> position[kMaxVoices];

    // Mixer side.
    TVoice voices[kMaxVoices];
    float accum[kChunkFrames * 2];

    // Written by the game thread, read once a chunk by the mixer.
    std::atomic<float> groupGain[kGroupCount] = {1.0f, 1.0f};

    // Game side.
    std::atomic<Mode> mode{Mode::kSilent};
    bool voiceUsed[kMaxVoices] = {};
    std::vector<TMixCommand> overflow;  // commands waiting for room in the ring

    TMixerState() {
        for (int i = 0; i < kMaxVoices; ++i) {
            doneSerial[i].store(0, std::memory_order_relaxed);
            position[i].store(0, std::memory_order_relaxed);
        }
        overflow.reserve(256);
    }
};

// Made on first use and never destroyed: channels held by the game's globals
// may be released after this file's statics would be gone, and the device
// callback may still run while the program exits.
union TStateHolder {
    TMixerState state;
    TStateHolder() : state() {}
    ~TStateHolder() {}
};
TMixerState& S() {
    static TStateHolder holder;
    return holder.state;
}

bool TryPush(const TMixCommand& c) {
    TMixerState& s = S();
    uint32_t h = s.head.load(std::memory_order_relaxed);
    uint32_t t = s.tail.load(std::memory_order_acquire);
    if (h - t >= kQueueSize) return false;
    s.ring[h & (kQueueSize - 1)] = c;
    s.head.store(h + 1, std::memory_order_release);
    return true;
}

void SetGains(TVoice& v, float gain, float balance, float rate, uint8_t group) {
    v.group = group < kGroupCount ? group : 0;
    if (!(gain >= 0.0f)) gain = 0.0f;  // also catches NaN
    if (gain > 16.0f) gain = 16.0f;
    if (!(balance >= -1.0f)) balance = balance > 1.0f ? 1.0f : -1.0f;
    if (balance > 1.0f) balance = 1.0f;
    // Centre keeps both sides at full level; panning lowers the far side only.
    v.gainLeft = gain * (balance > 0.0f ? 1.0f - balance : 1.0f);
    v.gainRight = gain * (balance < 0.0f ? 1.0f + balance : 1.0f);
    if (!(rate >= 0.0f)) rate = 0.0f;
    if (rate > 256.0f) rate = 256.0f;
    v.step = uint64_t(double(rate) * 4294967296.0);
}

void Finish(int index) {
    TMixerState& s = S();
    TVoice& v = s.voices[index];
    v.playing = false;
    v.samples = nullptr;
    v.ring = nullptr;
    s.doneSerial[index].store(v.serial, std::memory_order_release);
}

void Apply(const TMixCommand& c) {
    if (c.voice < 0 || c.voice >= kMaxVoices) return;
    TMixerState& s = S();
    TVoice& v = s.voices[c.voice];
    switch (c.op) {
        case Op::kStart:
            v.samples = c.samples;
            v.ring = c.ring;
            v.frames = c.frames;
            v.end = uint64_t(c.frames) << 32;
            v.pos = 0;
            v.loop = c.loop;
            v.serial = c.serial;
            v.paused = c.paused;
            v.playing = true;
            SetGains(v, c.gain, c.balance, c.rate, c.group);
            s.position[c.voice].store(0, std::memory_order_relaxed);
            if (v.ring) {
                // A stream starts wherever its decoder began; its length is not known.
                v.pos = uint64_t(v.ring->read.load(std::memory_order_relaxed)) << 32;
                break;
            }
            // An empty sound has nothing to play, looping or not.
            if (c.frames == 0 || !c.samples) Finish(c.voice);
            break;
        case Op::kSettings:
            if (v.serial != c.serial) break;  // meant for a play that has been replaced
            v.paused = c.paused;
            SetGains(v, c.gain, c.balance, c.rate, c.group);
            break;
        case Op::kStop:
            v.serial = c.serial;
            Finish(c.voice);
            break;
    }
}

void ProcessCommands() {
    TMixerState& s = S();
    uint32_t t = s.tail.load(std::memory_order_relaxed);
    uint32_t h = s.head.load(std::memory_order_acquire);
    while (t != h) {
        Apply(s.ring[t & (kQueueSize - 1)]);
        ++t;
    }
    // Published after the voices dropped their old samples: the game side
    // may free them as soon as it sees this count.
    s.tail.store(t, std::memory_order_release);
}

// Adds `frames` frames of voice `index` to the chunk accumulator, at the
// volume of its group.
void MixVoice(TMixerState& s, int index, float* acc, int frames, const float* groupGain) {
    TVoice& v = s.voices[index];
    const int16_t* smp = v.samples;
    const uint32_t last = v.frames - 1;
    const float gl = v.gainLeft * groupGain[v.group], gr = v.gainRight * groupGain[v.group];
    constexpr float kFrac = 1.0f / 4294967296.0f;
    for (int i = 0; i < frames; ++i) {
        if (v.pos >= v.end) {
            if (!v.loop) break;
            v.pos %= v.end;
        }
        uint32_t idx = uint32_t(v.pos >> 32);
        float frac = float(uint32_t(v.pos)) * kFrac;
        // The frame after the last one is the first again for a loop, and
        // the last one held for a sound that ends.
        uint32_t nxt = idx < last ? idx + 1 : (v.loop ? 0 : idx);
        const int16_t* a = smp + std::size_t(idx) * 2;
        const int16_t* b = smp + std::size_t(nxt) * 2;
        float l = float(a[0]) + float(b[0] - a[0]) * frac;
        float r = float(a[1]) + float(b[1] - a[1]) * frac;
        acc[2 * i] += l * gl;
        acc[2 * i + 1] += r * gr;
        v.pos += v.step;
    }
    if (v.loop && v.pos >= v.end) v.pos %= v.end;
    s.position[index].store(uint32_t(v.pos >> 32), std::memory_order_relaxed);
    if (!v.loop && v.pos >= v.end) Finish(index);
}

// Adds up to `frames` frames of a streamed voice. Looping is the decoder's
// business: the ring simply goes on. When the decoder has fallen behind, the
// rest of the chunk stays silent and the voice waits where it is, so a late
// start or a stall delays the tune instead of skipping it.
void MixStreamVoice(TMixerState& s, int index, float* acc, int frames, const float* groupGain) {
    TVoice& v = s.voices[index];
    TStreamRing& ring = *v.ring;
    // `ended` before `written`: once the end is seen, the count is final.
    const bool ended = ring.ended.load(std::memory_order_acquire);
    const uint32_t written = ring.written.load(std::memory_order_acquire);
    const int16_t* smp = ring.data.get();
    const uint32_t mask = ring.mask;
    const float gl = v.gainLeft * groupGain[v.group], gr = v.gainRight * groupGain[v.group];
    constexpr float kFrac = 1.0f / 4294967296.0f;
    bool finished = false;
    for (int i = 0; i < frames; ++i) {
        uint32_t idx = uint32_t(v.pos >> 32);
        int32_t ahead = int32_t(written - idx);  // frames from idx on that are there
        if (ahead < 2 && (!ended || ahead < 1)) {
            finished = ended;
            break;
        }
        float frac = float(uint32_t(v.pos)) * kFrac;
        const int16_t* a = smp + std::size_t(idx & mask) * 2;
        // The last frame of an ended stream is held, as for a sound in memory.
        const int16_t* b = ahead < 2 ? a : smp + std::size_t((idx + 1) & mask) * 2;
        float l = float(a[0]) + float(b[0] - a[0]) * frac;
        float r = float(a[1]) + float(b[1] - a[1]) * frac;
        acc[2 * i] += l * gl;
        acc[2 * i + 1] += r * gr;
        v.pos += v.step;
    }
    uint32_t idx = uint32_t(v.pos >> 32);
    // A fast rate may step past what is written; what is not there yet must
    // not be handed back to the decoder.
    uint32_t done = int32_t(written - idx) >= 0 ? idx : written;
    ring.read.store(done, std::memory_order_release);
    s.position[index].store(idx, std::memory_order_relaxed);
    if (finished) Finish(index);
}

}  // namespace

TStreamRing::TStreamRing(uint32_t capacityFrames) {
    uint32_t n = 1;
    while (n < capacityFrames && n < (1u << 24)) n <<= 1;
    // Left unset: the decoder writes every frame before the mixer reads it.
    data.reset(new int16_t[std::size_t(n) * 2]);
    mask = n - 1;
}

void SetGroupGain(int group, float gain) {
    if (group < 0 || group >= kGroupCount) return;
    if (!(gain >= 0.0f)) gain = 0.0f;  // also catches NaN
    if (gain > 1.0f) gain = 1.0f;
    S().groupGain[group].store(gain, std::memory_order_relaxed);
}

void SetMode(Mode mode) { S().mode.store(mode, std::memory_order_release); }
Mode CurrentMode() { return S().mode.load(std::memory_order_acquire); }

int AllocVoice() {
    TMixerState& s = S();
    for (int i = 0; i < kMaxVoices; ++i) {
        if (!s.voiceUsed[i]) {
            s.voiceUsed[i] = true;
            return i;
        }
    }
    return -1;
}

void FreeVoice(int voice) {
    if (voice >= 0 && voice < kMaxVoices) S().voiceUsed[voice] = false;
}

void Send(const TMixCommand& command) {
    TMixerState& s = S();
    // Commands keep their order: older ones waiting for room go first.
    std::size_t sent = 0;
    while (sent < s.overflow.size() && TryPush(s.overflow[sent])) ++sent;
    if (sent > 0) s.overflow.erase(s.overflow.begin(), s.overflow.begin() + std::ptrdiff_t(sent));
    if (!s.overflow.empty() || !TryPush(command)) s.overflow.push_back(command);
    // Without a device callback nothing else would ever take the queue.
    if (CurrentMode() != Mode::kDevice) ProcessCommandsHere();
}

uint32_t Issued() {
    TMixerState& s = S();
    return s.head.load(std::memory_order_relaxed) + uint32_t(s.overflow.size());
}

uint32_t Consumed() { return S().tail.load(std::memory_order_acquire); }

bool VoiceDone(int voice, uint32_t serial) {
    if (voice < 0 || voice >= kMaxVoices) return true;
    return S().doneSerial[voice].load(std::memory_order_acquire) == serial;
}

uint32_t VoicePosition(int voice) {
    if (voice < 0 || voice >= kMaxVoices) return 0;
    return S().position[voice].load(std::memory_order_relaxed);
}

void ProcessCommandsHere() {
    TMixerState& s = S();
    for (;;) {
        ProcessCommands();
        std::size_t sent = 0;
        while (sent < s.overflow.size() && TryPush(s.overflow[sent])) ++sent;
        if (sent == 0) break;
        s.overflow.erase(s.overflow.begin(), s.overflow.begin() + std::ptrdiff_t(sent));
    }
}

}  // namespace mixer

void MixAudio(int16_t* out, int frames) {
    using namespace mixer;
    // Plain arithmetic on fixed storage: no allocation, no lock, so the
    // device callback never waits on the game.
    TMixerState& s = S();
    ProcessCommands();
    if (!out || frames <= 0) return;
    float groupGain[kGroupCount];
    for (int g = 0; g < kGroupCount; ++g) groupGain[g] = s.groupGain[g].load(std::memory_order_relaxed);
    while (frames > 0) {
        int n = frames < kChunkFrames ? frames : kChunkFrames;
        float* acc = s.accum;
        std::memset(acc, 0, sizeof(float) * std::size_t(n) * 2);
        for (int i = 0; i < kMaxVoices; ++i) {
            TVoice& v = s.voices[i];
            if (!v.playing || v.paused) continue;
            if (v.ring)
                MixStreamVoice(s, i, acc, n, groupGain);
            else
                MixVoice(s, i, acc, n, groupGain);
        }
        for (int i = 0; i < n * 2; ++i) {
            float x = acc[i];
            // Clamp before converting: many loud voices must saturate, not wrap.
            if (x > 32767.0f) x = 32767.0f;
            if (x < -32768.0f) x = -32768.0f;
            out[i] = int16_t(std::lrintf(x));
        }
        out += n * 2;
        frames -= n;
    }
}

}  // namespace sq
