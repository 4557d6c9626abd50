#include "tile_art.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <map>

namespace levels {
namespace {

// ---- Colours (0 = see-through) ----
constexpr uint32_t Rgb(int r, int g, int b) { return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); }

constexpr uint32_t kClear = 0;
// snow
constexpr uint32_t kSnow = Rgb(250, 252, 255), kSnowLight = Rgb(222, 236, 250), kSnowShade = Rgb(180, 206, 234),
                   kSnowDeep = Rgb(136, 170, 214);
// frozen earth
constexpr uint32_t kEarthDark = Rgb(84, 52, 38), kEarth = Rgb(116, 76, 50), kEarthLight = Rgb(146, 100, 64),
                   kPebble = Rgb(120, 112, 110), kPebbleLight = Rgb(160, 152, 148);
// ice
constexpr uint32_t kIceWhite = Rgb(236, 250, 255), kIceLight = Rgb(190, 234, 252), kIceMid = Rgb(136, 204, 244),
                   kIceDark = Rgb(82, 156, 214), kIceDeep = Rgb(52, 110, 176);
// wood
constexpr uint32_t kWoodLight = Rgb(200, 144, 84), kWood = Rgb(164, 106, 58), kWoodDark = Rgb(112, 68, 38),
                   kWoodEdge = Rgb(70, 42, 26), kNail = Rgb(200, 200, 210);
// brick
constexpr uint32_t kBrickLight = Rgb(206, 96, 72), kBrickMid = Rgb(176, 60, 46), kBrickDark = Rgb(126, 38, 34),
                   kMortar = Rgb(214, 200, 188);
// rock
constexpr uint32_t kRockLight = Rgb(172, 174, 186), kRockMid = Rgb(130, 132, 146), kRockDark = Rgb(86, 88, 104),
                   kRockEdge = Rgb(58, 60, 74);
// candy
constexpr uint32_t kCandyRed = Rgb(222, 32, 52), kCandyRedDark = Rgb(160, 20, 40), kCandyWhite = Rgb(252, 250, 250),
                   kCandyShade = Rgb(226, 206, 212);
// greens and lights
constexpr uint32_t kPineDark = Rgb(18, 82, 48), kPine = Rgb(30, 124, 62), kPineLight = Rgb(64, 168, 84),
                   kTrunk = Rgb(96, 60, 36), kTrunkDark = Rgb(66, 40, 26);
constexpr uint32_t kGold = Rgb(255, 214, 40), kGoldLight = Rgb(255, 246, 160), kGoldDark = Rgb(206, 150, 20);
constexpr uint32_t kBulbRed = Rgb(255, 60, 60), kBulbYellow = Rgb(255, 226, 70), kBulbBlue = Rgb(80, 150, 255),
                   kBulbPink = Rgb(255, 130, 200), kBulbGreen = Rgb(90, 230, 110), kBulbOff = Rgb(90, 60, 70);
constexpr uint32_t kIron = Rgb(44, 48, 64), kIronLight = Rgb(92, 98, 122), kScarf = Rgb(214, 36, 48),
                   kScarfDark = Rgb(150, 20, 32);
constexpr uint32_t kSignRed = Rgb(190, 28, 40), kSignEdge = Rgb(96, 20, 26), kChain = Rgb(120, 120, 136);
constexpr uint32_t kFenceWhite = Rgb(244, 242, 236), kFenceShade = Rgb(190, 190, 200);

uint32_t Hash(int x, int y, int seed) {
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

// ---- Snow lying on top of a block ----
// The depth of the snow in each column; it wanders a little so that a row of
// blocks shows a soft drift rather than a ruler line, and it meets itself at
// the tile's edges.
int SnowDepth(int x, int seed) {
    static const int kProfiles[2][16] = {{5, 5, 6, 6, 5, 4, 4, 5, 6, 7, 6, 5, 5, 4, 4, 5},
                                         {5, 6, 7, 6, 5, 5, 4, 4, 5, 5, 6, 6, 5, 4, 5, 5}};
    return kProfiles[seed & 1][x];
}

// Paints snow over the top of a block; `left`/`right` round the open corners.
void SnowCap(TCanvas& c, int seed, bool openLeft, bool openRight, int extra = 0) {
    for (int x = 0; x < 16; ++x) {
        int d = SnowDepth(x, seed) + extra;
        for (int y = 0; y < d; ++y) {
            uint32_t col = y == d - 1 ? kSnowShade : (y == d - 2 ? kSnowLight : kSnow);
            c.Set(x, y, col);
        }
        c.Set(x, d, kSnowDeep);  // the shadow the snow casts
        if (Hash(x, 0, seed) % 9 == 0) c.Set(x, 1, kSnowLight);
    }
    if (openLeft) {
        c.Set(0, 0, kClear);
        c.Set(1, 0, kSnowLight);
        c.Set(0, 1, kSnowLight);
    }
    if (openRight) {
        c.Set(15, 0, kClear);
        c.Set(14, 0, kSnowLight);
        c.Set(15, 1, kSnowLight);
    }
}

void PaintEarth(TCanvas& c, int variant) {
    int seed = (variant & 8) ? 7 : 3;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            uint32_t h = Hash(x, y, seed);
            uint32_t col = kEarth;
            if (h % 7 == 0)
                col = kEarthDark;
            else if (h % 13 == 0)
                col = kEarthLight;
            c.Set(x, y, col);
        }
    // a few frozen pebbles
    for (int i = 0; i < 3; ++i) {
        uint32_t h = Hash(i, 99, seed);
        int px = int(h % 13) + 1, py = int((h >> 8) % 12) + 3;
        c.Set(px, py, kPebble);
        c.Set(px + 1, py, kPebble);
        c.Set(px, py - 1, kPebbleLight);
    }
    if (variant & 2) c.Rect(0, 0, 1, 16, kEarthDark);
    if (variant & 4) c.Rect(15, 0, 1, 16, kEarthDark);
    if (variant & 1) SnowCap(c, seed, variant & 2, variant & 4);
}

void PaintBrick(TCanvas& c, int variant) {
    for (int y = 0; y < 16; ++y) {
        int row = y / 4, off = (row % 2) * 4;
        for (int x = 0; x < 16; ++x) {
            uint32_t col = kBrickMid;
            int bx = (x + off) % 8, by = y % 4;
            if (by == 3 || bx == 7)
                col = kMortar;
            else if (by == 0)
                col = kBrickLight;
            else if (by == 2 && bx > 0)
                col = kBrickDark;
            else if (Hash(x, y, 5) % 11 == 0)
                col = kBrickDark;
            c.Set(x, y, col);
        }
    }
    if (variant & 1) SnowCap(c, 11, variant & 2, variant & 4, -1);
}

void PaintPlank(TCanvas& c, int variant) {
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            uint32_t col = (y < 8) ? kWood : kWoodLight;
            if (y == 0 || y == 15)
                col = kWoodEdge;
            else if (y == 7 || y == 8)
                col = kWoodDark;
            else if (Hash(x / 3, y, 9) % 5 == 0)
                col = (y < 8) ? kWoodDark : kWood;
            c.Set(x, y, col);
        }
    for (int ny : {4, 11}) {
        c.Set(2, ny, kNail);
        c.Set(13, ny, kNail);
    }
    if (variant & 2) c.Rect(0, 0, 1, 16, kWoodEdge);
    if (variant & 4) c.Rect(15, 0, 1, 16, kWoodEdge);
    if (variant & 1) SnowCap(c, 2, variant & 2, variant & 4, -2);
}

