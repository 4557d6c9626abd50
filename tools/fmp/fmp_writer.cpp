#include "fmp_writer.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <map>

namespace {

class ByteWriter {
public:
    explicit ByteWriter(bool bigEndian) : big_(bigEndian) {}
    void U8(int v) { out.push_back(static_cast<uint8_t>(v)); }
    void S16(int v) {
        uint16_t u = static_cast<uint16_t>(v);
        if (big_) {
            U8(u >> 8);
            U8(u & 255);
        } else {
            U8(u & 255);
            U8(u >> 8);
        }
    }
    void S32(int64_t v) {
        uint32_t u = static_cast<uint32_t>(v);
        if (big_) {
            for (int s = 24; s >= 0; s -= 8) U8((u >> s) & 255);
        } else {
            for (int s = 0; s <= 24; s += 8) U8((u >> s) & 255);
        }
    }
    void Bytes(const std::vector<uint8_t>& b) { out.insert(out.end(), b.begin(), b.end()); }
    std::vector<uint8_t> out;

private:
    bool big_;
};

void Require(bool ok, const std::string& what) {
    if (!ok) throw std::invalid_argument("FMP writer: " + what);
}

int Fit16(int64_t v, const std::string& what) {
    Require(v >= std::numeric_limits<int16_t>::min() && v <= std::numeric_limits<int16_t>::max(),
            what + " (" + std::to_string(v) + ") does not fit 16 bits");
    return static_cast<int>(v);
}

int GraphicBytes(const FmpDocument& doc) {
    return doc.blockWidth * doc.blockHeight * (doc.depth == 15 ? 2 : doc.depth / 8);
}

void Validate(const FmpDocument& doc) {
    Require(doc.version == 0 || doc.version == 1, "version must be 0 (FMP 0.5) or 1 (FMP 1.0)");
    Require(!(doc.version == 0 && doc.runLength), "run-length layers need FMP 1.0");
    Require(doc.mapWidth >= 0 && doc.mapHeight >= 0, "negative map size");
    Require(doc.layers.size() <= 8, "more than eight layers");
    for (std::size_t i = 0; i < doc.layers.size(); ++i)
        Require(doc.layers[i].size() == std::size_t(doc.mapWidth) * std::size_t(doc.mapHeight),
                "layer " + std::to_string(i) + " does not hold mapWidth x mapHeight cells");
    const std::size_t tileBytes =
        std::size_t(std::max(doc.blockWidth, 0)) * std::size_t(std::max(doc.blockHeight, 0)) * 4;
    for (std::size_t i = 0; i < doc.tileGraphicsRGBA.size(); ++i)
        Require(doc.tileGraphicsRGBA[i].size() == tileBytes,
                "tile graphic " + std::to_string(i) + " is not blockWidth x blockHeight RGBA pixels");
    Require(doc.headerSize == 24 || doc.headerSize == 28 || doc.headerSize == 36 || doc.headerSize >= 38,
            "header size must be 24, 28, 36 or at least 38");
    Require(doc.palette.size() <= 768 && doc.palette.size() % 3 == 0, "palette must hold at most 256 RGB entries");
    for (const FmpChunk& c : doc.leadingChunks) Require(c.id.size() == 4, "chunk identifiers have four characters");
    for (const FmpChunk& c : doc.extraChunks) Require(c.id.size() == 4, "chunk identifiers have four characters");
}

// Palette of an 8-bit map: the given one, or the tiles' colours with the key
// colour at keyIndex8.
std::vector<uint8_t> PaletteOf(const FmpDocument& doc) {
    if (!doc.palette.empty() || doc.depth != 8) return doc.palette;
    Require(doc.keyIndex8 >= 0 && doc.keyIndex8 < 256, "keyIndex8 outside 0..255");
    std::vector<uint8_t> pal(768, 0);
    pal[3 * doc.keyIndex8] = uint8_t(doc.keyRed);
    pal[3 * doc.keyIndex8 + 1] = uint8_t(doc.keyGreen);
    pal[3 * doc.keyIndex8 + 2] = uint8_t(doc.keyBlue);
    std::map<uint32_t, int> seen;
    seen[uint32_t(doc.keyRed & 255) << 16 | uint32_t(doc.keyGreen & 255) << 8 | uint32_t(doc.keyBlue & 255)] =
        doc.keyIndex8;
    int next = 0;
    for (const auto& tile : doc.tileGraphicsRGBA) {
        for (std::size_t p = 0; p + 3 < tile.size(); p += 4) {
            if (tile[p + 3] == 0) continue;
            uint32_t rgb = uint32_t(tile[p]) << 16 | uint32_t(tile[p + 1]) << 8 | tile[p + 2];
            if (seen.count(rgb)) continue;
            if (next == doc.keyIndex8) ++next;
            Require(next < 256, "more than 256 colours in an 8-bit map");
            seen[rgb] = next;
            pal[3 * next] = uint8_t(tile[p]);
            pal[3 * next + 1] = uint8_t(tile[p + 1]);
            pal[3 * next + 2] = uint8_t(tile[p + 2]);
            ++next;
        }
    }
    return pal;
}

int NearestPaletteIndex(const std::vector<uint8_t>& pal, int r, int g, int b, int skip) {
    int best = 0;
    long bestDist = std::numeric_limits<long>::max();
    for (int i = 0; 3 * i + 2 < int(pal.size()); ++i) {
        if (i == skip) continue;
        long dr = pal[3 * i] - r, dg = pal[3 * i + 1] - g, db = pal[3 * i + 2] - b;
        long d = dr * dr + dg * dg + db * db;
        if (d < bestDist) {
            bestDist = d;
            best = i;
            if (d == 0) break;
        }
    }
    return best;
}

std::vector<uint8_t> HeaderBody(const FmpDocument& doc) {
    ByteWriter w(doc.bigEndian);
    w.U8(doc.version == 0 ? 0 : 1);
    w.U8(doc.version == 0 ? 5 : 0);
    w.U8(doc.bigEndian ? 0 : 1);
    w.U8(doc.version == 0 ? 0 : (doc.runLength ? 2 : 1));
    w.S16(Fit16(doc.mapWidth, "mapWidth"));
    w.S16(Fit16(doc.mapHeight, "mapHeight"));
    w.S16(0);
    w.S16(0);
    w.S16(Fit16(doc.blockWidth, "blockWidth"));
    w.S16(Fit16(doc.blockHeight, "blockHeight"));
    w.S16(Fit16(doc.depth, "depth"));
    w.S16(Fit16(doc.blockStrSize, "blockStrSize"));
    w.S16(Fit16(int64_t(doc.blocks.size()), "number of blocks"));
    w.S16(Fit16(int64_t(doc.tileGraphicsRGBA.size()), "number of tile graphics"));
    w.U8(doc.keyIndex8);
    w.U8(doc.keyRed);
    w.U8(doc.keyGreen);
    w.U8(doc.keyBlue);
    w.S16(Fit16(doc.blockGapX ? doc.blockGapX : doc.blockWidth, "blockGapX"));
    w.S16(Fit16(doc.blockGapY ? doc.blockGapY : doc.blockHeight, "blockGapY"));
    w.S16(Fit16(doc.blockStaggerX, "blockStaggerX"));
    w.S16(Fit16(doc.blockStaggerY, "blockStaggerY"));
    w.S16(Fit16(doc.clickMask, "clickMask"));
    w.out.resize(std::size_t(doc.headerSize), 0);
    return w.out;
}

std::vector<uint8_t> BlockBody(const FmpDocument& doc) {
    ByteWriter w(doc.bigEndian);
    const int64_t scale = doc.version == 0 ? GraphicBytes(doc) : 1;
    for (const FmpBlockDef& b : doc.blocks) {
        for (int g : {b.bgGraphic, b.fgGraphic, b.fgGraphic2, b.fgGraphic3}) w.S32(int64_t(g) * scale);
        w.S32(b.user1);
        w.S32(b.user2);
        w.S16(b.user3);
        w.S16(b.user4);
        w.U8(b.user5);
        w.U8(b.user6);
        w.U8(b.user7);
        w.U8(b.flags);
    }
    return w.out;
}

std::vector<uint8_t> AnimBody(const FmpDocument& doc) {
    struct Record {
        int type, delay, counter, user;
        int64_t current, start, end;
    };
    std::vector<int> seq = doc.animSeq;
    std::vector<Record> records;
    for (const FmpAnimDef& a : doc.anims) {
        Record r{a.animType, a.delay, a.delayCounter, a.userValue, a.current, a.start, a.end};
        if (!a.frames.empty()) {
            r.start = r.current = int64_t(seq.size());
            seq.insert(seq.end(), a.frames.begin(), a.frames.end());
            r.end = int64_t(seq.size());
        }
        records.push_back(r);
    }
    if (doc.animEndMarker) records.push_back(Record{255, 0, 0, 0, 0, 0, 0});
    const int64_t length = 4 * int64_t(seq.size()) + 16 * int64_t(records.size());
    ByteWriter w(doc.bigEndian);
    for (int v : seq) w.S32(doc.version == 0 ? int64_t(v) * 32 : v);
    // Stored backwards: the first animation in the chunk's last 16 bytes.
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        w.U8(it->type);
        w.U8(it->delay);
        w.U8(it->counter);
        w.U8(it->user);
        for (int64_t index : {it->current, it->start, it->end})
            w.S32(doc.version == 0 ? index * 4 - length : index);  // 0.5: byte offsets back from the end
    }
    return w.out;
}

