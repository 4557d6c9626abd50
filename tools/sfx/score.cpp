#include "score.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <sstream>

namespace sfx {

namespace {

constexpr double kEps = 1e-6;

int PitchClass(char letter) {
    switch (std::toupper(static_cast<unsigned char>(letter))) {
        case 'C':
            return 0;
        case 'D':
            return 2;
        case 'E':
            return 4;
        case 'F':
            return 5;
        case 'G':
            return 7;
        case 'A':
            return 9;
        case 'B':
            return 11;
        default:
            return -1;
    }
}

std::vector<int> VoiceChord(const TChord& c, int centre) {
    std::vector<int> out;
    for (int iv : c.tones) {
        int pc = (c.root + iv) % 12;
        int m = centre - 6 + ((pc - (centre - 6)) % 12 + 12) % 12;
        out.push_back(m);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

int BassNote(int pc, int octave) { return 40 + ((pc - 4) % 12 + 12) % 12 + 12 * octave; }  // E2 .. D#3

double Accent(double beatInBar, double barBeats) {
    if (std::fabs(beatInBar) < kEps) return 0.92;
    double frac = beatInBar - std::floor(beatInBar + kEps);
    if (frac > kEps) return 0.7;
    if (barBeats == 4.0 && std::fabs(beatInBar - 2.0) < kEps) return 0.85;
    return 0.8;
}

}  // namespace

int ParseNoteName(const std::string& text) {
    if (text.size() < 2) return -1;
    int pc = PitchClass(text[0]);
    if (pc < 0) return -1;
    size_t i = 1;
    int acc = 0;
    while (i < text.size() && (text[i] == '#' || text[i] == 'b')) acc += text[i++] == '#' ? 1 : -1;
    if (i >= text.size()) return -1;
    int octave = 0;
    bool neg = false;
    if (text[i] == '-') {
        neg = true;
        ++i;
    }
    if (i >= text.size()) return -1;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return -1;
        octave = octave * 10 + (text[i] - '0');
    }
    if (neg) octave = -octave;
    int midi = 12 * (octave + 1) + pc + acc;
    return midi >= 0 && midi <= 127 ? midi : -1;
}

bool ParseChordSymbol(const std::string& text, TChord& chord) {
    if (text.empty()) return false;
    int pc = PitchClass(text[0]);
    if (pc < 0 || !std::isupper(static_cast<unsigned char>(text[0]))) return false;
    size_t i = 1;
    if (i < text.size() && (text[i] == '#' || text[i] == 'b')) pc += text[i++] == '#' ? 1 : -1;
    std::string rest = text.substr(i), bass;
    size_t us = rest.find('_');
    if (us != std::string::npos) {
        bass = rest.substr(us + 1);
        rest = rest.substr(0, us);
    }
    static const std::map<std::string, std::vector<int>> kQualities = {
        {"", {0, 4, 7}},          {"m", {0, 3, 7}},        {"7", {0, 4, 7, 10}},    {"maj7", {0, 4, 7, 11}},
        {"m7", {0, 3, 7, 10}},    {"6", {0, 4, 7, 9}},     {"m6", {0, 3, 7, 9}},    {"dim", {0, 3, 6}},
        {"dim7", {0, 3, 6, 9}},   {"aug", {0, 4, 8}},      {"sus4", {0, 5, 7}},     {"sus2", {0, 2, 7}},
        {"9", {0, 4, 7, 10, 14}}, {"add9", {0, 4, 7, 14}}, {"7sus4", {0, 5, 7, 10}}};
    auto q = kQualities.find(rest);
    if (q == kQualities.end()) return false;
    chord.root = (pc + 12) % 12;
    chord.tones = q->second;
    chord.bass = -1;
    if (!bass.empty()) {
        int b = PitchClass(bass[0]);
        if (b < 0 || !std::isupper(static_cast<unsigned char>(bass[0]))) return false;
        if (bass.size() == 2 && (bass[1] == '#' || bass[1] == 'b'))
            b += bass[1] == '#' ? 1 : -1;
        else if (bass.size() != 1)
            return false;
        chord.bass = (b + 12) % 12;
    }
    return true;
}

double ParseDuration(const std::string& text) {
    double total = 0;
    std::string piece;
    std::istringstream in(text);
    bool any = false;
    while (std::getline(in, piece, '+')) {
        any = true;
        size_t dots = 0;
        while (!piece.empty() && piece.back() == '.') {
            piece.pop_back();
            ++dots;
        }
        if (piece.empty() || dots > 2) return -1;
        for (char c : piece)
            if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
        int d = std::stoi(piece);
        if (d != 1 && d != 2 && d != 4 && d != 8 && d != 16 && d != 32) return -1;
        double beats = 4.0 / d, add = beats;
        for (size_t k = 0; k < dots; ++k) {
            add /= 2;
            beats += add;
        }
        total += beats;
    }
    return any ? total : -1;
}

double TScore::LengthBeats() const {
    double total = 0;
    for (const auto& name : form) total += Part(name).beats;
    return total;
}

const TPart& TScore::Part(const std::string& name) const {
    for (const auto& p : parts)
        if (p.name == name) return p;
    throw TScoreError("no part named '" + name + "'");
}

std::vector<TEvent> TScore::Events() const {
    std::vector<TEvent> events;
    const double bar = BarBeats();
    double offset = 0;
    for (const std::string& partName : form) {
        const TPart& part = Part(partName);
        for (size_t vi = 0; vi < voices.size(); ++vi) {
            const TVoiceDef& v = voices[vi];
            const std::string& lineName = v.chordsFrom.empty() ? v.name : v.chordsFrom;
            auto it = part.lines.find(lineName);
            if (it == part.lines.end()) continue;  // silent in this part
            std::vector<TToken> tokens;
            for (const TToken& t : it->second) {
                if (t.tie && !tokens.empty() && !tokens.back().rest) {
                    tokens.back().beats += t.beats;
                } else {
                    tokens.push_back(t);
                    if (t.tie) tokens.back().rest = true;  // a copy that starts with a hold: nothing to hold
                }
            }
            int shift = 12 * v.octave + part.transpose;
            double pos = offset;
            for (const TToken& tok : tokens) {
                double start = pos;
                pos += tok.beats;
                if (tok.rest) continue;
                TChord chord = tok.chord;
                chord.root = (chord.root + part.transpose % 12 + 12) % 12;
                if (chord.bass >= 0) chord.bass = (chord.bass + part.transpose % 12 + 12) % 12;
                auto add = [&](double beat, double beats, int midi, char drum) {
                    TEvent e;
                    e.beat = beat;
                    e.beats = beats;
                    e.midi = midi;
                    e.drum = drum;
                    e.velocity = Accent(std::fmod(beat - offset + kEps, bar) - kEps, bar);
                    e.voice = vi;
                    events.push_back(e);
                };
                switch (v.style) {
                    case EStyle::kNotes:
                        for (int p : tok.pitches) add(start, tok.beats, p + shift, 0);
                        break;
                    case EStyle::kDrums:
                        for (char d : tok.drums) add(start, tok.beats, 0, d);
                        break;
                    case EStyle::kHold:
                    case EStyle::kStrum: {
                        std::vector<int> notes = VoiceChord(chord, 62);
                        for (size_t k = 0; k < notes.size(); ++k) {
                            double roll = v.style == EStyle::kStrum ? 0.04 * double(k) : 0.0;
                            add(start + roll, tok.beats - roll, notes[k] + 12 * v.octave, 0);
                        }
                        break;
                    }
                    case EStyle::kOffbeat: {
                        std::vector<int> notes = VoiceChord(chord, 62);
                        for (double b = std::ceil(start - offset - kEps); b + offset < pos - kEps; b += 1.0) {
                            int idx = int(std::fmod(b + kEps, bar));
                            bool weak = bar == 3.0 || bar == 6.0 ? idx != 0 : (idx % 2) == 1;
                            if (!weak) continue;
                            for (int n : notes) add(b + offset, 0.5, n + 12 * v.octave, 0);
                        }
                        break;
                    }
                    case EStyle::kArp: {
                        std::vector<int> notes = VoiceChord(chord, 62);
                        std::vector<int> cycle = notes;
                        cycle.push_back(notes.front() + 12);
                        for (size_t k = notes.size() - 1; k >= 1; --k) cycle.push_back(notes[k]);
                        size_t k = 0;
                        for (double b = start; b < pos - kEps; b += 0.5, ++k)
                            add(b, std::min(0.5, pos - b), cycle[k % cycle.size()] + 12 * v.octave, 0);
                        break;
                    }
                    case EStyle::kRoot:
                    case EStyle::kRootFifth: {
                        int root = BassNote(chord.bass >= 0 ? chord.bass : chord.root, v.octave);
                        int fifth = BassNote((chord.root + 7) % 12, v.octave);
                        if (v.style == EStyle::kRoot) {
                            add(start, tok.beats, root, 0);
                            break;
                        }
                        double step = bar == 4.0 ? 2.0 : bar;
                        int alternate = 0;
                        double b = start;
                        while (b < pos - kEps) {
                            double rel = b - offset;
                            double next = offset + (std::floor(rel / step + kEps) + 1) * step;
                            double end = std::min(next, pos);
                            add(b, end - b, alternate % 2 == 0 ? root : fifth, 0);
                            ++alternate;
                            b = end;
                        }
                        break;
                    }
                }
            }
        }
        offset += part.beats;
    }
    std::stable_sort(events.begin(), events.end(), [](const TEvent& a, const TEvent& b) { return a.beat < b.beat; });
    return events;
}

}  // namespace sfx
