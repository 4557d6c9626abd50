// Loading FMP maps: round trips through the writer for every stored form, and
// the details of each chunk reader.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "map_test_util.h"
#include "platform/system/runtime_error.h"
#include "platform/video/pixmap.h"

namespace {

struct Form {
    int version;
    bool runLength;
    bool bigEndian;
    int depth;
};

std::string FormName(const ::testing::TestParamInfo<Form>& info) {
    const Form& f = info.param;
    return std::string(f.version == 0 ? "V05" : (f.runLength ? "V10rle" : "V10")) + (f.bigEndian ? "Big" : "Little") +
           "Depth" + std::to_string(f.depth);
}

std::vector<Form> AllForms() {
    std::vector<Form> forms;
    for (int kind = 0; kind < 3; ++kind)
        for (bool big : {false, true})
            for (int depth : {8, 15, 16, 24, 32}) forms.push_back({kind == 0 ? 0 : 1, kind == 2, big, depth});
    return forms;
}

// Pixel (x, y) of graphic `g` as loaded, 0xAARRGGBB.
uint32_t GraphicPixel(const FmpMap& map, int g, int x, int y) {
    sq::PixmapRef p = sq::LockImagePixels(map.images.at(std::size_t(g)), 0, 1, 0);
    EXPECT_TRUE(p);
    return p ? sq::PixmapGetPixel(p, x, y) : 0;
}

void SetPixel(std::vector<uint8_t>& tile, int width, int x, int y, int r, int g, int b, int a) {
    std::size_t p = (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4;
    tile[p] = uint8_t(r), tile[p + 1] = uint8_t(g), tile[p + 2] = uint8_t(b), tile[p + 3] = uint8_t(a);
}

// A map that uses every part of the format: odd block size, three graphics
// with clear pixels, blocks with every field, two animations, three layers.
FmpDocument FullDoc(const Form& f) {
    FmpDocument doc;
    doc.version = f.version;
    doc.runLength = f.runLength;
    doc.bigEndian = f.bigEndian;
    doc.depth = f.depth;
    doc.mapWidth = 5;
    doc.mapHeight = 4;
    doc.blockWidth = 16;
    doc.blockHeight = 8;
    // Channels of 0 and 255 survive every depth exactly.
    doc.tileGraphicsRGBA.push_back(MakeSolidTile(16, 8, 0, 0, 0, 0));
    std::vector<uint8_t> t1 = MakeSolidTile(16, 8, 0, 0, 255);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) SetPixel(t1, 16, x, y, 255, 0, 0, 255);
    SetPixel(t1, 16, 3, 2, 0, 0, 0, 0);
    doc.tileGraphicsRGBA.push_back(t1);
    std::vector<uint8_t> t2 = MakeSolidTile(16, 8, 0, 255, 0);
    SetPixel(t2, 16, 15, 7, 255, 255, 255, 255);
    doc.tileGraphicsRGBA.push_back(t2);

    FmpBlockDef empty;
    FmpBlockDef full;
    full.bgGraphic = 1, full.fgGraphic = 2, full.fgGraphic2 = 0, full.fgGraphic3 = 1;
    full.user1 = -70000, full.user2 = 123456, full.user3 = -5, full.user4 = 300;
    full.user5 = 200, full.user6 = 7, full.user7 = 255;
    full.flags = 0xA5;  // solidTopLeft, solidBottomLeft, pillarNext, rightHalfOnly
    FmpBlockDef ground;
    ground.bgGraphic = 2;
    ground.flags = kFmpSolidTopLeft;
    doc.blocks = {empty, full, ground};

    FmpAnimDef blink;
    blink.animType = 1, blink.delay = 2, blink.userValue = 9, blink.frames = {1, 2};
    FmpAnimDef swing;
    swing.animType = 8, swing.delay = 0, swing.frames = {2, 1, 0};
    doc.anims = {blink, swing};

    doc.layers.assign(3, std::vector<int16_t>(20, 0));
    for (int i = 0; i < 20; ++i) doc.layers[0][std::size_t(i)] = int16_t(i % 3);
    doc.layers[0][7] = -1;
    doc.layers[0][8] = -2;
    for (int i = 10; i < 20; ++i) doc.layers[1][std::size_t(i)] = 2;  // a long run
    doc.layers[2][19] = 1;
    return doc;
}

class RoundTrip : public HeadlessTest, public ::testing::WithParamInterface<Form> {};

TEST_P(RoundTrip, EveryPartComesBackAsWritten) {
    const Form f = GetParam();
    FmpDocument doc = FullDoc(f);
    auto map = LoadDoc(doc);
    ASSERT_EQ(map->errorCode, kFmpOk) << map->LastError();
    EXPECT_EQ(map->mapType, f.version == 0 ? 0 : (f.runLength ? 2 : 1));
    EXPECT_EQ(map->littleEndian, f.bigEndian ? 0 : 1);
    EXPECT_EQ(map->mapWidth, 5);
    EXPECT_EQ(map->mapHeight, 4);
    EXPECT_EQ(map->blockWidth, 16);
    EXPECT_EQ(map->blockHeight, 8);
    EXPECT_EQ(map->blockDepth, f.depth);
    EXPECT_EQ(map->numBlockStr, 3);
    EXPECT_EQ(map->numBlockGfx, 3);
    EXPECT_EQ(map->blockGapX, 16);
    EXPECT_EQ(map->blockGapY, 8);

    ASSERT_EQ(map->blocks.size(), 4u);
    const BLKSTR& b = map->blocks[1];
    EXPECT_EQ(b.bgGraphic, 1);
    EXPECT_EQ(b.fgGraphic, 2);
    EXPECT_EQ(b.fgGraphic2, 0);
    EXPECT_EQ(b.fgGraphic3, 1);
    EXPECT_EQ(b.user1, -70000);
    EXPECT_EQ(b.user2, 123456);
    EXPECT_EQ(b.user3, -5);
    EXPECT_EQ(b.user4, 300);
    EXPECT_EQ(b.user5, 200);
    EXPECT_EQ(b.user6, 7);
    EXPECT_EQ(b.user7, 255);
    EXPECT_EQ(std::vector<int>({b.solidTopLeft, b.solidTopRight, b.solidBottomLeft, b.solidBottomRight, b.trigger,
                                b.pillarNext, b.leftHalfOnly, b.rightHalfOnly}),
              std::vector<int>({1, 0, 1, 0, 0, 1, 0, 1}));
    EXPECT_EQ(map->blocks[2].bgGraphic, 2);

    EXPECT_EQ(map->numAnims, 3);  // two animations and the end marker
    EXPECT_EQ(map->anims[1].animType, 1);
    EXPECT_EQ(map->anims[1].delay, 2);
    EXPECT_EQ(map->anims[1].userValue, 9);
    EXPECT_EQ(map->anims[1].start, 0);
    EXPECT_EQ(map->anims[1].end, 2);
    EXPECT_EQ(map->anims[2].animType, 8);
    EXPECT_EQ(map->anims[2].start, 2);
    EXPECT_EQ(map->anims[2].end, 5);
    EXPECT_EQ(map->anims[3].animType, kAnimEndMarker);
    ASSERT_GE(map->animSeq.size(), 5u);
    EXPECT_EQ(std::vector<int>(map->animSeq.begin(), map->animSeq.begin() + 5), std::vector<int>({1, 2, 2, 1, 0}));

    for (int layer = 0; layer < 3; ++layer)
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 5; ++column)
                EXPECT_EQ(map->CellValue(column, row, layer),
                          doc.layers[std::size_t(layer)][std::size_t(row * 5 + column)])
                    << "layer " << layer << " cell " << column << "," << row;
    // The spare column and row hold 0.
    EXPECT_EQ(map->CellValue(5, 0, 1), 0);
    EXPECT_EQ(map->CellValue(4, 4, 1), 0);

