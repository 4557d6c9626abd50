#pragma once
// map/: tile maps, loaded, drawn and asked about. Uses core/ and the platform.
//
// A level's tile map, loaded from an FMP file: the header, the block
// structures, the block animations and their frame sequence, the palette, the
// tile graphics (as images with the colour key made transparent) and up to
// eight layers of cells; plus the drawing of layers, the stepping of block
// animations and the solidity queries that the player and the monsters use.
//
// The whole file is read into memory first and parsed from there, so a short,
// truncated or lying file can never make the loader read outside what it
// holds. Reads past the end of the data yield zero bytes, as a short file did
// with the old stream reader.
//
// Coordinates: map pixels from the map's top-left corner, x to the right and
// y downwards; cell (column, row) covers the pixels from
// (column * blockWidth, row * blockHeight) on. Every query and every drawing
// operation works on the layer named by `currentLayer`; set it before calling.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/video/graphics.h"

// One block structure: which graphics a cell shows and its collision flags.
// Each flag field holds 0 or 1.
class BLKSTR {
public:
    int bgGraphic = 0;                    // index into FmpMap::images of the background graphic
    int fgGraphic = 0;                    // first foreground graphic
    int fgGraphic2 = 0;                   // second foreground graphic
    int fgGraphic3 = 0;                   // third foreground graphic
    int user1 = 0, user2 = 0;             // 32-bit in the file
    int user3 = 0, user4 = 0;             // 16-bit signed in the file
    int user5 = 0, user6 = 0, user7 = 0;  // 8-bit unsigned in the file
    int solidTopLeft = 0;                 // flag bit 0: what the game's collision reads
    int solidTopRight = 0;                // bit 1
    int solidBottomLeft = 0;              // bit 2
    int solidBottomRight = 0;             // bit 3
    int trigger = 0;                      // bit 4
    int pillarNext = 0;                   // bit 5: staggered drawing stacks the next block above this one
    int leftHalfOnly = 0;                 // bit 6: staggered drawing shows only the left half of each graphic
    int rightHalfOnly = 0;                // bit 7: ... only the right half
};

// One block animation. `current`, `start` and `end` index FmpMap::animSeq.
class ANISTR {
public:
    int animType = 0;      // stepping rule (see the kAnim constants); 255 ends the list
    int delay = 0;         // extra steps each frame is held
    int delayCounter = 0;  // countdown to the next frame
    int userValue = 0;
    int current = 0;  // frame shown now
    int start = 0;    // first frame
    int end = 0;      // one past the last frame
};

// Animation types.
inline constexpr int kAnimNone = 0;
inline constexpr int kAnimLoopForward = 1;
inline constexpr int kAnimLoopBackward = 2;
inline constexpr int kAnimOnce = 3;      // plays once, returns to start and becomes kAnimOnceDone
inline constexpr int kAnimOnceHold = 4;  // plays once and holds the last frame
inline constexpr int kAnimPingPongFwd = 5;
inline constexpr int kAnimPingPongBack = 6;
inline constexpr int kAnimStoredPingBack = 7;  // stored form; InitAnims turns it into 6
inline constexpr int kAnimStoredPingFwd = 8;   // stored form; InitAnims turns it into 5
inline constexpr int kAnimOnceDone = 9;
inline constexpr int kAnimEndMarker = 255;

// errorCode values.
inline constexpr int kFmpOk = 0;
inline constexpr int kFmpBadContainer = 1;   // header not "FORM" ... "FMAP"; loading goes on
inline constexpr int kFmpHeaderRefused = 3;  // major version above 1 or map type above 3
inline constexpr int kFmpBadSizes = 4;       // sizes outside the limits below: the header is refused
inline constexpr int kFmpBadAnims = 5;       // "ANDT" without an end marker or with more than 1000 records
inline constexpr int kFmpBadChunk = 6;       // a chunk length above 2^31 - 1: the rest of the file is not read

// Limits past which a file is refused.
inline constexpr int kFmpMaxMapCells = 4096;    // columns and rows
inline constexpr int kFmpMaxBlockPixels = 256;  // block width and height
inline constexpr int kFmpMaxGraphics = 65535;   // tile graphics and block structures
inline constexpr int kFmpMaxAnims = 1000;       // animation records, end marker included
inline constexpr int kFmpMaxLayers = 8;         // "BODY" and "LYR1" to "LYR7"

