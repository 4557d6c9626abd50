// FMP loading: the container, the chunk readers and the bare layer files
// (the tile graphics chunk is read in fmp_map_graphics.cpp).
#include "map/fmp_map.h"

#include <algorithm>
#include <cstdio>

#include "map/fmp_cursor.h"
#include "platform/files/safe_file.h"
#include "platform/files/stream.h"
#include "platform/system/runtime_error.h"
#include "platform/video/pixmap.h"

namespace {

// Truncating division that answers 0 instead of dividing by zero, and wraps
// like 32-bit arithmetic for INT_MIN / -1.
int DivOrZero(int64_t a, int64_t b) {
    if (b == 0) return 0;
    return static_cast<int>(static_cast<uint32_t>(static_cast<uint64_t>(a / b)));
}

int ClampLayerLimit(int limit) { return std::clamp(limit, 0, kFmpMaxLayers - 1); }

std::string ChunkName(const char id[4]) {
    std::string s;
    for (int i = 0; i < 4; ++i) {
        unsigned char ch = static_cast<unsigned char>(id[i]);
        s += (ch >= 32 && ch < 127) ? static_cast<char>(ch) : '?';
    }
    return s;
}

void PrintToStderr(const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); }

FmpMessageSink messageSink = PrintToStderr;

}  // namespace

void SetFmpMessageSink(FmpMessageSink sink) { messageSink = sink ? sink : PrintToStderr; }

FmpMap::FmpMap() = default;

void FmpMap::Refuse(int code, const std::string& reason) {
    errorCode = code;
    // One line per load: the first problem is the one worth reading.
    if (!lastError_.empty()) return;
    lastError_ = name_ + ": " + reason;
    messageSink(lastError_);
}

void FmpMap::FreeMap() {
    images.clear();
    sheet_.reset();
    sheetOf_.clear();
    blocks.clear();
    anims.clear();
}

int FmpMap::LoadMap(const std::string& path, int limit) {
    std::string bytes;
    // A missing level is as fatal as it always was, but now names the file.
    if (!sq::ReadWholeFile(path, bytes)) throw sq::TRuntimeError(sq::kStreamReadMessage, path);
    return LoadMapFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), limit, path);
}

int FmpMap::LoadMapFromMemory(const uint8_t* data, std::size_t size, int limit, const std::string& name) {
    FmpCursor c;
    c.data = data;
    c.size = data ? static_cast<int64_t>(size) : 0;
    name_ = name;
    lastError_.clear();
    errorCode = kFmpOk;
    layerLimit = ClampLayerLimit(limit);
    currentLayer = 0;
    numAnims = 0;
    blockStaggerX = 0;
    blockStaggerY = 0;

    static const char kForm[4] = {'F', 'O', 'R', 'M'};
    static const char kFmap[4] = {'F', 'M', 'A', 'P'};
    bool container = true;
    for (char ch : kForm) container &= ReadByte(c) == static_cast<unsigned char>(ch);
    int64_t formLength = ReadInt32BE(c);
    for (char ch : kFmap) container &= ReadByte(c) == static_cast<unsigned char>(ch);
    if (!container) Refuse(kFmpBadContainer, "not an FMP map (no FORM ... FMAP header)");

    int64_t left = formLength - 4;
    // Past the end of the data every further chunk would read as a zero
    // identifier of length 0, which changes nothing: stop there.
    while (left > 0 && !c.AtEnd()) {
        char id[4];
        for (char& ch : id) ch = static_cast<char>(ReadByte(c));
        int length = ReadInt32BE(c);
        if (length < 0) {
            Refuse(kFmpBadChunk, "chunk \"" + ChunkName(id) + "\" has a negative length");
            break;
        }
        chunkConsumed = 0;
        int64_t bodyStart = c.pos;
        std::string_view key(id, 4);
        if (key == "MPHD") {
            ReadHeaderChunk(c, length);
        } else if (key == "CMAP") {
            ReadPaletteChunk(c, length);
        } else if (key == "BKDT") {
            ReadBlockChunk(c, length);
        } else if (key == "ANDT") {
            ReadAnimChunk(c, length);
        } else if (key == "BGFX") {
            ReadGraphicsChunk(c, length);
        } else if (key == "BODY") {
            ReadLayerChunk(c, length, 0);
        } else if (key.substr(0, 3) == "LYR" && id[3] >= '1' && id[3] <= '7' && id[3] - '0' <= layerLimit) {
            ReadLayerChunk(c, length, id[3] - '0');
        }
        left -= int64_t(length) + 8;
        if (!chunkConsumed) c.Seek(bodyStart + length);
    }
    return 0;
}

