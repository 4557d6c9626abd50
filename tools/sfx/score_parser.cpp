// The text of a score read into parts, voices and notes (the format is
// described in score.h).
#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <sstream>

#include "score.h"

namespace sfx {

namespace {

constexpr double kEps = 1e-6;

std::vector<std::string> SplitWords(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> words;
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

bool ParseNumber(const std::string& s, double& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return end && *end == '\0';
}

EStyle StyleFromName(const std::string& s) {
    if (s == "notes") return EStyle::kNotes;
    if (s == "hold") return EStyle::kHold;
    if (s == "strum") return EStyle::kStrum;
    if (s == "offbeat") return EStyle::kOffbeat;
    if (s == "arp") return EStyle::kArp;
    if (s == "root") return EStyle::kRoot;
    if (s == "rootfifth") return EStyle::kRootFifth;
    throw std::invalid_argument("unknown style '" + s + "'");
}

bool IsChordStyle(EStyle s) { return s != EStyle::kNotes && s != EStyle::kDrums; }

// Chord tones placed around a centre pitch: close voicing, so successive
// chords stay in one register and move smoothly.

}  // namespace

namespace {

class TParser {
public:
    TParser(const std::string& source) : source_(source) {}
    TScore Parse(const std::string& text);

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw TScoreError(source_ + ":" + std::to_string(line_) + ": " + what);
    }
    void Directive(const std::vector<std::string>& words);
    void Voice(const std::vector<std::string>& words);
    void VoiceLine(const std::string& voiceName, const std::string& body);
    const TVoiceDef& FindVoice(const std::string& name) const;
    void FinishPart();

    struct TLineState {
        double lastBeats = 1.0;
        double inBar = 0.0;               // beats since the last bar line
        std::vector<TToken> currentBar;   // tokens since the last bar line
        std::vector<TToken> previousBar;  // for '%'
    };