void PaintIce(TCanvas& c, int variant) {
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            uint32_t col = kIceMid;
            if (x == 0 || y == 0)
                col = kIceLight;
            else if (x == 15 || y == 15)
                col = kIceDeep;
            else if (x == 14 || y == 14)
                col = kIceDark;
            else if (x + y == 7 || x + y == 8 || x + y == 18)
                col = kIceLight;
            else if ((x * 3 + y * 5) % 17 == 0)
                col = kIceDark;
            c.Set(x, y, col);
        }
    c.Set(3, 3, kIceWhite);
    c.Set(4, 2, kIceWhite);
    c.Set(11, 12, kIceWhite);
    if (variant & 1)
        for (int x = 0; x < 16; ++x) {
            int d = 2 + (x % 5 == 2 ? 1 : 0);
            for (int y = 0; y < d; ++y) c.Set(x, y, y == d - 1 ? kSnowLight : kSnow);
        }
}

void PaintRock(TCanvas& c, int variant) {
    c.Rect(0, 0, 16, 16, kRockDark);
    // three cobbles that fill the block
    struct Stone {
        int x, y, w, h;
    };
    const Stone a[] = {{0, 0, 9, 7}, {9, 0, 7, 8}, {0, 7, 6, 9}, {6, 8, 10, 8}};
    const Stone b[] = {{0, 0, 6, 8}, {6, 0, 10, 6}, {0, 8, 10, 8}, {10, 6, 6, 10}};
    const Stone* s = (variant & 8) ? b : a;
    for (int i = 0; i < 4; ++i) {
        const Stone& st = s[i];
        for (int y = st.y + 1; y < st.y + st.h - 1; ++y)
            for (int x = st.x + 1; x < st.x + st.w - 1; ++x) {
                uint32_t col = kRockMid;
                if (y == st.y + 1 || x == st.x + 1)
                    col = kRockLight;
                else if (y == st.y + st.h - 2 || x == st.x + st.w - 2)
                    col = kRockEdge;
                c.Set(x, y, col);
            }
    }
    if (variant & 1) SnowCap(c, 1, false, false, -1);
}

