// fmpwrite: writes an FMP tile map from a small text description.
//
//   fmpwrite DESCRIPTION.txt OUT.FMP
//
// One statement per line, '#' starts a comment:
//
//   version 1            0 = FMP 0.5, 1 = FMP 1.0 (default)
//   order little         little (default) or big
//   runlength 1          run-length layers (FMP 1.0 only)
//   depth 16             8, 15, 16 (default), 24 or 32
//   map W H              size in cells
//   block W H            block size in pixels (default 16 16)
//   key R G B [INDEX]    colour key (default 255 0 255, index 0)
//   gap X Y / stagger X Y / clickmask N / headersize N
//   tile RRGGBB[AA]      appends a solid tile graphic (hex colour; AA 00 = clear)
//   tiles FILE.png       appends every block-sized cell of a picture, left to
//                        right, top to bottom (alpha 0 or magenta = clear)
//   blockdef BG FG FG2 FG3 FLAGS [U1 U2 U3 U4 U5 U6 U7]
//                        appends a block structure; FLAGS bit 0 = solid
//   anim TYPE DELAY FRAME...   appends a block animation (cell value -n shows the n-th)
//   layer                followed by H lines of W cell values
//   chunk ID HEX...      appends an extra chunk with the given body bytes
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "fmp_writer.h"
#include "platform/video/pixmap.h"

