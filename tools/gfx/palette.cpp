#include "palette.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace gfx {

namespace {
std::string Strip(const std::string& line) {
    std::size_t hash = line.find('#');
    std::string s = hash == std::string::npos ? line : line.substr(0, hash);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\t')) s.pop_back();
    return s;
}
}  // namespace

void Palette::Load(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read palette " + path);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::istringstream words(Strip(line));
        std::string name, hex;
        if (!(words >> name)) continue;
        if (!(words >> hex) || hex.size() != 6)
            throw std::runtime_error(path + ":" + std::to_string(number) + ": expected 'name rrggbb'");
        unsigned long v = std::stoul(hex, nullptr, 16);
        colours_[name] = Rgba(int((v >> 16) & 255), int((v >> 8) & 255), int(v & 255));
    }
}

Rgba Palette::operator[](const std::string& name) const {
    auto it = colours_.find(name);
    if (it == colours_.end()) throw std::runtime_error("palette has no colour '" + name + "'");
    return it->second;
}

void ArtBook::Load(const std::string& path, const Palette& palette) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read art " + path);
    std::map<char, Rgba> legend;
    std::string line, current;
    std::vector<std::string> rows;
    int number = 0;
    auto fail = [&](const std::string& what) {
        throw std::runtime_error(path + ":" + std::to_string(number) + ": " + what);
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (current.empty()) {
            std::string s = Strip(line);
            std::istringstream words(s);
            std::string word;
            if (!(words >> word)) continue;
            if (word == "legend") {
                std::string key, name;
                if (!(words >> key >> name) || key.size() != 1) fail("expected 'legend C name'");
                legend[key[0]] = palette[name];
            } else if (word == "art") {
                if (!(words >> current)) fail("expected 'art NAME'");
                rows.clear();
            } else {
                fail("unknown line");
            }
            continue;
        }
        if (line == "end") {
            std::size_t width = 0;
            for (const auto& r : rows) width = std::max(width, r.size());
            Canvas art(int(width), int(rows.size()));
            for (std::size_t y = 0; y < rows.size(); ++y)
                for (std::size_t x = 0; x < rows[y].size(); ++x) {
                    char c = rows[y][x];
                    if (c == '.' || c == ' ') continue;
                    auto it = legend.find(c);
                    if (it == legend.end()) fail(std::string("no legend for '") + c + "' in " + current);
                    art.At(int(x), int(y)) = it->second;
                }
            arts_[current] = art;
            current.clear();
            continue;
        }
        rows.push_back(line);
    }
    if (!current.empty()) fail("art " + current + " has no end");
}

const Canvas& ArtBook::operator[](const std::string& name) const {
    auto it = arts_.find(name);
    if (it == arts_.end()) throw std::runtime_error("no art named '" + name + "'");
    return it->second;
}

}  // namespace gfx
