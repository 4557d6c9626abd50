#pragma once
// Lettering for titles, menu items and pictures with text, rendered with
// FreeType from a system font and styled (fill gradient, outline, shadow).
#include <memory>
#include <string>
#include <vector>

#include "canvas.h"

namespace gfx {

// Grey coverage of a rendered text line; (originX, baseline) is the pen start.
struct Coverage {
    int w = 0, h = 0;
    int baseline = 0;  // row of the baseline
    std::vector<float> a;
    float Get(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h ? a[std::size_t(y) * w + x] : 0.0f; }
};

class Font {
public:
    explicit Font(const std::string& path);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Renders one line at a pixel size; pad adds clear margin on every side.
    // tracking adds pixels between letters. Hinted, anti-aliased.
    Coverage Render(const std::string& text, int pixelSize, int pad = 0, float tracking = 0) const;
    int Width(const std::string& text, int pixelSize, float tracking = 0) const;
    // Largest size (<= maxSize) whose line fits the width.
    int FitSize(const std::string& text, int maxWidth, int maxSize, float tracking = 0) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

struct TextStyle {
    Rgba top{255, 255, 255}, bottom{255, 255, 255};  // vertical fill gradient over the ink
    Rgba outline{0, 0, 0, 0};                        // alpha 0: none
    float outlineWidth = 1.0f;                       // 1 = 4-neighbour, 1.5 = 8-neighbour, 2 ...
    Rgba shadow{0, 0, 0, 0};
    int shadowX = 1, shadowY = 1;
    Rgba highlight{0, 0, 0, 0};  // a one-pixel lighter rim on the upper edge of the ink
    bool hard = false;           // binary alpha (for masked pictures)
    float tracking = 0;
};

// The styled line on a canvas just big enough for it.
Canvas StyledText(const Font& font, const std::string& text, int pixelSize, const TextStyle& style);

// Plain text blended straight onto a canvas. align: 0 left, 1 centre, 2 right
// of x. y is the top of the line box (ascender line).
void DrawText(Canvas& dst, const Font& font, const std::string& text, int pixelSize, int x, int y, Rgba colour,
              int align = 0, float tracking = 0);
// Same with a one-pixel shadow to the lower right.
void DrawShadowedText(Canvas& dst, const Font& font, const std::string& text, int pixelSize, int x, int y, Rgba colour,
                      Rgba shadow, int align = 0, float tracking = 0);

}  // namespace gfx
