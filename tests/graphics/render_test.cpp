// Pixel tests of the OpenGL display: draw into a small hidden window and read
// the picture back. Skipped when no display can be opened.
#include <SDL.h>
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gl_render_fixture.h"
#include "graphics_test_support.h"
#include "platform/input/keyboard.h"
#include "platform/system/clock.h"
#include "platform/video/graphics.h"

namespace {

using namespace sq;
using sqtest::GLRender;
using sqtest::Near;
using sqtest::SolidPixmap;

// ---- Blend modes ----

struct BlendCase {
    int mode;
    uint32_t expected;  // over grey 100 of a red 200 source with alpha 128
};

class GLBlend : public GLRender, public ::testing::WithParamInterface<BlendCase> {};

TEST_P(GLBlend, CombinesSourceAndDestination) {
    ClearScreen(100, 100, 100);
    SetBlendMode(GetParam().mode);
    DrawImageAt(Solid(8, 8, 0x80C80000u), 4, 4, 0);
    EXPECT_PRED3(Near, Px(7, 7), GetParam().expected, 2) << std::hex << Px(7, 7);
    EXPECT_EQ(Px(20, 20), 0xFF646464u);  // outside the image
}

INSTANTIATE_TEST_SUITE_P(Modes, GLBlend,
                         ::testing::Values(BlendCase{kBlendMask, 0xFFC80000u},   // alpha 128 passes the test
                                           BlendCase{kBlendSolid, 0xFFC80000u},  // alpha ignored
                                           BlendCase{kBlendAlpha, 0xFF963232u},  // 200a + 100(1-a), 100(1-a)
                                           BlendCase{kBlendLight, 0xFFC86464u},  // 200a + 100, 100
                                           BlendCase{kBlendShade, 0xFF4E0000u},  // 100 x 200 / 255
                                           BlendCase{7, 0xFFC80000u}));          // unknown: solid

TEST_F(GLRender, MaskModeDrawsAlpha128AndDropsAlpha127) {
    for (int flags : {0, int(kImgFiltered)}) {
        ClearScreen(0, 0, 0);
        SetBlendMode(kBlendMask);
        DrawImageAt(Solid(8, 8, 0x80FFFFFFu, flags), 0, 0, 0);
        DrawImageAt(Solid(8, 8, 0x7FFFFFFFu, flags), 16, 0, 0);
        EXPECT_EQ(Px(4, 4), 0xFFFFFFFFu) << "flags " << flags;
        EXPECT_EQ(Px(20, 4), 0xFF000000u) << "flags " << flags;
    }
}

TEST_F(GLRender, DrawAlphaIsClampedWhenApplied) {
    ClearScreen(0, 0, 255);
    SetBlendMode(kBlendAlpha);
    SetDrawAlpha(1.5f);
    DrawImageAt(Solid(8, 8, 0xFFFF0000u), 0, 0, 0);
    EXPECT_EQ(Px(4, 4), 0xFFFF0000u);  // fully opaque
    SetDrawAlpha(-1.0f);
    DrawImageAt(Solid(8, 8, 0xFFFF0000u), 16, 0, 0);
    EXPECT_EQ(Px(20, 4), 0xFF0000FFu);  // nothing visible
    SetDrawAlpha(1.0f);
}

TEST_F(GLRender, DrawColourMultipliesAndIsClamped) {
    SetBlendMode(kBlendSolid);
    SetDrawColor(300, 128, -20);
    DrawImageAt(Solid(8, 8, 0xFFFFFFFFu), 0, 0, 0);
    EXPECT_PRED3(Near, Px(4, 4), 0xFFFF8000u, 1);
    SetDrawColor(255, 255, 255);
    FillRect(16, 0, 4, 4);
    EXPECT_EQ(Px(17, 1), 0xFFFFFFFFu);
}

// ---- Clipping ----

TEST_F(GLRender, ClipRectangleLimitsEveryDraw) {
    SetClipRect(10, 12, 20, 8);
    FillRect(0, 0, 64, 64);
    EXPECT_EQ(Px(9, 12), 0xFF000000u);
    EXPECT_EQ(Px(10, 12), 0xFFFFFFFFu);
    EXPECT_EQ(Px(29, 19), 0xFFFFFFFFu);
    EXPECT_EQ(Px(30, 19), 0xFF000000u);
    EXPECT_EQ(Px(29, 20), 0xFF000000u);
    ClearScreen(0, 0, 0);  // the whole back buffer, clip or not
    EXPECT_EQ(Px(15, 15), 0xFF000000u);
    SetClipRect(0, 0, ScreenWidth(), ScreenHeight());  // clipping off
    FillRect(0, 0, 64, 64);
    EXPECT_EQ(Px(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Px(63, 63), 0xFFFFFFFFu);
}

// ---- Transform ----

TEST_F(GLRender, ScaleStretchesAboutTheHandle) {
    ImageRef quad = LoadImageFrom(sqtest::QuadrantPixmap(), 0);
    SetDrawScale(2, 1);
    DrawImageAt(quad, 0, 0, 0);
    EXPECT_EQ(Px(20, 8), 0xFFFF0000u);  // u = 10: red quadrant
    EXPECT_EQ(Px(40, 8), 0xFF00FF00u);  // u = 20: green
    EXPECT_EQ(Px(40, 24), 0xFFFFFF00u);
    EXPECT_EQ(Px(20, 40), 0xFF000000u);  // below the 32 rows
}

TEST_F(GLRender, RotationTurnsClockwiseOnScreen) {
    ImageRef quad = LoadImageFrom(sqtest::QuadrantPixmap(), 0);
    CenterImageHandle(quad);
    SetDrawRotation(90);
    DrawImageAt(quad, 32, 32, 0);
    // A point (u, v) lands at (-v, u): red top-left goes to the top right.
    EXPECT_EQ(Px(40, 24), 0xFFFF0000u);
    EXPECT_EQ(Px(40, 40), 0xFF00FF00u);
    EXPECT_EQ(Px(24, 40), 0xFFFFFF00u);
    EXPECT_EQ(Px(24, 24), 0xFF0000FFu);
}

TEST_F(GLRender, OriginMovesEveryDrawAndShapeHandleMovesShapes) {
    SetDrawOrigin(10, 20);
    FillRect(0, 0, 2, 2);
    EXPECT_EQ(Px(10, 20), 0xFFFFFFFFu);
    EXPECT_EQ(Px(9, 20), 0xFF000000u);
    SetShapeHandle(1, 1);
    FillRect(20, 0, 2, 2);
    EXPECT_EQ(Px(29, 19), 0xFFFFFFFFu);
    EXPECT_EQ(Px(31, 21), 0xFF000000u);
}

// ---- Textures ----

TEST_F(GLRender, TextureRepeatsTheLastColumnAndRowOnce) {
    PixmapRef pic = NewPixmap(24, 24, kPfRGBA);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) PixmapSetPixel(pic, x, y, 0xFF000000u | uint32_t(x * 10) << 16 | uint32_t(y * 10));
    ImageRef img = LoadImageFrom(pic, 0);
    DrawImageAt(img, 0, 0, 0);
    const TImageFrame& f = img->frames[0];
    ASSERT_EQ(f.texWidth, 32);
    ASSERT_EQ(f.texHeight, 32);
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    std::vector<uint8_t> tex(32 * 32 * 4);
    glBindTexture(GL_TEXTURE_2D, f.texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, tex.data());
    glBindTexture(GL_TEXTURE_2D, GLuint(previous));
    auto texel = [&](int x, int y) {
        const uint8_t* p = &tex[size_t(y * 32 + x) * 4];
        return uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    };
    for (int y = 0; y < 24; ++y) EXPECT_EQ(texel(24, y), texel(23, y)) << "row " << y;
    for (int x = 0; x < 24; ++x) EXPECT_EQ(texel(x, 24), texel(x, 23)) << "column " << x;
    EXPECT_EQ(texel(24, 24), texel(23, 23));
    EXPECT_EQ(texel(25, 3), 0u);  // copied once only
    EXPECT_EQ(texel(3, 25), 0u);
}

TEST_F(GLRender, FilteredEdgesDoNotFadeIntoTheEmptyTexture) {
    SetBlendMode(kBlendSolid);
    SetDrawScale(2, 2);
    DrawImageAt(Solid(24, 24, 0xFFFFFFFFu, kImgFiltered), 0, 0, 0);
    EXPECT_EQ(Px(47, 20), 0xFFFFFFFFu);
    EXPECT_EQ(Px(20, 47), 0xFFFFFFFFu);
    EXPECT_EQ(Px(47, 47), 0xFFFFFFFFu);
}

TEST_F(GLRender, MaskedSpritesKeepTheirColourAtFilteredEdges) {
    // A red square in a magenta frame, masked and filtered, enlarged over
    // white: along its soft edge only the alpha falls, the colour stays red,
    // so red never darkens.
    SetLoadMaskColor(255, 0, 255);
    PixmapRef pic = SolidPixmap(8, 8, kPfRGB, 0xFFFF00FFu);
    for (int y = 2; y < 6; ++y)
        for (int x = 2; x < 6; ++x) PixmapSetPixel(pic, x, y, 0xFFFF0000u);
    ImageRef sprite = LoadImageFrom(pic, -1);
    ClearScreen(255, 255, 255);
    SetBlendMode(kBlendAlpha);
    SetDrawScale(6, 6);
    DrawImageAt(sprite, 4, 4, 0);
    PixmapRef shot = ReadScreenPixels();
    int soft = 0;
    for (int y = 0; y < 52; ++y)
        for (int x = 0; x < 52; ++x) {
            uint32_t c = PixmapGetPixel(shot, x, y);
            ASSERT_GE((c >> 16) & 255, 253u) << x << "," << y;
            if ((c & 255) > 5 && (c & 255) < 250) ++soft;
        }
    EXPECT_GT(soft, 20);  // there is a soft edge at all
    EXPECT_EQ(Px(28, 28), 0xFFFF0000u);
}

TEST_F(GLRender, WrittenPixelsShowAtTheNextDraw) {
    ImageRef img = Solid(4, 4, 0xFF00FF00u);
    DrawImageAt(img, 0, 0, 0);
    EXPECT_EQ(Px(1, 1), 0xFF00FF00u);
    PixmapRef p = LockImagePixels(img, 0, 1, 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) PixmapSetPixel(p, x, y, 0xFF0000FFu);
    UnlockImagePixels(img, 0);
    DrawImageAt(img, 0, 0, 0);
    EXPECT_EQ(Px(1, 1), 0xFF0000FFu);
}

TEST_F(GLRender, ImagesAreRemadeAfterADisplayModeChange) {
    ImageRef img = Solid(4, 4, 0xFFFF8000u);
    DrawImageAt(img, 0, 0, 0);
    ASSERT_TRUE(Reopen(32, 32));
    DrawImageAt(img, 2, 2, 0);
    EXPECT_EQ(Px(3, 3), 0xFFFF8000u);
    CloseGraphicsMode();
    ASSERT_TRUE(Reopen(64, 64));
    DrawImageAt(img, 2, 2, 0);
    EXPECT_EQ(Px(3, 3), 0xFFFF8000u);
}

TEST_F(GLRender, DroppingAnImageFreesItsTexture) {
    ImageRef img = Solid(4, 4, 0xFFFFFFFFu);
    DrawImageAt(img, 0, 0, 0);
    GLuint tex = img->frames[0].texture;
    ASSERT_TRUE(glIsTexture(tex));
    img.reset();
    EXPECT_FALSE(glIsTexture(tex));
}

TEST_F(GLRender, StripFramesNeverShowTheirNeighboursInTheSharedTexture) {
    // Four frames of four colours in one texture, drawn filtered and
    // enlarged: every pixel of a frame is its own colour up to its edges.
    const uint32_t colours[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u};
    PixmapRef sheet = NewPixmap(32, 8, kPfRGBA);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 32; ++x) PixmapSetPixel(sheet, x, y, colours[x / 8]);
    ImageRef strip = LoadImageStrip(sheet, 8, 8, 0, 4, kImgFiltered);
    ASSERT_TRUE(strip);
    SetBlendMode(kBlendSolid);
    SetDrawScale(3, 3);
    for (int frame = 0; frame < 4; ++frame) {
        ClearScreen(0, 0, 0);
        DrawImageAt(strip, 10, 10, frame);
        PixmapRef shot = ReadScreenPixels();
        for (int y = 10; y < 34; ++y)
            for (int x = 10; x < 34; ++x)
                ASSERT_EQ(PixmapGetPixel(shot, x, y), colours[frame]) << "frame " << frame << " at " << x << "," << y;
    }
    EXPECT_EQ(strip->frames[1].texture, strip->frames[3].texture);
}

