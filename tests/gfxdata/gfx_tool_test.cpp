// The generator's own building blocks: the palette and ASCII-art readers,
// the PNG writer's mask handling (read back with the game's loader), the
// canvas operations the sprites rely on, and the text fitting.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "canvas.h"
#include "palette.h"
#include "platform/video/pixmap.h"
#include "png_io.h"
#include "scenery.h"
#include "text.h"

namespace {

namespace fs = std::filesystem;

class TempFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("snowquill_gfxtool_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Write(const std::string& name, const std::string& text) {
        std::string path = (dir_ / name).string();
        std::ofstream(path) << text;
        return path;
    }
    fs::path dir_;
};

// ---- Palette and ASCII art ----

using SourceFiles = TempFiles;

TEST_F(SourceFiles, PaletteReadsNamedHexColours) {
    gfx::Palette pal;
    pal.Load(Write("p.txt", "# comment\nred ff0000  # trailing\n\nsky 1a2b3c\n"));
    EXPECT_EQ(pal["red"], gfx::Rgba(255, 0, 0));
    EXPECT_EQ(pal["sky"], gfx::Rgba(0x1a, 0x2b, 0x3c));
    EXPECT_THROW(pal["green"], std::runtime_error);
}

TEST_F(SourceFiles, PaletteRejectsMalformedLinesWithTheirNumber) {
    gfx::Palette pal;
    try {
        pal.Load(Write("p.txt", "red ff0000\nblue 00f\n"));
        FAIL() << "accepted a short colour";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(":2:"), std::string::npos) << e.what();
    }
}

TEST_F(SourceFiles, ArtMapsLegendCharactersAndPadsShortRows) {
    gfx::Palette pal;
    pal.Load(Write("p.txt", "red ff0000\nwhite ffffff\n"));
    gfx::ArtBook book;
    book.Load(Write("a.art", "legend r red\nlegend w white\nart dot\n.r.\nwrw\nr\nend\n"), pal);
    const gfx::Canvas& dot = book["dot"];
    ASSERT_EQ(dot.w, 3);
    ASSERT_EQ(dot.h, 3);
    EXPECT_EQ(dot.Get(0, 0).a, 0);
    EXPECT_EQ(dot.Get(1, 0), gfx::Rgba(255, 0, 0));
    EXPECT_EQ(dot.Get(0, 1), gfx::Rgba(255, 255, 255));
    EXPECT_EQ(dot.Get(2, 2).a, 0);  // the short last row is padded clear
    EXPECT_THROW(book["missing"], std::runtime_error);
}

TEST_F(SourceFiles, ArtRejectsUnknownCharactersAndUnfinishedPictures) {
    gfx::Palette pal;
    pal.Load(Write("p.txt", "red ff0000\n"));
    gfx::ArtBook book;
    EXPECT_THROW(book.Load(Write("a.art", "legend r red\nart x\nrq\nend\n"), pal), std::runtime_error);
    EXPECT_THROW(book.Load(Write("b.art", "legend r red\nart x\nrr\n"), pal), std::runtime_error);
    EXPECT_THROW(book.Load(Write("c.art", "legend r blue\n"), pal), std::runtime_error);
}

// ---- PNG writer, read back by the game's loader ----

using PngFiles = TempFiles;

TEST_F(PngFiles, MaskedPicturesUseMagentaForClearPixelsOnly) {
    gfx::Canvas c(3, 1);
    c.Set(0, 0, gfx::Rgba(255, 0, 255));      // an opaque pixel of the mask colour
    c.Set(1, 0, gfx::Rgba(10, 20, 30, 100));  // mostly clear: becomes background
    c.Set(2, 0, gfx::Rgba(10, 20, 30, 200));
    std::string path = (dir_ / "m.png").string();
    gfx::WritePng(c, path, gfx::PngKind::kMasked);
    sq::PixmapRef p = sq::LoadPixmapPNG(path);
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(sq::FormatHasAlpha(p->format));
    EXPECT_NE(sq::PixmapGetPixel(p, 0, 0) & 0xFFFFFFu, 0xFF00FFu) << "an opaque pixel would turn transparent";
    EXPECT_EQ(sq::PixmapGetPixel(p, 1, 0) & 0xFFFFFFu, 0xFF00FFu);
    EXPECT_EQ(sq::PixmapGetPixel(p, 2, 0) & 0xFFFFFFu, 0x0A141Eu);
}

TEST_F(PngFiles, AlphaPicturesKeepTheirAlpha) {
    gfx::Canvas c(2, 1);
    c.Set(0, 0, gfx::Rgba(200, 100, 50, 77));
    std::string path = (dir_ / "a.png").string();
    gfx::WritePng(c, path, gfx::PngKind::kAlpha);
    sq::PixmapRef p = sq::LoadPixmapPNG(path);
    ASSERT_NE(p, nullptr);
    ASSERT_TRUE(sq::FormatHasAlpha(p->format));
    EXPECT_EQ(sq::PixmapGetPixel(p, 0, 0), 0x4DC86432u);
    EXPECT_EQ(sq::PixmapGetPixel(p, 1, 0) >> 24, 0u);
}

