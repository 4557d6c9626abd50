#pragma once
// Ogg Vorbis encoding of the generated sounds, and decoding for the checks.
#include <cstdint>
#include <string>
#include <vector>

#include "wave.h"

namespace sfx {

struct TEncodeOptions {
    float quality = 0.4f;  // libvorbisenc VBR quality, -0.1 .. 1.0
    uint32_t serial = 1;   // stream serial number: fixed so builds are byte-identical
    std::string title;
};

// Throws std::runtime_error when the encoder refuses the settings.
std::vector<uint8_t> EncodeOgg(const TWave& wave, const TEncodeOptions& options);
// Throws std::runtime_error on a stream that is not Ogg Vorbis.
TWave DecodeOgg(const std::vector<uint8_t>& bytes, int* rate = nullptr);

// Encodes, decodes, and when the lossy coding has pushed a peak above
// maxPeakDb lowers the level and encodes again, so the file as the game
// hears it stays under the ceiling.
std::vector<uint8_t> EncodeUnderCeiling(TWave wave, const TEncodeOptions& options, double maxPeakDb);

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace sfx