TEST_F(GLRender, WritingOneStripFrameChangesOnlyThatFrame) {
    ImageRef strip = LoadImageStrip(SolidPixmap(16, 4, kPfRGBA, 0xFF808080u), 4, 4, 0, 4, 0);
    DrawImageAt(strip, 0, 0, 0);
    PixmapRef p = LockImagePixels(strip, 2, 1, 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) PixmapSetPixel(p, x, y, 0xFF00FFFFu);
    for (int frame = 0; frame < 4; ++frame) DrawImageAt(strip, float(frame * 8), 0, frame);
    EXPECT_EQ(Px(1, 1), 0xFF808080u);
    EXPECT_EQ(Px(9, 1), 0xFF808080u);
    EXPECT_EQ(Px(17, 1), 0xFF00FFFFu);
    EXPECT_EQ(Px(25, 1), 0xFF808080u);
}

TEST_F(GLRender, DrawsKeepTheirOrderAcrossRuns) {
    // The same picture below and above a rectangle: held-back quads must not
    // be drawn after a later one.
    ImageRef red = Solid(8, 8, 0xFFFF0000u);
    DrawImageAt(red, 0, 0, 0);
    SetDrawColor(0, 255, 0);
    FillRect(4, 0, 8, 8);
    SetDrawColor(255, 255, 255);
    DrawImageAt(red, 8, 0, 0);
    EXPECT_EQ(Px(2, 2), 0xFFFF0000u);
    EXPECT_EQ(Px(6, 2), 0xFF00FF00u);
    EXPECT_EQ(Px(10, 2), 0xFFFF0000u);
}

