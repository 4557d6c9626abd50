// The tile painter's blocks for the places of the later levels: the rock of
// the ice caves, the toy factory's floors, walls, crates and belts, and the
// lit windows of the village.
#include "tile_canvas.h"

namespace levels::art {

namespace {

// cave rock: cold blue-violet stone with frost on its open faces
constexpr uint32_t kCaveDeep = Rgb(30, 30, 52), kCave = Rgb(52, 54, 86), kCaveMid = Rgb(72, 76, 114),
                   kCaveLight = Rgb(102, 108, 150), kCrystal = Rgb(120, 226, 250), kCrystalPink = Rgb(226, 140, 240);
// factory: steel, hazard stripes, painted wall panels
constexpr uint32_t kSteelDark = Rgb(54, 58, 72), kSteel = Rgb(104, 110, 128), kSteelLight = Rgb(156, 162, 180),
                   kHazard = Rgb(246, 196, 40), kHazardDark = Rgb(40, 36, 40), kPanel = Rgb(58, 96, 92),
                   kPanelLight = Rgb(84, 130, 120), kPanelDark = Rgb(34, 62, 62), kBelt = Rgb(36, 36, 44),
                   kBeltLight = Rgb(84, 86, 100);
// crates: pale pine boards
constexpr uint32_t kCrateLight = Rgb(222, 178, 110), kCrate = Rgb(190, 142, 80), kCrateDark = Rgb(132, 90, 48);
// a lit window
constexpr uint32_t kWindowGlow = Rgb(255, 220, 120), kWindowWarm = Rgb(250, 170, 70);

}  // namespace

void PaintCaveRock(TCanvas& c, int variant) {
    const bool top = variant & 1, left = variant & 2, right = variant & 4, bottom = variant & 8;
    const int seed = (variant & 16) ? 21 : 13;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            uint32_t h = Hash(x / 2, y / 2, seed);
            uint32_t col = (h % 5 == 0) ? kCaveDeep : ((h % 7 == 1) ? kCaveMid : kCave);
            c.Set(x, y, col);
        }
    // strata: two slanting cracks lit from above
    for (int x = 0; x < 16; ++x) {
        int y1 = 5 + ((x + seed) / 5) % 2, y2 = 11 - ((x + seed) / 4) % 2;
        c.Set(x, y1, kCaveDeep);
        c.Set(x, y1 - 1, kCaveMid);
        if ((x + seed) % 7 < 5) {
            c.Set(x, y2, kCaveDeep);
            c.Set(x, y2 - 1, kCaveLight);
        }
    }
    // a crystal in some blocks deep inside the rock
    if (!top && !bottom && Hash(seed, variant, 3) % 3 == 0) {
        int cx = 4 + int(Hash(variant, seed, 5) % 8);
        uint32_t col = (variant & 16) ? kCrystalPink : kCrystal;
        c.Set(cx, 7, kIceWhite);
        c.Set(cx, 8, col);
        c.Set(cx - 1, 9, col);
        c.Set(cx + 1, 9, kCaveLight);
        c.Set(cx, 9, col);
    }
    if (left) {
        c.Rect(0, 0, 1, 16, kCaveLight);
        c.Rect(1, 0, 1, 16, kCaveMid);
    }
    if (right) {
        c.Rect(15, 0, 1, 16, kCaveDeep);
        c.Rect(14, 0, 1, 16, kRockEdge);
    }
    if (bottom) {
        // the underside: a dark rim with short icicles hanging from it
        c.Rect(0, 13, 16, 3, kCaveDeep);
        for (int x = 1; x < 16; x += 5) {
            int len = 1 + int(Hash(x, variant, seed) % 3);
            c.Set(x, 13, kIceDark);
            c.Rect(x, 14, 1, len > 2 ? 2 : len, kIceMid);
        }
    }
    if (top) {
        // frost on the upper face, thinning towards the open corners
        for (int x = 0; x < 16; ++x) {
            int d = 2 + (Hash(x, 1, seed) % 3 == 0 ? 1 : 0);
            if ((left && x < 2) || (right && x > 13)) d = 1;
            for (int y = 0; y < d; ++y) c.Set(x, y, y == 0 ? kIceWhite : kIceLight);
            c.Set(x, d, kIceDark);
        }
        if (left) c.Set(0, 0, kClear);
        if (right) c.Set(15, 0, kClear);
    }
}

