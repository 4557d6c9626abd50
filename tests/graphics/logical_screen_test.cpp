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

// A logical screen that the mode shows a whole number of times larger is
// drawn at its own size: a turned picture keeps whole logical pixels. One
// that does not divide the mode, and the mode's own size again, draw at the
// mode's pixels.
TEST_F(GLRender, TheDrawingTargetIsTheLogicalScreenOnlyWhenItDividesTheMode) {
    ASSERT_TRUE(Reopen(128, 96));
    SetVirtualResolution(64, 48);
    SetDrawColor(255, 255, 255);
    SetDrawScale(1, 1);
    SetDrawRotation(45);
    FillRect(20, 20, 8, 8);
    SetDrawRotation(0);
    // Every 2 x 2 block of the display is one logical pixel: all one colour.
    PixmapRef screen = ReadScreenPixels();
    ASSERT_TRUE(screen);
    ASSERT_EQ(screen->width, 128);
    ASSERT_EQ(screen->height, 96);
    int lit = 0;
    for (int y = 0; y < 96; y += 2)
        for (int x = 0; x < 128; x += 2) {
            const uint32_t c = PixmapGetPixel(screen, x, y);
            lit += c == 0xFFFFFFFFu;
            ASSERT_EQ(PixmapGetPixel(screen, x + 1, y), c) << x << "," << y;
            ASSERT_EQ(PixmapGetPixel(screen, x, y + 1), c) << x << "," << y;
            ASSERT_EQ(PixmapGetPixel(screen, x + 1, y + 1), c) << x << "," << y;
        }
    EXPECT_GT(lit, 40);

    // 80 x 60 in 128 x 96 (1.6 times): drawn at the display's pixels, the
    // left half of the logical screen is exactly the left half.
    SetVirtualResolution(80, 60);
    ClearScreen(0, 0, 0);
    FillRect(0, 0, 40, 60);
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
