#pragma once
// A picture with lettering on it, kept in layers as well as whole, so that
// the checks can see that nothing drawn covers a letter and that each line
// reads against what lies behind it.
#include <string>
#include <vector>

#include "canvas.h"

namespace gfx {

// A line of lettering: its box (shadow and outline included, inclusive
// bounds) and the colours its letters are filled with.
struct TextMark {
    std::string text;
    int left = 0, top = 0, right = -1, bottom = -1;
    Rgba fillTop, fillBottom;
    // Lettering with an outline of its own reads on anything; plain lines
    // lean on their colour alone.
    bool outlined = false;
    bool Contains(int x, int y, int margin) const {
        return x >= left - margin && x <= right + margin && y >= top - margin && y <= bottom + margin;
    }
};

struct LaidPicture {
    LaidPicture(int w, int h) : sky(w, h), backdrop(w, h), lettering(w, h), fills(w, h) {}
    Canvas sky;        // the plain sky: gradient only
    Canvas backdrop;   // everything but the lettering
    Canvas lettering;  // the lettering alone (fills, outlines, shadows)
    Canvas fills;      // the plain lines' fills alone (alpha is coverage)
    std::vector<TextMark> marks;

    // Adds a line drawn on a full-size layer; fill is the same line's fill
    // alone, or null for outlined lettering.
    void AddLine(const std::string& text, const Canvas& layer, const Canvas* fill, Rgba top, Rgba bottom);
    // Whether (x, y) lies within `margin` of any line's box.
    bool NearText(int x, int y, int margin) const;
    // The lettering over the backdrop: the picture the game loads.
    Canvas Picture() const;
};

// WCAG's relative luminance of an sRGB colour, and the contrast ratio of two.
float RelativeLuminance(Rgba c);
float ContrastRatio(Rgba a, Rgba b);

}  // namespace gfx