// The frozen surface of a lake: smooth dark ice with cracks, a pale sheen
// where it lies open to the sky and now and then a drift of snow.
void PaintLakeIce(TCanvas& c, int variant) {
    const int seed = (variant & 16) ? 37 : 31;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            uint32_t col = y < 6 ? kIceDark : kIceDeep;
            if (Hash(x / 3, y / 2, seed) % 9 == 0) col = kIceMid;
            c.Set(x, y, col);
        }
    // a crack wandering across the block
    int y = 4 + int(Hash(seed, variant, 1) % 8);
    for (int x = 0; x < 16; ++x) {
        c.Set(x, y, kIceLight);
        if (Hash(x, seed, 2) % 3 == 0) y += (Hash(x, seed, 3) % 2) ? 1 : -1;
        y = y < 3 ? 3 : (y > 14 ? 14 : y);
    }
    if (variant & 1) {
        c.Rect(0, 0, 16, 1, kIceWhite);
        c.Rect(0, 1, 16, 1, kIceLight);
        for (int x = 2; x < 14; x += 5) c.Set(x, 2, kIceWhite);  // the sheen of the open ice
        if (variant & 16) {                                      // a little drift of snow
            c.Rect(4, 0, 7, 1, kSnow);
            c.Rect(6, 0, 3, 1, kSnowLight);
        }
    }
}

void PaintFactoryFloor(TCanvas& c, int variant) {
    const bool top = variant & 1;
    c.Rect(0, 0, 16, 16, kSteel);
    c.Rect(0, 15, 16, 1, kSteelDark);
    c.Rect(0, 7, 16, 1, kSteelDark);
    c.Rect(0, 8, 16, 1, kSteelLight);
    c.Rect(0, 0, 1, 16, kSteelLight);
    c.Rect(15, 0, 1, 16, kSteelDark);
    // tread plate bumps
    for (int y = 10; y < 15; y += 3)
        for (int x = 2 + (y % 2) * 2; x < 15; x += 4) c.Set(x, y, kSteelLight);
    for (int x : {3, 12}) {
        c.Set(x, 11, kNail);
        c.Set(x, 12, kSteelDark);
    }
    if (top) {
        // a hazard stripe along the walking edge
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 16; ++x) c.Set(x, y, ((x + y) / 3) % 2 ? kHazardDark : kHazard);
        c.Rect(0, 4, 16, 1, kSteelLight);
        c.Rect(0, 5, 16, 1, kSteelDark);
    } else {
        for (int x = 2; x < 15; x += 4) c.Set(x, 3, kSteelLight);
    }
    if (variant & 2) c.Rect(0, 0, 1, 16, kSteelDark);
    if (variant & 4) c.Rect(15, 0, 1, 16, kSteelDark);
}

void PaintFactoryWall(TCanvas& c, int variant) {
    const bool top = variant & 1;
    c.Rect(0, 0, 16, 16, kPanel);
    // riveted panels, two to a block, with a lit upper edge
    for (int py : {0, 8}) {
        c.Rect(0, py, 16, 1, kPanelLight);
        c.Rect(0, py + 7, 16, 1, kPanelDark);
        c.Set(2, py + 2, kSteelLight);
        c.Set(13, py + 2, kSteelLight);
        c.Set(2, py + 5, kPanelDark);
        c.Set(13, py + 5, kPanelDark);
    }
    c.Rect((variant & 8) ? 5 : 10, 1, 1, 14, kPanelDark);
    if (variant & 2) c.Rect(0, 0, 1, 16, kPanelLight);
    if (variant & 4) c.Rect(15, 0, 1, 16, kPanelDark);
    if (top) {
        c.Rect(0, 0, 16, 3, kSteel);
        c.Rect(0, 0, 16, 1, kSteelLight);
        c.Rect(0, 3, 16, 1, kSteelDark);
    }
}

void PaintCrate(TCanvas& c, int variant) {
    c.Rect(0, 0, 16, 16, kCrate);
    for (int y = 1; y < 15; ++y)
        for (int x = 1; x < 15; ++x)
            if ((y % 5) == 0) c.Set(x, y, kCrateDark);
    // the frame and one diagonal brace
    c.Rect(0, 0, 16, 2, kCrateLight);
    c.Rect(0, 14, 16, 2, kCrateDark);
    c.Rect(0, 0, 2, 16, kCrateLight);
    c.Rect(14, 0, 2, 16, kCrateDark);
    for (int i = 2; i < 14; ++i) {
        int x = (variant & 1) ? 15 - i : i;
        c.Set(x, i, kCrateLight);
        c.Set(x + ((variant & 1) ? -1 : 1), i, kCrateDark);
    }
    c.Set(1, 1, kNail);
    c.Set(14, 1, kNail);
    c.Set(1, 14, kNail);
    c.Set(14, 14, kNail);
    if (variant & 2) {  // a red stencilled mark on some crates
        c.Rect(6, 6, 4, 1, kCandyRed);
        c.Rect(7, 5, 2, 3, kCandyRed);
    }
}

