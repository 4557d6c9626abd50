#pragma once
// The pieces a level is built from and the legend of the level sources.
//
// Legend (one character per 16 x 16 block):
//   .  open air
//   layer 0, solid ground:
//   #  snowy earth        B  brick          =  wooden planks
//   I  ice                R  rock           |  candy-cane post
//   K  cave rock (frost on its open faces, icicles under it)
//   i  the frozen surface of a lake
//   F  factory floor      W  factory wall   C  crate
//   >  <  conveyor belt running right or left
//   (ground gets a snow cap where the block above it is open)
//   layer 1, gifts (collected by walking over them):
//   g  wrapped gift       G  sparkling gift
//   layer 2, the exit and the decoration behind the actors:
//   E  exit door: two E side by side make the door, whose top half and
//      glowing sign fill the two blocks above; the E blocks are the exit
//   T  fir tree with twinkling lights, trunk at this block (3 wide, 4 tall)
//   L  lamp post, foot at this block (1 wide, 3 tall)
//   S  snowman, foot at this block (1 wide, 2 tall)
//   ~  garland with twinkling bulbs    *  twinkling star
//   ^  icicles                         f  picket fence
//   h  house front (timber)            w  house front with a lit window
//   b  tower wall seen from inside     a  tower window
#include <cstdint>
#include <string>
#include <vector>

#include "level_source.h"

namespace levels {

enum TPieceKind : int {
    kPieceNone = 0,
    // layer 0
    kSnowEarth,  // variant: bit 0 cap, bit 1 open left, bit 2 open right, bit 3 alternate texture
    kBrick,      // variant: bit 0 cap, bits 1-2 open sides, bit 3 odd row
    kPlank,      // variant: bit 0 cap, bits 1-2 open sides
    kIce,        // variant: bit 0 cap
    kRock,       // variant: bit 0 cap, bit 3 alternate texture
    kCandyPost,  // variant: bit 0 top of the post
    // layer 1
    kGift,         // variant: colour 0..3
    kSparkleGift,  // animated
    // layer 2
    kDoor,      // variant: 0 bottom left, 1 bottom right (the exit), 2 top left, 3 top right
    kTree,      // variant: part index row * 3 + column of the 3 x 4 picture
    kLamp,      // variant: 0 foot, 1 post, 2 head
    kSignpost,  // variant: 0 post, 1 board
    kGarland,
    kStar,
    kIcicles,
    kFence,
    // the places of the later levels, appended so that older pieces keep their codes
    kCaveRock,      // layer 0; variant: bit 0 open above, 1 left, 2 right, 3 below, bit 4 alternate texture
    kFactoryFloor,  // layer 0; variant: bit 0 open above, bits 1-2 open sides
    kFactoryWall,   // layer 0; variant: bit 0 open above, bits 1-2 open sides, bit 3 alternate seam
    kCrate,         // layer 0; variant: bit 0 mirrored brace, bit 1 stencil mark
    kBelt,          // layer 0, animated; variant: bit 0 runs left, bits 1-2 open ends
    kHouseWall,     // layer 2, behind the player; variant 1 with a lit window that flickers,
                    // 2 the stone inside of a tower, 3 the same with a window
    kLakeIce,       // layer 0; variant: bit 0 open above, bit 4 alternate texture
    kPieceKindCount
};

struct TPiece {
    int kind = kPieceNone;
    int variant = 0;
    bool operator==(const TPiece&) const = default;
    bool Empty() const { return kind == kPieceNone; }
    int Code() const { return kind * 64 + variant; }
};

// How a piece appears in the map file. Solid pieces of every layer carry the
// flag the game's collision reads (ground, gifts and the exit); decoration
// never does. An animated piece has `frames` > 1 and loops with `animType`.
struct TPieceInfo {
    int layer;
    bool solid;
    int frames;
    int animType;  // 1 loop forward, 2 loop backward, 5 ping-pong
    int delay;     // extra animation steps per frame (the game steps 50 times a second)
};
TPieceInfo PieceInfo(const TPiece& piece);
std::string PieceName(const TPiece& piece);

// Whether a source character is solid ground (layer 0).
bool IsGroundChar(char c);

// The three layers of a level as pieces, one entry per cell, row-major.
struct TLayout {
    int columns = 0, rows = 0;
    std::vector<TPiece> layer[3];
    TPiece& At(int layer, int column, int row) { return this->layer[layer][size_t(row) * columns + column]; }
    const TPiece& At(int layer, int column, int row) const {
        return this->layer[layer][size_t(row) * columns + column];
    }
    bool Solid(int layer, int column, int row) const;
};

// Turns the characters into pieces: picks ground variants from the
// neighbours, spreads trees, lamps, snowmen and the door over their blocks.
// Returns false and describes every fault (unknown characters, decoration
// that overlaps something, a door without room above) in `errors`.
bool BuildLayout(const TLevelSource& source, TLayout& out, std::vector<std::string>& errors);

}  // namespace levels
