#include "reverb.h"

namespace sfx {

namespace {
// Mutually prime delay lengths in samples at 44.1 kHz; the right side is
// offset so the two ears hear different echo patterns.
const int kCombLengths[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
const int kAllPassLengths[] = {556, 441, 341, 225};
const int kStereoSpread = 23;
const float kInputGain = 0.015f;
}  // namespace

float TReverb::TComb::Process(float x, float feedback, float damp) {
    float y = buf[pos];
    store = y * (1.0f - damp) + store * damp;
    buf[pos] = x + store * feedback;
    if (++pos == buf.size()) pos = 0;
    return y;
}

float TReverb::TAllPass::Process(float x) {
    float b = buf[pos];
    float y = -x + b;
    buf[pos] = x + b * 0.5f;
    if (++pos == buf.size()) pos = 0;
    return y;
}

TReverb::TReverb(const TReverbSettings& settings) : settings_(settings) {
    for (int len : kCombLengths) {
        combL_.push_back({std::vector<float>(size_t(len), 0.0f)});
        combR_.push_back({std::vector<float>(size_t(len + kStereoSpread), 0.0f)});
    }
    for (int len : kAllPassLengths) {
        allL_.push_back({std::vector<float>(size_t(len), 0.0f)});
        allR_.push_back({std::vector<float>(size_t(len + kStereoSpread), 0.0f)});
    }
    size_t pre = size_t(Samples(settings.preDelay)) + 1;
    preL_.assign(pre, 0.0f);
    preR_.assign(pre, 0.0f);
}

void TReverb::Process(float inL, float inR, float& outL, float& outR) {
    float dl = preL_[prePos_], dr = preR_[prePos_];
    preL_[prePos_] = inL;
    preR_[prePos_] = inR;
    if (++prePos_ == preL_.size()) prePos_ = 0;
    float input = (dl + dr) * kInputGain;
    float feedback = float(0.7 + 0.28 * settings_.room);
    float damp = float(settings_.damping * 0.4);
    float l = 0, r = 0;
    for (auto& c : combL_) l += c.Process(input, feedback, damp);
    for (auto& c : combR_) r += c.Process(input, feedback, damp);
    for (auto& a : allL_) l = a.Process(l);
    for (auto& a : allR_) r = a.Process(r);
    outL = l * float(settings_.wet) * 3.0f;
    outR = r * float(settings_.wet) * 3.0f;
}

void AddReverb(TWave& wave, const TReverbSettings& settings, bool loop, double tailSeconds) {
    if (wave.channels != 2) {
        // Mono sounds get the same reverb, folded back to one channel.
        TWave st(2, wave.Frames());
        for (size_t i = 0; i < wave.Frames(); ++i) st.At(i, 0) = st.At(i, 1) = wave.At(i, 0);
        AddReverb(st, settings, loop, tailSeconds);
        TWave mono(1, st.Frames());
        for (size_t i = 0; i < st.Frames(); ++i) mono.At(i, 0) = 0.5f * (st.At(i, 0) + st.At(i, 1));
        wave = std::move(mono);
        return;
    }
    TReverb reverb(settings);
    size_t n = wave.Frames();
    if (loop) {
        float l, r;
        for (size_t i = 0; i < n; ++i) reverb.Process(wave.At(i, 0), wave.At(i, 1), l, r);  // warm-up turn
        for (size_t i = 0; i < n; ++i) {
            reverb.Process(wave.At(i, 0), wave.At(i, 1), l, r);
            wave.At(i, 0) += l;
            wave.At(i, 1) += r;
        }
        return;
    }
    size_t total = n + size_t(Samples(tailSeconds));
    TWave out(2, total);
    for (size_t i = 0; i < total; ++i) {
        float inL = i < n ? wave.At(i, 0) : 0.0f, inR = i < n ? wave.At(i, 1) : 0.0f;
        float l, r;
        reverb.Process(inL, inR, l, r);
        out.At(i, 0) = inL + l;
        out.At(i, 1) = inR + r;
    }
    wave = std::move(out);
}

}  // namespace sfx
