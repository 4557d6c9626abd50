#pragma once
// Ogg Vorbis test sounds made in memory, so sound tests need no files.
#include <cstdint>
#include <vector>

namespace sqtest {

// `frames` frames of a sine of `hz` at `amp` (left) and its negation (right,
// when stereo), encoded as Ogg Vorbis; empty when the encoder refuses.
// hz 0 or amp 0 gives silence. Files joined one after another (a chained
// Ogg file) need a different `serial` each.
std::vector<uint8_t> EncodeSine(int channels, long rate, long frames, double hz, double amp = 0.5, int serial = 1);

}  // namespace sqtest
