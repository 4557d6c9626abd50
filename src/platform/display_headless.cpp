// The display that draws nothing: level simulations, tools, benchmarks and
// flow tests run the whole drawing layer through it without a window.
#include "platform/display_device.h"

namespace sq {

namespace {

class THeadlessDevice : public TDisplayDevice {
public:
    bool Open(const TOpenRequest& request) override {
        width_ = request.width;
        height_ = request.height;
        return width_ > 0 && height_ > 0;
    }
    void Close() override { width_ = height_ = 0; }
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
    void SetProjection(float, float) override {}
    void SetBlend(int) override {}
    void SetScissor(bool, int, int, int, int) override {}
    void SetColor(float, float, float, float) override {}
    void SetLineWidth(float) override {}
    void DrawTexturedQuad(uint32_t, const float*, float, float) override {}
    void DrawQuad(const float*) override {}
    void DrawLine(float, float, float, float, bool) override {}
    void Clear(int, int, int) override {}
    bool TextureSizeOk(int, int) override { return true; }
    uint32_t UploadTexture(uint32_t texture, const uint8_t*, int, int, bool, bool) override {
        return texture ? texture : ++lastTexture_;
    }
    void DeleteTexture(uint32_t) override {}
    PixmapRef ReadPixels(int, int, int w, int h) override {
        PixmapRef p = NewPixmap(w, h, kPfRGBA);
        if (p)
            for (std::size_t i = 3; i < p->pixels.size(); i += 4) p->pixels[i] = 255;
        return p;
    }
    void Present(bool) override {}
    void PumpEvents() override {}

private:
    int width_ = 0, height_ = 0;
    uint32_t lastTexture_ = 0;
};

}  // namespace

std::unique_ptr<TDisplayDevice> MakeHeadlessDevice() { return std::make_unique<THeadlessDevice>(); }

}  // namespace sq