void PaintBelt(TCanvas& c, int variant, int frame) {
    const bool leftward = variant & 1;
    c.Rect(0, 0, 16, 16, kClear);
    // the belt: a dark band whose ridges move along with it
    c.Rect(0, 0, 16, 5, kBelt);
    c.Rect(0, 0, 16, 1, kBeltLight);
    int shift = leftward ? (4 - frame) % 4 : frame;
    for (int x = 0; x < 16; ++x)
        if ((x + 16 - shift) % 4 == 0) {
            c.Set(x, 1, kBeltLight);
            c.Set(x, 2, kBeltLight);
        }
    // the frame under it, with two rollers whose spokes turn
    c.Rect(0, 5, 16, 9, kSteelDark);
    c.Rect(0, 13, 16, 2, kSteel);
    c.Rect(0, 15, 16, 1, kHazard);
    for (int rx : {4, 12}) {
        c.Disc(rx, 9, 3, kSteel);
        c.Set(rx, 9, kSteelDark);
        static const int kSpoke[4][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}};
        int k = leftward ? (4 - frame) % 4 : frame;
        c.Set(rx + kSpoke[k][0] * 2, 9 + kSpoke[k][1] * 2, kSteelLight);
        c.Set(rx - kSpoke[k][0] * 2, 9 - kSpoke[k][1] * 2, kSteelLight);
    }
    if (variant & 2) c.Rect(0, 0, 1, 16, kBeltLight);
    if (variant & 4) c.Rect(15, 0, 1, 16, kBeltLight);
}

// The inside of a tower: dressed stone, darker than the solid blocks, with
// now and then a tall window through which the outside shows.
void PaintTowerWall(TCanvas& c, int variant) {
    for (int y = 0; y < 16; ++y) {
        const int row = y / 4, off = (row % 2) * 5;
        for (int x = 0; x < 16; ++x) {
            const int bx = (x + off) % 10;
            uint32_t col = (Hash(x / 5, row, 29) % 4 == 0) ? kCave : kCaveDeep;
            if (y % 4 == 3 || bx == 9) col = kRockEdge;
            c.Set(x, y, col);
        }
    }
    if (variant != 3) return;
    // an arched window: the glass is left open so that the sky and the trees outside show
    for (int y = 2; y < 16; ++y)
        for (int x = 4; x < 12; ++x) {
            const int dx = 2 * x - 15, dy = y - 6;
            if (y < 6 && dx * dx + 4 * dy * dy > 64) continue;
            const bool edge = x == 4 || x == 11 || y == 15 || (y < 6 && dx * dx + 4 * dy * dy > 36);
            c.Set(x, y, edge ? kRockMid : kClear);
        }
    c.Rect(7, 3, 2, 12, kRockDark);  // the mullion
    c.Rect(4, 15, 8, 1, kSnow);
}

void PaintHouseWall(TCanvas& c, int variant, int frame) {
    if (variant >= 2) {
        PaintTowerWall(c, variant);
        return;
    }
    // timber boards of a house front, darker than the ground blocks: it stands behind the player
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            uint32_t col = (x % 4 == 3) ? kWoodEdge : ((Hash(x / 4, y / 5, 17) % 3 == 0) ? kWood : kWoodDark);
            c.Set(x, y, col);
        }
    if (variant == 0) return;
    c.Rect(2, 2, 12, 12, kWoodEdge);
    c.Rect(3, 3, 10, 10, frame ? kWindowGlow : kWindowWarm);
    c.Rect(3, 3, 10, 3, kWindowGlow);
    c.Rect(7, 3, 2, 10, kWoodDark);
    c.Rect(3, 7, 10, 2, kWoodDark);
    c.Set(4, 4, kGoldLight);
    // a snowy sill and a little garland bulb
    c.Rect(1, 13, 14, 2, kSnow);
    c.Rect(1, 15, 14, 1, kSnowShade);
    c.Set(frame ? 11 : 5, 12, frame ? kBulbRed : kBulbGreen);
}

}  // namespace levels::art