    std::string source_;
    int line_ = 0;
    TScore score_;
    TPart* part_ = nullptr;
    std::map<std::string, TLineState> state_;
};

const TVoiceDef& TParser::FindVoice(const std::string& name) const {
    for (const auto& v : score_.voices)
        if (v.name == name) return v;
    Fail("no voice named '" + name + "'");
}

void TParser::Voice(const std::vector<std::string>& words) {
    if (words.size() < 2) Fail("a voice needs a name");
    TVoiceDef v;
    v.name = words[1];
    for (const auto& existing : score_.voices)
        if (existing.name == v.name) Fail("voice '" + v.name + "' defined twice");
    bool styled = false;
    for (size_t i = 2; i < words.size(); ++i) {
        size_t eq = words[i].find('=');
        if (eq == std::string::npos) Fail("expected key=value, got '" + words[i] + "'");
        std::string key = words[i].substr(0, eq), value = words[i].substr(eq + 1);
        double num = 0;
        try {
            if (key == "patch") {
                v.patch = PatchFromName(value);
            } else if (key == "style") {
                v.style = StyleFromName(value);
                styled = true;
            } else if (key == "chords") {
                v.chordsFrom = value;
            } else if (key == "vol" || key == "pan" || key == "octave" || key == "gate") {
                if (!ParseNumber(value, num)) Fail("'" + key + "' needs a number");
                if (key == "vol") v.volume = num;
                if (key == "pan") v.pan = std::clamp(num, -1.0, 1.0);
                if (key == "octave") v.octave = int(num);
                if (key == "gate") v.gate = std::clamp(num, 0.05, 1.0);
            } else {
                Fail("unknown voice setting '" + key + "'");
            }
        } catch (const std::invalid_argument& e) {
            Fail(e.what());
        }
    }
    if (v.patch == EPatch::kKit) {
        if (styled && v.style != EStyle::kNotes) Fail("the kit plays drum lines only");
        v.style = EStyle::kDrums;
    }
    if (!v.chordsFrom.empty()) {
        if (!IsChordStyle(v.style)) Fail("a voice that follows chords needs a chord style");
        const TVoiceDef& src = FindVoice(v.chordsFrom);
        if (!IsChordStyle(src.style) || !src.chordsFrom.empty())
            Fail("voice '" + src.name + "' has no chord line of its own");
    }
    score_.voices.push_back(v);
}

void TParser::Directive(const std::vector<std::string>& words) {
    const std::string& key = words[0];
    double num = 0;
    auto number = [&](size_t i) {
        if (words.size() <= i || !ParseNumber(words[i], num)) Fail("'" + key + "' needs a number");
        return num;
    };
    if (key == "title") {
        std::string t;
        for (size_t i = 1; i < words.size(); ++i) t += (i > 1 ? " " : "") + words[i];
        score_.title = t;
    } else if (key == "tempo") {
        score_.tempo = number(1);
        if (score_.tempo < 20 || score_.tempo > 400) Fail("tempo out of range");
    } else if (key == "meter") {
        int n = 0, d = 0;
        if (words.size() < 2 || std::sscanf(words[1].c_str(), "%d/%d", &n, &d) != 2 || n < 1 || n > 12 ||
            (d != 2 && d != 4 && d != 8))
            Fail("meter is written like 3/4");
        score_.meterNum = n;
        score_.meterDen = d;
    } else if (key == "loop") {
        if (words.size() < 2 || (words[1] != "yes" && words[1] != "no")) Fail("loop is yes or no");
        score_.loop = words[1] == "yes";
    } else if (key == "reverb") {
        score_.reverbWet = std::clamp(number(1), 0.0, 1.0);
        if (words.size() > 2) score_.reverbRoom = std::clamp(number(2), 0.0, 1.0);
    } else if (key == "level") {
        score_.levelDb = number(1);
    } else if (key == "peak") {
        score_.peakDb = std::min(-1.0, number(1));
    } else if (key == "voice") {
        Voice(words);
    } else if (key == "part") {
        if (part_) Fail("part '" + part_->name + "' is not closed with 'end'");
        if (words.size() < 2) Fail("a part needs a name");
        for (const auto& p : score_.parts)
            if (p.name == words[1]) Fail("part '" + words[1] + "' defined twice");
        TPart p;
        p.name = words[1];
        for (size_t i = 2; i < words.size(); ++i) {
            if (words[i].rfind("transpose=", 0) == 0) {
                double t = 0;
                if (!ParseNumber(words[i].substr(10), t)) Fail("transpose needs a number");
                p.transpose = int(t);
            } else {
                Fail("unknown part setting '" + words[i] + "'");
            }
        }
        score_.parts.push_back(p);
        part_ = &score_.parts.back();
        state_.clear();
    } else if (key == "end") {
        if (!part_) Fail("'end' outside a part");
        FinishPart();
    } else if (key == "form") {
        for (size_t i = 1; i < words.size(); ++i) {
            bool found = false;
            for (const auto& p : score_.parts) found = found || p.name == words[i];
            if (!found) Fail("form names unknown part '" + words[i] + "'");
            score_.form.push_back(words[i]);
        }
    } else {
        Fail("unknown directive '" + key + "'");
    }
}

void TParser::VoiceLine(const std::string& voiceName, const std::string& body) {
    const TVoiceDef& voice = FindVoice(voiceName);
    if (!voice.chordsFrom.empty()) Fail("voice '" + voiceName + "' follows the chords of '" + voice.chordsFrom + "'");
    std::vector<TToken>& line = part_->lines[voiceName];
    TLineState& st = state_[voiceName];
    std::vector<std::string> words = SplitWords(body);
    const double bar = score_.BarBeats();

    if (!words.empty() && words[0] == "=") {
        // A copy of a voice line of an earlier part: "= part.voice" or "= part".
        if (words.size() != 2) Fail("a copy is written '= part.voice'");
        std::string ref = words[1], refVoice = voiceName;
        size_t dot = ref.find('.');
        if (dot != std::string::npos) {
            refVoice = ref.substr(dot + 1);
            ref = ref.substr(0, dot);
        }
        const TPart* src = nullptr;
        for (const auto& p : score_.parts)
            if (p.name == ref) src = &p;
        if (!src) Fail("no earlier part named '" + ref + "'");
        if (src == part_ && refVoice == voiceName) Fail("a line cannot copy itself");
        auto it = src->lines.find(refVoice);
        if (it == src->lines.end()) Fail("part '" + ref + "' has no line for '" + refVoice + "'");
        const TVoiceDef& from = FindVoice(refVoice);
        bool sameKind = (from.style == EStyle::kNotes) == (voice.style == EStyle::kNotes) &&
                        (from.style == EStyle::kDrums) == (voice.style == EStyle::kDrums);
        if (!sameKind) Fail("cannot copy '" + refVoice + "' into '" + voiceName + "': different kinds of line");
        if (st.inBar > kEps) Fail("a copy must start on a bar line");
        line.insert(line.end(), it->second.begin(), it->second.end());
        return;
    }

    for (const std::string& w : words) {
        if (w == "|") {
            if (st.inBar > kEps && std::fabs(st.inBar - bar) > kEps)
                Fail(voiceName + ": bar holds " + std::to_string(st.inBar) + " beats, the meter wants " +
                     std::to_string(bar));
            if (st.inBar > kEps) st.previousBar = st.currentBar;
            st.currentBar.clear();
            st.inBar = 0;
            continue;
        }
        if (w == "%") {
            if (st.inBar > kEps) Fail("'%' must fill a whole bar");
            if (st.previousBar.empty()) Fail("'%' with no bar before it");
            line.insert(line.end(), st.previousBar.begin(), st.previousBar.end());
            st.currentBar = st.previousBar;
            st.inBar = bar;
            continue;
        }
        TToken tok;
        std::string head = w;
        size_t slash = w.find('/');
        if (slash != std::string::npos) {
            head = w.substr(0, slash);
            double beats = ParseDuration(w.substr(slash + 1));
            if (beats <= 0) Fail("bad duration in '" + w + "'");
            st.lastBeats = beats;
        }
        tok.beats = st.lastBeats;
        if (head == "~") {
            // Held on from the previous note or chord without striking again.
            if (line.empty() || line.back().rest) Fail("'~' with nothing to hold");
            tok.tie = true;
            tok.rest = false;
        } else if (head == "r") {
            tok.rest = true;
        } else if (voice.style == EStyle::kNotes) {
            std::istringstream names(head);
            std::string name;
            while (std::getline(names, name, ',')) {
                int midi = ParseNoteName(name);
                if (midi < 0) Fail("'" + name + "' is not a note");
                tok.pitches.push_back(midi);
            }
            if (tok.pitches.empty()) Fail("empty note '" + w + "'");
            tok.rest = false;
        } else if (voice.style == EStyle::kDrums) {
            for (char c : head)
                if (!IsDrumLetter(c)) Fail(std::string("'") + c + "' is not a drum");
            if (head.empty()) Fail("empty drum stroke");
            tok.drums = head;
            tok.rest = false;
        } else {
            if (!ParseChordSymbol(head, tok.chord)) Fail("'" + head + "' is not a chord");
            tok.rest = false;
        }
        st.inBar += tok.beats;
        if (st.inBar > bar + kEps) Fail(voiceName + ": '" + w + "' runs over the bar line");
        if (std::fabs(st.inBar - bar) < kEps) {
            // A full bar without a closing '|' still counts as the bar for '%'.
            st.currentBar.push_back(tok);
            line.push_back(tok);
            st.previousBar = st.currentBar;
            st.currentBar.clear();
            st.inBar = 0;
            continue;
        }
        st.currentBar.push_back(tok);
        line.push_back(tok);
    }
}

void TParser::FinishPart() {
    double length = -1;
    std::string first;
    for (const auto& [name, tokens] : part_->lines) {
        double sum = 0;
        for (const auto& t : tokens) sum += t.beats;
        if (length < 0) {
            length = sum;
            first = name;
        } else if (std::fabs(sum - length) > kEps) {
            Fail("in part '" + part_->name + "' voice '" + name + "' lasts " + std::to_string(sum) + " beats but '" +
                 first + "' lasts " + std::to_string(length));
        }
    }
    if (length <= 0) Fail("part '" + part_->name + "' is empty");
    double bars = length / score_.BarBeats();
    if (std::fabs(bars - std::round(bars)) > kEps) Fail("part '" + part_->name + "' does not end on a bar line");
    part_->beats = length;
    part_ = nullptr;
}

TScore TParser::Parse(const std::string& text) {
    std::istringstream in(text);
    std::string raw;
    while (std::getline(in, raw)) {
        ++line_;
        // '#' is also a sharp: a comment starts only at a '#' that begins a word.
        size_t hash = std::string::npos;
        for (size_t i = 0; i < raw.size(); ++i)
            if (raw[i] == '#' && (i == 0 || raw[i - 1] == ' ' || raw[i - 1] == '\t')) {
                hash = i;
                break;
            }
        std::string s = Trim(raw.substr(0, hash));
        if (s.empty()) continue;
        size_t colon = s.find(':');
        std::vector<std::string> words = SplitWords(s);
        if (colon != std::string::npos && colon > 0 && s.find_first_of(" \t") > colon) {
            if (!part_) Fail("voice lines belong inside a part");
            VoiceLine(s.substr(0, colon), s.substr(colon + 1));
        } else {
            Directive(words);
        }
    }
    if (part_) Fail("part '" + part_->name + "' is not closed with 'end'");
    if (score_.form.empty()) Fail("the score has no form");
    if (score_.voices.empty()) Fail("the score has no voices");
    return score_;
}

}  // namespace

TScore ParseScore(const std::string& text, const std::string& source) { return TParser(source).Parse(text); }

TScore LoadScore(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw TScoreError(path + ": cannot open");
    std::stringstream ss;
    ss << in.rdbuf();
    return ParseScore(ss.str(), path);
}

}  // namespace sfx
