// The drawing state, images, text and frame pacing on the headless display,
// where time is a manual clock and draws are only counted.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "graphics_test_support.h"
#include "platform/system/clock.h"
#include "platform/system/runtime_error.h"
#include "platform/video/graphics.h"

namespace {

using namespace sq;

class HeadlessGraphics : public ::testing::Test {
protected:
    void SetUp() override {
        clock = std::make_shared<TManualClock>(10000);
        SetClock(clock);
        SetGraphicsBackend(GraphicsBackend::kHeadless);
        SetLoadMaskColor(0, 0, 0);
        ASSERT_TRUE(OpenGraphicsMode(320, 240, 32, 60, 0));
        DrawStats() = TDrawStats{};
    }
    void TearDown() override {
        CloseGraphicsMode();
        SetClock(nullptr);
    }
    std::shared_ptr<TManualClock> clock;
};

// ---- Drawing state ----

TEST_F(HeadlessGraphics, OpeningAModeResetsTheDrawingState) {
    SetDrawColor(1, 2, 3);
    SetDrawAlpha(0.25f);
    SetBlendMode(4);
    SetDrawRotation(45);
    SetDrawScale(2, 3);
    SetClipRect(10, 10, 20, 20);
    ASSERT_TRUE(OpenGraphicsMode(640, 480, 32, 60, 0));
    int r, g, b, x, y, w, h;
    GetDrawColor(r, g, b);
    EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(GetDrawAlpha(), 1.0f);
    EXPECT_EQ(GetBlendMode(), kBlendMask);
    EXPECT_EQ(GetDrawRotation(), 0.0f);
    float sx, sy;
    GetDrawScale(sx, sy);
    EXPECT_EQ(sx, 1.0f);
    EXPECT_EQ(sy, 1.0f);
    GetClipRect(x, y, w, h);
    EXPECT_EQ((std::vector<int>{x, y, w, h}), (std::vector<int>{0, 0, 640, 480}));
    EXPECT_EQ(ScreenWidth(), 640);
    EXPECT_EQ(ScreenHeight(), 480);
}

TEST_F(HeadlessGraphics, ColourAndAlphaAreKeptAsGiven) {
    // Out-of-range values are clamped only when drawing; the snowflakes rely
    // on reading back what they set.
    SetDrawColor(310, -4, 128);
    int r, g, b;
    GetDrawColor(r, g, b);
    EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{310, -4, 128}));
    SetDrawAlpha(1.5f);
    EXPECT_EQ(GetDrawAlpha(), 1.5f);
    SetDrawAlpha(-1.0f);
    EXPECT_EQ(GetDrawAlpha(), -1.0f);
    SetBlendMode(9);
    EXPECT_EQ(GetBlendMode(), 9);
}

TEST_F(HeadlessGraphics, BlendChangesThatChangeNothingIssueNothing) {
    ImageRef img = LoadImageFrom(sqtest::SolidPixmap(4, 4, kPfRGBA, 0xFFFFFFFFu), 0);
    DrawImageAt(img, 0, 0, 0);
    EXPECT_EQ(DrawStats().blendChanges, 1u);  // the first draw sets the mode up
    DrawImageAt(img, 0, 0, 0);
    SetBlendMode(kBlendMask);
    DrawImageAt(img, 0, 0, 0);
    EXPECT_EQ(DrawStats().blendChanges, 1u);
    // Set and set back before anything is drawn: nothing reaches the display.
    SetBlendMode(kBlendAlpha);
    SetBlendMode(kBlendMask);
    FillRect(0, 0, 4, 4);
    EXPECT_EQ(DrawStats().blendChanges, 1u);
    SetBlendMode(kBlendSolid);
    DrawImageAt(img, 0, 0, 0);
    EXPECT_EQ(DrawStats().blendChanges, 2u);
    // Unknown modes behave as solid, so switching to one from solid is free.
    SetBlendMode(42);
    DrawImageAt(img, 0, 0, 0);
    EXPECT_EQ(DrawStats().blendChanges, 2u);
    SetBlendMode(kBlendShade);
    DrawImageAt(img, 0, 0, 0);
    EXPECT_EQ(DrawStats().blendChanges, 3u);
    EXPECT_EQ(DrawStats().imageDraws, 6u);
    EXPECT_EQ(DrawStats().rects, 1u);
}

// ---- Images ----

