// Pixel tests of a logical screen smaller than the display mode: what is
// drawn, clipped and grabbed, and the size the picture is drawn at.
#include <gtest/gtest.h>

#include "gl_render_fixture.h"
#include "platform/video/graphics.h"

namespace {

using namespace sq;
using sqtest::GLRender;

TEST_F(GLRender, LogicalResolutionScalesDrawsClipsAndGrabs) {
    ASSERT_TRUE(Reopen(128, 96));
    SetLoadMaskColor(255, 0, 255);
    SetVirtualResolution(64, 48);
    EXPECT_EQ(ScreenWidth(), 128);
    FillRect(1, 1, 1, 1);  // one logical pixel is 2 x 2 display pixels
    EXPECT_EQ(Px(2, 2), 0xFFFFFFFFu);
    EXPECT_EQ(Px(3, 3), 0xFFFFFFFFu);
    EXPECT_EQ(Px(4, 4), 0xFF000000u);
    EXPECT_EQ(Px(1, 1), 0xFF000000u);

    // The logical screen's clip (0, 0, 64, 48) covers the whole display.
    SetClipRect(0, 0, 64, 48);
    SetDrawColor(0, 0, 255);
    FillRect(40, 30, 100, 100);
    EXPECT_EQ(Px(127, 95), 0xFF0000FFu);
    SetClipRect(0, 0, 32, 24);  // the top-left quarter of the logical screen
    SetDrawColor(255, 0, 0);
    FillRect(0, 0, 64, 48);
    EXPECT_EQ(Px(63, 47), 0xFFFF0000u);
    EXPECT_EQ(Px(64, 47), 0xFF000000u);
    SetClipRect(0, 0, ScreenWidth(), ScreenHeight());
    SetDrawColor(255, 255, 255);

    ImageRef shot = GrabScreenImage();
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->width, 64);
    EXPECT_EQ(shot->height, 48);
    EXPECT_EQ(PixmapGetPixel(shot->frames[0].pixmap, 31, 23), 0xFFFF0000u);
    EXPECT_EQ(PixmapGetPixel(shot->frames[0].pixmap, 63, 47), 0xFF0000FFu);
    EXPECT_EQ(PixmapGetPixel(shot->frames[0].pixmap, 32, 10), 0xFF000000u);
    // Drawn at (0, 0) the grab covers the whole display again.
    ClearScreen(0, 0, 0);
    SetBlendMode(kBlendSolid);
    DrawImageAt(shot, 0, 0, 0);
    EXPECT_EQ(Px(120, 90), 0xFF0000FFu);
    EXPECT_EQ(Px(30, 20), 0xFFFF0000u);
}

// Every display pixel of the logical screen (x, y) shows the logical pixel
// the mode's enlargement puts there; lit counts the white ones.
void ExpectWholeLogicalPixels(int logicalW, int logicalH, int& lit) {
    PixmapRef screen = ReadScreenPixels();
    ASSERT_TRUE(screen);
    ASSERT_EQ(screen->width, ScreenWidth());
    ASSERT_EQ(screen->height, ScreenHeight());
    ImageRef shot = GrabScreenImage();
    ASSERT_TRUE(shot);
    ASSERT_EQ(shot->width, logicalW);
    ASSERT_EQ(shot->height, logicalH);
    const double sx = double(logicalW) / screen->width, sy = double(logicalH) / screen->height;
    lit = 0;
    for (int y = 0; y < screen->height; ++y)
        for (int x = 0; x < screen->width; ++x) {
            const uint32_t c = PixmapGetPixel(screen, x, y);
            lit += c == 0xFFFFFFFFu;
            // The grab is masked on black: a clear pixel of it is black.
            const uint32_t want = PixmapGetPixel(shot->frames[0].pixmap, int((x + 0.5) * sx), int((y + 0.5) * sy));
            ASSERT_EQ(c, want >> 24 ? want : 0xFF000000u) << x << "," << y;
        }
}

// A logical screen that fits in the mode is drawn at its own size and
// enlarged once: a turned picture keeps whole logical pixels, however many
// times (whole or not, the same across and down or not) the mode enlarges
// it. One larger than the mode, and the mode's own size, draw at the mode's
// pixels.
TEST_F(GLRender, TheDrawingTargetIsTheLogicalScreenWhereverItFits) {
    ASSERT_TRUE(Reopen(128, 96));
    SetDrawColor(255, 255, 255);
    SetDrawScale(1, 1);
    const int sizes[][2] = {{64, 48}, {80, 60}, {64, 32}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size[0]) + " x " + std::to_string(size[1]));
        SetVirtualResolution(float(size[0]), float(size[1]));
        ClearScreen(0, 0, 0);
        SetDrawRotation(45);
        FillRect(20, 14, 8, 8);
        SetDrawRotation(0);
        int lit = 0;
        ExpectWholeLogicalPixels(size[0], size[1], lit);
        EXPECT_GT(lit, 40);
    }
    // 64 x 48 in 128 x 96 repeats every logical pixel as a 2 x 2 block.
    SetVirtualResolution(64, 48);
    ClearScreen(0, 0, 0);
    FillRect(5, 5, 1, 1);
    EXPECT_EQ(Px(10, 10), 0xFFFFFFFFu);
    EXPECT_EQ(Px(11, 11), 0xFFFFFFFFu);
    EXPECT_EQ(Px(12, 11), 0xFF000000u);
    // 80 x 60 in 128 x 96 (1.6 times): the left half of the logical screen
    // is exactly the left half of the display.
    SetVirtualResolution(80, 60);
    ClearScreen(0, 0, 0);
    FillRect(0, 0, 40, 60);
    EXPECT_EQ(Px(63, 50), 0xFFFFFFFFu);
    EXPECT_EQ(Px(64, 50), 0xFF000000u);

    // Larger than the mode, a logical screen is drawn at the mode's pixels:
    // a 1-pixel line of a 256 x 192 screen is thinner than a display pixel.
    SetVirtualResolution(256, 192);
    ClearScreen(0, 0, 0);
    FillRect(0, 0, 128, 192);
    EXPECT_EQ(Px(63, 50), 0xFFFFFFFFu);
    EXPECT_EQ(Px(64, 50), 0xFF000000u);

    // Back at the mode's own size a pixel is a pixel again.
    SetVirtualResolution(128, 96);
    ClearScreen(0, 0, 0);
    FillRect(5, 5, 1, 1);
    EXPECT_EQ(Px(5, 5), 0xFFFFFFFFu);
    EXPECT_EQ(Px(6, 5), 0xFF000000u);
    EXPECT_EQ(Px(5, 6), 0xFF000000u);
}

}  // namespace
