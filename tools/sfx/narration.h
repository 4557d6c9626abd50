#pragma once
// The spoken story of the instructions screen: the text is read by the flite
// speech synthesizer at build time, one phrase at a time, and the phrases
// are joined with pauses of our own: short at a comma, longer at the end of
// a sentence or a trailing "...", longest where the screen leaves a gap.
#include <string>
#include <vector>

#include "wave.h"

namespace sfx {

struct TNarrationOptions {
    std::string program = "flite";
    std::string voice = "rms";     // an American male voice, warm and clear
    double stretch = 1.12;         // how much slower than the voice's own pace
    double pitchHz = 0;            // the voice's mean pitch; 0 keeps its own
    double pauseAfterComma = 0.2;  // seconds of quiet
    double pauseAfterSentence = 0.45;
    double pauseAfterEllipsis = 0.6;
    double pausePerBlankLine = 0.75;
};

struct TParagraph {
    std::string text;  // the lines joined with spaces
    int blankLinesBefore = 0;
};

struct TPhrase {
    std::string text;  // with the punctuation that closes it, so it is spoken with the right tune
    double pauseAfter = 0;
};

// Blank lines separate paragraphs; lines starting with '#' are notes for the
// writer and are not read.
std::vector<TParagraph> SplitParagraphs(const std::string& text);

// Cuts a paragraph after each comma, full stop, '!', '?' or run of dots;
// the last phrase is followed by no pause.
std::vector<TPhrase> SplitPhrases(const std::string& paragraph, const TNarrationOptions& options);

// Runs the synthesizer (throws std::runtime_error if it cannot) and returns
// mono 16-bit samples converted to float at the synthesizer's rate.
std::vector<float> SpeakText(const std::string& text, const TNarrationOptions& options, int& rate);

// Reads a RIFF WAVE of 16-bit PCM. A data size of 0 or 0xFFFFFFFF (written
// by a program that streamed to a pipe) means "to the end".
std::vector<float> ParseWav(const std::vector<uint8_t>& bytes, int& rate, int& channels);

// The whole narration, resampled to 44.1 kHz, voiced warmer and levelled.
TWave MakeNarration(const std::string& text, const TNarrationOptions& options);

}  // namespace sfx
