// How the drawing layer groups its quads into draw calls, counted on the
// headless display (which batches as the OpenGL one does).
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "alloc_counter.h"
#include "graphics_test_support.h"
#include "platform/video/graphics.h"

namespace {

using namespace sq;
using sqtest::SolidPixmap;

class Batching : public ::testing::Test {
protected:
    void SetUp() override {
        SetGraphicsBackend(GraphicsBackend::kHeadless);
        ASSERT_TRUE(OpenGraphicsMode(320, 240, 32, 60, 0));
        a = LoadImageFrom(SolidPixmap(8, 8, kPfRGBA, 0xFFFF0000u), 0);
        b = LoadImageFrom(SolidPixmap(8, 8, kPfRGBA, 0xFF00FF00u), 0);
        strip = LoadImageStrip(SolidPixmap(64, 16, kPfRGBA, 0xFF0000FFu), 16, 16, 0, 4, 0);
        // Every texture made before counting starts.
        DrawImageAt(a, 0, 0, 0);
        DrawImageAt(b, 0, 0, 0);
        for (int i = 0; i < 4; ++i) DrawImageAt(strip, 0, 0, i);
        DrawTextAt("warm", 0, 0);
        PresentFrame(0);
        DrawStats() = TDrawStats{};
    }
    void TearDown() override { CloseGraphicsMode(); }
    // Draw calls and binds of what `draw` drew, once the frame is shown.
    std::pair<uint64_t, uint64_t> Count(const std::function<void()>& draw) {
        PresentFrame(0);
        DrawStats() = TDrawStats{};
        draw();
        PresentFrame(0);
        return {DrawStats().drawCalls, DrawStats().textureBinds};
    }
    ImageRef a, b, strip;
};

TEST_F(Batching, OneDrawCallPerRunOfOneTexture) {
    // Colour and alpha travel with the vertices: no new run.
    EXPECT_EQ(Count([&] {
                  for (int i = 0; i < 100; ++i) {
                      SetDrawColor(i, 255 - i, 7);
                      SetDrawAlpha(float(i) / 100.0f);
                      DrawImageAt(a, float(i), 0, 0);
                  }
              }).first,
              1u);
    // Every frame of a strip shares its texture, and so do the glyphs.
    EXPECT_EQ(Count([&] {
                  for (int i = 0; i < 40; ++i) DrawImageAt(strip, float(i), 0, i % 4);
              }),
              std::make_pair(uint64_t(1), uint64_t(1)));
    EXPECT_EQ(Count([&] { DrawTextAt("TIME 03:05 and more text", 0, 0); }).first, 1u);
    // Alternating pictures cannot share a run: order on screen is kept.
    EXPECT_EQ(Count([&] {
                  for (int i = 0; i < 10; ++i) DrawImageAt(i % 2 ? a : b, 0, 0, 0);
              }),
              std::make_pair(uint64_t(10), uint64_t(10)));
}

TEST_F(Batching, StateChangesEndTheRunOnlyWhenTheyChangeSomething) {
    auto blends = Count([&] {
        SetBlendMode(kBlendMask);
        DrawImageAt(a, 0, 0, 0);
        SetBlendMode(kBlendAlpha);
        DrawImageAt(a, 1, 0, 0);
        SetBlendMode(kBlendAlpha);  // the same again
        DrawImageAt(a, 2, 0, 0);
    });
    EXPECT_EQ(blends.first, 2u);
    EXPECT_EQ(blends.second, 1u);  // the texture stays bound across them
    EXPECT_EQ(Count([&] {
                  DrawImageAt(a, 0, 0, 0);
                  SetClipRect(10, 10, 50, 50);
                  DrawImageAt(a, 20, 20, 0);
                  SetClipRect(10, 10, 50, 50);  // the same rectangle
                  DrawImageAt(a, 30, 20, 0);
                  SetClipRect(0, 0, 320, 240);
              }).first,
              2u);
    // Rectangles share a run; a line is a draw of its own.
    EXPECT_EQ(Count([&] {
                  FillRect(0, 0, 4, 4);
                  FillRect(5, 0, 4, 4);
                  DrawLineSegment(0, 0, 10, 10, 0);
                  FillRect(10, 0, 4, 4);
              }).first,
              3u);
}

TEST_F(Batching, ChangingAPictureFinishesTheRunThatUsesIt) {
    // Pixels written between two draws of the same picture: the first draw
    // must go out with the old texture contents.
    auto counts = Count([&] {
        DrawImageAt(a, 0, 0, 0);
        PixmapSetPixel(LockImagePixels(a, 0, 1, 1), 0, 0, 0xFF123456u);
        DrawImageAt(a, 0, 0, 0);
    });
    EXPECT_EQ(counts.first, 2u);
}

TEST_F(Batching, AFrameAllocatesNothing) {
    auto frame = [&] {
        for (int i = 0; i < 300; ++i) DrawImageAt(i % 3 ? a : strip, float(i % 320), 0, i % 4);
        DrawTextAt("TIME 03:05", 4, 4);
        FillRect(0, 0, 10, 10);
        PresentFrame(0);
    };
    frame();
    const long before = sqtest::AllocationsSoFar();
    for (int i = 0; i < 5; ++i) frame();
    EXPECT_EQ(sqtest::AllocationsSoFar() - before, 0);
}

}  // namespace
