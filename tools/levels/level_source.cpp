#include "level_source.h"

#include <fstream>
#include <sstream>

namespace levels {
namespace {

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return {};
    size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

}  // namespace

const char* FormName(TMapForm form) {
    switch (form) {
        case TMapForm::kFmp05:
            return "fmp0.5";
        case TMapForm::kFmp10:
            return "fmp1.0";
        case TMapForm::kFmp10Rle:
            return "fmp1.0-rle";
    }
    return "?";
}

bool ParseLevelSource(const std::string& text, TLevelSource& out, std::string& error) {
    out = TLevelSource{};
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    bool inMap = false, haveSize = false;
    auto fail = [&](const std::string& what) {
        error = "line " + std::to_string(lineNo) + ": " + what;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (inMap) {
            if (int(out.cells.size()) == out.rows) {
                if (!Trim(line).empty()) return fail("more map rows than the size says");
                continue;
            }
            if (int(line.size()) != out.columns)
                return fail("map row has " + std::to_string(line.size()) + " characters, not " +
                            std::to_string(out.columns));
            out.cells.push_back(line);
            continue;
        }
        std::string t = Trim(line);
        if (t.empty() || t[0] == '#') continue;
        std::istringstream words(t);
        std::string key;
        words >> key;
        if (key == "name") {
            std::getline(words, out.name);
            out.name = Trim(out.name);
        } else if (key == "size") {
            if (!(words >> out.columns >> out.rows) || out.columns < 20 || out.rows < 15 || out.columns > 1000 ||
                out.rows > 1000)
                return fail("size needs columns (20..1000) and rows (15..1000)");
            haveSize = true;
        } else if (key == "format") {
            std::string f;
            words >> f;
            if (f == "fmp0.5")
                out.form = TMapForm::kFmp05;
            else if (f == "fmp1.0")
                out.form = TMapForm::kFmp10;
            else if (f == "fmp1.0-rle")
                out.form = TMapForm::kFmp10Rle;
            else
                return fail("unknown format '" + f + "'");
        } else if (key == "depth") {
            if (!(words >> out.depth) ||
                (out.depth != 8 && out.depth != 15 && out.depth != 16 && out.depth != 24 && out.depth != 32))
                return fail("depth must be 8, 15, 16, 24 or 32");
        } else if (key == "order") {
            std::string o;
            words >> o;
            if (o == "little")
                out.littleEndian = true;
            else if (o == "big")
                out.littleEndian = false;
            else
                return fail("order must be little or big");
        } else if (key == "map") {
            if (!haveSize) return fail("map before size");
            inMap = true;
        } else {
            return fail("unknown key '" + key + "'");
        }
    }
    if (!inMap) return fail("no map");
    if (int(out.cells.size()) != out.rows)
        return fail("map has " + std::to_string(out.cells.size()) + " rows, not " + std::to_string(out.rows));
    return true;
}

bool LoadLevelSource(const std::string& path, TLevelSource& out, std::string& error) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        error = "cannot open " + path;
        return false;
    }
    std::stringstream ss;
    ss << f.rdbuf();
    if (!ParseLevelSource(ss.str(), out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

}  // namespace levels
