#pragma once
// Inside the tile painter: its colours, a canvas to paint on, and the solid
// blocks (tile_blocks.cpp) that the other pictures (tile_art.cpp) stand on.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <vector>

#include "tile_art.h"

namespace levels::art {

// ---- Colours (0 = see-through) ----
constexpr uint32_t Rgb(int r, int g, int b) { return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

inline constexpr uint32_t kClear = 0;
// snow
inline constexpr uint32_t kSnow = Rgb(250, 252, 255), kSnowLight = Rgb(222, 236, 250), kSnowShade = Rgb(180, 206, 234),
                          kSnowDeep = Rgb(136, 170, 214);
// frozen earth
inline constexpr uint32_t kEarthDark = Rgb(84, 52, 38), kEarth = Rgb(116, 76, 50), kEarthLight = Rgb(146, 100, 64),
                          kPebble = Rgb(120, 112, 110), kPebbleLight = Rgb(160, 152, 148);
// ice
inline constexpr uint32_t kIceWhite = Rgb(236, 250, 255), kIceLight = Rgb(190, 234, 252), kIceMid = Rgb(136, 204, 244),
                          kIceDark = Rgb(82, 156, 214), kIceDeep = Rgb(52, 110, 176);
// wood
inline constexpr uint32_t kWoodLight = Rgb(200, 144, 84), kWood = Rgb(164, 106, 58), kWoodDark = Rgb(112, 68, 38),
                          kWoodEdge = Rgb(70, 42, 26), kNail = Rgb(200, 200, 210);
// brick
inline constexpr uint32_t kBrickLight = Rgb(206, 96, 72), kBrickMid = Rgb(176, 60, 46), kBrickDark = Rgb(126, 38, 34),
                          kMortar = Rgb(214, 200, 188);
// rock
inline constexpr uint32_t kRockLight = Rgb(172, 174, 186), kRockMid = Rgb(130, 132, 146), kRockDark = Rgb(86, 88, 104),
                          kRockEdge = Rgb(58, 60, 74);
// candy
inline constexpr uint32_t kCandyRed = Rgb(222, 32, 52), kCandyRedDark = Rgb(160, 20, 40),
                          kCandyWhite = Rgb(252, 250, 250), kCandyShade = Rgb(226, 206, 212);
// greens and lights
inline constexpr uint32_t kPineDark = Rgb(18, 82, 48), kPine = Rgb(30, 124, 62), kPineLight = Rgb(64, 168, 84),
                          kTrunk = Rgb(96, 60, 36), kTrunkDark = Rgb(66, 40, 26);
inline constexpr uint32_t kGold = Rgb(255, 214, 40), kGoldLight = Rgb(255, 246, 160), kGoldDark = Rgb(206, 150, 20);
inline constexpr uint32_t kBulbRed = Rgb(255, 60, 60), kBulbYellow = Rgb(255, 226, 70), kBulbBlue = Rgb(80, 150, 255),
                          kBulbPink = Rgb(255, 130, 200), kBulbGreen = Rgb(90, 230, 110), kBulbOff = Rgb(90, 60, 70);
inline constexpr uint32_t kIron = Rgb(44, 48, 64), kIronLight = Rgb(92, 98, 122), kScarf = Rgb(214, 36, 48),
                          kScarfDark = Rgb(150, 20, 32);
inline constexpr uint32_t kSignRed = Rgb(190, 28, 40), kSignEdge = Rgb(96, 20, 26), kChain = Rgb(120, 120, 136);
inline constexpr uint32_t kFenceWhite = Rgb(244, 242, 236), kFenceShade = Rgb(190, 190, 200);

inline uint32_t Hash(int x, int y, int seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + uint32_t(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

// A picture of any size, cut into tiles at the end.
class TCanvas {
public:
    TCanvas(int w, int h) : w_(w), h_(h), px_(size_t(w) * h, kClear) {}
    void Set(int x, int y, uint32_t c) {
        if (x >= 0 && y >= 0 && x < w_ && y < h_) px_[size_t(y) * w_ + x] = c;
    }
    uint32_t Get(int x, int y) const {
        return (x >= 0 && y >= 0 && x < w_ && y < h_) ? px_[size_t(y) * w_ + x] : kClear;
    }
    void Rect(int x, int y, int w, int h, uint32_t c) {
        for (int yy = y; yy < y + h; ++yy)
            for (int xx = x; xx < x + w; ++xx) Set(xx, yy, c);
    }
    // Rows of characters; each character names a colour in `colours`, '.' is left alone.
    void Pattern(int x0, int y0, std::initializer_list<const char*> rows, const std::map<char, uint32_t>& colours) {
        int y = y0;
        for (const char* row : rows) {
            for (int x = 0; row[x]; ++x) {
                auto it = colours.find(row[x]);
                if (it != colours.end()) Set(x0 + x, y, it->second);
            }
            ++y;
        }
    }
    void Disc(int cx, int cy, int r, uint32_t c) {
        for (int y = -r; y <= r; ++y)
            for (int x = -r; x <= r; ++x)
                if (x * x + y * y <= r * r + r / 2) Set(cx + x, cy + y, c);
    }
    TTilePixels Cut(int tx, int ty) const {
        TTilePixels out(kTileSize * kTileSize * 4, 0);
        for (int y = 0; y < kTileSize; ++y)
            for (int x = 0; x < kTileSize; ++x) {
                uint32_t c = Get(tx * kTileSize + x, ty * kTileSize + y);
                uint8_t* p = &out[(size_t(y) * kTileSize + x) * 4];
                p[0] = uint8_t(c >> 16);
                p[1] = uint8_t(c >> 8);
                p[2] = uint8_t(c);
                p[3] = uint8_t(c >> 24);
            }
        return out;
    }

private:
    int w_, h_;
    std::vector<uint32_t> px_;
};

// Paints snow over the top of a block; `openLeft`/`openRight` round the
// open corners.
void SnowCap(TCanvas& c, int seed, bool openLeft, bool openRight, int extra = 0);

// The solid blocks, 16 x 16.
void PaintEarth(TCanvas& c, int variant);
void PaintBrick(TCanvas& c, int variant);
void PaintPlank(TCanvas& c, int variant);
void PaintIce(TCanvas& c, int variant);
void PaintRock(TCanvas& c, int variant);
void PaintCandyPost(TCanvas& c, int variant);

// The places of the later levels (tile_places.cpp), 16 x 16.
void PaintCaveRock(TCanvas& c, int variant);
void PaintLakeIce(TCanvas& c, int variant);
void PaintFactoryFloor(TCanvas& c, int variant);
void PaintFactoryWall(TCanvas& c, int variant);
void PaintCrate(TCanvas& c, int variant);
void PaintBelt(TCanvas& c, int variant, int frame);
void PaintHouseWall(TCanvas& c, int variant, int frame);  // 1: with a lit window, 2: tower stone, 3: its window

}  // namespace levels::art
