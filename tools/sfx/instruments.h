#pragma once
// The synthesizer's instruments: each turns one note (pitch, held time,
// strength) into a mono buffer that starts at the note's onset and includes
// its release or ring.
#include <string>
#include <vector>

#include "dsp.h"

namespace sfx {

enum class EPatch {
    kFlute,     // soft breathy lead with delayed vibrato
    kCelesta,   // struck, bell-like, bright onset
    kBells,     // FM church/hand bells, long ring
    kBrass,     // saw through a swelling low-pass
    kClarinet,  // hollow square-wave reed
    kPluck,     // plucked string (Karplus-Strong)
    kPad,       // three detuned saws, slow attack: strings/choir bed
    kOrgan,     // drawbar organ with a gentle tremolo
    kBass,      // round plucked bass
    kTuba,      // soft brass bass for oom-pah
    kMusicBox,  // tiny comb tines
    kKit,       // percussion; notes are drum letters
};

// Throws std::invalid_argument for an unknown name.
EPatch PatchFromName(const std::string& name);

struct TNote {
    double hz = 440;
    double gate = 0.5;      // seconds the key is held
    double velocity = 1.0;  // 0..1
};

std::vector<float> RenderNote(EPatch patch, const TNote& note, TRandom& rng);

// Percussion by letter: k kick, s brush snare, h closed hat, o open hat,
// j sleigh bells, t triangle, w woodblock, c soft cymbal. Throws
// std::invalid_argument for any other letter.
std::vector<float> RenderDrum(char letter, double velocity, TRandom& rng);
bool IsDrumLetter(char letter);

}  // namespace sfx
