// The solidity and cell queries, edits of single cells, and the pixel
// queries of staggered maps.
#include "map_test_util.h"

namespace {

// 4 x 3 cells of 16 x 16 pixels. Block 0 is solid, block 2 is not; every
// cell of layer 0 holds block 2, so an answer of "solid" means blocks[0].
class GridQueries : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        FmpDocument doc = SimpleDoc(4, 3, 4);
        doc.blocks[0].flags = kFmpSolidTopLeft;
        doc.layers[0].assign(12, 2);
        doc.layers[1][5] = 3;  // cell (1, 1)
        map = LoadDoc(doc);
        ASSERT_EQ(map->errorCode, kFmpOk);
        map->currentLayer = 0;
    }
    std::unique_ptr<FmpMap> map;
};

TEST_F(GridQueries, IsSolidAtTruncatesTowardZero) {
    EXPECT_EQ(map->IsSolidAt(0, 0), 0);
    EXPECT_EQ(map->IsSolidAt(-1, 5), 0);   // -1 / 16 is column 0
    EXPECT_EQ(map->IsSolidAt(5, -15), 0);  // row 0
    EXPECT_EQ(map->IsSolidAt(-16, 5), 1);  // column -1: outside, answers as blocks[0]
    EXPECT_EQ(map->IsSolidAt(5, -16), 1);
}

TEST_F(GridQueries, SpareColumnAndRowHoldBlockZero) {
    EXPECT_EQ(map->IsSolidAt(63, 47), 0);
    EXPECT_EQ(map->IsSolidAt(64, 0), 1);  // the spare column
    EXPECT_EQ(map->IsSolidAt(0, 48), 1);  // the spare row
    EXPECT_EQ(map->IsSolidAt(80, 0), 1);  // past it: outside the array
    EXPECT_EQ(map->IsSolidAt(0, 1 << 30), 1);
    EXPECT_EQ(map->IsSolidAt(-(1 << 30), -(1 << 30)), 1);
}

TEST_F(GridQueries, BlockAtPixelAnswersBlockZeroOutsideTheMap) {
    EXPECT_EQ(&map->BlockAtPixel(-1, 0), &map->blocks[0]);
    EXPECT_EQ(&map->BlockAtPixel(0, -1), &map->blocks[0]);
    EXPECT_EQ(&map->BlockAtPixel(64, 0), &map->blocks[0]);
    EXPECT_EQ(&map->BlockAtPixel(0, 48), &map->blocks[0]);
    EXPECT_EQ(&map->BlockAtPixel(63, 47), &map->blocks[2]);
    map->currentLayer = 1;
    EXPECT_EQ(&map->BlockAtPixel(20, 31), &map->blocks[3]);
}

TEST_F(GridQueries, PixelToCellClampsToTheMap) {
    EXPECT_EQ(map->PixelToColumn(-40, 0), 0);
    EXPECT_EQ(map->PixelToColumn(47, 0), 2);
    EXPECT_EQ(map->PixelToColumn(5000, 0), 3);
    EXPECT_EQ(map->PixelToRow(0, -3), 0);
    EXPECT_EQ(map->PixelToRow(0, 16), 1);
    EXPECT_EQ(map->PixelToRow(0, 5000), 2);
}

TEST_F(GridQueries, SetCellWorksOnTheCurrentLayerOnly) {
    map->currentLayer = 1;
    map->SetCell(1, 1, 0);  // the player picks up the gift
    EXPECT_EQ(map->CellValue(1, 1, 1), 0);
    EXPECT_EQ(map->CellValue(1, 1, 0), 2);
    map->SetCell(4, 3, 7);  // the spare corner is still inside the array
    EXPECT_EQ(map->CellValue(4, 3, 1), 7);
    map->SetCell(-1, 0, 7);  // outside: ignored
    map->SetCell(0, 100, 7);
    map->currentLayer = 6;  // a layer that was not kept
    map->SetCell(0, 0, 7);
    EXPECT_EQ(map->CellValue(0, 0, 6), 0);
}

TEST_F(GridQueries, SetCellCheckedTakesCellCoordinatesInsideTheMap) {
    map->SetCellChecked(3, 2, 1);
    EXPECT_EQ(map->CellValue(3, 2, 0), 1);
    map->SetCellChecked(4, 0, 1);  // spare column: not part of the map
    map->SetCellChecked(0, 3, 1);
    map->SetCellChecked(-1, 0, 1);
    map->SetCellChecked(48, 32, 1);  // pixel-sized coordinates are refused, not written
    EXPECT_EQ(map->CellValue(4, 0, 0), 0);
    EXPECT_EQ(map->CellValue(0, 3, 0), 0);
}

TEST_F(GridQueries, LayersWithoutChunksReadZero) {
    FmpDocument doc = SimpleDoc(2, 2);
    doc.layers.resize(1);
    auto m = LoadDoc(doc);
    m->currentLayer = 2;
    EXPECT_EQ(&m->BlockAt(1, 1), &m->blocks[0]);
    m->SetCell(1, 1, 3);
    EXPECT_EQ(m->CellValue(1, 1, 2), 3);
    EXPECT_EQ(m->CellValue(0, 0, 2), 0);
}

