// The tile painter's solid blocks: frozen earth under snow, brick, planks,
// ice, rock and candy posts.
#include "tile_canvas.h"

namespace levels::art {

namespace {

// ---- Snow lying on top of a block ----
// The depth of the snow in each column; it wanders a little so that a row of
// blocks shows a soft drift rather than a ruler line, and it meets itself at
// the tile's edges.
int SnowDepth(int x, int seed) {
    static const int kProfiles[2][16] = {{5, 5, 6, 6, 5, 4, 4, 5, 6, 7, 6, 5, 5, 4, 4, 5},
                                         {5, 6, 7, 6, 5, 5, 4, 4, 5, 5, 6, 6, 5, 4, 5, 5}};
    return kProfiles[seed & 1][x];
}

}  // namespace

void SnowCap(TCanvas& c, int seed, bool openLeft, bool openRight, int extra) {
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

}  // namespace levels::art