void PaintCandyPost(TCanvas& c, int variant) {
    for (int y = 0; y < 16; ++y)
        for (int x = 4; x < 12; ++x) {
            bool red = ((x + y) / 3) % 2 == 0;
            uint32_t col = red ? kCandyRed : kCandyWhite;
            if (x == 4 || x == 11) col = red ? kCandyRedDark : kCandyShade;
            c.Set(x, y, col);
        }
    if (variant & 1) {
        // a round cap with a little snow on it
        c.Rect(4, 0, 8, 3, kClear);
        c.Rect(5, 1, 6, 2, kSnowLight);
        c.Rect(4, 2, 8, 2, kSnow);
        c.Set(3, 3, kSnowShade);
        c.Set(12, 3, kSnowShade);
        c.Rect(6, 0, 4, 1, kSnow);
    }
}

// ---- Gifts ----
struct TGiftColours {
    uint32_t main, shade, lid, ribbon, ribbonShade, outline;
};
const TGiftColours kGiftColours[5] = {
    {Rgb(214, 40, 48), Rgb(150, 22, 34), Rgb(240, 100, 100), kGold, kGoldDark, Rgb(90, 16, 24)},
    {Rgb(46, 160, 76), Rgb(24, 104, 50), Rgb(112, 206, 122), Rgb(232, 40, 50), Rgb(150, 20, 30), Rgb(16, 60, 30)},
    {Rgb(66, 112, 224), Rgb(36, 64, 150), Rgb(132, 172, 250), Rgb(250, 250, 250), Rgb(180, 190, 210), Rgb(24, 34, 90)},
    {Rgb(240, 190, 50), Rgb(184, 130, 24), Rgb(255, 230, 130), Rgb(220, 40, 60), Rgb(150, 20, 34), Rgb(110, 70, 10)},
    {Rgb(40, 186, 186), Rgb(22, 120, 130), Rgb(130, 230, 226), kGold, kGoldDark, Rgb(14, 70, 80)},
};

