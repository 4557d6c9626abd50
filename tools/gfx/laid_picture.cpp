#include "laid_picture.h"

#include <algorithm>
#include <cmath>

namespace gfx {

void LaidPicture::AddLine(const std::string& text, const Canvas& layer, const Canvas* fill, Rgba top, Rgba bottom) {
    TextMark mark;
    mark.text = text;
    mark.left = layer.w, mark.top = layer.h;
    for (int y = 0; y < layer.h; ++y)
        for (int x = 0; x < layer.w; ++x)
            if (layer.Get(x, y).a) {
                mark.left = std::min(mark.left, x), mark.right = std::max(mark.right, x);
                mark.top = std::min(mark.top, y), mark.bottom = std::max(mark.bottom, y);
            }
    mark.fillTop = top;
    mark.fillBottom = bottom;
    mark.outlined = fill == nullptr;
    marks.push_back(mark);
    lettering.Draw(layer, 0, 0);
    if (fill) fills.Draw(*fill, 0, 0);
}

bool LaidPicture::NearText(int x, int y, int margin) const {
    return std::any_of(marks.begin(), marks.end(), [&](const TextMark& m) { return m.Contains(x, y, margin); });
}

Canvas LaidPicture::Picture() const {
    Canvas c = backdrop;
    c.Draw(lettering, 0, 0);
    return c;
}

float RelativeLuminance(Rgba c) {
    auto channel = [](int v) {
        float s = float(v) / 255.0f;
        return s <= 0.04045f ? s / 12.92f : std::pow((s + 0.055f) / 1.055f, 2.4f);
    };
    return 0.2126f * channel(c.r) + 0.7152f * channel(c.g) + 0.0722f * channel(c.b);
}

float ContrastRatio(Rgba a, Rgba b) {
    float la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05f) / (std::min(la, lb) + 0.05f);
}

}  // namespace gfx