    ASSERT_EQ(map->images.size(), 4u);
    EXPECT_EQ(map->keyPixel, 0x00FF00FF);
    EXPECT_EQ(GraphicPixel(*map, 0, 5, 5) >> 24, 0u);
    EXPECT_EQ(GraphicPixel(*map, 1, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(GraphicPixel(*map, 1, 3, 2) >> 24, 0u);  // written in the key colour, loaded clear
    EXPECT_EQ(GraphicPixel(*map, 1, 8, 0), 0xFF0000FFu);
    EXPECT_EQ(GraphicPixel(*map, 2, 0, 0), 0xFF00FF00u);
    EXPECT_EQ(GraphicPixel(*map, 2, 15, 7), 0xFFFFFFFFu);
    EXPECT_FALSE(map->images[3]);
}

INSTANTIATE_TEST_SUITE_P(AllForms, RoundTrip, ::testing::ValuesIn(AllForms()), FormName);

class ChunkReaders : public HeadlessTest {};

TEST_F(ChunkReaders, ShortHeaderTakesDefaultKeyAndGaps) {
    FmpDocument doc = SimpleDoc(3, 2);
    doc.headerSize = 24;
    doc.keyRed = doc.keyGreen = doc.keyBlue = 0;
    doc.blockGapX = 40;
    auto map = LoadDoc(doc);
    EXPECT_EQ(map->errorCode, kFmpOk);
    EXPECT_EQ(std::vector<int>({map->keyIndex8, map->keyRed, map->keyGreen, map->keyBlue}),
              std::vector<int>({0, 255, 0, 255}));
    EXPECT_EQ(map->blockGapX, 16);
    EXPECT_EQ(map->blockGapY, 16);
    EXPECT_EQ(map->blockStaggerX, 0);
    EXPECT_EQ(map->blockStaggerY, 0);
    EXPECT_EQ(map->clickMask, 0);

    doc.headerSize = 28;  // key present, gaps not
    map = LoadDoc(doc);
    EXPECT_EQ(map->keyRed, 0);
    EXPECT_EQ(map->keyBlue, 0);
    EXPECT_EQ(map->blockGapX, 16);

    doc.headerSize = 36;  // gaps present, click mask not
    doc.clickMask = 3;
    map = LoadDoc(doc);
    EXPECT_EQ(map->blockGapX, 40);
    EXPECT_EQ(map->clickMask, 0);
}

TEST_F(ChunkReaders, Fmp05LayerValuesAreByteOffsets) {
    FmpDocument doc = SimpleDoc(4, 1);
    doc.version = 0;
    doc.layers.clear();
    doc.extraChunks.push_back({"BODY", Int16Bytes({-32, 3 * 32, -8, 40}, doc.bigEndian)});
    auto map = LoadDoc(doc);
    EXPECT_EQ(map->CellValue(0, 0, 0), -2);  // animation 2
    EXPECT_EQ(map->CellValue(1, 0, 0), 3);
    EXPECT_EQ(map->CellValue(2, 0, 0), 0);  // -8 / 16 truncates to 0
    EXPECT_EQ(map->CellValue(3, 0, 0), 1);  // 40 / 32
}

TEST_F(ChunkReaders, Fmp05BlockGraphicsAreDividedByTheGraphicSize) {
    for (int depth : {8, 15, 16, 24, 32}) {
        FmpDocument doc = SimpleDoc(2, 2, 4, depth);
        doc.version = 0;
        auto map = LoadDoc(doc);
        ASSERT_EQ(map->errorCode, kFmpOk);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(map->blocks[std::size_t(i)].bgGraphic, i) << "depth " << depth;
    }
}

TEST_F(ChunkReaders, RunLengthRowsExpand) {
    FmpDocument doc = SimpleDoc(5, 3);
    doc.runLength = true;
    doc.layers.clear();
    std::vector<int> runs = {3,  11, 12, 13, -2, 14,     // 11 12 13 14 14
                             0,  99, -3, 4,  2,  5,  6,  // a zero count takes its value and fills nothing
                             -5, 7};
    doc.extraChunks.push_back({"BODY", Int16Bytes(runs, doc.bigEndian)});
    auto map = LoadDoc(doc);
    std::vector<int> got;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 5; ++column) got.push_back(map->CellValue(column, row, 0));
    EXPECT_EQ(got, std::vector<int>({11, 12, 13, 14, 14, 4, 4, 4, 5, 6, 7, 7, 7, 7, 7}));
}

TEST_F(ChunkReaders, RunsPastTheRowEndAreCutThere) {
    FmpDocument doc = SimpleDoc(4, 3);
    doc.runLength = true;
    doc.layers.clear();
    std::vector<int> runs = {6,   1, 2, 3, 4, 5, 6,  // literal run of six in a row of four
                             -10, 8,                 // fill of ten
                             2,   1, 2, 5, 3, 3, 3, 3, 3};
    doc.extraChunks.push_back({"BODY", Int16Bytes(runs, doc.bigEndian)});
    auto map = LoadDoc(doc);
    std::vector<int> got;
    for (int row = 0; row < 4; ++row)  // row 3 is the spare row
        for (int column = 0; column < 5; ++column) got.push_back(map->CellValue(column, row, 0));
    EXPECT_EQ(got, std::vector<int>({1, 2, 3, 4, 0, 8, 8, 8, 8, 0, 1, 2, 3, 3, 0, 0, 0, 0, 0, 0}));
}

TEST_F(ChunkReaders, AnimationChunkSequenceAndRecords) {
    FmpDocument doc = SimpleDoc(2, 2);
    doc.animSeq = {10, 11, 12};  // 12 bytes of sequence
    FmpAnimDef a;
    a.animType = 1;
    a.start = 0, a.end = 3, a.current = 1;
    doc.anims = {a};
    auto map = LoadDoc(doc);
    EXPECT_EQ(map->numAnims, 2);
    EXPECT_EQ(map->anims[1].animType, 1);
    EXPECT_EQ(map->anims[1].current, 1);
    EXPECT_EQ(map->anims[1].end, 3);
    EXPECT_EQ(map->anims[2].animType, kAnimEndMarker);
    EXPECT_EQ(map->anims.size(), 1001u);
    EXPECT_EQ(map->animSeq, std::vector<int>({10, 11, 12, 0}));
}

TEST_F(ChunkReaders, Fmp05AnimationOffsetsBecomeIndices) {
    FmpDocument doc = SimpleDoc(2, 2);
    doc.version = 0;
    FmpAnimDef a;
    a.animType = 2, a.frames = {3, 1, 2};
    doc.anims = {a, a};
    auto map = LoadDoc(doc);
    EXPECT_EQ(map->anims[2].start, 3);
    EXPECT_EQ(map->anims[2].end, 6);
    EXPECT_EQ(std::vector<int>(map->animSeq.begin(), map->animSeq.begin() + 6), std::vector<int>({3, 1, 2, 3, 1, 2}));
}

TEST_F(ChunkReaders, SixteenBitPixelsReadHighByteFirst) {
    for (bool big : {false, true}) {
        FmpDocument doc = SimpleDoc(1, 1, 0, 16);
        doc.blockWidth = 2, doc.blockHeight = 1;
        doc.bigEndian = big;
        doc.tileGraphicsRGBA.push_back(MakeSolidTile(2, 1, 1, 1, 1));  // only to count one graphic
        std::vector<FmpChunk> chunks = {{"MPHD", FmpChunkBody(doc, "MPHD")}, {"BGFX", {0xF8, 0x1F, 0x07, 0xE0}}};
        auto map = LoadBytes(FmpContainer(chunks));
        EXPECT_EQ(GraphicPixel(*map, 0, 0, 0), 0x00FF00FFu);  // magenta, the default key: clear
        EXPECT_EQ(GraphicPixel(*map, 0, 1, 0), 0xFF00FF00u);
    }
}

TEST_F(ChunkReaders, ThirtyTwoBitFirstByteIsIgnored) {
    FmpDocument doc = SimpleDoc(1, 1, 0, 32);
    doc.tileGraphicsRGBA.push_back(MakeSolidTile(16, 16, 0, 0, 0, 0));
    doc.tileGraphicsRGBA.push_back(MakeSolidTile(16, 16, 10, 20, 30));
    doc.pad32 = 0;
    auto plain = LoadDoc(doc);
    doc.pad32 = 0xFF;
    auto padded = LoadDoc(doc);
    EXPECT_EQ(GraphicPixel(*plain, 0, 0, 0), GraphicPixel(*padded, 0, 0, 0));
    EXPECT_EQ(GraphicPixel(*padded, 0, 0, 0) >> 24, 0u);
    EXPECT_EQ(GraphicPixel(*plain, 1, 4, 4), 0xFF0A141Eu);
    EXPECT_EQ(GraphicPixel(*padded, 1, 4, 4), 0xFF0A141Eu);
}

TEST_F(ChunkReaders, EightBitKeyByIndexOrByColour) {
    FmpDocument doc = SimpleDoc(1, 1, 0, 8);
    doc.blockWidth = 4, doc.blockHeight = 1;
    doc.tileGraphicsRGBA.push_back(MakeSolidTile(4, 1, 1, 1, 1));
    doc.keyIndex8 = 0;
    doc.palette = {1, 2, 3, 255, 0, 255, 10, 20, 30};
    std::vector<FmpChunk> chunks = {{"MPHD", FmpChunkBody(doc, "MPHD")}, {"CMAP", doc.palette}, {"BGFX", {0, 1, 2, 7}}};
    auto map = LoadBytes(FmpContainer(chunks));
    EXPECT_EQ(map->keyPixel, 0x00010203);                 // the palette colour of the key index
    EXPECT_EQ(GraphicPixel(*map, 0, 0, 0), 0x00010203u);  // key index: clear
    EXPECT_EQ(GraphicPixel(*map, 0, 1, 0), 0x00FF00FFu);  // key colour at another index: clear
    EXPECT_EQ(GraphicPixel(*map, 0, 2, 0), 0xFF0A141Eu);
    EXPECT_EQ(GraphicPixel(*map, 0, 3, 0), 0xFF000000u);  // an entry past the palette reads black
}

TEST_F(ChunkReaders, UnknownAndEmptyChunksAreSkipped) {
    FmpDocument doc = SimpleDoc(3, 2);
    doc.layers[0] = {1, 2, 3, 3, 2, 1};
    auto reference = LoadDoc(doc);
    std::vector<FmpChunk> chunks = {{"ATHR", {}},
                                    {"MPHD", FmpChunkBody(doc, "MPHD")},
                                    {"EDHD", {1, 2, 3, 4, 5, 6, 7}},
                                    {"BKDT", FmpChunkBody(doc, "BKDT")},
                                    {std::string(4, '\0'), {}},
                                    {"BGFX", FmpChunkBody(doc, "BGFX")},
                                    {"LYR8", {9, 9, 9}},
                                    {"BODY", FmpChunkBody(doc, "BODY")},
                                    {"NOTE", std::vector<uint8_t>(1001, 0xEE)}};
    auto map = LoadBytes(FmpContainer(chunks));
    EXPECT_EQ(map->errorCode, kFmpOk);
    EXPECT_EQ(map->numBlockGfx, reference->numBlockGfx);
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 2; ++row)
            EXPECT_EQ(map->CellValue(column, row, 0), reference->CellValue(column, row, 0));
    EXPECT_TRUE(map->images[2]);
}

