#pragma once
// A small RGBA drawing surface for the picture generator: plotting, shapes,
// gradients and compositing, all in plain integer/float maths so that every
// build writes the same bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace gfx {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    constexpr Rgba() = default;
    constexpr Rgba(int rr, int gg, int bb, int aa = 255)
        : r(uint8_t(rr)), g(uint8_t(gg)), b(uint8_t(bb)), a(uint8_t(aa)) {}
    bool operator==(const Rgba&) const = default;
};

inline constexpr Rgba kClear{0, 0, 0, 0};

// Linear mix of two colours (alpha mixed too); t in 0..1.
Rgba Mix(Rgba a, Rgba b, float t);
// Scales the colour channels (keeps alpha).
Rgba Shade(Rgba c, float k);
Rgba WithAlpha(Rgba c, int a);

// Seeded generator (splitmix64): the same seed gives the same pictures.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t Next();
    float Uniform();                  // [0, 1)
    float Range(float lo, float hi);  // [lo, hi)
    int Int(int lo, int hi);          // [lo, hi]
private:
    uint64_t state_;
};
uint64_t HashName(const std::string& name);

// Smooth value noise in [0, 1], tileable over `period` cells when period > 0.
float ValueNoise(float x, float y, uint32_t seed, int period = 0);
float Fbm(float x, float y, uint32_t seed, int octaves, int period = 0);

// 4 x 4 ordered-dither threshold in [0, 1).
float Bayer4(int x, int y);

class Canvas {
public:
    Canvas() = default;
    Canvas(int w, int h, Rgba fill = kClear);

    int w = 0, h = 0;
    std::vector<Rgba> px;

    bool In(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    Rgba Get(int x, int y) const { return In(x, y) ? px[std::size_t(y) * w + x] : kClear; }
    Rgba& At(int x, int y) { return px[std::size_t(y) * w + x]; }
    void Set(int x, int y, Rgba c) {
        if (In(x, y)) At(x, y) = c;
    }
    // Source-over compositing of c with an extra coverage factor.
    void Blend(int x, int y, Rgba c, float coverage = 1.0f);

    void Fill(Rgba c);
    void FillRect(int x, int y, int rw, int rh, Rgba c);
    void BlendRect(int x, int y, int rw, int rh, Rgba c, float coverage = 1.0f);
    // Pixel-art shapes: hard edges, centres may be fractional.
    void FillEllipse(float cx, float cy, float rx, float ry, Rgba c);
    void FillCircle(float cx, float cy, float r, Rgba c) { FillEllipse(cx, cy, r, r, c); }
    // Soft shapes: 4 x 4 supersampled coverage.
    void SoftEllipse(float cx, float cy, float rx, float ry, Rgba c, float coverage = 1.0f);
    void FillPolygon(const std::vector<float>& xy, Rgba c, bool soft = false, float coverage = 1.0f);
    void Line(int x0, int y0, int x1, int y1, Rgba c);
    // A line of the given thickness made of round stamps.
    void ThickLine(float x0, float y0, float x1, float y1, float width, Rgba c);
    // Radial glow: alpha falls from `a` at the centre to 0 at radius r.
    void Glow(float cx, float cy, float r, Rgba c, float a, float power = 2.0f);

    // Copies src at (dx, dy) compositing by alpha.
    void Draw(const Canvas& src, int dx, int dy, float coverage = 1.0f);
    // Copies src at (dx, dy), overwriting (transparent pixels skipped when skipClear).
    void Put(const Canvas& src, int dx, int dy, bool skipClear = true);
    Canvas Crop(int x, int y, int cw, int ch) const;
    Canvas FlipX() const;
    Canvas ScaleNearest(int factor) const;
    // Bilinear resample to a new size (for soft pictures only).
    Canvas Resample(int nw, int nh) const;

    // Pixel-art outline: every clear pixel that touches an opaque one
    // (4-neighbourhood, or 8 when diagonal) takes colour c.
    void Outline(Rgba c, bool diagonal = false);
    // Opaque where alpha >= 128, fully clear elsewhere.
    void Harden();
};

// Draws a layer onto dst with its own outline first, so that overlapping
// parts (an arm over the body) stay separated by a dark line.
void DrawWithOutline(Canvas& dst, const Canvas& layer, int dx, int dy, Rgba outline);

}  // namespace gfx
