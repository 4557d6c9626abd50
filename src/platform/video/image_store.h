#pragma once
// Inside the drawing layer: the making of images and the finding of their
// frames (images.cpp), shared by the loading calls and the drawing calls
// (graphics.cpp). The game uses graphics.h.
#include "platform/video/image.h"

namespace sq {

// A new image without frames, its mask colour the current load mask colour;
// flags -1 means the default flags.
ImageRef MakeImage(int width, int height, int flags);
// The frame, or null when out of range; a null image raises the Null object error.
TImageFrame* FrameOf(const ImageRef& image, int frame);
// The colour that masked pictures are loaded with (SetLoadMaskColor).
void LoadMaskColor(int& r, int& g, int& b);
// The built-in font as an image of one 8 x 16 frame per glyph, from the
// space on (font_builtin.cpp).
ImageRef MakeBuiltinFontImage();

}  // namespace sq