TEST_F(PngFiles, OpaquePicturesNeverContainTheMaskColour) {
    gfx::Canvas c(1, 1, gfx::Rgba(255, 0, 255));
    std::string path = (dir_ / "o.png").string();
    gfx::WritePng(c, path, gfx::PngKind::kOpaque);
    sq::PixmapRef p = sq::LoadPixmapPNG(path);
    ASSERT_NE(p, nullptr);
    EXPECT_NE(sq::PixmapGetPixel(p, 0, 0) & 0xFFFFFFu, 0xFF00FFu);
}

TEST_F(PngFiles, UnwritablePathThrows) {
    gfx::Canvas c(1, 1);
    EXPECT_THROW(gfx::WritePng(c, (dir_ / "no" / "such" / "x.png").string(), gfx::PngKind::kAlpha), std::runtime_error);
}

// ---- Canvas operations ----

TEST(CanvasOps, OutlineRingsOnlyTheShape) {
    gfx::Canvas c(5, 5);
    c.Set(2, 2, gfx::Rgba(255, 0, 0));
    c.Outline(gfx::Rgba(0, 0, 0));
    int ring = 0;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            if (c.Get(x, y) == gfx::Rgba(0, 0, 0)) ++ring;
    EXPECT_EQ(ring, 4);  // four neighbours, no corners
    EXPECT_EQ(c.Get(2, 2), gfx::Rgba(255, 0, 0));
    c.Outline(gfx::Rgba(9, 9, 9), true);
    EXPECT_EQ(c.Get(1, 0), gfx::Rgba(9, 9, 9));  // diagonal of (2, 1)
}

TEST(CanvasOps, LayersKeepADarkLineWhereTheyOverlap) {
    gfx::Canvas body(6, 6, gfx::Rgba(200, 0, 0));
    gfx::Canvas arm(6, 6);
    arm.Set(3, 3, gfx::Rgba(0, 0, 200));
    gfx::Canvas out(6, 6);
    out.Put(body, 0, 0);
    gfx::DrawWithOutline(out, arm, 0, 0, gfx::Rgba(1, 1, 1));
    EXPECT_EQ(out.Get(3, 3), gfx::Rgba(0, 0, 200));
    EXPECT_EQ(out.Get(2, 3), gfx::Rgba(1, 1, 1));
    EXPECT_EQ(out.Get(0, 0), gfx::Rgba(200, 0, 0));
}

TEST(CanvasOps, BlendOverClearTakesTheSource) {
    gfx::Canvas c(1, 1);
    c.Blend(0, 0, gfx::Rgba(10, 20, 30, 255), 0.5f);
    EXPECT_EQ(c.Get(0, 0), gfx::Rgba(10, 20, 30, 128));
    c.Blend(0, 0, gfx::Rgba(250, 250, 250, 255), 1.0f);
    EXPECT_EQ(c.Get(0, 0), gfx::Rgba(250, 250, 250, 255));
}

TEST(CanvasOps, FlipAndCropAreExact) {
    gfx::Canvas c(3, 2);
    c.Set(0, 1, gfx::Rgba(1, 2, 3));
    EXPECT_EQ(c.FlipX().Get(2, 1), gfx::Rgba(1, 2, 3));
    gfx::Canvas part = c.Crop(0, 1, 2, 1);
    EXPECT_EQ(part.w, 2);
    EXPECT_EQ(part.Get(0, 0), gfx::Rgba(1, 2, 3));
    EXPECT_EQ(part.Get(5, 5).a, 0);  // outside reads clear
}

TEST(CanvasOps, DitheredRampKeepsItsEnds) {
    gfx::Ramp ramp{gfx::Rgba(0, 0, 0), gfx::Rgba(100, 100, 100), gfx::Rgba(200, 200, 200)};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(gfx::DitherRamp(ramp, 0.0f, x, y), ramp[0]);
            EXPECT_EQ(gfx::DitherRamp(ramp, 1.0f, x, y), ramp[2]);
            EXPECT_EQ(gfx::DitherRamp(ramp, 0.5f, x, y), ramp[1]);
        }
}

TEST(CanvasOps, SeededGeneratorRepeats) {
    gfx::Rng a(gfx::HashName("back1")), b(gfx::HashName("back1")), c(gfx::HashName("back2"));
    for (int i = 0; i < 10; ++i) {
        uint64_t va = a.Next();
        EXPECT_EQ(va, b.Next());
        EXPECT_NE(va, c.Next());
    }
    gfx::Rng r(7);
    for (int i = 0; i < 1000; ++i) {
        int v = r.Int(-3, 3);
        EXPECT_GE(v, -3);
        EXPECT_LE(v, 3);
    }
}

// ---- Lettering ----

TEST(Lettering, FitSizeKeepsTheLineInsideTheWidth) {
    gfx::Font font(std::string(GFX_FONTS) + "/DejaVuSans-Bold.ttf");
    int size = font.FitSize("INSTRUCTIONS", 120, 40);
    EXPECT_LT(size, 40);
    EXPECT_LE(font.Width("INSTRUCTIONS", size), 120);
    EXPECT_GT(font.Width("INSTRUCTIONS", size + 1), 120);
    gfx::TextStyle hard;
    hard.outline = gfx::Rgba(0, 0, 0);
    hard.hard = true;
    gfx::Canvas t = gfx::StyledText(font, "Hi", 14, hard);
    for (const gfx::Rgba& p : t.px) EXPECT_TRUE(p.a == 0 || p.a == 255);
    EXPECT_THROW(gfx::Font("/no/such/font.ttf"), std::runtime_error);
}

}  // namespace