namespace {

[[noreturn]] void Fail(const std::string& file, int line, const std::string& what) {
    std::cerr << file << ":" << line << ": " << what << "\n";
    std::exit(1);
}

std::vector<uint8_t> ParseHex(const std::string& text) {
    std::vector<uint8_t> out;
    std::string digits;
    for (char ch : text)
        if (std::isxdigit(static_cast<unsigned char>(ch))) digits += ch;
    if (digits.size() % 2) throw std::invalid_argument("odd number of hex digits");
    for (std::size_t i = 0; i < digits.size(); i += 2)
        out.push_back(uint8_t(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

void AddTilesFromPicture(FmpDocument& doc, const std::string& path) {
    sq::PixmapRef pic = sq::LoadPixmapPNG(path);
    if (!pic) throw std::invalid_argument("cannot read picture " + path);
    for (int ty = 0; ty + doc.blockHeight <= pic->height; ty += doc.blockHeight) {
        for (int tx = 0; tx + doc.blockWidth <= pic->width; tx += doc.blockWidth) {
            std::vector<uint8_t> tile;
            for (int y = 0; y < doc.blockHeight; ++y) {
                for (int x = 0; x < doc.blockWidth; ++x) {
                    uint32_t argb = sq::PixmapGetPixel(pic, tx + x, ty + y);
                    uint8_t a = uint8_t(argb >> 24), r = uint8_t(argb >> 16), g = uint8_t(argb >> 8), b = uint8_t(argb);
                    if (r == 255 && g == 0 && b == 255) a = 0;
                    tile.insert(tile.end(), {r, g, b, a});
                }
            }
            doc.tileGraphicsRGBA.push_back(std::move(tile));
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: fmpwrite DESCRIPTION.txt OUT.FMP\n";
        return 2;
    }
    const std::string source = argv[1];
    std::ifstream in(source);
    if (!in) {
        std::cerr << "fmpwrite: cannot read " << source << "\n";
        return 1;
    }
    FmpDocument doc;
    std::string line;
    int lineNo = 0;
    auto nextLine = [&](std::string& out) {
        while (std::getline(in, out)) {
            ++lineNo;
            auto hash = out.find('#');
            if (hash != std::string::npos) out.erase(hash);
            if (out.find_first_not_of(" \t\r") != std::string::npos) return true;
        }
        return false;
    };
    while (nextLine(line)) {
        std::istringstream s(line);
        std::string word;
        s >> word;
        try {
            if (word == "version") {
                s >> doc.version;
            } else if (word == "order") {
                std::string o;
                s >> o;
                if (o != "little" && o != "big") throw std::invalid_argument("order is little or big");
                doc.bigEndian = o == "big";
            } else if (word == "runlength") {
                int v = 0;
                s >> v;
                doc.runLength = v != 0;
            } else if (word == "depth") {
                s >> doc.depth;
            } else if (word == "map") {
                s >> doc.mapWidth >> doc.mapHeight;
            } else if (word == "block") {
                s >> doc.blockWidth >> doc.blockHeight;
            } else if (word == "key") {
                s >> doc.keyRed >> doc.keyGreen >> doc.keyBlue;
                if (!(s >> doc.keyIndex8)) doc.keyIndex8 = 0;
                s.clear();
            } else if (word == "gap") {
                s >> doc.blockGapX >> doc.blockGapY;
            } else if (word == "stagger") {
                s >> doc.blockStaggerX >> doc.blockStaggerY;
            } else if (word == "clickmask") {
                s >> doc.clickMask;
            } else if (word == "headersize") {
                s >> doc.headerSize;
            } else if (word == "tile") {
                std::string hex;
                s >> hex;
                std::vector<uint8_t> c = ParseHex(hex);
                if (c.size() != 3 && c.size() != 4) throw std::invalid_argument("tile colour is RRGGBB or RRGGBBAA");
                doc.tileGraphicsRGBA.push_back(
                    MakeSolidTile(doc.blockWidth, doc.blockHeight, c[0], c[1], c[2], c.size() == 4 ? c[3] : 255));
            } else if (word == "tiles") {
                std::string path;
                s >> path;
                AddTilesFromPicture(doc, path);
            } else if (word == "blockdef") {
                FmpBlockDef b;
                int flags = 0;
                s >> b.bgGraphic >> b.fgGraphic >> b.fgGraphic2 >> b.fgGraphic3 >> flags;
                if (!s) throw std::invalid_argument("blockdef needs BG FG FG2 FG3 FLAGS");
                b.flags = uint8_t(flags);
                int u3 = 0, u4 = 0, u5 = 0, u6 = 0, u7 = 0;
                if (s >> b.user1 >> b.user2 >> u3 >> u4 >> u5 >> u6 >> u7) {
                    b.user3 = int16_t(u3);
                    b.user4 = int16_t(u4);
                    b.user5 = uint8_t(u5);
                    b.user6 = uint8_t(u6);
                    b.user7 = uint8_t(u7);
                }
                doc.blocks.push_back(b);
            } else if (word == "anim") {
                FmpAnimDef a;
                s >> a.animType >> a.delay;
                for (int f; s >> f;) a.frames.push_back(f);
                if (a.frames.empty()) throw std::invalid_argument("anim needs TYPE DELAY and at least one frame");
                doc.anims.push_back(a);
            } else if (word == "layer") {
                std::vector<int16_t> cells;
                for (int row = 0; row < doc.mapHeight; ++row) {
                    std::string rowText;
                    if (!nextLine(rowText)) throw std::invalid_argument("layer ends early");
                    std::istringstream r(rowText);
                    int count = 0;
                    for (int v; r >> v; ++count) cells.push_back(int16_t(v));
                    if (count != doc.mapWidth)
                        Fail(source, lineNo,
                             "layer row has " + std::to_string(count) + " values, not " + std::to_string(doc.mapWidth));
                }
                doc.layers.push_back(std::move(cells));
            } else if (word == "chunk") {
                FmpChunk c;
                s >> c.id;
                std::string rest;
                std::getline(s, rest);
                c.body = ParseHex(rest);
                doc.extraChunks.push_back(std::move(c));
            } else {
                throw std::invalid_argument("unknown statement \"" + word + "\"");
            }
        } catch (const std::exception& e) {
            Fail(source, lineNo, e.what());
        }
    }
    try {
        SaveFmp(doc, argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "fmpwrite: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