// ---- Text ----

TEST_F(GLRender, BuiltinFontDrawsItsBitmap) {
    DrawTextAt("A", 0, 0);
    const uint8_t* font = BuiltinFontBitmap();
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 8; ++c) {
            bool set = (font[r * 96 + ('A' - 32)] >> c) & 1;
            ASSERT_EQ(Px(c, r), set ? 0xFFFFFFFFu : 0xFF000000u) << c << "," << r;
        }
}

TEST_F(GLRender, TextSkipsCodesOutsideTheFont) {
    SetDrawColor(255, 255, 0);
    DrawTextAt(
        "A \xC3\xA9"
        "A",
        0, 0);  // A, space, e-acute (two bytes, neither drawn), A
    SetDrawColor(255, 255, 255);
    EXPECT_EQ(Px(1, 3), 0xFFFFFF00u);
    // The second A follows the space directly: 16 pixels on.
    EXPECT_EQ(Px(17, 3), 0xFFFFFF00u);
    EXPECT_EQ(Px(25, 3), 0xFF000000u);
}

TEST_F(GLRender, ScaledTextAdvancesAlongTheScaledAxis) {
    SetDrawScale(2, 2);
    DrawTextAt("AA", 0, 0);
    EXPECT_EQ(Px(2, 6), 0xFFFFFFFFu);   // first A, column 1 row 3
    EXPECT_EQ(Px(18, 6), 0xFFFFFFFFu);  // second A starts 16 pixels on
    EXPECT_EQ(Px(16, 6), 0xFF000000u);
}

