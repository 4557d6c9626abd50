// Files the loader refuses, and files that lie: whatever the bytes, loading
// and everything after it stays inside the map's arrays.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "map_test_util.h"

namespace {

constexpr std::size_t kHeaderBody = 20;  // "FORM", length, "FMAP", "MPHD", length

// Overwrites a 16-bit field of the header chunk of a little-endian file.
void PatchHeader16(std::vector<uint8_t>& bytes, std::size_t fieldOffset, int value) {
    bytes[kHeaderBody + fieldOffset] = uint8_t(value & 255);
    bytes[kHeaderBody + fieldOffset + 1] = uint8_t((value >> 8) & 255);
}

// Everything the game and the tools do with a loaded map.
void Exercise(FmpMap& map) {
    map.InitAnims();
    for (int i = 0; i < 12; ++i) map.UpdateAnims();
    for (int layer = -1; layer <= 8; ++layer) {
        map.currentLayer = layer;
        for (int y : {-17, -1, 0, 5, 31, 64, 1000})
            for (int x : {-17, -1, 0, 7, 33, 80, 5000}) {
                map.IsSolidAt(x, y);
                map.IsSolidPixelAt(x, y);
                map.BlockAtPixel(x, y);
                map.PixelToColumn(x, y);
                map.PixelToRow(x, y);
                map.ClickMaskOffset(x, y, 0);
                map.ClickMaskOffset(x, y, 1);
            }
        map.DrawLayerBg(0, 0, 0, 0, 320, 240);
        map.DrawLayerFg(20, 3, 0, 0, 320, 240, 0);
        map.DrawLayerBgSolid(-5, -5, 0, 0, 64, 64);
        map.DrawLayerStaggered(7, 9, 0, 0, 64, 64, 2);
        map.DrawStaggeredRow(0, 0, 0, 0, 64, 64, 1);
        map.SetCellChecked(1, 1, 0);
        map.SetCell(-1, 1000, 5);
    }
}

class Refusals : public HeadlessTest {
protected:
    std::unique_ptr<FmpMap> LoadQuietly(const std::vector<uint8_t>& bytes, std::string* err = nullptr) {
        ::testing::internal::CaptureStderr();
        auto map = LoadBytes(bytes);
        std::string text = ::testing::internal::GetCapturedStderr();
        if (err) *err = text;
        return map;
    }
};

TEST_F(Refusals, SizesOutsideTheLimitsRefuseTheHeader) {
    struct Case {
        std::size_t field;
        int value;
        const char* says;
    };
    const Case cases[] = {{4, 4097, "4097 x 3"}, {4, 0, "0 x 3"},       {4, -5, "-5 x 3"},   {6, 4097, "4 x 4097"},
                          {12, 0, "0 x 16"},     {12, 257, "257 x 16"}, {14, -1, "16 x -1"}, {20, -1, "-1"},
                          {22, -3, "-3"},        {28, 0, "gap"},        {30, -2, "gap"}};
    for (const Case& c : cases) {
        FmpDocument doc = SimpleDoc(4, 3);
        doc.layers[0][0] = 1;
        std::vector<uint8_t> bytes = WriteFmp(doc);
        PatchHeader16(bytes, c.field, c.value);
        std::string err;
        auto map = LoadQuietly(bytes, &err);
        SCOPED_TRACE(c.says);
        EXPECT_EQ(map->errorCode, kFmpBadSizes);
        EXPECT_EQ(map->mapWidth, 0);
        EXPECT_EQ(map->blockWidth, 0);
        EXPECT_TRUE(map->images.empty());
        EXPECT_EQ(map->CellValue(0, 0, 0), 0);
        // One line naming the file and the reason, and the same text kept.
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
        EXPECT_EQ(err, map->LastError() + "\n");
        EXPECT_EQ(map->LastError().rfind("test.FMP: ", 0), 0u);
        EXPECT_NE(map->LastError().find(c.says), std::string::npos) << map->LastError();
        Exercise(*map);
    }
}

TEST_F(Refusals, TheLargestAllowedMapLoads) {
    FmpDocument doc = SimpleDoc(4096, 2, 2);
    doc.blockWidth = doc.blockHeight = 256;
    doc.tileGraphicsRGBA = {MakeSolidTile(256, 256, 0, 0, 0, 0), MakeSolidTile(256, 256, 9, 9, 9)};
    doc.layers.resize(1);
    doc.layers[0][4095] = 1;
    auto map = LoadDoc(doc);
    EXPECT_EQ(map->errorCode, kFmpOk) << map->LastError();
    map->currentLayer = 0;
    EXPECT_EQ(map->IsSolidAt(4095 * 256 + 255, 255), 1);
    EXPECT_EQ(map->IsSolidAt(4096 * 256, 0), 0);  // the spare column
}

TEST_F(Refusals, AnimationChunkWithoutEndMarker) {
    FmpDocument doc = SimpleDoc(3, 2);
    FmpAnimDef a;
    a.frames = {1, 3};
    doc.anims = {a};
    doc.animEndMarker = false;
    doc.layers[0][0] = -1;
    doc.layers[0][1] = 3;
    auto map = LoadQuietly(WriteFmp(doc));
    EXPECT_EQ(map->errorCode, kFmpBadAnims);
    EXPECT_NE(map->LastError().find("end marker"), std::string::npos);
    EXPECT_EQ(map->numAnims, 0);
    EXPECT_TRUE(map->anims.empty());
    // The rest of the file still loads; the animated cell shows block 0.
    map->currentLayer = 0;
    EXPECT_EQ(map->CellValue(1, 0, 0), 3);
    EXPECT_EQ(&map->BlockAt(0, 0), &map->blocks[0]);
    Exercise(*map);
}

TEST_F(Refusals, AnimationTableHoldsAThousandRecords) {
    FmpDocument doc = SimpleDoc(2, 2);
    FmpAnimDef a;
    a.frames = {1};
    doc.anims.assign(999, a);  // with the end marker: 1000 records
    auto map = LoadQuietly(WriteFmp(doc));
    EXPECT_EQ(map->errorCode, kFmpOk);
    EXPECT_EQ(map->numAnims, 1000);
    EXPECT_EQ(map->anims[1000].animType, kAnimEndMarker);

    doc.anims.push_back(a);
    map = LoadQuietly(WriteFmp(doc));
    EXPECT_EQ(map->errorCode, kFmpBadAnims);
    EXPECT_NE(map->LastError().find("more than 1000"), std::string::npos);
    EXPECT_EQ(map->numAnims, 0);
}

TEST_F(Refusals, AnimationChunkTooShortForARecord) {
    for (std::size_t length : {0u, 15u}) {
        FmpDocument doc = SimpleDoc(2, 2);
        // A marker byte just before the chunk must not be found by reading below its start.
        doc.extraChunks = {{"PADD", {255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
                           {"ANDT", std::vector<uint8_t>(length, 255)}};
        auto map = LoadQuietly(WriteFmp(doc));
        EXPECT_EQ(map->errorCode, kFmpBadAnims);
        EXPECT_EQ(map->numAnims, 0);
    }
}

TEST_F(Refusals, NegativeChunkLengthEndsTheLoad) {
    FmpDocument doc = SimpleDoc(2, 2);
    doc.layers[0][0] = 1;
    doc.leadingChunks = {{"JUNK", {}}};
    std::vector<uint8_t> bytes = WriteFmp(doc);
    bytes[16] = 0xFF;  // the length of "JUNK": -8 would step back onto itself for ever
    bytes[17] = bytes[18] = 0xFF;
    bytes[19] = 0xF8;
    auto map = LoadQuietly(bytes);
    EXPECT_EQ(map->errorCode, kFmpBadChunk);
    EXPECT_NE(map->LastError().find("JUNK"), std::string::npos);
    EXPECT_EQ(map->mapWidth, 0);
}

TEST_F(Refusals, CountsThatDoNotFitTheFileMakeNoGraphics) {
    FmpDocument doc = SimpleDoc(2, 2, 3);
    std::vector<uint8_t> bytes = WriteFmp(doc);
    PatchHeader16(bytes, 22, 30000);  // 30000 graphics of 16 x 16 claimed
    PatchHeader16(bytes, 20, 30000);  // and as many block structures
    auto map = LoadQuietly(bytes);
    EXPECT_EQ(map->errorCode, kFmpOk);
    std::size_t made = 0;
    for (const auto& image : map->images) made += image ? 1 : 0;
    EXPECT_LE(made, 4u);
    Exercise(*map);
}

TEST_F(Refusals, ZeroDepthAndZeroBlockSizeDivideNothing) {
    FmpDocument doc = SimpleDoc(3, 2);
    doc.version = 0;
    doc.layers[0] = {1, 2, 3, -1, -2, 0};
    std::vector<uint8_t> bytes = WriteFmp(doc);
    PatchHeader16(bytes, 16, 0);  // depth 0: FMP 0.5 graphic offsets cannot be divided
    PatchHeader16(bytes, 18, 0);  // block structure size 0: nor can the layer's offsets
    auto map = LoadQuietly(bytes);
    EXPECT_EQ(map->errorCode, kFmpOk);
    EXPECT_EQ(map->blocks[1].bgGraphic, 0);
    EXPECT_EQ(map->CellValue(0, 0, 0), 0);
    EXPECT_EQ(map->CellValue(0, 1, 0), -1);  // animations still divide by 16
    EXPECT_FALSE(map->images[1]);            // no graphics at an unknown depth
    Exercise(*map);
}

TEST_F(Refusals, EveryTruncationOfAFullMapIsHarmless) {
    FmpDocument doc = SimpleDoc(6, 5, 5, 16);
    doc.runLength = true;
    doc.blockStaggerX = 8;
    doc.blockStaggerY = 8;
    doc.clickMask = 2;
    FmpAnimDef a;
    a.animType = 5, a.frames = {1, 2, 3};
    doc.anims = {a, a};
    for (int i = 0; i < 30; ++i) doc.layers[0][std::size_t(i)] = int16_t(i % 7 - 2);
    std::vector<uint8_t> bytes = WriteFmp(doc);
    for (std::size_t n = 0; n <= bytes.size(); n += (n < 200 ? 1 : 7)) {
        std::vector<uint8_t> part(bytes.begin(), bytes.begin() + std::ptrdiff_t(n));
        auto map = LoadQuietly(part);
        Exercise(*map);
    }
    // Nothing at all, and a null pointer.
    FmpMap empty;
    empty.LoadMapFromMemory(nullptr, 100, 2, "none");
    Exercise(empty);
}

TEST_F(Refusals, CellsNamingMissingBlocksShowBlockZeroAndDrawNothing) {
    FmpDocument doc = SimpleDoc(4, 1, 4);
    FmpAnimDef a;
    a.frames = {3, 40};  // the second frame names a block that is not there
    doc.anims = {a};
    doc.layers[0] = {40, -7, -1, 3};
    auto map = LoadDoc(doc);
    map->currentLayer = 0;
    map->InitAnims();
    for (int column : {0, 1}) EXPECT_EQ(&map->BlockAt(column, 0), &map->blocks[0]);
    EXPECT_EQ(&map->BlockAt(2, 0), &map->blocks[3]);
    ResetDraws();
    map->DrawLayerBgSolid(0, 0, 0, 0, 64, 16);
    EXPECT_EQ(Draws(), 2u);  // cells 2 and 3
    map->UpdateAnims();
    EXPECT_EQ(&map->BlockAt(2, 0), &map->blocks[0]);  // animation now on its missing frame
    ResetDraws();
    map->DrawLayerBgSolid(0, 0, 0, 0, 64, 16);
    EXPECT_EQ(Draws(), 1u);
}

TEST_F(Refusals, LyingFormLengthIsQuick) {
    std::vector<uint8_t> bytes = {'F', 'O', 'R', 'M', 0x7F, 0xFF, 0xFF, 0xFF, 'F', 'M', 'A', 'P'};
    auto start = std::chrono::steady_clock::now();
    auto map = LoadQuietly(bytes);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(map->errorCode, kFmpOk);
}

// The fuzzer's kept corpus (hundreds of damaged and odd maps) and every input
// it once failed on load without harm in the ordinary build too.
TEST_F(Refusals, FuzzerCorpusAndFindingsLoadHarmlessly) {
    namespace fs = std::filesystem;
    ASSERT_TRUE(fs::is_directory(MAP_FUZZ_CORPUS_DIR)) << MAP_FUZZ_CORPUS_DIR;
    std::vector<fs::path> inputs;
    for (const char* dir : {MAP_FUZZ_CORPUS_DIR, MAP_REGRESSIONS_DIR})
        if (fs::is_directory(dir))
            for (const auto& entry : fs::directory_iterator(dir)) inputs.push_back(entry.path());
    EXPECT_GT(inputs.size(), 10u);
    for (const auto& path : inputs) {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(path.string());
        auto map = LoadQuietly(bytes);
        Exercise(*map);
    }
}

}  // namespace