void PaintGift(TCanvas& c, int colour) {
    const TGiftColours& k = kGiftColours[colour];
    c.Pattern(0, 0,
              {"................", "...rRr....rRr...", "..rR.Rr..rR.Rr..", "...rRRr..rRRr...", ".....rRRRRr.....",
               ".KKKKKKRRKKKKKK.", ".KWLLLLRRLLLLLK.", ".KMMMMMRRMMMMMK.", ".KKKKKKRRKKKKKK.", "..KMMMMRRMMMMK..",
               "..KMMMMRRMMMMK..", "..KMMMMRRMMMMK..", "..KmMMMRRMMMmK..", "..KmmMMRRMMmmK..", "..KmmmmrrmmmmK..",
               "..KKKKKKKKKKKK.."},
              {{'M', k.main},
               {'m', k.shade},
               {'L', k.lid},
               {'R', k.ribbon},
               {'r', k.ribbonShade},
               {'K', k.outline},
               {'W', kSnow}});
}

void Sparkle(TCanvas& c, int x, int y, int size) {
    c.Set(x, y, kSnow);
    for (int i = 1; i <= size; ++i) {
        uint32_t col = i == size ? kGoldLight : kSnow;
        c.Set(x + i, y, col);
        c.Set(x - i, y, col);
        c.Set(x, y + i, col);
        c.Set(x, y - i, col);
    }
}

void PaintSparkleGift(TCanvas& c, int frame) {
    PaintGift(c, 4);
    static const int kSpots[4][3] = {{13, 3, 2}, {3, 10, 1}, {12, 11, 2}, {7, 1, 1}};
    Sparkle(c, kSpots[frame][0], kSpots[frame][1], kSpots[frame][2]);
}

// ---- The exit: a door under a glowing sign, 32 x 32 ----
void PaintDoor(TCanvas& c, int frame) {
    static const uint32_t kGlow[4] = {Rgb(232, 168, 60), Rgb(246, 198, 84), Rgb(255, 226, 120), Rgb(255, 248, 196)};
    const uint32_t glow = kGlow[frame], glowSoft = kGlow[std::max(0, frame - 1)];
    // sign on two chains
    c.Set(8, 0, kChain);
    c.Set(8, 1, kChain);
    c.Set(23, 0, kChain);
    c.Set(23, 1, kChain);
    c.Rect(5, 2, 22, 9, kSignEdge);
    c.Rect(6, 3, 20, 7, kSignRed);
    static const char* kLetters[4][5] = {{"###", "#..", "##.", "#..", "###"},
                                         {"#.#", "#.#", ".#.", "#.#", "#.#"},
                                         {"###", ".#.", ".#.", ".#.", "###"},
                                         {"###", ".#.", ".#.", ".#.", ".#."}};
    for (int l = 0; l < 4; ++l)
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 3; ++x)
                if (kLetters[l][y][x] == '#') c.Set(9 + l * 4 + x, 4 + y, glow);
    // stone arch
    for (int y = 11; y < 32; ++y)
        for (int x = 3; x < 29; ++x) {
            int dx = x - 16, dy = y - 19;
            bool inArch = y >= 19 || dx * dx * 1 + dy * dy * 2 <= 13 * 13 * 1;
            if (!inArch) continue;
            c.Set(x, y, ((x + y) % 5 == 0) ? kRockDark : kRockMid);
        }
    // wooden door inside the arch
    for (int y = 14; y < 32; ++y)
        for (int x = 6; x < 26; ++x) {
            int dx = x - 16, dy = y - 20;
            bool inDoor = y >= 20 || dx * dx + dy * dy * 2 <= 10 * 10;
            if (!inDoor) continue;
            uint32_t col = (x % 5 == 0) ? kWoodDark : ((x % 5 == 1) ? kWoodLight : kWood);
            c.Set(x, y, col);
        }
    // warm light from two little windows and under the door
    c.Rect(9, 19, 4, 4, glow);
    c.Rect(19, 19, 4, 4, glow);
    c.Set(9, 19, glowSoft);
    c.Set(19, 19, glowSoft);
    c.Rect(10, 19, 1, 4, kWoodEdge);
    c.Rect(20, 19, 1, 4, kWoodEdge);
    c.Rect(7, 31, 18, 1, glow);
    // wreath with a red bow
    for (int a = 0; a < 16; ++a) {
        static const int ring[16][2] = {{0, -3}, {1, -3}, {2, -2}, {3, -1}, {3, 0},  {3, 1},   {2, 2},   {1, 3},
                                        {0, 3},  {-1, 3}, {-2, 2}, {-3, 1}, {-3, 0}, {-3, -1}, {-2, -2}, {-1, -3}};
        c.Set(16 + ring[a][0], 25 + ring[a][1], a % 3 == 0 ? kPineLight : kPine);
    }
    c.Set(15, 28, kScarf);
    c.Set(16, 28, kScarf);
    c.Set(17, 28, kScarf);
    c.Set(18, 24, kBulbYellow);
    c.Set(14, 23, kBulbRed);
    c.Set(23, 26, kGold);  // door knob
    // snow on the arch
    for (int x = 6; x < 26; ++x) {
        int dx = x - 16;
        int top = 11 + (dx * dx) / 16;
        c.Set(x, top - 1, kSnow);
        c.Set(x, top, kSnowLight);
    }
}

