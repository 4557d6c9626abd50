#pragma once
// The spoken story of the instructions screen: the text is read by the
// espeak-ng speech synthesizer at build time, one paragraph at a time, and
// the paragraphs are joined with pauses where the screen leaves gaps.
#include <string>
#include <vector>

#include "wave.h"

namespace sfx {

struct TNarrationOptions {
    std::string program = "espeak-ng";
    std::string voice = "en-gb+m3";  // a British male voice, low and unhurried
    int wordsPerMinute = 126;
    int pitch = 30;                   // 0..99, 50 is the voice's own
    double pausePerBlankLine = 0.75;  // seconds of quiet for each empty line
};

struct TParagraph {
    std::string text;  // the lines joined with spaces
    int blankLinesBefore = 0;
};

// Blank lines separate paragraphs; lines starting with '#' are notes for the
// writer and are not read.
std::vector<TParagraph> SplitParagraphs(const std::string& text);

// Runs the synthesizer (throws std::runtime_error if it cannot) and returns
// mono 16-bit samples converted to float at the synthesizer's rate.
std::vector<float> SpeakText(const std::string& text, const TNarrationOptions& options, int& rate);

// Reads a RIFF WAVE of 16-bit PCM. A data size of 0 or 0xFFFFFFFF (written
// by a program that streamed to a pipe) means "to the end".
std::vector<float> ParseWav(const std::vector<uint8_t>& bytes, int& rate, int& channels);

// The whole narration, resampled to 44.1 kHz, voiced warmer and levelled.
TWave MakeNarration(const std::string& text, const TNarrationOptions& options);

}  // namespace sfx
