#include "score_render.h"

#include <algorithm>
#include <cmath>

#include "reverb.h"

namespace sfx {

namespace {
// A 10 Hz high-pass so no instrument leaves the mix off centre. On a loop it
// runs over the signal once to settle, then again for real, like the reverb,
// so the filter's memory at the start is that of the end.
void RemoveDc(std::vector<float>& v, bool loop) {
    const double r = std::exp(-kTwoPi * 10.0 / kRate);
    double x1 = 0, y1 = 0;
    if (loop)
        for (float x : v) {
            y1 = x - x1 + r * y1;
            x1 = x;
        }
    for (float& x : v) {
        double y = x - x1 + r * y1;
        x1 = x;
        y1 = y;
        x = float(y);
    }
}
}  // namespace

TWave RenderScore(const TScore& score, TRenderReport* report) {
    const std::vector<TEvent> events = score.Events();
    const double spb = score.SecondsPerBeat();
    const long loopFrames = long(std::lround(score.Seconds() * kRate));
    std::vector<float> left(size_t(loopFrames), 0.0f), right(size_t(loopFrames), 0.0f);
    TRandom rng(SeedFromName(score.title.c_str()));
    std::vector<double> voiceEnergy(score.voices.size(), 0.0);

    for (const TEvent& e : events) {
        const TVoiceDef& v = score.voices[e.voice];
        // A little human looseness: strength and timing vary by a hair.
        double velocity = std::clamp(e.velocity * (1.0 + 0.06 * rng.Bipolar()), 0.05, 1.0);
        long start = long(std::lround(e.beat * spb * kRate)) + long(std::lround(0.004 * kRate * rng.Bipolar()));
        std::vector<float> sound;
        if (v.patch == EPatch::kKit) {
            sound = RenderDrum(e.drum, velocity, rng);
        } else {
            TNote note{MidiToHz(e.midi), e.beats * spb * v.gate, velocity};
            sound = RenderNote(v.patch, note, rng);
        }
        // Constant-power pan, unity in the middle.
        double angle = (v.pan + 1.0) * kPi / 4.0;
        double gl = std::cos(angle) * std::sqrt(2.0) * v.volume, gr = std::sin(angle) * std::sqrt(2.0) * v.volume;
        for (size_t i = 0; i < sound.size(); ++i) {
            long at = start + long(i);
            if (score.loop) {
                at %= loopFrames;
                if (at < 0) at += loopFrames;
            } else if (at < 0) {
                continue;
            } else if (at >= long(left.size())) {
                left.resize(size_t(at) + 1, 0.0f);
                right.resize(size_t(at) + 1, 0.0f);
            }
            left[size_t(at)] += float(sound[i] * gl);
            right[size_t(at)] += float(sound[i] * gr);
        }
        for (float x : sound) voiceEnergy[e.voice] += double(x) * x * (gl * gl + gr * gr);
    }

    RemoveDc(left, score.loop);
    RemoveDc(right, score.loop);
    TWave mix = TWave::Stereo(left, right);
    TReverbSettings reverb;
    reverb.wet = score.reverbWet;
    reverb.room = score.reverbRoom;
    AddReverb(mix, reverb, score.loop, score.loop ? 0.0 : 2.5);
    if (!score.loop) {
        // A phrase starts from silence: the first notes may be pulled a hair
        // early by the looseness above and would otherwise start mid-swing.
        TrimTail(mix, -56.0, 0.05);
        FadeEdges(mix, 0.004, 0.05);
    }
    double gain = NormaliseTo(mix, score.peakDb, score.levelDb);
    if (report) {
        report->notes = events.size();
        report->seconds = mix.Seconds();
        report->gainDb = GainToDb(gain);
        report->voiceRmsDb.clear();
        for (double energy : voiceEnergy)
            report->voiceRmsDb.push_back(GainToDb(std::sqrt(energy / (2.0 * double(mix.Frames()))) * gain));
    }
    return mix;
}

}  // namespace sfx