// ---- Fir tree, 48 x 64, with lights ----
void PaintTree(TCanvas& c, int frame) {
    struct Tier {
        int top, bottom, halfTop, halfBottom;
    };
    const Tier tiers[] = {{6, 22, 2, 12}, {17, 38, 5, 18}, {31, 54, 8, 23}};
    for (const Tier& t : tiers)
        for (int y = t.top; y <= t.bottom; ++y) {
            int half = t.halfTop + (t.halfBottom - t.halfTop) * (y - t.top) / (t.bottom - t.top);
            if (y == t.bottom) half -= 1;
            for (int x = 24 - half; x <= 24 + half; ++x) {
                uint32_t col = x < 24 - half / 3 ? kPineLight : (x > 24 + half / 2 ? kPineDark : kPine);
                if (x == 24 - half || x == 24 + half) col = kPineDark;
                if (y >= t.bottom - 1 && ((x / 3) % 2 == 0)) col = kPineDark;  // scalloped hem
                c.Set(x, y, col);
            }
            // snow along the upper left of each tier
            if (y > t.top + 2 && (y - t.top) % 5 == 0) {
                c.Set(24 - half + 1, y, kSnow);
                c.Set(24 - half + 2, y, kSnowLight);
            }
        }
    c.Rect(21, 54, 6, 10, kTrunk);
    c.Rect(25, 54, 2, 10, kTrunkDark);
    // star on top
    uint32_t star = frame == 1 ? kGoldLight : kGold;
    c.Pattern(21, 0, {"...#...", "..###..", "#######", ".#####.", "..#.#.."}, {{'#', star}});
    c.Set(24, 2, kSnow);
    // bulbs: only above the bottom row of blocks, so that row never needs to animate
    static const int kBulbs[][2] = {{22, 12}, {27, 16}, {19, 20}, {25, 24}, {17, 28}, {30, 29}, {22, 32}, {14, 36},
                                    {28, 35}, {33, 38}, {19, 41}, {25, 44}, {12, 45}, {36, 46}, {30, 42}, {16, 33}};
    static const uint32_t kColours[4] = {kBulbRed, kBulbYellow, kBulbBlue, kBulbPink};
    for (int i = 0; i < int(std::size(kBulbs)); ++i) {
        int x = kBulbs[i][0], y = kBulbs[i][1];
        if (y >= 47) continue;
        uint32_t col = kColours[(i + frame) % 4];
        if ((i + frame) % 3 == 0) col = kBulbOff;
        c.Set(x, y, col);
        c.Set(x, y + 1, col == kBulbOff ? kPineDark : kGoldLight);
    }
}

