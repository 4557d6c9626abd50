#include "narration.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "reverb.h"

namespace sfx {

std::vector<TParagraph> SplitParagraphs(const std::string& text) {
    std::vector<TParagraph> out;
    std::istringstream in(text);
    std::string line;
    TParagraph current;
    int blanks = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '#') continue;
        bool blank = line.find_first_not_of(" \t") == std::string::npos;
        if (blank) {
            if (!current.text.empty()) {
                out.push_back(current);
                current = TParagraph();
            }
            ++blanks;
            continue;
        }
        if (current.text.empty()) {
            current.blankLinesBefore = out.empty() ? 0 : blanks;
            blanks = 0;
        }
        size_t a = line.find_first_not_of(" \t");
        current.text += (current.text.empty() ? "" : " ") + line.substr(a);
    }
    if (!current.text.empty()) out.push_back(current);
    return out;
}

std::vector<TPhrase> SplitPhrases(const std::string& paragraph, const TNarrationOptions& o) {
    std::vector<TPhrase> out;
    std::string current;
    size_t i = 0;
    auto isMark = [](char c) { return c == ',' || c == '.' || c == '!' || c == '?' || c == ';' || c == ':'; };
    while (i < paragraph.size()) {
        char c = paragraph[i];
        if (!isMark(c)) {
            current += c;
            ++i;
            continue;
        }
        // A run of marks closes the phrase: "...", "!!!", "?!".
        size_t end = i;
        while (end < paragraph.size() && isMark(paragraph[end])) ++end;
        std::string marks = paragraph.substr(i, end - i);
        // A dot inside a word or number ("3.5", "e.g") does not end a phrase.
        bool inside = marks == "." && end < paragraph.size() && paragraph[end] != ' ';
        if (inside) {
            current += marks;
            i = end;
            continue;
        }
        double pause = o.pauseAfterSentence;
        if (marks.find("..") != std::string::npos)
            pause = o.pauseAfterEllipsis;
        else if (marks == "," || marks == ";" || marks == ":")
            pause = o.pauseAfterComma;
        // The synthesizer is given one plain mark, so "..." and "!!!" are not read out.
        char said = marks.find('?') != std::string::npos           ? '?'
                    : marks.find('!') != std::string::npos         ? '!'
                    : marks == "," || marks == ";" || marks == ":" ? ','
                                                                   : '.';
        size_t a = current.find_first_not_of(' ');
        if (a != std::string::npos) {
            size_t b = current.find_last_not_of(' ');
            out.push_back({current.substr(a, b - a + 1) + said, pause});
        } else if (!out.empty()) {
            out.back().pauseAfter = std::max(out.back().pauseAfter, pause);
        }
        current.clear();
        i = end;
    }
    size_t a = current.find_first_not_of(' ');
    if (a != std::string::npos) {
        size_t b = current.find_last_not_of(' ');
        out.push_back({current.substr(a, b - a + 1), 0.0});
    }
    if (!out.empty()) out.back().pauseAfter = 0.0;
    return out;
}

std::vector<float> ParseWav(const std::vector<uint8_t>& b, int& rate, int& channels) {
    auto u32 = [&](size_t at) {
        return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
    };
    auto u16 = [&](size_t at) { return uint16_t(b[at] | b[at + 1] << 8); };
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        throw std::runtime_error("speech output is not a WAVE file");
    size_t pos = 12;
    int bits = 0;
    rate = 0;
    channels = 0;
    while (pos + 8 <= b.size()) {
        uint32_t size = u32(pos + 4);
        if (std::memcmp(b.data() + pos, "fmt ", 4) == 0) {
            if (pos + 24 > b.size()) break;
            if (u16(pos + 8) != 1) throw std::runtime_error("speech output is not plain PCM");
            channels = u16(pos + 10);
            rate = int(u32(pos + 12));
            bits = u16(pos + 22);
        } else if (std::memcmp(b.data() + pos, "data", 4) == 0) {
            if (bits != 16 || channels < 1 || rate <= 0) throw std::runtime_error("speech output is not 16-bit PCM");
            size_t start = pos + 8;
            size_t avail = b.size() - start;
            size_t bytes = (size == 0 || size == 0xFFFFFFFFu || size > avail) ? avail : size;
            size_t frames = bytes / (2 * size_t(channels));
            std::vector<float> out(frames);
            for (size_t i = 0; i < frames; ++i) {
                int16_t s = int16_t(u16(start + i * 2 * size_t(channels)));  // the first channel
                out[i] = float(s) / 32768.0f;
            }
            return out;
        }
        if (size > b.size() - pos - 8) break;
        pos += 8 + size + (size & 1);
    }
    throw std::runtime_error("speech output has no sound data");
}