int FmpMap::LoadLayerFile(const std::string& path) {
    if (mapWidth <= 0 || mapHeight <= 0 || currentLayer < 0 || currentLayer >= cellLayers_) return -1;
    std::string bytes;
    if (!sq::ReadWholeFile(path, bytes)) throw sq::TRuntimeError(sq::kStreamReadMessage, path);
    FmpCursor c;
    c.data = reinterpret_cast<const uint8_t*>(bytes.data());
    c.size = static_cast<int64_t>(bytes.size());
    int columns = std::min(mapWidth, cellColumns_ - 1);
    int rows = std::min(mapHeight, cellRows_ - 1);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            int* cell = CellPtr(column, row, currentLayer);
            *cell = ReadMapInt16(c);  // a short file leaves zeros, as it always read
        }
    }
    return 0;
}

int FmpMap::ReadInt32BE(FmpCursor& c) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<uint32_t>(c.Byte());
    return static_cast<int>(v);
}

int FmpMap::ReadMapInt32(FmpCursor& c) {
    uint32_t b[4];
    for (auto& x : b) x = static_cast<uint32_t>(c.Byte());
    uint32_t v =
        littleEndian ? (b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24) : (b[0] << 24 | b[1] << 16 | b[2] << 8 | b[3]);
    return static_cast<int>(v);
}

int FmpMap::ReadMapInt16(FmpCursor& c) {
    uint32_t b0 = static_cast<uint32_t>(c.Byte());
    uint32_t b1 = static_cast<uint32_t>(c.Byte());
    uint32_t v = littleEndian ? (b0 | b1 << 8) : (b0 << 8 | b1);
    return static_cast<int16_t>(static_cast<uint16_t>(v));
}

int FmpMap::ReadByte(FmpCursor& c) { return c.Byte(); }

void FmpMap::AllocateCells(int columns, int rows, int layers) {
    cellColumns_ = std::max(columns, 0);
    cellRows_ = std::max(rows, 0);
    cellLayers_ = std::max(layers, 0);
    // Layers are zero-filled when first written: a map's missing layers cost nothing.
    cells.assign(static_cast<std::size_t>(cellLayers_), {});
}

void FmpMap::ReadHeaderChunk(FmpCursor& c, int length) {
    int major = ReadByte(c);
    if (major > 1) {
        Refuse(kFmpHeaderRefused, "FMP version " + std::to_string(major) + " is not supported");
        return;
    }
    ReadByte(c);  // minor version
    littleEndian = ReadByte(c) == 1 ? 1 : 0;
    int type = ReadByte(c);
    if (type > 3) {
        Refuse(kFmpHeaderRefused, "map type " + std::to_string(type) + " is not supported");
        return;
    }
    int64_t left = int64_t(length) - 4;
    int width = ReadMapInt16(c);
    int height = ReadMapInt16(c);
    ReadMapInt16(c);
    ReadMapInt16(c);
    int bw = ReadMapInt16(c);
    int bh = ReadMapInt16(c);
    int depth = ReadMapInt16(c);
    int strSize = ReadMapInt16(c);
    int strCount = ReadMapInt16(c);
    int gfxCount = ReadMapInt16(c);
    left -= 20;

    int kIndex = 0, kR = 255, kG = 0, kB = 255;
    int gapX = bw, gapY = bh, stagX = 0, stagY = 0, mask = 0;
    if (left > 0) {
        kIndex = ReadByte(c);
        kR = ReadByte(c);
        kG = ReadByte(c);
        kB = ReadByte(c);
        left -= 4;
        if (left > 0) {
            gapX = ReadMapInt16(c);
            gapY = ReadMapInt16(c);
            stagX = ReadMapInt16(c);
            stagY = ReadMapInt16(c);
            left -= 8;
            if (left > 0) {
                mask = ReadMapInt16(c);
                left -= 2;
            }
        }
    }

    std::string problem;
    auto size = [](int a, int b) { return std::to_string(a) + " x " + std::to_string(b); };
    if (width < 1 || height < 1 || width > kFmpMaxMapCells || height > kFmpMaxMapCells) {
        problem =
            "map of " + size(width, height) + " cells is outside 1 x 1 to " + size(kFmpMaxMapCells, kFmpMaxMapCells);
    } else if (bw < 1 || bh < 1 || bw > kFmpMaxBlockPixels || bh > kFmpMaxBlockPixels) {
        problem = "blocks of " + size(bw, bh) + " pixels are outside 1 x 1 to " +
                  size(kFmpMaxBlockPixels, kFmpMaxBlockPixels);
    } else if (strCount < 0 || gfxCount < 0) {
        problem =
            "negative block or graphic count (" + std::to_string(strCount) + ", " + std::to_string(gfxCount) + ")";
    } else if (strCount > kFmpMaxGraphics || gfxCount > kFmpMaxGraphics) {
        problem = "more than " + std::to_string(kFmpMaxGraphics) + " blocks or graphics";
    } else if (gapX < 1 || gapY < 1) {
        problem = "block gap of " + size(gapX, gapY) + " pixels is not positive";
    }
    if (!problem.empty()) {
        // Refused like a header of an unknown version, but also forgetting any
        // earlier sizes, so no later chunk reads into a map of the wrong shape.
        mapWidth = mapHeight = blockWidth = blockHeight = 0;
        numBlockStr = numBlockGfx = 0;
        AllocateCells(0, 0, 0);
        images.clear();
        sheet_.reset();
        sheetOf_.clear();
        blocks.clear();
        Refuse(kFmpBadSizes, problem);
        return;
    }

    mapType = type;
    mapWidth = width;
    mapHeight = height;
    blockWidth = bw;
    blockHeight = bh;
    blockDepth = depth;
    blockStrSize = strSize;
    numBlockStr = strCount;
    numBlockGfx = gfxCount;
    keyIndex8 = kIndex;
    keyRed = kR;
    keyGreen = kG;
    keyBlue = kB;
    blockGapX = gapX;
    blockGapY = gapY;
    blockStaggerX = stagX;
    blockStaggerY = stagY;
    clickMask = mask;

    AllocateCells(mapWidth + 1, mapHeight + 1, layerLimit + 1);
    images.assign(static_cast<std::size_t>(numBlockGfx) + 1, nullptr);
    blocks.assign(static_cast<std::size_t>(numBlockStr) + 1, BLKSTR{});
    if (left > 0) c.Seek(c.pos + left);
    chunkConsumed = 1;
}

