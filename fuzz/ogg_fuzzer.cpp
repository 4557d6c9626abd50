// Feeds arbitrary bytes to the Ogg Vorbis loader and checks what it makes of
// them: whole stereo frames, a length within the longest sound allowed.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/audio/sound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    sq::SoundRef sound = sq::DecodeSound(bytes, int(size & 1), "fuzz.ogg");
    if (!sound) return 0;
    if (sound->samples.size() != std::size_t(sound->frames) * 2) __builtin_trap();
    if (sound->frames < 0 || sound->Seconds() > sq::kMaxSoundSeconds + 1) __builtin_trap();
    if (sound->loop != bool(size & 1)) __builtin_trap();
    return 0;
}