struct FmpCursor;  // bounds-checked reader over the file's bytes (fmp_map.cpp)

class FmpMap {
public:
    FmpMap();

    // ---- Fields ----
    int layerLimit = 2;  // highest layer index kept (0..7)
    int errorCode = kFmpOk;
    int littleEndian = 0;  // byte order of 16- and 32-bit values inside chunks
    int mapType = 0;       // 0 FMP 0.5, 1 FMP 1.0, 2 FMP 1.0 run-length layers, 3 refused by the layer reader
    int chunkConsumed = 0;
    int keyIndex8 = 0;
    int keyRed = 0, keyGreen = 0, keyBlue = 0;
    int keyPixel = 0;                     // the colour key as a pixmap pixel reads back (0x00RRGGBB)
    int mapWidth = 0, mapHeight = 0;      // size of a layer in cells
    int blockWidth = 0, blockHeight = 0;  // size of a cell in pixels
    int blockDepth = 0;                   // 8, 15, 16, 24 or 32
    int blockStrSize = 0;
    int numBlockStr = 0;
    int numBlockGfx = 0;
    int blockGapX = 0, blockGapY = 0;
    int blockStaggerX = 0, blockStaggerY = 0;  // both 0 for an ordinary grid
    int clickMask = 0;
    int currentLayer = 0;  // layer that queries and drawing use
    int numAnims = 0;      // animation records read, end marker included

    // cells[layer][row * (mapWidth + 1) + column]: (mapWidth + 1) x (mapHeight + 1)
    // values per layer, the spare last column and row holding 0. A layer that
    // no chunk and no SetCell has written yet is an empty vector and reads 0.
    std::vector<std::vector<int>> cells;
    std::vector<int> animSeq;          // animation frame sequence (block structure indices)
    std::vector<sq::ImageRef> images;  // numBlockGfx + 1 entries; null where no graphic was made
    std::vector<int> palette;          // r, g, b of colour i at 3i, 3i + 1, 3i + 2
    std::vector<BLKSTR> blocks;        // numBlockStr + 1 entries
    std::vector<ANISTR> anims;         // 1001 entries once an "ANDT" chunk is read; 1..numAnims used

    // ---- Operations ----
    // Releases images, block structures and animations (cells, animSeq and palette stay).
    void FreeMap();
    // The cell's block. A cell outside the layer, or one naming a block or an
    // animation that does not exist, answers blocks[0].
    const BLKSTR& BlockAt(int column, int row) const;
    // cells[column][row][currentLayer] = value; ignored outside the layer.
    void SetCell(int column, int row, int value);
    // blocks[0] outside the map, else the block of (PixelToColumn, PixelToRow).
    const BLKSTR& BlockAtPixel(int x, int y) const;
    int PixelToColumn(int x, int y) const;
    int PixelToRow(int x, int y) const;
    // -1, 0 or 1: the click mask's correction for staggered maps; axis 0 column, 1 row.
    int ClickMaskOffset(int x, int y, int axis) const;
    // SetCell for cell coordinates inside 0..mapWidth-1, 0..mapHeight-1; ignored otherwise.
    void SetCellChecked(int column, int row, int value);
    // 1 when the block of cell (x / blockWidth, y / blockHeight) has solidTopLeft set.
    int IsSolidAt(int x, int y) const;
    // As IsSolidAt, and the block's fgGraphic must be opaque at the pixel.
    int IsSolidPixelAt(int x, int y) const;

    // Loads the FMP file at `path` (backslashes are separators) keeping layers
    // 0..layerLimit. Returns 0. A file that cannot be read stops the game with
    // the stream read error; a refused file sets errorCode, prints one line
    // naming the file and the reason, and LastError() returns that line.
    int LoadMap(const std::string& path, int layerLimit);
    // The same from bytes in memory; `name` is used in messages.
    int LoadMapFromMemory(const uint8_t* data, std::size_t size, int layerLimit, const std::string& name = "map");
    // Reads a bare layer file (mapHeight rows of mapWidth 16-bit values in the
    // map's byte order) into currentLayer, values unchanged. Returns 0, or -1
    // when no map is loaded or currentLayer is not a kept layer.
    int LoadLayerFile(const std::string& path);
    // The text of the last refusal ("" when the last load had none).
    const std::string& LastError() const { return lastError_; }

