#include "key_script.h"

#include <fstream>
#include <sstream>

#include "player_model.h"

namespace levels {
namespace {

constexpr struct {
    char letter;
    unsigned bit;
} kLetters[] = {{'L', kKeyLeft}, {'R', kKeyRight}, {'U', kKeyUp}, {'F', kKeyFire}};

// Longer runs are split so that no count grows past what a reader expects.
constexpr long kMaxRun = 1000000;

}  // namespace

std::string FormatKeyScript(const TKeyScript& script, const std::string& comment) {
    std::ostringstream out;
    std::istringstream lines(comment);
    for (std::string line; std::getline(lines, line);) out << "# " << line << '\n';
    out << "level " << script.level << '\n' << "steps " << script.keys.size() << '\n';
    for (size_t i = 0; i < script.keys.size();) {
        size_t j = i;
        while (j < script.keys.size() && script.keys[j] == script.keys[i]) ++j;
        out << (j - i) << ' ';
        bool any = false;
        for (const auto& l : kLetters)
            if (script.keys[i] & l.bit) {
                out << l.letter;
                any = true;
            }
        if (!any) out << '-';
        out << '\n';
        i = j;
    }
    return out.str();
}

bool ParseKeyScript(const std::string& text, TKeyScript& out, std::string& error) {
    out = TKeyScript{};
    std::istringstream lines(text);
    long declared = -1;
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string first, second, extra;
        words >> first >> second;
        if (words >> extra || second.empty()) {
            error = "line " + std::to_string(number) + ": expected two words";
            return false;
        }
        if (first == "level" || first == "steps") {
            long v = 0;
            try {
                size_t used = 0;
                v = std::stol(second, &used);
                if (used != second.size() || v < 0) throw 0;
            } catch (...) {
                error = "line " + std::to_string(number) + ": bad number '" + second + "'";
                return false;
            }
            if (first == "level")
                out.level = int(v);
            else
                declared = v;
            continue;
        }
        long run = 0;
        try {
            size_t used = 0;
            run = std::stol(first, &used);
            if (used != first.size() || run < 1 || run > kMaxRun) throw 0;
        } catch (...) {
            error = "line " + std::to_string(number) + ": bad step count '" + first + "'";
            return false;
        }
        unsigned keys = 0;
        if (second != "-") {
            for (char ch : second) {
                bool known = false;
                for (const auto& l : kLetters)
                    if (ch == l.letter) keys |= l.bit, known = true;
                if (!known) {
                    error = "line " + std::to_string(number) + ": unknown key '" + std::string(1, ch) + "'";
                    return false;
                }
            }
        }
        if (out.keys.size() + size_t(run) > size_t(kMaxRun)) {
            error = "line " + std::to_string(number) + ": the route is too long";
            return false;
        }
        out.keys.insert(out.keys.end(), size_t(run), keys);
    }
    if (declared >= 0 && size_t(declared) != out.keys.size()) {
        error = "steps says " + std::to_string(declared) + " but the runs add up to " + std::to_string(out.keys.size());
        return false;
    }
    if (out.keys.empty()) {
        error = "no steps";
        return false;
    }
    return true;
}

bool SaveKeyScript(const std::string& path, const TKeyScript& script, const std::string& comment) {
    std::ofstream f(path, std::ios::binary);
    f << FormatKeyScript(script, comment);
    return bool(f);
}

bool LoadKeyScript(const std::string& path, TKeyScript& out, std::string& error) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        error = "cannot read " + path;
        return false;
    }
    std::stringstream text;
    text << f.rdbuf();
    if (!ParseKeyScript(text.str(), out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

}  // namespace levels