TEST_F(HeadlessGraphics, ImagesTakeFlagsMaskColourAndHandleAtLoad) {
    SetLoadMaskColor(255, 0, 255);
    PixmapRef rgb = sqtest::SolidPixmap(6, 4, kPfRGB, 0xFFFF00FFu);
    PixmapSetPixel(rgb, 2, 2, 0xFF102030u);
    ImageRef img = LoadImageFrom(rgb, -1);
    SetLoadMaskColor(0, 0, 0);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->flags, kImgMasked | kImgFiltered);
    EXPECT_EQ(img->width, 6);
    EXPECT_EQ(img->height, 4);
    EXPECT_EQ((std::vector<int>{img->maskR, img->maskG, img->maskB}), (std::vector<int>{255, 0, 255}));
    EXPECT_EQ(img->handleX, 0.0f);
    ASSERT_EQ(img->FrameCount(), 1);
    PixmapRef stored = img->frames[0].pixmap;
    EXPECT_EQ(stored->format, kPfRGBA);
    EXPECT_EQ(PixmapGetPixel(stored, 2, 2), 0xFF102030u);
    EXPECT_EQ(PixmapGetPixel(stored, 1, 1), 0x00102030u);  // transparent, coloured like its neighbour
    EXPECT_EQ(PixmapGetPixel(stored, 5, 0), 0x00000000u);  // no visible neighbour: black

    CenterImageHandle(img);
    EXPECT_EQ(img->handleX, 3.0f);
    EXPECT_EQ(img->handleY, 2.0f);
}

TEST_F(HeadlessGraphics, PicturesWithAlphaOrUnmaskedImagesAreStoredUnchanged) {
    PixmapRef rgba = sqtest::SolidPixmap(2, 2, kPfRGBA, 0x80000000u);
    ImageRef img = LoadImageFrom(rgba, kImgMasked);
    EXPECT_EQ(img->frames[0].pixmap->pixels, rgba->pixels);
    // The image has its own copy: later writes to the source do not reach it.
    PixmapSetPixel(rgba, 0, 0, 0xFFFFFFFFu);
    EXPECT_EQ(PixmapGetPixel(img->frames[0].pixmap, 0, 0), 0x80000000u);

    ImageRef plain = LoadImageFrom(sqtest::SolidPixmap(2, 2, kPfRGB, 0xFF000000u), kImgFiltered);
    EXPECT_EQ(plain->frames[0].pixmap->format, kPfRGB);
    EXPECT_EQ(PixmapGetPixel(plain->frames[0].pixmap, 1, 1), 0xFF000000u);
    EXPECT_FALSE(LoadImageFrom(PixmapRef(), -1));
    EXPECT_FALSE(LoadImageFrom(std::string("no/such/picture.png"), -1));
}

class HeadlessStrips : public HeadlessGraphics {
protected:
    // 96 x 48 cut in 24 x 24 cells: two rows of four, each cell its own grey.
    PixmapRef Sheet() {
        PixmapRef p = NewPixmap(96, 48, kPfRGBA);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 96; ++x) {
                uint32_t cell = uint32_t((y / 24) * 4 + x / 24);
                PixmapSetPixel(p, x, y, 0xFF000000u | cell * 0x101010u);
            }
        return p;
    }
};

TEST_F(HeadlessStrips, CellsAreNumberedRowByRow) {
    ImageRef strip = LoadImageStrip(Sheet(), 24, 24, 0, 8, -1);
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->FrameCount(), 8);
    EXPECT_EQ(strip->width, 24);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(PixmapGetPixel(strip->frames[size_t(i)].pixmap, 23, 23), 0xFF000000u | uint32_t(i) * 0x101010u);
    ImageRef tail = LoadImageStrip(Sheet(), 24, 24, 5, 3, -1);
    ASSERT_TRUE(tail);
    EXPECT_EQ(PixmapGetPixel(tail->frames[0].pixmap, 0, 0), 0xFF505050u);
}

TEST_F(HeadlessStrips, AStripLongerThanThePictureIsRefused) {
    EXPECT_FALSE(LoadImageStrip(Sheet(), 24, 24, 6, 4, -1));  // cells 6..9 of 8
    EXPECT_TRUE(LoadImageStrip(Sheet(), 24, 24, 6, 2, -1));
    // Only whole cells count: 96 x 48 holds just two 40 x 40 cells.
    EXPECT_FALSE(LoadImageStrip(Sheet(), 40, 40, 0, 3, -1));
    EXPECT_FALSE(LoadImageStrip(Sheet(), 0, 24, 0, 1, -1));
    EXPECT_FALSE(LoadImageStrip(std::string("no/such/strip.png"), 24, 24, 0, 1, -1));
}

TEST_F(HeadlessGraphics, BuffersAndLockedPixels) {
    ImageRef buf = CreateImageBuffer(10, 6, 2, -1);
    ASSERT_TRUE(buf);
    EXPECT_EQ(buf->flags, kImgMasked | kImgFiltered | kImgDynamic);
    EXPECT_EQ(buf->FrameCount(), 2);
    PixmapRef p = LockImagePixels(buf, 1, 1, 1);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->format, kPfRGBA);
    EXPECT_EQ(p->width, 10);
    EXPECT_EQ(p->height, 6);
    EXPECT_EQ(LockImagePixels(buf, 1, 1, 0), p);  // the same pixmap every time
    UnlockImagePixels(buf, 1);
    EXPECT_EQ(CreateImageBuffer(4, 4, 1, kImgFiltered)->flags, kImgFiltered | kImgDynamic);
}