// ---- Lamp post, 16 x 48 ----
void PaintLamp(TCanvas& c, int frame) {
    static const uint32_t kLight[3] = {Rgb(255, 214, 110), Rgb(255, 234, 160), Rgb(255, 250, 214)};
    // head (top block)
    c.Rect(4, 1, 8, 2, kIron);
    c.Rect(6, 0, 4, 1, kIron);
    c.Set(7, 0, kSnow);
    c.Set(8, 0, kSnow);
    c.Rect(4, 3, 8, 9, kIron);
    c.Rect(5, 4, 6, 7, kLight[frame]);
    c.Rect(7, 4, 2, 7, kLight[std::min(2, frame + 1)]);
    c.Set(3, 6, frame == 2 ? kGoldLight : kClear);
    c.Set(12, 6, frame == 2 ? kGoldLight : kClear);
    c.Rect(5, 12, 6, 2, kIron);
    c.Rect(7, 14, 2, 2, kIron);
    // post
    c.Rect(7, 16, 2, 28, kIron);
    c.Rect(7, 16, 1, 28, kIronLight);
    // a ribbon wound round the post
    for (int y = 18; y < 42; y += 6) {
        c.Set(6, y, kScarf);
        c.Set(9, y + 1, kScarf);
        c.Set(6, y + 2, kScarfDark);
    }
    // foot with snow
    c.Rect(5, 42, 6, 3, kIron);
    c.Rect(4, 45, 8, 3, kIron);
    c.Rect(3, 45, 3, 3, kSnow);
    c.Rect(10, 46, 3, 2, kSnowLight);
}

// ---- Signpost, 16 x 32: a wooden post with a red arrow board pointing on ----
void PaintSignpost(TCanvas& c) {
    // the post, sunk in a heap of snow
    c.Rect(7, 4, 3, 26, kWood);
    c.Rect(7, 4, 1, 26, kWoodLight);
    c.Rect(9, 4, 1, 26, kWoodDark);
    c.Rect(6, 3, 5, 1, kWoodEdge);
    c.Rect(6, 2, 5, 1, kSnow);
    c.Rect(4, 29, 9, 3, kSnowShade);
    c.Rect(5, 29, 7, 2, kSnow);
    // the arrow board, snow on its top edge
    c.Rect(1, 7, 11, 7, kSignEdge);
    c.Rect(2, 8, 10, 5, kSignRed);
    for (int i = 0; i < 4; ++i) c.Rect(12 + i, 7 + i, 1, 7 - 2 * i, i == 3 ? kSignEdge : kSignRed);
    c.Rect(12, 7, 1, 1, kSignEdge);
    c.Rect(1, 6, 12, 1, kSnow);
    c.Rect(4, 10, 6, 1, kCandyWhite);  // the painted arrow shaft
    c.Set(9, 9, kCandyWhite);
    c.Set(9, 11, kCandyWhite);
    // a second, plain board lower down
    c.Rect(3, 17, 10, 4, kWoodEdge);
    c.Rect(4, 18, 8, 2, kWoodLight);
    c.Rect(3, 16, 10, 1, kSnow);
    c.Rect(5, 18, 2, 1, kNail);
    c.Rect(10, 18, 1, 1, kNail);
}

void PaintGarland(TCanvas& c, int frame) {
    static const int kSag[16] = {1, 2, 3, 4, 4, 5, 5, 5, 5, 5, 5, 4, 4, 3, 2, 1};
    for (int x = 0; x < 16; ++x) {
        c.Set(x, kSag[x], kPine);
        c.Set(x, kSag[x] + 1, (x % 2) ? kPineDark : kPineLight);
    }
    static const uint32_t kColours[4] = {kBulbRed, kBulbYellow, kBulbBlue, kBulbGreen};
    const int bulbs[3] = {3, 8, 13};
    for (int i = 0; i < 3; ++i) {
        int x = bulbs[i], y = kSag[x] + 2;
        uint32_t col = kColours[(i + frame) % 4];
        c.Set(x, y, kIron);
        c.Rect(x, y + 1, 2, 2, col);
        c.Set(x, y + 1, kGoldLight);
    }
}