void FmpMap::ReadPaletteChunk(FmpCursor& c, int length) {
    int64_t start = c.pos;
    // Bytes past the end of the file would read as 0, and so does a palette
    // entry that is not there: keep only what the file holds.
    int64_t present = std::min<int64_t>(length, c.Left());
    palette.assign(static_cast<std::size_t>(present) + 1, 0);
    for (int64_t i = 0; i < present; ++i) palette[static_cast<std::size_t>(i)] = ReadByte(c);
    c.Seek(start + length);
    chunkConsumed = 1;
}

void FmpMap::ReadBlockChunk(FmpCursor& c, int length) {
    int64_t start = c.pos;
    int count = std::min<int64_t>(numBlockStr, static_cast<int64_t>(blocks.size()) - 1) > 0
                    ? static_cast<int>(std::min<int64_t>(numBlockStr, static_cast<int64_t>(blocks.size()) - 1))
                    : 0;
    // FMP 0.5 stores graphics as byte offsets into the graphics data.
    int64_t graphicBytes = int64_t(blockWidth) * blockHeight * (blockDepth == 15 ? 2 : blockDepth / 8);
    for (int i = 0; i < count; ++i) {
        BLKSTR b;
        int* graphic[4] = {&b.bgGraphic, &b.fgGraphic, &b.fgGraphic2, &b.fgGraphic3};
        for (int* g : graphic) {
            *g = ReadMapInt32(c);
            if (mapType == 0) *g = DivOrZero(*g, graphicBytes);
        }
        b.user1 = ReadMapInt32(c);
        b.user2 = ReadMapInt32(c);
        b.user3 = ReadMapInt16(c);
        b.user4 = ReadMapInt16(c);
        b.user5 = ReadByte(c);
        b.user6 = ReadByte(c);
        b.user7 = ReadByte(c);
        int flags = ReadByte(c);
        int* flag[8] = {&b.solidTopLeft, &b.solidTopRight, &b.solidBottomLeft, &b.solidBottomRight,
                        &b.trigger,      &b.pillarNext,    &b.leftHalfOnly,    &b.rightHalfOnly};
        for (int bit = 0; bit < 8; ++bit) *flag[bit] = (flags >> bit) & 1;
        blocks[static_cast<std::size_t>(i)] = b;
    }
    int64_t rest = int64_t(length) - 32 * int64_t(numBlockStr);
    if (rest > 0) c.Seek(start + 32 * int64_t(count) + rest);
    chunkConsumed = 1;
}

