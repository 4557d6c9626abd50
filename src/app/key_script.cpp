// Key scripts: the input of a recorded run written by hand or by the demo
// maker, read line by line.
#include "app/key_script.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/input/keyboard.h"
#include "platform/replay/replay_file.h"

using namespace sq;

namespace {

int KeyCodeOf(const std::string& name) {
    static const std::pair<const char*, int> kNames[] = {
        {"left", kKeyLeft},   {"right", kKeyRight},   {"up", kKeyUp},
        {"down", kKeyDown},   {"ctrl", kKeyLControl}, {"space", kKeySpace},
        {"enter", kKeyEnter}, {"escape", kKeyEscape}, {"backspace", kKeyBackspace}};
    for (const auto& [n, code] : kNames)
        if (name == n) return code;
    if (!name.empty() && name.size() <= 3 && std::all_of(name.begin(), name.end(), ::isdigit)) {
        int code = std::stoi(name);
        if (code > 0 && code < 256) return code;
    }
    return -1;
}

}  // namespace

std::vector<TKeyScriptLine> ParseKeyScript(const std::string& text, const std::string& name) {
    std::vector<TKeyScriptLine> out;
    std::istringstream in(text);
    std::string raw;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        return TReplayError(name + " line " + std::to_string(lineNo) + ": " + why);
    };
    auto number = [&](const std::string& s, int lo, int hi) {
        if (s.empty() || s.size() > 9 || !std::all_of(s.begin(), s.end(), ::isdigit))
            throw fail("\"" + s + "\" is not a number");
        int v = std::stoi(s);
        if (v < lo || v > hi) throw fail(s + " is out of range");
        return v;
    };
    while (std::getline(in, raw)) {
        ++lineNo;
        std::string text2 = raw.substr(0, raw.find('#'));
        std::istringstream words(text2);
        TKeyScriptLine l;
        l.line = lineNo;
        if (!(words >> l.command)) continue;
        std::string a, b;
        words >> a >> b;
        if (l.command == "seed") {
            l.number = number(a, 0, 0x7FFFFFFF);
        } else if (l.command == "giveup-on-death") {
        } else if (l.command == "wait") {
            l.number = number(a, 1, 100000000);
        } else if (l.command == "press" || l.command == "release" || l.command == "tap") {
            l.number = KeyCodeOf(a);
            if (l.number < 0) throw fail("unknown key \"" + a + "\"");
        } else if (l.command == "until") {
            if (a != "playing" && a != "exit" && a != "over" && a != "menu")
                throw fail("cannot wait for \"" + a + "\"");
            l.argument = a;
            l.number = b.empty() ? 200 * 600 : number(b, 1, 100000000);
        } else if (l.command == "steps") {
            // Several "steps" lines in a row make one route.
            l.argument = a;
            for (char& c : l.argument) c = char(std::tolower(static_cast<unsigned char>(c)));
            if (l.argument.empty() || !std::all_of(l.argument.begin(), l.argument.end(), ::isxdigit))
                throw fail("steps are hex digits");
        } else if (l.command == "type") {
            l.argument = a;
            if (a.empty() || !std::all_of(a.begin(), a.end(), ::isalnum)) throw fail("type takes letters and digits");
        } else {
            throw fail("unknown command \"" + l.command + "\"");
        }
        if (l.command != "until" && !b.empty()) throw fail("too many words");
        out.push_back(std::move(l));
    }
    return out;
}