std::vector<uint8_t> GraphicsBody(const FmpDocument& doc) {
    ByteWriter w(doc.bigEndian);
    const std::vector<uint8_t> pal = PaletteOf(doc);
    std::map<uint32_t, int> indexOf;
    for (const auto& tile : doc.tileGraphicsRGBA) {
        for (std::size_t p = 0; p + 3 < tile.size(); p += 4) {
            int r = tile[p], g = tile[p + 1], b = tile[p + 2];
            const bool clear = tile[p + 3] == 0;
            if (clear) {
                r = doc.keyRed;
                g = doc.keyGreen;
                b = doc.keyBlue;
            }
            switch (doc.depth) {
                case 8: {
                    int index = doc.keyIndex8;
                    if (!clear) {
                        uint32_t rgb = uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
                        auto it = indexOf.find(rgb);
                        if (it == indexOf.end())
                            it = indexOf.emplace(rgb, NearestPaletteIndex(pal, r, g, b, doc.keyIndex8)).first;
                        index = it->second;
                    }
                    w.U8(index);
                    break;
                }
                case 15: {
                    int v = (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
                    w.U8(v >> 8);  // high byte first, whatever the byte order
                    w.U8(v & 255);
                    break;
                }
                case 16: {
                    int v = (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
                    w.U8(v >> 8);
                    w.U8(v & 255);
                    break;
                }
                case 24:
                    w.U8(r);
                    w.U8(g);
                    w.U8(b);
                    break;
                case 32:
                    w.U8(doc.pad32);
                    w.U8(r);
                    w.U8(g);
                    w.U8(b);
                    break;
                default:
                    Require(false, "depth must be 8, 15, 16, 24 or 32 to write tile graphics");
            }
        }
    }
    return w.out;
}

std::vector<uint8_t> LayerBody(const FmpDocument& doc, std::size_t layer) {
    Require(layer < doc.layers.size(), "no layer " + std::to_string(layer));
    const std::vector<int16_t>& cells = doc.layers[layer];
    ByteWriter w(doc.bigEndian);
    if (doc.runLength) {
        for (int row = 0; row < doc.mapHeight; ++row)
            w.Bytes(EncodeRunLengthRow(cells.data() + std::size_t(row) * std::size_t(doc.mapWidth), doc.mapWidth,
                                       doc.bigEndian));
        return w.out;
    }
    for (int16_t v : cells) {
        if (doc.version == 0) {
            // FMP 0.5 stores byte offsets: into the block data, or of the animation record.
            w.S16(Fit16(v < 0 ? int64_t(v) * 16 : int64_t(v) * doc.blockStrSize, "FMP 0.5 cell value"));
        } else {
            w.S16(v);
        }
    }
    return w.out;
}

void AppendChunk(std::vector<uint8_t>& out, const std::string& id, const std::vector<uint8_t>& body) {
    out.insert(out.end(), id.begin(), id.end());
    uint32_t n = static_cast<uint32_t>(body.size());
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>((n >> s) & 255));
    out.insert(out.end(), body.begin(), body.end());
}

std::string LayerId(std::size_t layer) { return layer == 0 ? "BODY" : "LYR" + std::to_string(layer); }

}  // namespace

