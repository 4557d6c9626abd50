#pragma once
// Inside the sound system: the software mixer and the command queue that
// joins the game thread (the only producer) to the mixer (the only
// consumer: the audio device's callback, or the game thread itself when no
// device runs). Nothing here is for the game; it uses sound.h.
#include <atomic>
#include <cstdint>
#include <memory>

namespace sq::mixer {

inline constexpr int kMaxVoices = 64;
inline constexpr uint32_t kQueueSize = 4096;  // a power of two
inline constexpr int kChunkFrames = 512;      // frames mixed per pass over the voices

enum class Op : uint8_t { kStart, kSettings, kStop };

// The frames of a streamed sound on their way from the decoding thread (the
// only writer) to the mixer (the only reader). Counters run from the start
// of the play and wrap at 2^32; frame n sits at n & mask. When the mixer
// finds it empty it plays silence and waits; it never blocks.
struct TStreamRing {
    explicit TStreamRing(uint32_t capacityFrames);  // a power of two
    std::unique_ptr<int16_t[]> data;                // interleaved stereo
    uint32_t mask = 0;
    std::atomic<uint32_t> written{0};  // frames put in by the decoder
    std::atomic<uint32_t> read{0};     // frames the mixer is done with
    std::atomic<bool> ended{false};    // no frame will follow `written`
    uint32_t Capacity() const { return mask + 1; }
};

// One channel command. Start carries every setting of the channel so the
// new sound begins with them; Settings applies them to the sound playing.
struct TMixCommand {
    Op op = Op::kStop;
    bool paused = false;
    bool loop = false;
    int16_t voice = 0;
    uint32_t serial = 0;               // which play of the voice this concerns
    const int16_t* samples = nullptr;  // kept alive on the game side until retired
    TStreamRing* ring = nullptr;       // a streamed sound instead of samples, kept alive the same way
    uint32_t frames = 0;
    float gain = 1.0f, balance = 0.0f, rate = 1.0f;
    uint8_t group = 0;  // whose volume the voice follows (SoundGroup)
};

// Who runs the mixer. kSilent: no device, nothing is mixed and channels time
// their sounds on the game clock. kDevice: the audio callback mixes.
// kManual: tests call MixAudio; busy state comes from the mixer.
enum class Mode : uint8_t { kSilent, kDevice, kManual };

// ---- Game thread ----
void SetMode(Mode mode);
Mode CurrentMode();
int AllocVoice();  // -1 when every voice is taken
void FreeVoice(int voice);
void Send(const TMixCommand& command);
inline constexpr int kGroupCount = 2;
// The volume of a group of voices, 0..1, read by the mixer at every chunk.
void SetGroupGain(int group, float gain);
// Commands sent so far and commands the mixer has taken (both counting from
// the start of the run, wrapping at 2^32): a sound dropped by the command
// numbered n is no longer read by the mixer once Consumed() reaches n.
uint32_t Issued();
uint32_t Consumed();
// Whether play `serial` of the voice has ended (finished or stopped).
bool VoiceDone(int voice, uint32_t serial);
uint32_t VoicePosition(int voice);  // frames into the sound
// Takes the queued commands on the calling thread. Only when no device
// callback can run at the same time.
void ProcessCommandsHere();

}  // namespace sq::mixer
