#pragma once
// A block of float samples at 44.1 kHz (mono, or interleaved stereo) and the
// measurements and level changes the generators apply to it.
#include <cstddef>
#include <string>
#include <vector>

#include "dsp.h"

namespace sfx {

struct TWave {
    int channels = 1;
    std::vector<float> data;  // interleaved when stereo

    TWave() = default;
    TWave(int ch, size_t frames) : channels(ch), data(frames * size_t(ch), 0.0f) {}
    static TWave Mono(std::vector<float> samples);
    static TWave Stereo(const std::vector<float>& left, const std::vector<float>& right);

    size_t Frames() const { return channels > 0 ? data.size() / size_t(channels) : 0; }
    double Seconds() const { return double(Frames()) / kRate; }
    float& At(size_t frame, int ch) { return data[frame * size_t(channels) + size_t(ch)]; }
    float At(size_t frame, int ch) const { return data[frame * size_t(channels) + size_t(ch)]; }
};

struct TLevels {
    double peakDb = -240;  // highest absolute sample
    double rmsDb = -240;   // over the whole file, all channels
    double dcOffset = 0;
    size_t clipped = 0;  // samples at or beyond full scale
};
TLevels Measure(const TWave& w);

void ApplyGain(TWave& w, double gain);
// Scales so the peak lands on peakDb, unless that would make the RMS louder
// than rmsDb (dense sounds are held back by their loudness, sparse ones by
// their peak).
double NormaliseTo(TWave& w, double peakDb, double rmsDb = 0.0);
// Evens out loudness: above thresholdDb the level rises only 1/ratio as
// fast. The detector follows the louder channel with the given attack and
// release times.
void Compress(TWave& w, double thresholdDb, double ratio, double attack, double release);
// Short linear ramps at both ends against clicks (not for loops).
void FadeEdges(TWave& w, double inSeconds, double outSeconds);
// Cuts trailing samples quieter than thresholdDb, keeping `keepSeconds` after.
void TrimTail(TWave& w, double thresholdDb, double keepSeconds);
// Adds src into dst (mono into mono) starting at frame `at`, growing dst.
void MixInto(std::vector<float>& dst, const std::vector<float>& src, long at, double gain = 1.0);
// Band-limited resampling (windowed sinc), for the narration voice.
std::vector<float> Resample(const std::vector<float>& in, int fromRate, int toRate);

}  // namespace sfx
