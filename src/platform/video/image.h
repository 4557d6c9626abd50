#pragma once
// An image of the drawing layer: its frames' pixels and, once drawn, their
// textures; the image flags, blend modes and draw counters that go with it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/video/pixmap.h"

namespace sq {

enum ImageFlags : int { kImgMasked = 1, kImgFiltered = 2, kImgMipmapped = 4, kImgDynamic = 8 };
inline constexpr int kDefaultImageFlags = kImgMasked | kImgFiltered;

enum BlendMode : int { kBlendMask = 1, kBlendSolid = 2, kBlendAlpha = 3, kBlendLight = 4, kBlendShade = 5 };

struct TImageFrame {
    PixmapRef pixmap;
    uint32_t texture = 0;     // back-end texture name; 0 when not made yet
    uint32_t generation = 0;  // display generation the texture belongs to
    bool dirty = true;        // pixmap written since the texture was made
    int texWidth = 0, texHeight = 0;
    int texX = 0, texY = 0;  // where the frame starts in its texture
};

class TImage {
public:
    ~TImage();
    int width = 0, height = 0, flags = kDefaultImageFlags;
    int maskR = 0, maskG = 0, maskB = 0;
    float handleX = 0, handleY = 0;
    std::vector<TImageFrame> frames;
    std::string name;  // file it came from, for messages
    int FrameCount() const { return int(frames.size()); }
};
using ImageRef = std::shared_ptr<TImage>;

// What the drawing layer has done since the counters were last cleared.
struct TDrawStats {
    uint64_t imageDraws = 0, rects = 0, lines = 0, glyphs = 0;
    uint64_t textureUploads = 0, blendChanges = 0, frames = 0;
    uint64_t drawCalls = 0, textureBinds = 0;
};

}  // namespace sq
