#pragma once
// Plays a text score through the instruments into a stereo mix.
#include <vector>

#include "score.h"
#include "wave.h"

namespace sfx {

struct TRenderReport {
    size_t notes = 0;
    double seconds = 0;
    double gainDb = 0;               // applied by the final level
    std::vector<double> voiceRmsDb;  // each voice's own loudness in the finished mix (overlaps ignored)
};

// A looping score gives exactly Seconds() of audio whose end runs into its
// start: notes still ringing at the end and the reverb tail are folded back
// onto the beginning. A phrase gets its ring and reverb tail appended.
TWave RenderScore(const TScore& score, TRenderReport* report = nullptr);

}  // namespace sfx
