// The three animation strips, cut by the game's own strip loader under the
// headless back end, with the poses where the game expects them.
#include <gtest/gtest.h>

#include "gfx_test_util.h"

using namespace gfxtest;

namespace {

class Strips : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sq::SetGraphicsBackend(sq::GraphicsBackend::kHeadless);
        ASSERT_TRUE(sq::OpenGraphicsMode(320, 240, 32, 60, 0));
        sq::SetLoadMaskColor(255, 0, 255);
    }
    static void TearDownTestSuite() { sq::CloseGraphicsMode(); }

    static sq::ImageRef Strip(const char* file, int cell, int count) {
        return sq::LoadImageStrip(GamePath(file), cell, cell, 0, count, 1);
    }
    // A frame's pixels after the mask treatment (alpha 0 where it was magenta).
    static sq::PixmapRef Frame(const sq::ImageRef& image, int frame) { return sq::LockImagePixels(image, frame, 1, 0); }
    static bool Drawn(const sq::PixmapRef& p, int x, int y) { return Alpha(sq::PixmapGetPixel(p, x, y)) > 127; }
    static bool RowHasInk(const sq::PixmapRef& p, int y) {
        for (int x = 0; x < p->width; ++x)
            if (Drawn(p, x, y)) return true;
        return false;
    }
    // Whether frame b shows frame a mirrored inside the first `width` columns.
    static bool Mirrored(const sq::PixmapRef& a, const sq::PixmapRef& b, int width) {
        for (int y = 0; y < a->height; ++y)
            for (int x = 0; x < width; ++x)
                if (sq::PixmapGetPixel(a, x, y) != sq::PixmapGetPixel(b, width - 1 - x, y)) return false;
        return true;
    }
};

TEST_F(Strips, CellCountsMatchTheGame) {
    struct Case {
        const char* file;
        int cell, count;
    };
    for (const Case& c : {Case{"bnatale4.png", 28, 16}, Case{"pneve.png", 26, 24}, Case{"Gring2.png", 26, 16}}) {
        sq::ImageRef image = Strip(c.file, c.cell, c.count);
        ASSERT_NE(image, nullptr) << c.file;
        EXPECT_EQ(image->FrameCount(), c.count) << c.file;
        EXPECT_EQ(image->width, c.cell);
        // No spare cell: one more than the game asks for does not fit.
        EXPECT_EQ(Strip(c.file, c.cell, c.count + 1), nullptr) << c.file;
        for (int f = 0; f < c.count; ++f) {
            sq::PixmapRef p = Frame(image, f);
            ASSERT_NE(p, nullptr);
            int clear = 0;
            for (int y = 0; y < p->height; ++y)
                for (int x = 0; x < p->width; ++x) clear += Alpha(sq::PixmapGetPixel(p, x, y)) == 0;
            EXPECT_GT(clear, p->width * p->height / 4) << c.file << " frame " << f << " has no clear background";
            int l, t, r, b;
            EXPECT_TRUE(InkBox(p, 0, 0, p->width, p->height, l, t, r, b)) << c.file << " frame " << f << " is empty";
        }
    }
}

TEST_F(Strips, SantaStandsOnTheFloorInEveryFrame) {
    sq::ImageRef santa = Strip("bnatale4.png", 28, 16);
    ASSERT_NE(santa, nullptr);
    for (int f = 0; f < 16; ++f) EXPECT_TRUE(RowHasInk(Frame(santa, f), 27)) << "frame " << f << " floats";
}

TEST_F(Strips, SantaStandingPosesFaceEachOther) {
    // The left walk rests on frame 0 and the right walk on frame 11.
    sq::ImageRef santa = Strip("bnatale4.png", 28, 16);
    ASSERT_NE(santa, nullptr);
    EXPECT_TRUE(Mirrored(Frame(santa, 11), Frame(santa, 0), 28));
    // Every left frame mirrors the right frame of the same step: the right
    // walk starts three steps later (frame 8 + (i + 3) mod 8).
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(Mirrored(Frame(santa, 8 + (i + 3) % 8), Frame(santa, i), 28)) << "frame " << i;
}

TEST_F(Strips, SantaWalkFramesDifferFromEachOther) {
    sq::ImageRef santa = Strip("bnatale4.png", 28, 16);
    ASSERT_NE(santa, nullptr);
    for (int a = 8; a < 16; ++a)
        for (int b = a + 1; b < 16; ++b) {
            sq::PixmapRef pa = Frame(santa, a), pb = Frame(santa, b);
            EXPECT_NE(pa->pixels, pb->pixels) << "frames " << a << " and " << b << " are the same";
        }
}

TEST_F(Strips, MonstersStayInsideTheirCollisionBox) {
    struct Case {
        const char* file;
        int count, half;
    };
    for (const Case& c : {Case{"pneve.png", 24, 12}, Case{"Gring2.png", 16, 8}}) {
        sq::ImageRef image = Strip(c.file, 26, c.count);
        ASSERT_NE(image, nullptr) << c.file;
        for (int f = 0; f < c.count; ++f) {
            sq::PixmapRef p = Frame(image, f);
            for (int y = 0; y < 26; ++y)
                for (int x = 24; x < 26; ++x) EXPECT_FALSE(Drawn(p, x, y)) << c.file << " frame " << f;
        }
        // Right-walking frames come first, the left walk mirrors them.
        for (int f = 0; f < c.half; ++f)
            EXPECT_TRUE(Mirrored(Frame(image, f), Frame(image, c.half + f), 24)) << c.file << " frame " << f;
    }
}

TEST_F(Strips, MonsterFeetRestOnTheCellBottom) {
    sq::ImageRef gremlin = Strip("Gring2.png", 26, 16);
    ASSERT_NE(gremlin, nullptr);
    for (int f = 0; f < 16; ++f) EXPECT_TRUE(RowHasInk(Frame(gremlin, f), 25)) << "gremlin frame " << f;
    // The snowman hops: it lands at the start of each hop (frames 0 and 6 of
    // each direction) and is in the air between.
    sq::ImageRef snowman = Strip("pneve.png", 26, 24);
    ASSERT_NE(snowman, nullptr);
    for (int f : {0, 6, 12, 18}) EXPECT_TRUE(RowHasInk(Frame(snowman, f), 25)) << "snowman frame " << f;
    EXPECT_FALSE(RowHasInk(Frame(snowman, 3), 25));
}

TEST_F(Strips, MaskedPicturesLoseTheirMagenta) {
    sq::ImageRef gift = sq::LoadImageFrom(GamePath("pacco.png"), 1);
    ASSERT_NE(gift, nullptr);
    sq::PixmapRef p = Frame(gift, 0);
    int clear = 0;
    for (int y = 0; y < p->height; ++y)
        for (int x = 0; x < p->width; ++x) {
            uint32_t c = sq::PixmapGetPixel(p, x, y);
            if (Alpha(c) == 0)
                ++clear;
            else
                EXPECT_NE(Rgb(c), kMagenta);
        }
    EXPECT_GT(clear, 0);
}

}  // namespace