TEST_F(ChunkReaders, LayersAboveTheLimitAreSkipped) {
    FmpDocument doc = SimpleDoc(2, 2);
    doc.layers.assign(5, std::vector<int16_t>(4, 0));
    for (int l = 0; l < 5; ++l) doc.layers[std::size_t(l)][0] = int16_t(l + 1);
    auto map = LoadDoc(doc, 2);
    EXPECT_EQ(map->cells.size(), 3u);
    EXPECT_EQ(map->CellValue(0, 0, 2), 3);
    EXPECT_EQ(map->CellValue(0, 0, 3), 0);
    map = LoadDoc(doc, 4);
    EXPECT_EQ(map->CellValue(0, 0, 4), 5);
    map = LoadDoc(doc, 99);  // eight layers at most
    EXPECT_EQ(map->layerLimit, 7);
}

TEST_F(ChunkReaders, BadContainerIsReportedAndLoadingGoesOn) {
    FmpDocument doc = SimpleDoc(2, 2);
    doc.layers[0][3] = 2;
    std::vector<uint8_t> bytes = WriteFmp(doc);
    bytes[3] = 'X';  // "FORX"
    ::testing::internal::CaptureStderr();
    auto map = LoadBytes(bytes);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(map->errorCode, kFmpBadContainer);
    EXPECT_EQ(map->CellValue(1, 1, 0), 2);
    EXPECT_NE(err.find("test.FMP"), std::string::npos);
}

