#pragma once
// Writes FMP tile maps in every form the game's loader reads: version 0.5
// and 1.0, plain or run-length layers, either byte order, tile depths 8 (with
// a palette), 15, 16, 24 and 32, block animations, up to eight layers, and
// any extra chunks. The library needs nothing but the standard library.
//
// Usage:
//
//   FmpDocument doc;
//   doc.mapWidth = 80; doc.mapHeight = 60;          // cells
//   doc.blockWidth = doc.blockHeight = 16;          // pixels
//   doc.depth = 16;
//   doc.tileGraphicsRGBA.push_back(MakeSolidTile(16, 16, 0, 0, 0, 0));  // graphic 0: clear
//   doc.tileGraphicsRGBA.push_back(MakeSolidTile(16, 16, 90, 60, 30));  // graphic 1
//   FmpBlockDef empty;                               // block 0: nothing, not solid
//   FmpBlockDef ground; ground.bgGraphic = 1; ground.flags = kFmpSolidTopLeft;
//   doc.blocks = {empty, ground};
//   FmpAnimDef sparkle; sparkle.animType = 1; sparkle.delay = 3; sparkle.frames = {1, 0};
//   doc.anims = {sparkle};                           // cell value -1 shows it
//   doc.layers.assign(3, std::vector<int16_t>(80 * 60, 0));
//   doc.layers[0][row * 80 + column] = 1;            // row-major, one vector per layer
//   SaveFmp(doc, "maps/level_1.FMP");
//
// Cell values are what the game reads: a block structure index (>= 0) or
// -(animation number), animations numbered from 1 in the order of `anims`.
// The writer converts them to the stored form of the chosen version (byte
// offsets for 0.5). WriteFmp throws std::invalid_argument for a document that
// cannot be stored (sizes that do not match, a value that does not fit its
// 16-bit field, more than 256 colours in an 8-bit map, ...).
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Block flags (the flags byte of a block structure).
inline constexpr uint8_t kFmpSolidTopLeft = 1;
inline constexpr uint8_t kFmpSolidTopRight = 2;
inline constexpr uint8_t kFmpSolidBottomLeft = 4;
inline constexpr uint8_t kFmpSolidBottomRight = 8;
inline constexpr uint8_t kFmpTrigger = 16;
inline constexpr uint8_t kFmpPillarNext = 32;
inline constexpr uint8_t kFmpLeftHalfOnly = 64;
inline constexpr uint8_t kFmpRightHalfOnly = 128;

struct FmpBlockDef {
    int bgGraphic = 0, fgGraphic = 0, fgGraphic2 = 0, fgGraphic3 = 0;  // indices into tileGraphicsRGBA
    int user1 = 0, user2 = 0;
    int16_t user3 = 0, user4 = 0;
    uint8_t user5 = 0, user6 = 0, user7 = 0;
    uint8_t flags = 0;
};

struct FmpAnimDef {
    int animType = 1;  // 1 loop forward, 2 backward, 3 once, 4 once and hold, 5/6 ping-pong, 7/8 stored ping-pong
    int delay = 0;     // extra animation steps each frame is held (0..255)
    int delayCounter = 0;
    int userValue = 0;
    // Block structure indices shown in turn; appended to the frame sequence,
    // with start, end and current set to cover them.
    std::vector<int> frames;
    // Used only when `frames` is empty: indices into the frame sequence
    // (FmpDocument::animSeq followed by the other animations' frames), as stored.
    int current = 0, start = 0, end = 0;
};

struct FmpChunk {
    std::string id;             // four characters
    std::vector<uint8_t> body;  // written as is
};

struct FmpDocument {
    int mapWidth = 0, mapHeight = 0;        // cells
    int blockWidth = 16, blockHeight = 16;  // pixels
    int depth = 16;                         // 8, 15, 16, 24 or 32 bits per pixel
    int version = 1;                        // 0 writes FMP 0.5 (major 0, minor 5), 1 writes FMP 1.0
    bool bigEndian = false;                 // byte order of 16- and 32-bit values inside chunks
    bool runLength = false;                 // FMP 1.0 only: run-length layers (map type 2)
    int blockStrSize = 32;

    // Colour key: tile pixels with alpha 0 are written in this colour (8-bit:
    // as palette entry keyIndex8), and the loader makes them transparent.
    int keyIndex8 = 0;
    int keyRed = 255, keyGreen = 0, keyBlue = 255;
    // Staggered maps: 0 means "the block size" for the gaps.
    int blockGapX = 0, blockGapY = 0;
    int blockStaggerX = 0, blockStaggerY = 0;
    int clickMask = 0;
    // Size of the header chunk: 24 (no key, no gaps), 28 (no gaps), 36 (no click
    // mask) or 38 and more (everything, padded with zeros).
    int headerSize = 38;

    std::vector<FmpBlockDef> blocks;
    std::vector<FmpAnimDef> anims;
    std::vector<int> animSeq;   // extra frame-sequence entries placed first (usually empty)
    bool animEndMarker = true;  // false leaves the end marker out (a broken file, for tests)

    // One tile per graphic: blockWidth * blockHeight pixels, rows top to bottom,
    // 4 bytes each (red, green, blue, alpha). Alpha 0 means transparent.
    std::vector<std::vector<uint8_t>> tileGraphicsRGBA;
    // 8-bit maps: red, green, blue per entry (at most 256). Empty: built from
    // the colours the tiles use, entry keyIndex8 being the key colour.
    std::vector<uint8_t> palette;
    uint8_t pad32 = 0;  // the unused first byte of each 32-bit pixel

    // layers[n] is layer n ("BODY", "LYR1".."LYR7"): mapHeight rows of
    // mapWidth cell values, row-major. At most eight.
    std::vector<std::vector<int16_t>> layers;

    // Chunks written right after "FMAP", before the header (the loader skips
    // unknown ones; a known one here tests chunks in the wrong order).
    std::vector<FmpChunk> leadingChunks;
    // Chunks written after everything else.
    std::vector<FmpChunk> extraChunks;
};

// The file's bytes.
std::vector<uint8_t> WriteFmp(const FmpDocument& doc);
// Writes the file (slashes or backslashes as separators); throws
// std::runtime_error when it cannot be written.
void SaveFmp(const FmpDocument& doc, const std::string& path);

// Building blocks for tests and tools.
std::vector<uint8_t> MakeSolidTile(int width, int height, int r, int g, int b, int a = 255);
// The body of one chunk of a document, as WriteFmp would write it: "MPHD",
// "CMAP", "BKDT", "ANDT", "BGFX", "BODY", "LYR1".."LYR7".
std::vector<uint8_t> FmpChunkBody(const FmpDocument& doc, const std::string& id);
// A complete file from chunks: "FORM", length, "FMAP", the chunks.
std::vector<uint8_t> FmpContainer(const std::vector<FmpChunk>& chunks);
// Encodes one row of cell values as run-length runs, in the byte order given.
std::vector<uint8_t> EncodeRunLengthRow(const int16_t* values, int count, bool bigEndian);