std::vector<float> SpeakText(const std::string& text, const TNarrationOptions& o, int& rate) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    auto number = [](double v) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.3f", v);
        return std::string(buf);
    };
    std::vector<std::string> args = {o.program, "-voice", o.voice, "--setf", "duration_stretch=" + number(o.stretch)};
    if (o.pitchHz > 0) args.insert(args.end(), {"--setf", "int_f0_target_mean=" + number(o.pitchHz)});
    args.insert(args.end(), {"-t", text, "-o", "/dev/stdout"});
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    std::vector<uint8_t> bytes;
    uint8_t buf[65536];
    for (;;) {
        ssize_t n = read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        bytes.insert(bytes.end(), buf, buf + n);
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("'" + o.program + "' failed (is flite installed?)");
    int channels = 0;
    return ParseWav(bytes, rate, channels);
}

namespace {
// Drops the synthesizer's own silence at both ends, so the pauses between
// paragraphs are ours.
std::vector<float> TrimSilence(const std::vector<float>& v, int rate) {
    const float thr = float(DbToGain(-48.0));
    size_t first = 0, last = v.size();
    while (first < v.size() && std::fabs(v[first]) < thr) ++first;
    while (last > first && std::fabs(v[last - 1]) < thr) --last;
    size_t pad = size_t(rate / 50);  // 20 ms
    first = first > pad ? first - pad : 0;
    last = std::min(v.size(), last + pad);
    return std::vector<float>(v.begin() + long(first), v.begin() + long(last));
}
}  // namespace

TWave MakeNarration(const std::string& text, const TNarrationOptions& options) {
    std::vector<float> all(size_t(Samples(0.4)), 0.0f);  // a breath before the first word
    for (const TParagraph& p : SplitParagraphs(text)) {
        double pause = p.blankLinesBefore > 0 ? options.pausePerBlankLine * p.blankLinesBefore : 0.0;
        all.insert(all.end(), size_t(Samples(pause)), 0.0f);
        for (const TPhrase& phrase : SplitPhrases(p.text, options)) {
            int rate = 0;
            std::vector<float> speech = TrimSilence(SpeakText(phrase.text, options, rate), rate);
            speech = Resample(speech, rate, kRate);
            all.insert(all.end(), speech.begin(), speech.end());
            all.insert(all.end(), size_t(Samples(phrase.pauseAfter)), 0.0f);
        }
    }
    // Warm but clear: no rumble, a little chest, the consonants a touch
    // forward, nothing above what the voice holds.
    TBiquad filters[] = {TBiquad::HighPass(80, 0.7), TBiquad::LowShelf(200, 2.0), TBiquad::Peaking(3000, 1.0, 2.0),
                         TBiquad::LowPass(7600, 0.7)};
    for (auto& f : filters) f.ProcessInPlace(all);
    TWave w = TWave::Mono(std::move(all));
    NormaliseTo(w, -1.0);
    Compress(w, -18.0, 2.5, 0.005, 0.15);  // the quiet syllables come forward
    TReverbSettings room;
    room.wet = 0.03;
    room.room = 0.3;
    room.damping = 0.6;
    AddReverb(w, room, false, 0.5);
    TrimTail(w, -60.0, 0.2);
    FadeEdges(w, 0.01, 0.05);
    NormaliseTo(w, -2.0, -16.0);
    return w;
}

}  // namespace sfx
