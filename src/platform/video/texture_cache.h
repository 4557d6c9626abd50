#pragma once
// The frames of images as textures of the display device. A frame's texture
// is made the first time it is drawn and again when its pixels change or a
// new display mode (a new generation) has dropped every texture. The frames
// of a strip (and of the font) share one texture: each frame sits in a cell
// with a one-texel border that repeats its edge, so that filtering at a
// frame's edge samples the frame itself and never its neighbour, and frames
// drawn one after another need no change of texture.
#include <cstdint>
#include <vector>

#include "platform/video/display_device.h"
#include "platform/video/image.h"

namespace sq {

class TTextureCache {
public:
    // Makes sure `f`, a frame of `image`, has a current texture on `device`
    // under display generation `generation`, counting uploads in `stats`.
    // False when the frame has no pixels or no texture could be made.
    bool Ensure(TDisplayDevice& device, uint32_t generation, TDrawStats& stats, TImage& image, TImageFrame& f);

private:
    struct TSheetLayout {
        int columns = 0, tw = 0, th = 0;
    };
    void FitTextureSize(int& tw, int& th);
    bool EnsureOwnTexture(TImage& image, TImageFrame& f, bool current);
    bool SheetLayout(const TImage& image, TSheetLayout& out);
    bool EnsureSheet(TImage& image, TImageFrame& f, const TSheetLayout& layout);

    TDisplayDevice* device_ = nullptr;
    uint32_t generation_ = 0;
    TDrawStats* stats_ = nullptr;
    // Kept between uploads, so a picture redrawn every frame allocates nothing
    // once they have grown; a large one made once lets go of them.
    std::vector<uint8_t> scratch_, sheetScratch_;
};

}  // namespace sq
