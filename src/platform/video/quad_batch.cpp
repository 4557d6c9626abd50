#include "platform/video/quad_batch.h"

#include "platform/video/graphics.h"

namespace sq {

TQuadBatch::TQuadBatch() { vertices_.resize(std::size_t(kMaxQuads) * 4); }

void TQuadBatch::AddQuad(IBatchSink& sink, uint32_t texture, const float* xy, const float* uv) {
    if (quads_ > 0 && (texture != texture_ || quads_ == kMaxQuads)) Flush(sink);
    texture_ = texture;
    TBatchVertex* v = vertices_.data() + std::size_t(quads_) * 4;
    const float us[4] = {uv[0], uv[2], uv[2], uv[0]};
    const float vs[4] = {uv[1], uv[1], uv[3], uv[3]};
    for (int i = 0; i < 4; ++i) v[i] = TBatchVertex{xy[2 * i], xy[2 * i + 1], us[i], vs[i], r_, g_, b_, a_};
    ++quads_;
}

void TQuadBatch::Flush(IBatchSink& sink) {
    if (quads_ == 0) return;
    TDrawStats& stats = DrawStats();
    ++stats.drawCalls;
    if (texture_ != lastBound_) {
        ++stats.textureBinds;
        lastBound_ = texture_;
    }
    sink.SubmitQuads(texture_, vertices_.data(), quads_);
    quads_ = 0;
}

void TQuadBatch::CountOwnDraw(uint32_t texture) {
    TDrawStats& stats = DrawStats();
    ++stats.drawCalls;
    if (texture != lastBound_) {
        ++stats.textureBinds;
        lastBound_ = texture;
    }
}

}  // namespace sq
