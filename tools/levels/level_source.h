#pragma once
// A level as we write it: a small header and a picture of the map made of
// one character per 16 x 16 block (the legend is in tile_catalog.h and in
// assets/levels/README.md).
//
//   # comment
//   name Frosty Hollow
//   size 72 20                 columns, rows
//   format fmp1.0              fmp0.5 | fmp1.0 | fmp1.0-rle
//   depth 24                   8 | 15 | 16 | 24 | 32 bits per pixel
//   order little               little | big
//   map
//   ...rows of exactly `columns` characters, `rows` of them...
#include <string>
#include <vector>

namespace levels {

enum class TMapForm { kFmp05, kFmp10, kFmp10Rle };

struct TLevelSource {
    std::string name;
    int columns = 0, rows = 0;
    TMapForm form = TMapForm::kFmp10;
    int depth = 16;
    bool littleEndian = true;
    std::vector<std::string> cells;  // rows top to bottom

    char At(int column, int row) const {
        if (column < 0 || row < 0 || column >= columns || row >= rows) return '.';
        return cells[row][column];
    }
};

// Parses the text; on a fault returns false and names it (with the line) in `error`.
bool ParseLevelSource(const std::string& text, TLevelSource& out, std::string& error);
bool LoadLevelSource(const std::string& path, TLevelSource& out, std::string& error);
const char* FormName(TMapForm form);

}  // namespace levels
