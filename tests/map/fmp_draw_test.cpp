// Layer drawing: which cells are drawn where, counted through the headless
// back end, and the caller's drawing state left as it was.
#include <functional>

#include "map_test_util.h"

namespace {

class LayerDrawing : public HeadlessTest {
protected:
    // A 20 x 15 map of 16 x 16 blocks: exactly one 320 x 240 screen.
    std::unique_ptr<FmpMap> Grid(std::vector<int16_t> layer0, int w = 20, int h = 15) {
        FmpDocument doc = SimpleDoc(w, h, 4);
        doc.blocks[3].fgGraphic = 1, doc.blocks[3].fgGraphic2 = 0, doc.blocks[3].fgGraphic3 = 2;
        doc.layers[0] = std::move(layer0);
        auto m = LoadDoc(doc);
        m->currentLayer = 0;
        ResetDraws();
        return m;
    }
    static std::vector<int16_t> Only(int w, int h, int column, int row, int16_t value) {
        std::vector<int16_t> cells(std::size_t(w) * std::size_t(h), 0);
        cells[std::size_t(row * w + column)] = value;
        return cells;
    }
    uint64_t Count(const std::function<void()>& draw) {
        ResetDraws();
        draw();
        return Draws();
    }
};

TEST_F(LayerDrawing, StartColumnAndOffsetFollowTheMapPosition) {
    // mapX 20 with 16-pixel blocks: column 1 at screen x - 4, column 2 at x + 12.
    auto m = Grid(Only(20, 15, 2, 0, 1));
    EXPECT_EQ(Count([&] { m->DrawLayerBg(20, 0, 100, 50, 12, 16); }), 0u);
    EXPECT_EQ(Count([&] { m->DrawLayerBg(20, 0, 100, 50, 13, 16); }), 1u);
    m = Grid(Only(20, 15, 1, 0, 1));
    EXPECT_EQ(Count([&] { m->DrawLayerBg(20, 0, 100, 50, 1, 16); }), 1u);
    EXPECT_EQ(Count([&] { m->DrawLayerBg(32, 0, 100, 50, 1, 16); }), 0u);
    // The same down the rows: mapY 37 puts row 2 at y - 5 and row 3 at y + 11.
    m = Grid(Only(20, 15, 0, 3, 1));
    EXPECT_EQ(Count([&] { m->DrawLayerBg(0, 37, 0, 0, 16, 11); }), 0u);
    EXPECT_EQ(Count([&] { m->DrawLayerBg(0, 37, 0, 0, 16, 12); }), 1u);
}

TEST_F(LayerDrawing, OneDrawPerVisibleNonEmptyCell) {
    std::vector<int16_t> cells(300);
    for (std::size_t i = 0; i < cells.size(); ++i) cells[i] = int16_t(i % 2 ? 1 : 2);
    auto m = Grid(cells);
    EXPECT_EQ(Count([&] { m->DrawLayerBg(0, 0, 0, 0, 320, 240); }), 300u);
    // Half a block off in both directions: 21 x 16 cells, the spare column and
    // row among them, but they hold 0 and graphic 0 is never drawn.
    EXPECT_EQ(Count([&] { m->DrawLayerBg(8, 8, 0, 0, 320, 240); }), 300u);
    EXPECT_EQ(Count([&] { m->DrawLayerBgSolid(8, 8, 0, 0, 320, 240); }), 21u * 16u);
    cells.assign(300, 0);
    for (std::size_t i = 0; i < 300; i += 3) cells[i] = 1;
    m = Grid(cells);
    EXPECT_EQ(Count([&] { m->DrawLayerBg(0, 0, 0, 0, 320, 240); }), 100u);
    EXPECT_EQ(Count([&] { m->DrawLayerBgSolid(0, 0, 0, 0, 320, 240); }), 300u);  // graphic 0 included
}

TEST_F(LayerDrawing, AWholeLayerIsOneDrawCallAtWholePixels) {
    // Three different graphics over the whole screen: one texture, one run.
    std::vector<int16_t> cells(300);
    for (std::size_t i = 0; i < cells.size(); ++i) cells[i] = int16_t(1 + i % 3);
    auto m = Grid(cells);
    std::vector<sq::TQuadRecord> quads;
    sq::PresentFrame(0);
    sq::DrawStats() = sq::TDrawStats{};
    sq::RecordQuads(&quads);
    m->DrawLayerBg(5, 7, 0, 0, 320, 240);
    m->DrawLayerBgSolid(5, 7, 0, 0, 320, 240);
    m->DrawGraphic(2, 10.4f, 20.6f, 0, 0);
    sq::RecordQuads(nullptr);
    sq::PresentFrame(0);
    EXPECT_EQ(sq::DrawStats().drawCalls, 3u);  // two layers and the lone graphic
    EXPECT_EQ(sq::DrawStats().textureBinds, 1u);
    ASSERT_FALSE(quads.empty());
    for (const auto& q : quads)
        for (float v : q.xy) ASSERT_EQ(v, float(int(v)));
    EXPECT_EQ(quads.back().xy[0], 10.0f);
    EXPECT_EQ(quads.back().xy[1], 21.0f);
}

TEST_F(LayerDrawing, ImagesPutInAfterLoadingAreDrawnAsThemselves) {
    auto m = Grid(std::vector<int16_t>(300, 1));
    sq::ImageRef own = sq::LoadImageFrom(sq::NewPixmap(16, 16, sq::kPfRGBA), 0);
    m->images[1] = own;
    std::vector<sq::TQuadRecord> quads;
    sq::RecordQuads(&quads);
    m->DrawLayerBg(0, 0, 0, 0, 16, 16);
    sq::RecordQuads(nullptr);
    ASSERT_EQ(quads.size(), 1u);
    EXPECT_EQ(quads[0].texture, own->frames[0].texture);
}

TEST_F(LayerDrawing, ViewsPastTheMapEdgeStayInsideTheCells) {
    auto m = Grid(std::vector<int16_t>(300, 1));
    EXPECT_EQ(Count([&] { m->DrawLayerBgSolid(300, 200, 0, 0, 320, 240); }),
              3u * 4u);  // columns 18..20 and rows 12..15, spares included
    EXPECT_EQ(Count([&] { m->DrawLayerBgSolid(-40, -40, 0, 0, 320, 240); }), 18u * 13u);
    EXPECT_EQ(Count([&] { m->DrawLayerBg(100000, 100000, 0, 0, 320, 240); }), 0u);
    EXPECT_EQ(Count([&] { m->DrawLayerBg(0, 0, 0, 0, 0x7FFFFFFF, 0x7FFFFFFF); }), 300u);
}

TEST_F(LayerDrawing, ForegroundKindsPickTheirGraphic) {
    auto m = Grid(Only(20, 15, 0, 0, 3));  // block 3: fg 1, fg2 0, fg3 2
    EXPECT_EQ(Count([&] { m->DrawLayerFg(0, 0, 0, 0, 320, 240, 0); }), 1u);
    EXPECT_EQ(Count([&] { m->DrawLayerFg(0, 0, 0, 0, 320, 240, 1); }), 0u);
    EXPECT_EQ(Count([&] { m->DrawLayerFg(0, 0, 0, 0, 320, 240, 2); }), 1u);
    EXPECT_EQ(Count([&] { m->DrawLayerFg(0, 0, 0, 0, 320, 240, 7); }), 0u);
}

TEST_F(LayerDrawing, CallersDrawingStateIsPutBack) {
    auto m = Grid(std::vector<int16_t>(300, 1));
    const std::vector<std::function<void()>> calls = {
        [&] { m->DrawLayerBg(3, 3, 10, 10, 100, 100); },
        [&] { m->DrawLayerFg(3, 3, 10, 10, 100, 100, 0); },
        [&] { m->DrawLayerBgSolid(3, 3, 10, 10, 100, 100); },
        [&] { m->DrawLayerStaggered(3, 3, 10, 10, 100, 100, 1); },
        [&] { m->DrawStaggeredRow(3, 3, 10, 10, 100, 100, 1); },
        [&] { m->DrawGraphicIsolated(1, 5, 5, 0, 1); },
        [&] { m->DrawGraphicClipped(1, 5, 5, 2, 2, 8, 8, 0); },
    };
    for (const auto& call : calls) {
        sq::SetClipRect(1, 2, 300, 200);
        sq::SetDrawColor(10, 20, 30);
        sq::SetBlendMode(sq::kBlendShade);
        sq::SetDrawAlpha(0.25f);
        call();
        int x, y, w, h, r, g, b;
        sq::GetClipRect(x, y, w, h);
        sq::GetDrawColor(r, g, b);
        EXPECT_EQ(std::vector<int>({x, y, w, h, r, g, b, sq::GetBlendMode()}),
                  std::vector<int>({1, 2, 300, 200, 10, 20, 30, sq::kBlendShade}));
        EXPECT_FLOAT_EQ(sq::GetDrawAlpha(), 0.25f);
    }
    sq::SetBlendMode(sq::kBlendLight);
    m->DrawGraphic(1, 0, 0, 0, 1);  // solid, for this one image only
    EXPECT_EQ(sq::GetBlendMode(), sq::kBlendLight);
    m->ResetDrawState();
    EXPECT_EQ(sq::GetBlendMode(), sq::kBlendAlpha);
    EXPECT_FLOAT_EQ(sq::GetDrawAlpha(), 1.0f);
}

// Blocks 32 x 16 every 32 x 16 pixels, odd rows 16 x 8 off.
class StaggeredDrawing : public LayerDrawing {
protected:
    std::unique_ptr<FmpMap> Iso(int w, int h, int16_t value, std::vector<FmpBlockDef> extra = {}) {
        FmpDocument doc = SimpleDoc(w, h, 3);
        doc.blockWidth = 32, doc.blockHeight = 16;
        doc.blockStaggerX = 16, doc.blockStaggerY = 8;
        for (auto& t : doc.tileGraphicsRGBA) t = MakeSolidTile(32, 16, 50, 50, 50);
        doc.blocks.insert(doc.blocks.end(), extra.begin(), extra.end());
        doc.layers[0].assign(std::size_t(w) * std::size_t(h), value);
        auto m = LoadDoc(doc);
        m->currentLayer = 0;
        return m;
    }
};

TEST_F(StaggeredDrawing, EvenAndOddRowsAreDrawnOffsetIncludingGraphicZero) {
    auto m = Iso(10, 10, 0);
    // Rows 0..4 at y -8, 0, 8, 16, 24 (row 5 at 32 lies below the clip); even
    // rows at x -16, 16, 48, odd rows at 0, 32.
    EXPECT_EQ(Count([&] { m->DrawLayerStaggered(0, 0, 0, 0, 64, 32, 0); }), 13u);
    EXPECT_EQ(Count([&] { m->DrawLayerBg(0, 0, 0, 0, 64, 32); }), 13u);  // a staggered map goes there
    EXPECT_EQ(Count([&] { m->DrawLayerFg(0, 0, 0, 0, 64, 32, 0); }), 13u);
    EXPECT_EQ(Count([&] { m->DrawLayerStaggered(0, 0, 0, 0, 65, 32, 0); }), 15u);  // odd rows reach x 64 now
    EXPECT_EQ(Count([&] { m->DrawLayerStaggered(0, 0, 0, 0, 64, 33, 0); }), 15u);  // and row 5 shows
}

TEST_F(StaggeredDrawing, PillarsStackUpwardsAndHalvesAreClipped) {
    FmpBlockDef bottom;  // block 3: stacked under block 4
    bottom.fgGraphic = 1;
    bottom.flags = kFmpPillarNext;
    FmpBlockDef top;  // block 4
    top.bgGraphic = top.fgGraphic = top.fgGraphic2 = 2;
    auto m = Iso(3, 8, 3, {bottom, top});
    // Row 7 is drawn 48 pixels down, leaving room above for the pile.
    EXPECT_EQ(Count([&] { m->DrawStaggeredRow(0, 0, 0, 0, 96, 200, 7); }), 3u * 4u);
    EXPECT_EQ(Count([&] { m->DrawStaggeredRow(0, 0, 0, 0, 96, 200, 8); }), 0u);  // past the map

    bottom.flags = kFmpPillarNext | kFmpLeftHalfOnly | kFmpRightHalfOnly;  // both halves: nothing
    m = Iso(3, 8, 3, {bottom, top});
    EXPECT_EQ(Count([&] { m->DrawStaggeredRow(0, 0, 0, 0, 96, 200, 7); }), 3u * 3u);
    bottom.flags = kFmpPillarNext | kFmpLeftHalfOnly;
    m = Iso(3, 8, 3, {bottom, top});
    EXPECT_EQ(Count([&] { m->DrawStaggeredRow(0, 0, 0, 0, 96, 200, 7); }), 3u * 4u);
}

}  // namespace
