#pragma once
// Gathers textured quads into runs that share a texture, so that a display
// sends one draw call per run instead of one per picture. The display flushes
// the run before any state change that would alter how it is drawn (blend,
// clip, projection); the colour travels with each vertex and changes nothing.
//
// Counts every draw call and every change of texture between draw calls, the
// same way on every display, for benchmarks and tests.
#include <cstdint>
#include <vector>

namespace sq {

struct TBatchVertex {
    float x, y, u, v;
    float r, g, b, a;
};

// Receives the quads of a run: `quads` quads of four vertices each, corners
// clockwise from the top-left. Texture 0 means plain colour.
class IBatchSink {
public:
    virtual ~IBatchSink() = default;
    virtual void SubmitQuads(uint32_t texture, const TBatchVertex* vertices, int quads) = 0;
};

class TQuadBatch {
public:
    static constexpr int kMaxQuads = 2048;

    TQuadBatch();
    void SetColor(float r, float g, float b, float a) { r_ = r, g_ = g, b_ = b, a_ = a; }
    // xy: four corners clockwise from the top-left; uv: u0, v0, u1, v1.
    // Flushes first when the texture differs from the run's or the run is full.
    void AddQuad(IBatchSink& sink, uint32_t texture, const float* xy, const float* uv);
    void Flush(IBatchSink& sink);
    bool Empty() const { return quads_ == 0; }
    bool Uses(uint32_t texture) const { return quads_ > 0 && texture_ == texture; }
    // Counts a draw call made outside the batch (a line); the next run then
    // counts its texture as bound again.
    void CountOwnDraw(uint32_t texture);
    // Forgets which texture was last bound (a new display or render target).
    void ForgetBinding() { lastBound_ = kNone; }

private:
    static constexpr uint32_t kNone = 0xFFFFFFFFu;
    std::vector<TBatchVertex> vertices_;
    int quads_ = 0;
    uint32_t texture_ = 0;
    uint32_t lastBound_ = kNone;
    float r_ = 1, g_ = 1, b_ = 1, a_ = 1;
};

}  // namespace sq