std::vector<uint8_t> EncodeRunLengthRow(const int16_t* values, int count, bool bigEndian) {
    ByteWriter w(bigEndian);
    int i = 0;
    while (i < count) {
        int same = 1;
        while (i + same < count && same < 32767 && values[i + same] == values[i]) ++same;
        if (same >= 2) {
            w.S16(-same);
            w.S16(values[i]);
            i += same;
            continue;
        }
        // A literal run up to the next pair of equal values.
        int n = 1;
        while (i + n < count && n < 32767 && !(i + n + 1 < count && values[i + n] == values[i + n + 1])) ++n;
        w.S16(n);
        for (int k = 0; k < n; ++k) w.S16(values[i + k]);
        i += n;
    }
    return w.out;
}

std::vector<uint8_t> FmpChunkBody(const FmpDocument& doc, const std::string& id) {
    Validate(doc);
    if (id == "MPHD") return HeaderBody(doc);
    if (id == "CMAP") return PaletteOf(doc);
    if (id == "BKDT") return BlockBody(doc);
    if (id == "ANDT") return AnimBody(doc);
    if (id == "BGFX") return GraphicsBody(doc);
    if (id == "BODY") return LayerBody(doc, 0);
    if (id.size() == 4 && id.compare(0, 3, "LYR") == 0 && id[3] >= '1' && id[3] <= '7')
        return LayerBody(doc, std::size_t(id[3] - '0'));
    throw std::invalid_argument("FMP writer: no chunk \"" + id + "\" in a document");
}