void FmpMap::ReadAnimChunk(FmpCursor& c, int length) {
    const int64_t start = c.pos;
    // The records lie at the end of the chunk, stored backwards, the end
    // marker lowest. Find the marker first, looking only inside the chunk and
    // only as far as the table reaches, before anything is replaced.
    int64_t k = length;
    int records = 0;
    bool marker = false;
    while (records < kFmpMaxAnims) {
        k -= 16;
        if (k < 0) break;
        ++records;
        if (c.ByteAt(start + k) == kAnimEndMarker) {
            marker = true;
            break;
        }
    }
    numAnims = 0;
    if (!marker) {
        anims.clear();
        Refuse(kFmpBadAnims, records >= kFmpMaxAnims
                                 ? "animation chunk has more than " + std::to_string(kFmpMaxAnims) + " records"
                                 : "animation chunk has no end marker");
        return;  // not consumed: skipped to its end
    }

    anims.assign(kFmpMaxAnims + 1, ANISTR{});
    for (int i = 1; i <= records; ++i) {
        c.Seek(start + length - 16 * int64_t(i));
        ANISTR& a = anims[static_cast<std::size_t>(i)];
        a.animType = ReadByte(c);
        a.delay = ReadByte(c);
        a.delayCounter = ReadByte(c);
        a.userValue = ReadByte(c);
        a.current = ReadMapInt32(c);
        a.start = ReadMapInt32(c);
        a.end = ReadMapInt32(c);
        if (mapType == 0) {
            // FMP 0.5: byte offsets counted back from the chunk's end.
            a.current = DivOrZero(int64_t(a.current) + length, 4);
            a.start = DivOrZero(int64_t(a.start) + length, 4);
            a.end = DivOrZero(int64_t(a.end) + length, 4);
        }
        ++numAnims;
    }

    int64_t n = k;  // bytes before the lowest record: the frame sequence
    animSeq.assign(static_cast<std::size_t>(n / 4 + 1), 0);
    c.Seek(start);
    int64_t last = (n - 1) / 4;  // truncating: a sequence of 0 bytes still reads entry 0
    for (int64_t i = 0; i <= last; ++i) {
        int v = ReadMapInt32(c);
        animSeq[static_cast<std::size_t>(i)] = mapType == 0 ? DivOrZero(v, 32) : v;
    }
    c.Seek(start + length);
    chunkConsumed = 1;
}

void FmpMap::ReadLayerChunk(FmpCursor& c, int length, int layer) {
    const int64_t start = c.pos;
    if (mapType > 2) {
        std::printf("Sorry, unsupported use FMP0.5 or FMP1.0 for now\n");
        c.Seek(start + length);
        chunkConsumed = 1;
        return;
    }
    const int columns = std::min(mapWidth, cellColumns_ - 1);
    const int rows = std::min(mapHeight, cellRows_ - 1);
    if (layer >= 0 && layer < cellLayers_ && columns > 0 && rows > 0) {
        int* cellsOfLayer = CellPtr(0, 0, layer);  // allocates the layer
        const int stride = cellColumns_;
        // At the end of the data the rest of the layer keeps its zeros; for a
        // run-length layer that also ends what would be an endless run of
        // zero counts.
        for (int row = 0; row < rows && !c.AtEnd(); ++row) {
            int* out = cellsOfLayer + static_cast<std::ptrdiff_t>(row) * stride;
            if (mapType == 2) {
                int column = 0;
                while (column < columns && !c.AtEnd()) {
                    int count = ReadMapInt16(c);
                    if (count > 0) {
                        // A literal run too long for the row is cut at the row's end.
                        for (int i = 0; i < count; ++i) {
                            int v = ReadMapInt16(c);
                            if (column < columns) out[column++] = v;
                        }
                    } else {
                        int v = ReadMapInt16(c);
                        int fill = std::min(-count, columns - column);
                        for (int i = 0; i < fill; ++i) out[column++] = v;
                    }
                }
            } else {
                for (int column = 0; column < columns && !c.AtEnd(); ++column) {
                    int v = ReadMapInt16(c);
                    if (mapType == 0) v = v < 0 ? v / 16 : DivOrZero(v, blockStrSize);
                    out[column] = v;
                }
            }
        }
    }
    if (c.pos < start + length) c.Seek(start + length);
    chunkConsumed = 1;
}