TEST_F(GridQueries, SolidPixelNeedsAnOpaqueForegroundPixel) {
    FmpDocument doc = SimpleDoc(2, 1, 2);
    std::vector<uint8_t> tile = MakeSolidTile(16, 16, 200, 10, 10);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 8; ++y) tile[std::size_t((y * 16 + x) * 4 + 3)] = 0;  // top half clear
    doc.tileGraphicsRGBA[1] = tile;
    doc.layers[0] = {1, 0};
    auto m = LoadDoc(doc);
    m->currentLayer = 0;
    EXPECT_EQ(m->IsSolidPixelAt(3, 3), 0);
    EXPECT_EQ(m->IsSolidPixelAt(3, 12), 1);
    EXPECT_EQ(m->IsSolidAt(3, 3), 1);
    EXPECT_EQ(m->IsSolidPixelAt(20, 12), 0);  // block 0 is not solid
    EXPECT_EQ(m->IsSolidPixelAt(-1, 12), 0);  // column 0, but pixel -1 lies outside its graphic
}

// An isometric map: blocks 32 x 16 drawn every 40 x 20 pixels, odd rows set
// 16 x 8 off. The click mask (graphic 1) is clear in its top-left and
// bottom-right quarters.
class StaggeredQueries : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        FmpDocument doc = SimpleDoc(4, 8, 3);
        doc.blockWidth = 32, doc.blockHeight = 16;
        doc.blockGapX = 40, doc.blockGapY = 20;
        doc.blockStaggerX = 16, doc.blockStaggerY = 8;
        doc.clickMask = 1;
        for (auto& t : doc.tileGraphicsRGBA) t = MakeSolidTile(32, 16, 90, 90, 90);
        std::vector<uint8_t>& mask = doc.tileGraphicsRGBA[1];
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x)
                if ((x < 16) == (y < 8)) mask[std::size_t((y * 32 + x) * 4 + 3)] = 0;
        map = LoadDoc(doc);
        ASSERT_EQ(map->errorCode, kFmpOk);
    }
    std::unique_ptr<FmpMap> map;
};

TEST_F(StaggeredQueries, ClickMaskOffsetInTheGapsAndOnTheMask) {
    EXPECT_EQ(map->ClickMaskOffset(35, 5, 0), 0);   // right of the block, in the gap
    EXPECT_EQ(map->ClickMaskOffset(35, 5, 1), -1);  // above the stagger
    EXPECT_EQ(map->ClickMaskOffset(35, 12, 1), 1);
    EXPECT_EQ(map->ClickMaskOffset(10, 18, 1), 1);  // below the block
    EXPECT_EQ(map->ClickMaskOffset(10, 18, 0), -1);
    EXPECT_EQ(map->ClickMaskOffset(20, 18, 0), 0);
    EXPECT_EQ(map->ClickMaskOffset(4, 4, 0), -1);  // clear, left half, top half
    EXPECT_EQ(map->ClickMaskOffset(4, 4, 1), -1);
    EXPECT_EQ(map->ClickMaskOffset(20, 12, 0), 0);  // clear, right half, bottom half
    EXPECT_EQ(map->ClickMaskOffset(20, 12, 1), 1);
    EXPECT_EQ(map->ClickMaskOffset(20, 4, 0), 0);  // opaque
    EXPECT_EQ(map->ClickMaskOffset(20, 4, 1), 0);
    EXPECT_EQ(map->ClickMaskOffset(44, 24, 1), -1);  // the next cell over: same answers
}

TEST_F(StaggeredQueries, PixelToCellAddsTheStaggerAndTheMask) {
    // (24, 4) + stagger = (40, 12): column 1, row 0; mask pixel (0, 12) is opaque.
    EXPECT_EQ(map->PixelToColumn(24, 4), 1);
    EXPECT_EQ(map->PixelToRow(24, 4), 0);
    // (70, 26) + stagger = (86, 34): column 2 row 1, mask pixel (6, 14) opaque: row 1 * 2.
    EXPECT_EQ(map->PixelToColumn(70, 26), 2);
    EXPECT_EQ(map->PixelToRow(70, 26), 2);
    // (66, 14) + stagger = (82, 22): mask pixel (2, 2) clear: column 2 - 1, row 1 * 2 - 1.
    EXPECT_EQ(map->PixelToColumn(66, 14), 1);
    EXPECT_EQ(map->PixelToRow(66, 14), 1);
    EXPECT_EQ(map->PixelToColumn(-100, -100), 0);
    EXPECT_EQ(map->PixelToRow(5000, 5000), 7);
    map->clickMask = 0;  // without a mask: the plain cell of the shifted pixel
    EXPECT_EQ(map->PixelToColumn(66, 14), 2);
    EXPECT_EQ(map->PixelToRow(66, 14), 1);
}

}  // namespace
