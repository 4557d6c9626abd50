#include "tile_art.h"

#include <algorithm>
#include <cstring>

#include "tile_canvas.h"

namespace levels {
namespace {

using namespace art;

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

using namespace art;

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
        case kCaveRock:
            PaintCaveRock(c, p.variant);
            break;
        case kLakeIce:
            PaintLakeIce(c, p.variant);
            break;
        case kFactoryFloor:
            PaintFactoryFloor(c, p.variant);
            break;
        case kFactoryWall:
            PaintFactoryWall(c, p.variant);
            break;
        case kCrate:
            PaintCrate(c, p.variant);
            break;
        case kBelt:
            PaintBelt(c, p.variant, frame % 4);
            break;
        case kHouseWall:
            PaintHouseWall(c, p.variant, frame % 2);
            break;
        default:
            break;
    }
    return c.Cut(0, 0);
}

}  // namespace levels
