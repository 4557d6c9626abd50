// The display that draws nothing: level simulations, tools, benchmarks and
// flow tests run the whole drawing layer through it without a window.
#include "platform/video/display_device.h"
#include "platform/video/quad_batch.h"

namespace sq {

namespace {

// Batches exactly as the OpenGL display does, so that its counts of draw
// calls and texture binds are those a real display would make.
class THeadlessDevice : public TDisplayDevice, private IBatchSink {
public:
    bool Open(const TOpenRequest& request) override {
        width_ = request.width;
        height_ = request.height;
        batch_.Flush(*this);
        batch_.ForgetBinding();
        scissorOn_ = false;
        return width_ > 0 && height_ > 0;
    }
    void Close() override {
        batch_.Flush(*this);
        width_ = height_ = 0;
    }
    bool VsyncWorks() const override { return false; }
    int ModeAvailable(int width, int height, int depth, int hz) override {
        // A plain desktop monitor of the old days: the low resolutions at
        // 16 and 32 bits, 60 Hz.
        static const int kSizes[][2] = {{320, 240}, {640, 480}, {800, 600}, {1024, 768}};
        for (const auto& s : kSizes) {
            if ((width == 0 || width == s[0]) && (height == 0 || height == s[1]) &&
                (depth == 0 || depth == 16 || depth == 32) && (hz == 0 || hz == 60))
                return 1;
        }
        return 0;
    }
    void SetCaption(const std::string&) override {}
    void ShowErrorBox(const std::string&, const std::string&) override {}
    void SetProjection(float, float) override { batch_.Flush(*this); }
    void SetBlend(int) override { batch_.Flush(*this); }
    void SetScissor(bool on, int x, int y, int w, int h) override {
        if (!on && !scissorOn_) return;
        if (on && scissorOn_ && x == scissor_[0] && y == scissor_[1] && w == scissor_[2] && h == scissor_[3]) return;
        batch_.Flush(*this);
        scissorOn_ = on;
        scissor_[0] = x, scissor_[1] = y, scissor_[2] = w, scissor_[3] = h;
    }
    void SetColor(float r, float g, float b, float a) override { batch_.SetColor(r, g, b, a); }
    void SetLineWidth(float) override {}
    void DrawTexturedQuad(uint32_t texture, const float* xy, const float* uv) override {
        batch_.AddQuad(*this, texture, xy, uv);
    }
    void DrawQuad(const float* xy) override {
        static const float kUv[4] = {0, 0, 1, 1};
        batch_.AddQuad(*this, 0, xy, kUv);
    }
    void DrawLine(float, float, float, float, bool lastPixel) override {
        batch_.Flush(*this);
        batch_.CountOwnDraw(0);
        if (lastPixel) batch_.CountOwnDraw(0);
    }
    void Clear(int, int, int) override { batch_.Flush(*this); }
    bool TextureSizeOk(int, int) override { return true; }
    uint32_t UploadTexture(uint32_t texture, const uint8_t*, int, int, bool, bool) override {
        if (texture && batch_.Uses(texture)) batch_.Flush(*this);
        return texture ? texture : ++lastTexture_;
    }
    bool UpdateTexture(uint32_t texture, int, int, const uint8_t*, int, int) override {
        if (batch_.Uses(texture)) batch_.Flush(*this);
        return texture != 0;
    }
    void DeleteTexture(uint32_t texture) override {
        if (batch_.Uses(texture)) batch_.Flush(*this);
    }
    PixmapRef ReadPixels(int, int, int w, int h) override {
        batch_.Flush(*this);
        PixmapRef p = NewPixmap(w, h, kPfRGBA);
        if (p)
            for (std::size_t i = 3; i < p->pixels.size(); i += 4) p->pixels[i] = 255;
        return p;
    }
    void Present(bool) override {
        batch_.Flush(*this);
        batch_.ForgetBinding();  // showing the frame binds the picture's own texture
    }
    void PumpEvents() override {}

private:
    void SubmitQuads(uint32_t, const TBatchVertex*, int) override {}

    TQuadBatch batch_;
    bool scissorOn_ = false;
    int scissor_[4] = {0, 0, 0, 0};
    int width_ = 0, height_ = 0;
    uint32_t lastTexture_ = 0;
};

}  // namespace

std::unique_ptr<TDisplayDevice> MakeHeadlessDevice() { return std::make_unique<THeadlessDevice>(); }

}  // namespace sq