TEST_F(HeadlessGraphics, UsingTheNullImageStopsTheGame) {
    ImageRef none;
    try {
        DrawImageAt(none, 0, 0, 0);
        FAIL() << "drawing the Null image must stop the program";
    } catch (const TRuntimeError& e) {
        EXPECT_STREQ(e.what(), kNullObjectMessage);
    }
    EXPECT_THROW(CenterImageHandle(none), TRuntimeError);
    EXPECT_THROW(LockImagePixels(none, 0, 1, 1), TRuntimeError);
}

// ---- Textures ----

TEST_F(HeadlessGraphics, EachFrameIsUploadedOnceUntilItsPixelsChange) {
    ImageRef img = LoadImageFrom(sqtest::SolidPixmap(24, 24, kPfRGB, 0xFF808080u), -1);
    for (int frame = 0; frame < 10; ++frame) {
        for (int i = 0; i < 50; ++i) DrawImageAt(img, float(i), 0, 0);
        PresentFrame(0);
    }
    EXPECT_EQ(DrawStats().textureUploads, 1u);
    EXPECT_EQ(img->frames[0].texWidth, 32);
    EXPECT_EQ(img->frames[0].texHeight, 32);

    LockImagePixels(img, 0, 1, 0);  // reading only
    DrawImageAt(img, 0, 0, 0);
    EXPECT_EQ(DrawStats().textureUploads, 1u);
    PixmapSetPixel(LockImagePixels(img, 0, 1, 1), 0, 0, 0xFFFF0000u);
    DrawImageAt(img, 0, 0, 0);
    DrawImageAt(img, 0, 0, 0);
    EXPECT_EQ(DrawStats().textureUploads, 2u);

    // A new display mode has none of the old textures: made again on next draw.
    ASSERT_TRUE(OpenGraphicsMode(640, 480, 32, 60, 0));
    DrawImageAt(img, 0, 0, 0);
    EXPECT_EQ(DrawStats().textureUploads, 3u);
}

TEST_F(HeadlessGraphics, ImagesOutliveTheDisplay) {
    ImageRef img = LoadImageFrom(sqtest::SolidPixmap(3, 3, kPfRGBA, 0xFFFFFFFFu), -1);
    DrawImageAt(img, 0, 0, 0);
    CloseGraphicsMode();
    DrawImageAt(img, 0, 0, 0);  // no display: nothing happens
    img.reset();                // and nothing to free
    EXPECT_EQ(ReadScreenPixels(), nullptr);
}

// ---- Screen grabs and logical resolution ----

TEST_F(HeadlessGraphics, GrabsFollowTheLogicalScreen) {
    SetLoadMaskColor(255, 0, 255);
    ImageRef shot = GrabScreenImage();
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->width, 320);
    EXPECT_EQ(shot->flags, kImgMasked | kImgFiltered | kImgDynamic);
    ASSERT_TRUE(shot->frames[0].pixmap);

    ASSERT_TRUE(OpenGraphicsMode(640, 480, 32, 60, 0));
    SetVirtualResolution(320, 240);
    EXPECT_EQ(ScreenWidth(), 640);
    ImageRef logical = GrabScreenImage();
    EXPECT_EQ(logical->width, 320);
    EXPECT_EQ(logical->height, 240);
    EXPECT_EQ(PixmapGetPixel(logical->frames[0].pixmap, 319, 239), 0xFF000000u);
}

TEST_F(HeadlessGraphics, HeadlessDisplayListsTheLowResolutionModes) {
    EXPECT_EQ(DisplayModeAvailable(320, 240, 32, 0), 1);
    EXPECT_EQ(DisplayModeAvailable(640, 480, 16, 60), 1);
    EXPECT_EQ(DisplayModeAvailable(0, 0, 0, 0), 1);
    EXPECT_EQ(DisplayModeAvailable(321, 240, 32, 0), 0);
}

// ---- Frame pacing ----

TEST_F(HeadlessGraphics, SixtyPacedFramesTakeOneSecond) {
    EXPECT_TRUE(SoftwarePacing());
    uint32_t start = clock->Peek();
    std::vector<uint32_t> steps;
    uint32_t last = start;
    for (int i = 0; i < 60; ++i) {
        PresentFrame(-1);
        steps.push_back(clock->Peek() - last);
        last = clock->Peek();
    }
    EXPECT_EQ(clock->Peek() - start, 1000u);
    // 1000 / 60 = 16 ms, and 40 ms of remainders a frame add one ms twice in three frames.
    EXPECT_EQ((std::vector<uint32_t>(steps.begin(), steps.begin() + 6)),
              (std::vector<uint32_t>{16, 17, 17, 16, 17, 17}));
    EXPECT_EQ(DrawStats().frames, 60u);
}

