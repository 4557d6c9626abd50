#pragma once
// Text scores: the game's tunes and musical jingles are written as plain
// text in assets/ and turned into note events here.
//
//   title  Jingle Bells          # free text
//   tempo  168                   # quarter notes per minute
//   meter  4/4
//   loop   yes                   # yes: the file repeats seamlessly; no: a phrase with a tail
//   reverb 0.22 0.8              # wet level, room size
//   level  -16                   # loudness (RMS dBFS) the mix is brought to, peak permitting
//   voice  lead patch=flute vol=0.8 pan=-0.1 octave=0 gate=0.92
//   voice  harm patch=pad vol=0.3 style=hold
//   voice  bass patch=bass vol=0.6 style=rootfifth chords=harm
//   voice  drums patch=kit vol=0.4
//   part   verse [transpose=N]
//   lead:  D4/4 B4 A4 G4 | D4/2. D4/8 D4 | ...     notes: name, accidentals, octave
//   harm:  G/1 | % | C/2 D7/2 |                     chords: G, Am, D7, Cmaj7, F#dim, G_B (G over B) ...
//   drums: k/4 h s h | kj/8 h/8 h/4 s/4 h/4 |       drums: letters struck together
//   bass:  = intro.bass                              copies a voice line of an earlier part (or of this one)
//   end
//   form   intro verse verse
//
// A duration follows a slash: 1 2 4 8 16 32, dots lengthen, '+' ties
// (E4/2+8); '~/2' holds the previous note or chord on across a bar line. Without one the previous duration of the line
// is kept. '|' checks that a whole bar has passed; '%' repeats the previous bar; 'r' rests.
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "instruments.h"

namespace sfx {

class TScoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class EStyle {
    kNotes,      // the line holds notes
    kDrums,      // the line holds drum letters
    kHold,       // chord held for its length
    kStrum,      // chord rolled quickly from the bottom, then held
    kOffbeat,    // short chords on the weak beats (2 and 4, or 2 and 3 in three time)
    kArp,        // broken chord in eighths
    kRoot,       // the chord's bass note held
    kRootFifth,  // root and fifth alternating every half bar (every bar in three time)
};

struct TVoiceDef {
    std::string name;
    EPatch patch = EPatch::kFlute;
    EStyle style = EStyle::kNotes;
    double volume = 0.5;
    double pan = 0.0;        // -1 left .. +1 right
    int octave = 0;          // played this many octaves up (or down)
    double gate = 0.92;      // fraction of each written length the key is held
    std::string chordsFrom;  // voice whose chord line this one follows
};

struct TChord {
    int root = 0;            // pitch class, 0 = C
    int bass = -1;           // pitch class of a different bass note, or -1
    std::vector<int> tones;  // semitones above the root
};

struct TToken {
    double beats = 1.0;  // in quarter notes
    bool rest = true;
    bool tie = false;          // '~': lengthens the token before it
    std::vector<int> pitches;  // MIDI numbers (notes)
    std::string drums;         // letters (drums)
    TChord chord;              // chords
};

struct TPart {
    std::string name;
    int transpose = 0;
    std::map<std::string, std::vector<TToken>> lines;
    double beats = 0.0;
};

struct TEvent {
    double beat = 0;   // from the start of the piece, in quarter notes
    double beats = 1;  // written length
    int midi = 60;     // pitch, or 0 for a drum
    char drum = 0;
    double velocity = 0.8;
    size_t voice = 0;  // index into TScore::voices
};

struct TScore {
    std::string title;
    double tempo = 120;
    int meterNum = 4, meterDen = 4;
    bool loop = true;
    double reverbWet = 0.2, reverbRoom = 0.8;
    double levelDb = -16.0;
    double peakDb = -1.5;
    std::vector<TVoiceDef> voices;
    std::vector<TPart> parts;
    std::vector<std::string> form;

    double BarBeats() const { return meterNum * 4.0 / meterDen; }
    double SecondsPerBeat() const { return 60.0 / tempo; }
    double LengthBeats() const;
    double Seconds() const { return LengthBeats() * SecondsPerBeat(); }
    const TPart& Part(const std::string& name) const;
    // Every note and drum stroke in time order of the form, with accents by
    // position in the bar (no random variation: the renderer adds that).
    std::vector<TEvent> Events() const;
};

// Throws TScoreError("<source>:<line>: <what is wrong>").
TScore ParseScore(const std::string& text, const std::string& source);
TScore LoadScore(const std::string& path);

// Note name to MIDI number ("C4" is 60, "F#3" 54, "Bb5" 82); -1 if not a note.
int ParseNoteName(const std::string& text);
// Chord symbol ("Am", "D7", "G_B"); returns false if not a chord.
bool ParseChordSymbol(const std::string& text, TChord& chord);
// Duration text after the slash ("4", "8.", "2+8") in quarter notes; <= 0 if invalid.
double ParseDuration(const std::string& text);

}  // namespace sfx