// ---- Lines ----

TEST_F(GLRender, LinesRunThroughPixelCentres) {
    DrawLineSegment(2, 5, 9, 5, 0);
    DrawLineSegment(2, 8, 9, 8, 1);
    for (int x = 2; x < 9; ++x) {
        EXPECT_EQ(Px(x, 5), 0xFFFFFFFFu) << x;
        EXPECT_EQ(Px(x, 8), 0xFFFFFFFFu) << x;
    }
    EXPECT_EQ(Px(9, 5), 0xFF000000u);  // the end point is left out...
    EXPECT_EQ(Px(9, 8), 0xFFFFFFFFu);  // ...unless asked for
    EXPECT_EQ(Px(2, 4), 0xFF000000u);
    EXPECT_EQ(Px(2, 6), 0xFF000000u);
}

// ---- Screen grabs and the logical screen ----

TEST_F(GLRender, GrabbedScreenDrawsBackTheSame) {
    SetLoadMaskColor(255, 0, 255);  // grabs are masked images: keep black
    ImageRef quad = LoadImageFrom(sqtest::QuadrantPixmap(), 0);
    DrawImageAt(quad, 5, 7, 0);
    PixmapRef before = ReadScreenPixels();
    ImageRef shot = GrabScreenImage();
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->width, 64);
    ClearScreen(0, 0, 0);
    SetBlendMode(kBlendSolid);
    DrawImageAt(shot, 0, 0, 0);
    EXPECT_EQ(ReadScreenPixels()->pixels, before->pixels);
}