    void InitAnims();    // every animation on its first frame; call once after loading
    void UpdateAnims();  // one step of every animation

    // Drawing. (mapX, mapY) is the map pixel shown at the top-left corner of
    // the screen rectangle (x, y, w, h). Each call saves the drawing state,
    // resets it, clips to the rectangle and puts the state back at the end.
    void DrawStaggeredRow(int mapX, int mapY, int x, int y, int w, int h, int rowIndex);
    // kind 0 = fgGraphic, 1 = fgGraphic2, 2 = fgGraphic3; graphic index 0 or less not drawn.
    void DrawLayerFg(int mapX, int mapY, int x, int y, int w, int h, int kind);
    // Background graphics; graphic index 0 or less not drawn.
    void DrawLayerBg(int mapX, int mapY, int x, int y, int w, int h);
    // Background graphics of every cell, index 0 included, with the solid blend mode.
    void DrawLayerBgSolid(int mapX, int mapY, int x, int y, int w, int h);
    // kind 0 = background, 1..3 = the foreground graphics; every cell drawn.
    void DrawLayerStaggered(int mapX, int mapY, int x, int y, int w, int h, int kind);
    // Frame 0 of images[index] at (x, y); solid 1 draws it with the solid blend mode.
    // `spare` is ignored (callers pass 0).
    void DrawGraphic(int index, float x, float y, int spare, int solid);
    void DrawGraphicIsolated(int index, float x, float y, int spare, int solid);
    // The part of images[index] from (srcX, srcY) of size w x h lands at (x, y).
    void DrawGraphicClipped(int index, float x, float y, float srcX, float srcY, float w, float h, int frame);
    // Alpha 1, colour white, alpha blending.
    void ResetDrawState();

    // The cell value of (column, row) in `layer`; 0 outside the layer.
    int CellValue(int column, int row, int layer) const;

private:
    // Chunk readers: `c` stands at the start of the chunk body.
    int ReadInt32BE(FmpCursor& c);
    void ReadAnimChunk(FmpCursor& c, int length);
    void ReadBlockChunk(FmpCursor& c, int length);
    void ReadHeaderChunk(FmpCursor& c, int length);
    void ReadLayerChunk(FmpCursor& c, int length, int layer);
    void ReadPaletteChunk(FmpCursor& c, int length);
    int ReadMapInt32(FmpCursor& c);
    int ReadMapInt16(FmpCursor& c);
    int ReadByte(FmpCursor& c);
    void AllocateCells(int columns, int rows, int layers);
    void ReadGraphicsChunk(FmpCursor& c, int length);

    // The block a cell value shows; nullptr when it names nothing that exists.
    const BLKSTR* ResolveBlock(int value) const;
    const BLKSTR& BlockZero() const;
    int PaletteByte(int index) const;
    int* CellPtr(int column, int row, int layer);
    const int* CellPtr(int column, int row, int layer) const;
    void DrawGridLayer(int mapX, int mapY, int x, int y, int w, int h, int which, bool skipZero, bool solid);
    void DrawPiece(const BLKSTR& block, int g, int px, int t);
    // Gathers every graphic into the frames of one picture, so that a whole
    // layer draws from one texture.
    void BuildBlockSheet();
    // The sheet frame that shows images[index] as loaded; -1 when the sheet
    // does not hold it (an image put in after loading).
    int SheetFrame(int index) const;
    void Refuse(int code, const std::string& reason);

    int cellColumns_ = 0, cellRows_ = 0, cellLayers_ = 0;  // sizes given to AllocateCells
    std::string name_;
    std::string lastError_;
    sq::ImageRef sheet_;                       // frame i: graphic i, unfiltered
    std::vector<const sq::TPixmap*> sheetOf_;  // pixmap of images[i] that frame i was made from
};

// Where the loader's refusal lines go: standard error unless replaced (the
// fuzzer silences them). nullptr restores the default.
using FmpMessageSink = void (*)(const std::string& line);
void SetFmpMessageSink(FmpMessageSink sink);

// Draws `image` frame `frame` at (x, y) with blend mode 2 (solid), putting the
// blend mode back afterwards.
void DrawImageSolid(const sq::ImageRef& image, float x, float y, int frame);
// (a & 255) << 24 | (r & 255) << 16 | (g & 255) << 8 | (b & 255)
int PackArgb(int a, int r, int g, int b);
