#include "wave.h"

#include <algorithm>
#include <cmath>

namespace sfx {

TWave TWave::Mono(std::vector<float> samples) {
    TWave w;
    w.channels = 1;
    w.data = std::move(samples);
    return w;
}

TWave TWave::Stereo(const std::vector<float>& left, const std::vector<float>& right) {
    size_t n = std::max(left.size(), right.size());
    TWave w(2, n);
    for (size_t i = 0; i < n; ++i) {
        w.data[2 * i] = i < left.size() ? left[i] : 0.0f;
        w.data[2 * i + 1] = i < right.size() ? right[i] : 0.0f;
    }
    return w;
}

TLevels Measure(const TWave& w) {
    TLevels lv;
    if (w.data.empty()) return lv;
    double peak = 0, sum2 = 0, sum = 0;
    for (float s : w.data) {
        double a = std::fabs(double(s));
        peak = std::max(peak, a);
        sum2 += double(s) * s;
        sum += s;
        if (a >= 1.0) ++lv.clipped;
    }
    lv.peakDb = GainToDb(peak);
    lv.rmsDb = GainToDb(std::sqrt(sum2 / double(w.data.size())));
    lv.dcOffset = sum / double(w.data.size());
    return lv;
}

void ApplyGain(TWave& w, double gain) {
    for (float& s : w.data) s = float(s * gain);
}

double NormaliseTo(TWave& w, double peakDb, double rmsDb) {
    TLevels lv = Measure(w);
    if (lv.peakDb <= -200) return 1.0;
    double gainDb = std::min(peakDb - lv.peakDb, rmsDb - lv.rmsDb);
    double g = DbToGain(gainDb);
    ApplyGain(w, g);
    return g;
}

void Compress(TWave& w, double thresholdDb, double ratio, double attack, double release) {
    double att = std::exp(-1.0 / (attack * kRate)), rel = std::exp(-1.0 / (release * kRate));
    double env = 0;
    for (size_t i = 0; i < w.Frames(); ++i) {
        double level = 0;
        for (int c = 0; c < w.channels; ++c) level = std::max(level, double(std::fabs(w.At(i, c))));
        double coeff = level > env ? att : rel;
        env = coeff * env + (1.0 - coeff) * level;
        double over = GainToDb(env) - thresholdDb;
        double gain = over > 0 ? DbToGain(-over * (1.0 - 1.0 / ratio)) : 1.0;
        for (int c = 0; c < w.channels; ++c) w.At(i, c) = float(w.At(i, c) * gain);
    }
}

void FadeEdges(TWave& w, double inSeconds, double outSeconds) {
    size_t n = w.Frames();
    size_t fin = std::min(n, size_t(Samples(inSeconds))), fout = std::min(n, size_t(Samples(outSeconds)));
    for (size_t i = 0; i < fin; ++i)
        for (int c = 0; c < w.channels; ++c) w.At(i, c) *= float(double(i) / double(fin));
    for (size_t i = 0; i < fout; ++i)
        for (int c = 0; c < w.channels; ++c) w.At(n - 1 - i, c) *= float(double(i) / double(fout));
}

void TrimTail(TWave& w, double thresholdDb, double keepSeconds) {
    double thr = DbToGain(thresholdDb);
    size_t n = w.Frames(), last = 0;
    for (size_t i = 0; i < n; ++i)
        for (int c = 0; c < w.channels; ++c)
            if (std::fabs(w.At(i, c)) > thr) last = i;
    size_t keep = std::min(n, last + size_t(Samples(keepSeconds)));
    w.data.resize(keep * size_t(w.channels));
}

void MixInto(std::vector<float>& dst, const std::vector<float>& src, long at, double gain) {
    if (at < 0) at = 0;
    size_t need = size_t(at) + src.size();
    if (dst.size() < need) dst.resize(need, 0.0f);
    for (size_t i = 0; i < src.size(); ++i) dst[size_t(at) + i] += float(src[i] * gain);
}

std::vector<float> Resample(const std::vector<float>& in, int fromRate, int toRate) {
    if (fromRate == toRate || in.empty()) return in;
    double ratio = double(toRate) / fromRate;
    size_t outLen = size_t(std::floor(double(in.size()) * ratio));
    std::vector<float> out(outLen);
    // Cut-off below the lower Nyquist frequency; 16 zero crossings each side
    // with a Blackman window.
    double cutoff = std::min(1.0, ratio) * 0.95;
    const int half = 16;
    double span = half / cutoff;
    for (size_t j = 0; j < outLen; ++j) {
        double centre = double(j) / ratio;
        long first = long(std::ceil(centre - span)), last = long(std::floor(centre + span));
        double acc = 0;
        for (long i = first; i <= last; ++i) {
            if (i < 0 || i >= long(in.size())) continue;
            double x = (double(i) - centre) * cutoff;
            double sinc = std::fabs(x) < 1e-9 ? 1.0 : std::sin(kPi * x) / (kPi * x);
            double u = (double(i) - centre) / span;  // -1..1
            double win = 0.42 + 0.5 * std::cos(kPi * u) + 0.08 * std::cos(2 * kPi * u);
            acc += in[size_t(i)] * sinc * win * cutoff;
        }
        out[j] = float(acc);
    }
    return out;
}

}  // namespace sfx
