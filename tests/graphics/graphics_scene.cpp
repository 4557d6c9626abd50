// Draws a scene that exercises the drawing layer and saves the picture:
//   graphics_scene OUT.png [width height [logicalWidth logicalHeight]]
// With SCENE_FULLSCREEN=N in the environment the scene opens full screen and
// stays shown for N seconds (to look at the scaled, letterboxed result).
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "graphics_test_support.h"
#include "platform/video/graphics.h"

using namespace sq;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: graphics_scene OUT.png [width height [logicalWidth logicalHeight]]\n");
        return 2;
    }
    int w = argc > 3 ? std::atoi(argv[2]) : 320, h = argc > 3 ? std::atoi(argv[3]) : 240;
    const char* full = std::getenv("SCENE_FULLSCREEN");
    TDisplayOptions options;
    options.windowed = !full;
    options.hidden = !full;
    SetDisplayOptions(options);
    if (!OpenGraphicsMode(w, h, full ? 32 : 0, 60, 0)) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    if (argc > 5) SetVirtualResolution(std::atoi(argv[4]), std::atoi(argv[5]));

    // Background: a vertical gradient of night blue.
    for (int y = 0; y < 240; y += 4) {
        SetDrawColor(10, 20 + y / 6, 60 + y / 3);
        FillRect(0, float(y), 320, 4);
    }
    SetDrawColor(255, 255, 255);

    // The whole font.
    for (int row = 0; row < 3; ++row) {
        std::string line;
        for (int c = 32 + row * 32; c < 64 + row * 32; ++c) line += char(c);
        DrawTextAt(line, 4, float(2 + row * 16));
    }
    SetDrawColor(0, 0, 0);
    DrawTextAt("TIME 03:05  x12", 5, 55);
    SetDrawColor(255, 220, 80);
    DrawTextAt("TIME 03:05  x12", 4, 54);
    SetDrawColor(255, 255, 255);

    // A masked sprite: a red disc on magenta, drawn turned and scaled.
    SetLoadMaskColor(255, 0, 255);
    PixmapRef disc = sqtest::SolidPixmap(24, 24, kPfRGB, 0xFFFF00FFu);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            float dx = x - 11.5f, dy = y - 11.5f;
            if (dx * dx + dy * dy < 110) PixmapSetPixel(disc, x, y, (x / 6 + y / 6) % 2 ? 0xFFE02020u : 0xFFFFFFFFu);
        }
    ImageRef sprite = LoadImageFrom(disc, -1);
    CenterImageHandle(sprite);
    ImageRef quad = LoadImageFrom(sqtest::QuadrantPixmap(), 0);
    CenterImageHandle(quad);

    const char* names[] = {"", "MASK", "SOLID", "ALPHA", "LIGHT", "SHADE"};
    for (int mode = 1; mode <= 5; ++mode) {
        float x = 32 + (mode - 1) * 62.0f;
        SetBlendMode(kBlendSolid);
        SetDrawColor(90, 140, 90);
        FillRect(x - 24, 82, 48, 48);
        SetDrawColor(255, 255, 255);
        SetBlendMode(mode);
        SetDrawAlpha(0.6f);
        SetDrawRotation(mode * 15.0f);
        DrawImageAt(sprite, x, 106, 0);
        SetDrawRotation(0);
        SetDrawAlpha(1);
        SetBlendMode(kBlendMask);
        DrawTextAt(names[mode], x - TextWidth(names[mode]) / 2.0f, 132);
    }

    // Turned and scaled pictures.
    SetBlendMode(kBlendMask);
    for (int i = 0; i < 5; ++i) {
        SetDrawRotation(i * 22.5f);
        SetDrawScale(0.5f + i * 0.25f, 0.5f + i * 0.25f);
        DrawImageAt(quad, 30 + i * 62.0f, 190, 0);
    }
    SetDrawRotation(0);
    SetDrawScale(1, 1);

    // Lines and a box.
    SetDrawColor(255, 255, 0);
    for (int i = 0; i < 8; ++i)
        DrawLineSegment(300, 150, 300 + 18 * std::cos(i * 0.785f), 150 + 18 * std::sin(i * 0.785f), 1);
    SetDrawColor(255, 255, 255);

    PresentFrame(1);
    if (full) {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(full));
        while (std::chrono::steady_clock::now() < until) PresentFrame(1);
    }
    if (!SavePixmapPNG(ReadScreenPixels(), argv[1])) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    CloseGraphicsMode();
    return 0;
}