TEST_F(ChunkReaders, NewerVersionOrMapTypeRefusesTheHeader) {
    FmpDocument doc = SimpleDoc(2, 2);
    doc.layers[0][0] = 1;
    for (int offset : {20, 23}) {  // major version, map type
        std::vector<uint8_t> bytes = WriteFmp(doc);
        bytes[std::size_t(offset)] = offset == 20 ? 2 : 4;
        ::testing::internal::CaptureStderr();
        auto map = LoadBytes(bytes);
        ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(map->errorCode, kFmpHeaderRefused);
        EXPECT_EQ(map->mapWidth, 0);
        EXPECT_EQ(map->CellValue(0, 0, 0), 0);
        EXPECT_TRUE(map->images.empty());
    }
}

TEST_F(ChunkReaders, MapTypeThreeLayersAreRefusedWithAMessage) {
    FmpDocument doc = SimpleDoc(2, 2);
    doc.layers[0][0] = 1;
    std::vector<uint8_t> bytes = WriteFmp(doc);
    bytes[23] = 3;
    ::testing::internal::CaptureStdout();
    auto map = LoadBytes(bytes);
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(map->mapType, 3);
    EXPECT_EQ(map->CellValue(0, 0, 0), 0);
    EXPECT_NE(out.find("Sorry, unsupported use FMP0.5 or FMP1.0 for now\n"), std::string::npos);
    EXPECT_TRUE(map->images[1]);  // the other chunks still load
}

