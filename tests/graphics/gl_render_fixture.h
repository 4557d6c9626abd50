#pragma once
// The fixture of the OpenGL pixel tests: a small hidden window, drawn into
// and read back. A test is skipped when no display can be opened.
#include <gtest/gtest.h>

#include "graphics_test_support.h"
#include "platform/video/graphics.h"

namespace sqtest {

class GLRender : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sq::SetGraphicsBackend(sq::GraphicsBackend::kOpenGL);
        sq::TDisplayOptions options;
        options.windowed = true;
        options.windowScale = 1;
        options.hidden = true;
        sq::SetDisplayOptions(options);
    }
    static void TearDownTestSuite() {
        sq::CloseGraphicsMode();
        sq::SetDisplayOptions(sq::TDisplayOptions{});
    }
    void SetUp() override { Open(64, 64); }
    void Open(int w, int h) {
        if (!Reopen(w, h)) GTEST_SKIP() << "no OpenGL display";
    }
    // A further mode within a test: once one mode opened, another must too.
    bool Reopen(int w, int h) {
        if (!sq::OpenGraphicsMode(w, h, 0, 0, 0)) return false;
        sq::SetLoadMaskColor(0, 0, 0);
        sq::ClearScreen(0, 0, 0);
        return true;
    }
    uint32_t Px(int x, int y) { return sq::PixmapGetPixel(sq::ReadScreenPixels(), x, y); }
    // An unfiltered, unmasked one-colour image.
    static sq::ImageRef Solid(int w, int h, uint32_t argb, int flags = 0) {
        return sq::LoadImageFrom(SolidPixmap(w, h, sq::kPfRGBA, argb), flags);
    }
};

}  // namespace sqtest