TEST_F(GLRender, TheFrameStaysInTheBackBufferAfterPresenting) {
    FillRect(3, 3, 5, 5);
    PresentFrame(0);
    EXPECT_EQ(Px(4, 4), 0xFFFFFFFFu);
    ImageRef shot = GrabScreenImage();
    EXPECT_EQ(PixmapGetPixel(shot->frames[0].pixmap, 4, 4), 0xFFFFFFFFu);
}

// The run's first frame is one colour put straight on the window: the
// picture being drawn, held draws included, and the clip stay as they were.
TEST_F(GLRender, AColourFrameLeavesThePictureAndTheClipAlone) {
    FillRect(3, 3, 5, 5);
    SetClipRect(0, 0, 20, 64);
    ShowColourFrame(10, 10, 10);
    FillRect(30, 3, 5, 5);  // outside the clip
    FillRect(10, 30, 5, 5);
    PixmapRef shot = ReadScreenPixels();
    SetClipRect(0, 0, 64, 64);
    EXPECT_EQ(PixmapGetPixel(shot, 4, 4), 0xFFFFFFFFu);
    EXPECT_EQ(PixmapGetPixel(shot, 31, 4), 0xFF000000u);
    EXPECT_EQ(PixmapGetPixel(shot, 11, 31), 0xFFFFFFFFu);
    EXPECT_EQ(PixmapGetPixel(shot, 40, 40), 0xFF000000u);
    PresentFrame(0);
    EXPECT_EQ(Px(4, 4), 0xFFFFFFFFu);
}