TEST_F(ChunkReaders, FormLengthGovernsTheChunkLoop) {
    FmpDocument doc = SimpleDoc(2, 2);
    doc.layers[0][0] = 1;
    std::vector<uint8_t> bytes = WriteFmp(doc);
    std::vector<uint8_t> shorter = bytes;
    // FORM length covering everything but the three layer chunks (8 + 8 bytes each).
    uint32_t upToBody = uint32_t(bytes.size() - 8 - 3 * 16);
    shorter[4] = uint8_t(upToBody >> 24), shorter[5] = uint8_t(upToBody >> 16);
    shorter[6] = uint8_t(upToBody >> 8), shorter[7] = uint8_t(upToBody);
    auto map = LoadBytes(shorter);
    EXPECT_TRUE(map->images[1]);
    EXPECT_EQ(map->CellValue(0, 0, 0), 0);
    std::vector<uint8_t> longer = bytes;
    longer[4] = 0x7F, longer[5] = longer[6] = longer[7] = 0xFF;
    map = LoadBytes(longer);
    EXPECT_EQ(map->errorCode, kFmpOk);
    EXPECT_EQ(map->CellValue(0, 0, 0), 1);
}

TEST_F(ChunkReaders, LoadMapReadsAFileByItsBackslashPath) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("sq_map_test_" + std::to_string(::getpid()));
    fs::create_directories(dir / "maps");
    FmpDocument doc = SimpleDoc(3, 3);
    doc.layers[2][4] = 3;
    SaveFmp(doc, (dir / "maps").string() + "\\level_1.FMP");
    FmpMap map;
    EXPECT_EQ(map.LoadMap((dir / "maps").string() + "\\level_1.FMP", 2), 0);
    EXPECT_EQ(map.CellValue(1, 1, 2), 3);

    // A bare layer file goes into the current layer, values unchanged.
    std::ofstream((dir / "layer.bin").string(), std::ios::binary)
        .write(reinterpret_cast<const char*>(Int16Bytes({-1, 64, 5, 0, 32, -16}, false).data()), 12);
    map.currentLayer = 1;
    EXPECT_EQ(map.LoadLayerFile((dir / "layer.bin").string()), 0);
    EXPECT_EQ(std::vector<int>({map.CellValue(0, 0, 1), map.CellValue(1, 0, 1), map.CellValue(2, 0, 1),
                                map.CellValue(0, 1, 1), map.CellValue(1, 1, 1), map.CellValue(2, 1, 1),
                                map.CellValue(0, 2, 1)}),
              std::vector<int>({-1, 64, 5, 0, 32, -16, 0}));
    map.currentLayer = 5;
    EXPECT_EQ(map.LoadLayerFile((dir / "layer.bin").string()), -1);

    try {
        map.LoadMap((dir / "maps").string() + "\\missing.FMP", 2);
        ADD_FAILURE() << "a missing map must stop the game";
    } catch (const sq::TRuntimeError& e) {
        EXPECT_STREQ(e.what(), sq::kStreamReadMessage);
        EXPECT_NE(e.Subject().find("missing.FMP"), std::string::npos);
    }
    fs::remove_all(dir);
}

