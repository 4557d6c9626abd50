#pragma once
// Pictures made in code for the drawing-layer tests and the scene.
#include <cstdint>

#include "platform/video/pixmap.h"

namespace sqtest {

// A pixmap of one colour.
sq::PixmapRef SolidPixmap(int w, int h, int format, uint32_t argb);
// Colours of the form 0xAARRGGBB compared channel by channel within `tolerance`.
bool Near(uint32_t a, uint32_t b, int tolerance);
// A 32 x 32 picture: four coloured quadrants and a white border.
sq::PixmapRef QuadrantPixmap();

}  // namespace sqtest