void PaintStar(TCanvas& c, int variant, int frame) {
    uint32_t core = variant ? kSnow : kGoldLight, ray = variant ? kIceLight : kGold;
    int cx = 7 + variant, cy = 7 - variant;
    c.Set(cx, cy, core);
    int len = frame + 1;
    for (int i = 1; i <= len; ++i) {
        uint32_t col = i == len ? ray : core;
        c.Set(cx + i, cy, col);
        c.Set(cx - i, cy, col);
        c.Set(cx, cy + i, col);
        c.Set(cx, cy - i, col);
    }
    if (frame >= 2) {
        c.Set(cx + 1, cy + 1, ray);
        c.Set(cx - 1, cy - 1, ray);
        c.Set(cx + 1, cy - 1, ray);
        c.Set(cx - 1, cy + 1, ray);
    }
}

void PaintIcicles(TCanvas& c, int variant) {
    static const int kSpikes[2][5][2] = {{{1, 6}, {4, 10}, {7, 5}, {10, 12}, {13, 7}},
                                         {{2, 9}, {5, 5}, {8, 11}, {12, 6}, {14, 4}}};
    for (int x = 0; x < 16; ++x) c.Set(x, 0, kIceLight);
    for (const auto& s : kSpikes[variant]) {
        for (int y = 0; y < s[1]; ++y) {
            c.Set(s[0], y, y < 2 ? kIceWhite : kIceLight);
            if (y < s[1] * 2 / 3) c.Set(s[0] + 1, y, kIceMid);
        }
    }
}

void PaintFence(TCanvas& c) {
    for (int px : {2, 10}) {
        c.Rect(px, 4, 4, 12, kFenceWhite);
        c.Rect(px + 3, 4, 1, 12, kFenceShade);
        c.Rect(px + 1, 2, 2, 2, kFenceWhite);
        c.Set(px + 1, 2, kSnow);
        c.Rect(px, 3, 4, 1, kSnow);
    }
    c.Rect(0, 7, 16, 2, kFenceWhite);
    c.Rect(0, 9, 16, 1, kFenceShade);
    c.Rect(0, 12, 16, 2, kFenceWhite);
    c.Rect(0, 14, 16, 1, kFenceShade);
}

}  // namespace

bool TileIsEmpty(const TTilePixels& tile) {
    for (size_t i = 3; i < tile.size(); i += 4)
        if (tile[i]) return false;
    return true;
}

TTilePixels PaintPiece(const TPiece& p, int frame) {
    switch (p.kind) {
        case kDoor: {
            TCanvas c(32, 32);
            PaintDoor(c, frame);
            static const int kCut[4][2] = {{0, 1}, {1, 1}, {0, 0}, {1, 0}};
            return c.Cut(kCut[p.variant][0], kCut[p.variant][1]);
        }
        case kTree: {
            TCanvas c(48, 64);
            PaintTree(c, frame);
            return c.Cut(p.variant % 3, p.variant / 3);
        }
        case kLamp: {
            TCanvas c(16, 48);
            PaintLamp(c, frame);
            return c.Cut(0, 2 - p.variant);
        }
        case kSignpost: {
            TCanvas c(16, 32);
            PaintSignpost(c);
            return c.Cut(0, 1 - p.variant);
        }
        default:
            break;
    }
    TCanvas c(16, 16);
    switch (p.kind) {
        case kSnowEarth:
            PaintEarth(c, p.variant);
            break;
        case kBrick:
            PaintBrick(c, p.variant);
            break;
        case kPlank:
            PaintPlank(c, p.variant);
            break;
        case kIce:
            PaintIce(c, p.variant);
            break;
        case kRock:
            PaintRock(c, p.variant);
            break;
        case kCandyPost:
            PaintCandyPost(c, p.variant);
            break;
        case kGift:
            PaintGift(c, p.variant % 4);
            break;
        case kSparkleGift:
            PaintSparkleGift(c, frame % 4);
            break;
        case kGarland:
            PaintGarland(c, frame);
            break;
        case kStar:
            PaintStar(c, p.variant, frame);
            break;
        case kIcicles:
            PaintIcicles(c, p.variant);
            break;
        case kFence:
            PaintFence(c);
            break;
        default:
            break;
    }
    return c.Cut(0, 0);
}

}  // namespace levels