// A picture without alpha (as the PNG backgrounds are decoded) keeps its
// three channels in their places and is wholly opaque.
TEST_F(GLRender, APictureWithoutAlphaDrawsItsOwnColours) {
    PixmapRef rgb = NewPixmap(3, 2, kPfRGB);
    ASSERT_TRUE(rgb);
    const uint32_t colours[6] = {0xFF102030u, 0xFF405060u, 0xFF708090u, 0xFFA0B0C0u, 0xFFD0E0F0u, 0xFF010203u};
    for (int i = 0; i < 6; ++i) PixmapSetPixel(rgb, i % 3, i / 3, colours[i]);
    ImageRef image = LoadImageFrom(rgb, 0);
    ASSERT_TRUE(image);
    ClearScreen(255, 255, 255);
    SetBlendMode(kBlendAlpha);
    DrawImageAt(image, 10, 20, 0);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Px(10 + i % 3, 20 + i / 3), colours[i]) << i;
    EXPECT_EQ(Px(13, 20), 0xFFFFFFFFu);
}

// ---- Frame pacing ----

TEST_F(GLRender, AWindowWithARatePacesFramesByTheClock) {
    auto clock = std::make_shared<TManualClock>(5000);
    SetClock(clock);
    if (!OpenGraphicsMode(64, 64, 0, 60, 0)) GTEST_SKIP() << "no OpenGL display";
    EXPECT_TRUE(SoftwarePacing());
    for (int i = 0; i < 60; ++i) PresentFrame(-1);
    EXPECT_EQ(clock->Peek(), 6000u);
    PresentFrame(0);
    EXPECT_EQ(clock->Peek(), 6000u);
    SetClock(nullptr);
}

// ---- Events ----

void PushKey(Uint32 type, SDL_Keycode key, int repeat = 0) {
    SDL_Event e{};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = Uint8(repeat);
    e.key.keysym.sym = key;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    SDL_PushEvent(&e);
}

TEST_F(GLRender, WindowKeyEventsReachTheKeyTable) {
    ClearKeys();
    PushKey(SDL_KEYDOWN, SDLK_LCTRL);
    PushKey(SDL_KEYDOWN, SDLK_a);
    PresentFrame(0);
    EXPECT_EQ(IsKeyDown(kKeyLControl), 1);
    EXPECT_EQ(FirstKeyHit(), 'A');
    EXPECT_EQ(KeyHitCount(kKeyLControl), 1);
    PushKey(SDL_KEYUP, SDLK_LCTRL);
    EXPECT_EQ(IsKeyDown(kKeyLControl), 0);  // keyboard calls pump the events too

    // F11 switches between window and full screen and is no key of the game.
    PushKey(SDL_KEYDOWN, SDLK_F11);
    PushKey(SDL_KEYUP, SDLK_F11);
    PresentFrame(0);
    EXPECT_EQ(FirstKeyHit(), 0);
    EXPECT_EQ(KeyHitCount(122), 0);
    PushKey(SDL_KEYDOWN, SDLK_F11);
    PushKey(SDL_KEYUP, SDLK_F11);
    PresentFrame(0);

    PushKey(SDL_KEYDOWN, SDLK_SPACE);
    SDL_Event focus{};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&focus);
    PresentFrame(0);
    EXPECT_EQ(IsKeyDown(kKeySpace), 0);  // losing focus clears the keyboard
}

TEST_F(GLRender, ReadBackIsAtModeSizeWhateverTheWindowScale) {
    TDisplayOptions options;
    options.windowed = true;
    options.windowScale = 3;
    options.hidden = true;
    SetDisplayOptions(options);
    ASSERT_TRUE(Reopen(40, 30));
    FillRect(39, 29, 1, 1);
    PixmapRef shot = ReadScreenPixels();
    options.windowScale = 1;
    SetDisplayOptions(options);
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->width, 40);
    EXPECT_EQ(shot->height, 30);
    EXPECT_EQ(PixmapGetPixel(shot, 39, 29), 0xFFFFFFFFu);
}

}  // namespace