std::vector<uint8_t> FmpContainer(const std::vector<FmpChunk>& chunks) {
    std::vector<uint8_t> body;
    for (const FmpChunk& c : chunks) AppendChunk(body, c.id, c.body);
    std::vector<uint8_t> out = {'F', 'O', 'R', 'M'};
    uint32_t n = static_cast<uint32_t>(body.size() + 4);
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>((n >> s) & 255));
    out.insert(out.end(), {'F', 'M', 'A', 'P'});
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::vector<uint8_t> WriteFmp(const FmpDocument& doc) {
    Validate(doc);
    std::vector<FmpChunk> chunks = doc.leadingChunks;
    chunks.push_back({"MPHD", HeaderBody(doc)});
    if (doc.depth == 8 || !doc.palette.empty()) chunks.push_back({"CMAP", PaletteOf(doc)});
    chunks.push_back({"BKDT", BlockBody(doc)});
    if (!doc.anims.empty() || !doc.animSeq.empty()) chunks.push_back({"ANDT", AnimBody(doc)});
    chunks.push_back({"BGFX", GraphicsBody(doc)});
    for (std::size_t i = 0; i < doc.layers.size(); ++i) chunks.push_back({LayerId(i), LayerBody(doc, i)});
    chunks.insert(chunks.end(), doc.extraChunks.begin(), doc.extraChunks.end());
    return FmpContainer(chunks);
}

void SaveFmp(const FmpDocument& doc, const std::string& path) {
    std::vector<uint8_t> bytes = WriteFmp(doc);
    std::string native = path;
    std::replace(native.begin(), native.end(), '\\', '/');
    std::FILE* f = std::fopen(native.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + path);
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> MakeSolidTile(int width, int height, int r, int g, int b, int a) {
    std::vector<uint8_t> tile(std::size_t(std::max(width, 0)) * std::size_t(std::max(height, 0)) * 4);
    for (std::size_t p = 0; p < tile.size(); p += 4) {
        tile[p] = uint8_t(r);
        tile[p + 1] = uint8_t(g);
        tile[p + 2] = uint8_t(b);
        tile[p + 3] = uint8_t(a);
    }
    return tile;
}