TEST_F(ChunkReaders, FreeMapReleasesGraphicsBlocksAndAnimations) {
    FmpDocument doc = FullDoc({1, false, false, 16});
    auto map = LoadDoc(doc);
    std::weak_ptr<sq::TImage> image = map->images[1];
    map->FreeMap();
    EXPECT_TRUE(image.expired());
    EXPECT_TRUE(map->blocks.empty());
    EXPECT_TRUE(map->anims.empty());
    EXPECT_FALSE(map->animSeq.empty());  // kept, as are the cells
    EXPECT_EQ(map->CellValue(0, 2, 0), doc.layers[0][10]);
    map->UpdateAnims();  // nothing left to step, and no harm
    EXPECT_EQ(map->IsSolidAt(16, 0), 0);
}

}  // namespace

namespace {

TEST(FmpWriteCommand, TextDescriptionBecomesAMap) {
    sq::SetGraphicsBackend(sq::GraphicsBackend::kHeadless);
    FmpMap map;
    map.LoadMap(MAP_SAMPLE_FILE, 2);
    ASSERT_EQ(map.errorCode, kFmpOk) << map.LastError();
    EXPECT_EQ(map.mapType, 2);
    EXPECT_EQ(map.littleEndian, 0);
    EXPECT_EQ(map.mapWidth, 4);
    EXPECT_EQ(map.mapHeight, 3);
    EXPECT_EQ(map.numBlockGfx, 3);
    EXPECT_EQ(map.blocks[1].solidTopLeft, 1);
    EXPECT_EQ(map.blocks[2].user3, -7);
    EXPECT_EQ(map.blocks[2].user7, 11);
    EXPECT_EQ(map.anims[1].delay, 3);
    EXPECT_EQ(map.CellValue(1, 1, 0), -1);
    EXPECT_EQ(map.CellValue(3, 2, 0), 1);
    EXPECT_EQ(map.CellValue(3, 0, 1), 2);
    map.currentLayer = 0;
    map.InitAnims();
    EXPECT_EQ(map.IsSolidAt(20, 20), 1);  // the animation shows block 1 first
    EXPECT_EQ(sq::PixmapGetPixel(sq::LockImagePixels(map.images[0], 0, 1, 0), 0, 0) >> 24, 0u);
    EXPECT_EQ(sq::PixmapGetPixel(sq::LockImagePixels(map.images[2], 0, 1, 0), 0, 0), 0xFF00FF00u);
}

}  // namespace