TEST_F(HeadlessGraphics, WaitingForAVerticalBlankThatNeverComesIsPacedToo) {
    // The headless display, like a software renderer, has no vertical blank:
    // PresentFrame(1) keeps the rate given at opening instead of racing.
    uint32_t start = clock->Peek();
    for (int i = 0; i < 120; ++i) PresentFrame(1);
    EXPECT_EQ(clock->Peek() - start, 2000u);
    PresentFrame(0);
    EXPECT_EQ(clock->Peek() - start, 2000u);  // no waiting asked
}

TEST_F(HeadlessGraphics, UnpacedFramesNeverWaitAndPacingComesBackAfter) {
    // A timedemo draws frames as fast as they come, whatever the screen asks.
    SetUnpacedFrames(true);
    uint32_t start = clock->Peek();
    for (int i = 0; i < 30; ++i) PresentFrame(i % 2 ? 1 : -1);
    SetUnpacedFrames(false);
    EXPECT_EQ(clock->Peek(), start);
    EXPECT_EQ(DrawStats().frames, 30u);
    for (int i = 0; i < 60; ++i) PresentFrame(1);
    EXPECT_EQ(clock->Peek() - start, 1000u);  // paced again: sixty frames a second
}

TEST_F(HeadlessGraphics, ALateFrameRestartsTheScheduleFromNow) {
    PresentFrame(-1);
    uint32_t t = clock->Peek();
    clock->Advance(100);  // a long frame
    PresentFrame(-1);
    EXPECT_EQ(clock->Peek(), t + 100);  // shown at once
    PresentFrame(-1);
    EXPECT_EQ(clock->Peek(), t + 117);  // 17: the remainder schedule carries on
}

TEST_F(HeadlessGraphics, NoRateMeansNoPacing) {
    ASSERT_TRUE(OpenGraphicsMode(320, 240, 32, 0, 0));
    EXPECT_FALSE(SoftwarePacing());
    uint32_t start = clock->Peek();
    for (int i = 0; i < 10; ++i) PresentFrame(-1), PresentFrame(1);
    EXPECT_EQ(clock->Peek(), start);
}

TEST_F(HeadlessGraphics, OddRatesStillFillTheSecond) {
    for (int hz : {50, 70, 75, 85, 144}) {
        ASSERT_TRUE(OpenGraphicsMode(320, 240, 32, hz, 0));
        uint32_t start = clock->Peek();
        for (int i = 0; i < hz; ++i) PresentFrame(-1);
        EXPECT_EQ(clock->Peek() - start, 1000u) << hz << " Hz";
    }
}

// ---- Text ----

TEST_F(HeadlessGraphics, OnlyCodesThirtyTwoToOneTwentySevenDrawAndAdvance) {
    const std::string text = "A \xC3\xA9";  // A, space, e-acute in UTF-8
    EXPECT_EQ(TextWidth(text), 16);
    DrawTextAt(text, 0, 0);
    EXPECT_EQ(DrawStats().glyphs, 2u);
    EXPECT_EQ(TextWidth(std::string("\x7F\x1F", 2)), 8);
    EXPECT_EQ(TextWidth("TIME 03:05"), 80);
}

TEST(BuiltinFont, TableLayoutAndGlyphs) {
    const uint8_t* font = BuiltinFontBitmap();
    auto row = [&](char c, int r) { return font[r * 96 + (c - 32)]; };
    const uint8_t a[16] = {0x00, 0x00, 0x7C, 0xC6, 0xC6, 0xC6, 0xFE, 0xC6, 0xC6, 0xC6, 0xC6, 0, 0, 0, 0, 0};
    for (int r = 0; r < 16; ++r) {
        EXPECT_EQ(row('A', r), a[r]) << "row " << r;
        EXPECT_EQ(row(' ', r), 0) << "row " << r;
    }
    // Every visible character has pixels and no two look the same.
    std::set<std::vector<uint8_t>> seen;
    for (int c = 33; c < 127; ++c) {
        std::vector<uint8_t> glyph;
        for (int r = 0; r < 16; ++r) glyph.push_back(font[r * 96 + c - 32]);
        EXPECT_NE(glyph, std::vector<uint8_t>(16, 0)) << char(c);
        EXPECT_TRUE(seen.insert(glyph).second) << "glyph of " << char(c) << " repeats another";
    }
}

}  // namespace
