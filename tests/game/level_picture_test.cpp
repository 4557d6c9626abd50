// A real level drawn through the OpenGL display at three times the picture
// size: map blocks stay sharp and no trace of their key colour shows.
// (Needs an X display and the generated maps: the test run has both.)
#include <gtest/gtest.h>

#include <cstdlib>

#include "level_frame.h"
#include "platform/video/graphics.h"

namespace {

// A pixel pulled towards the key colour (255, 0, 255): red and blue well
// above green and close to each other. (No block or sprite of the game has
// such a colour of its own; smoothed blocks made some 6,500 of them in
// level 1 and 10,500 in level 6.)
bool MagentaTinted(uint32_t argb) {
    const int r = int(argb >> 16 & 255), g = int(argb >> 8 & 255), b = int(argb & 255);
    return r - g >= 40 && b - g >= 40 && std::abs(r - b) <= 40;
}

class LevelPicture : public ::testing::TestWithParam<int> {
protected:
    void TearDown() override { sqtest::CloseLevelFrame(); }
};

TEST_P(LevelPicture, ScaledThreeTimesShowsNoKeyColourAndSharpBlocks) {
    sqtest::TLevelFrameSetup setup;
    setup.level = GetParam();
    setup.width = 960;
    setup.height = 720;
    // The level's own backdrop has dusky purples of its own.
    setup.plainBackground = true;
    std::string why;
    if (!sqtest::OpenLevelFrame(setup, why)) GTEST_SKIP() << why;
    sqtest::DrawLevelFrame();
    sq::PixmapRef shot = sq::ReadScreenPixels();
    ASSERT_TRUE(shot);
    ASSERT_EQ(shot->width, 960);
    int tinted = 0, blurred = 0;
    for (int y = 0; y < shot->height; ++y)
        for (int x = 0; x < shot->width; ++x) {
            const uint32_t c = sq::PixmapGetPixel(shot, x, y);
            if (MagentaTinted(c)) ++tinted;
            // Every logical pixel is a 3 x 3 square of one colour, except where
            // something moves on its own sub-pixel position (sprites, snow):
            // map blocks make up most of the screen, so a smoothed map would
            // leave most squares uneven.
            if (x % 3 == 1 && y % 3 == 1) {
                for (int d = -1; d <= 1; d += 2)
                    if (sq::PixmapGetPixel(shot, x + d, y) != c || sq::PixmapGetPixel(shot, x, y + d) != c) {
                        ++blurred;
                        break;
                    }
            }
        }
    EXPECT_EQ(tinted, 0);
    EXPECT_LT(blurred, 320 * 240 / 10);
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelPicture, ::testing::Values(1, 6));

}  // namespace
