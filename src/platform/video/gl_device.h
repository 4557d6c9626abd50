#pragma once
// The OpenGL display device and its SDL window, one class whose work is
// split in two files: sdl_window.cpp (the window, its modes, full screen and
// events) and gl_device.cpp (the pipeline, textures, drawing and showing the
// frame). Only the two of them include this; the rest of the game reaches the
// device through display_device.h.
#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/video/display_device.h"
#include "platform/video/gl_api.h"
#include "platform/video/quad_batch.h"

namespace sq::gl {

class TGLDevice : public TDisplayDevice, private IBatchSink {
public:
    ~TGLDevice() override { Close(); }

    bool Open(const TOpenRequest& request) override;
    void Close() override;
    bool VsyncWorks() const override { return vsync_; }
    int ModeAvailable(int width, int height, int depth, int hz) override;
    void SetCaption(const std::string& caption) override {
        caption_ = caption;
        if (window_) SDL_SetWindowTitle(window_, caption.c_str());
    }
    void ShowErrorBox(const std::string& title, const std::string& message) override {
        if (!window_) return;
        if (fullScreen_) SDL_MinimizeWindow(window_);
        if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), message.c_str(), window_) != 0)
            SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), message.c_str(), nullptr);
    }

    void SetProjection(float width, float height) override {
        Flush();
        projW_ = width;
        projH_ = height;
        LoadProjection(width, height);
    }
    void SetBlend(int mode) override {
        if (mode == blend_) return;
        Flush();
        blend_ = mode;
        ApplyBlend(mode);
    }
    void SetScissor(bool on, int x, int y, int w, int h) override {
        if (!on && !scissorOn_) return;
        if (on && scissorOn_ && x == scissor_[0] && y == scissor_[1] && w == scissor_[2] && h == scissor_[3]) return;
        Flush();
        scissorOn_ = on;
        scissor_[0] = x, scissor_[1] = y, scissor_[2] = w, scissor_[3] = h;
        ApplyScissor();
    }
    void SetColor(float r, float g, float b, float a) override {
        color_[0] = r, color_[1] = g, color_[2] = b, color_[3] = a;
        batch_.SetColor(r, g, b, a);
    }
    void SetLineWidth(float width) override {
        float w = width > 0 ? width : 1;
        if (w == lineWidth_) return;
        Flush();
        lineWidth_ = w;
        glLineWidth(lineWidth_);
    }
    void DrawTexturedQuad(uint32_t texture, const float* xy, const float* uv) override {
        if (!context_) return;
        batch_.AddQuad(*this, texture, xy, uv);
    }
    void DrawQuad(const float* xy) override {
        if (!context_) return;
        static const float kUv[4] = {0, 0, 1, 1};
        batch_.AddQuad(*this, 0, xy, kUv);
    }
    void DrawLine(float x1, float y1, float x2, float y2, bool lastPixel) override;
    void Clear(int r, int g, int b) override {
        if (!context_) return;
        Flush();
        if (scissorOn_) glDisable(GL_SCISSOR_TEST);
        glClearColor(float(r) / 255.0f, float(g) / 255.0f, float(b) / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        if (scissorOn_) glEnable(GL_SCISSOR_TEST);
    }

    bool TextureSizeOk(int width, int height) override {
        return width > 0 && height > 0 && width <= maxTextureSize_ && height <= maxTextureSize_;
    }
    uint32_t UploadTexture(uint32_t texture, const uint8_t* rgba, int texWidth, int texHeight, bool filtered,
                           bool mipmapped) override;
    bool UpdateTexture(uint32_t texture, int x, int y, const uint8_t* rgba, int w, int h) override;
    void DeleteTexture(uint32_t texture) override {
        if (!context_ || !textures_.count(texture)) return;
        if (batch_.Uses(texture)) Flush();
        textures_.erase(texture);
        GLuint name = texture;
        glDeleteTextures(1, &name);
        if (boundTexture_ == texture) boundTexture_ = 0;
    }

    void SetTargetSize(int width, int height) override;
    PixmapRef ReadPixels(int x, int y, int w, int h) override;
    void Present(bool waitVblank) override;
    bool ShowColour(int r, int g, int b) override;
    void PumpEvents() override;

private:
    void SubmitQuads(uint32_t texture, const TBatchVertex* vertices, int quads) override;
    void Flush() { batch_.Flush(*this); }
    bool CreateWindow(const TOpenRequest& request);
    bool CreatePipeline();
    void DestroyPipeline();
    bool CreateTarget();
    void DestroyTarget();
    void DeleteAllTextures();
    void ResetGLState();
    bool CheckVsync(int hz);
    void SetSwapInterval(int interval) {
        if (interval == swapInterval_) return;
        if (SDL_GL_SetSwapInterval(interval) == 0) swapInterval_ = interval;
    }
    void WindowedSize(int& w, int& h) const;
    void FollowPageCanvas();
    void ToggleFullScreen();
    void ChangeDisplay(const TDisplayOptions& options) override;
    void EnterFullScreen();
    void LeaveFullScreen();
    void DesktopBounds(SDL_Rect& r) const;
    // Logical 0..width x 0..height onto the viewport, y running down.
    void LoadProjection(float width, float height) {
        for (int i = 0; i < kPrograms; ++i) {
            if (!programs_[i]) continue;
            gl_.useProgram(programs_[i]);
            gl_.uniform4f(viewLocs_[i], 2.0f / width, -2.0f / height, -1.0f, 1.0f);
        }
        if (programs_[activeProgram_]) gl_.useProgram(programs_[activeProgram_]);
    }
    void ApplyBlend(int mode);
    void UseProgram(int which) {
        if (which == activeProgram_) return;
        activeProgram_ = which;
        gl_.useProgram(programs_[which]);
    }
    void ApplyScissor() {
        if (scissorOn_) {
            glEnable(GL_SCISSOR_TEST);
            glScissor(scissor_[0], targetH_ - scissor_[1] - scissor_[3], std::max(scissor_[2], 0),
                      std::max(scissor_[3], 0));
        } else {
            glDisable(GL_SCISSOR_TEST);
        }
    }
    void BindTexture(uint32_t texture) {
        if (texture == boundTexture_) return;
        boundTexture_ = texture;
        glBindTexture(GL_TEXTURE_2D, texture);
    }
    // Puts vertices in the vertex buffer and draws them.
    void DrawVertices(GLenum primitive, const TBatchVertex* vertices, int count, bool indexed);
    void DrawScreenTexture(int x, int y, int w, int h, int viewW, int viewH);
    // Where the picture stands in a drawable of dw x dh: the mode's shape
    // enlarged as far as it fits, centred.
    void PictureRect(int dw, int dh, int& x, int& y, int& w, int& h) const;

    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    bool videoUp_ = false;
    bool padsLooked_ = false;  // StartGamepads was called since the video started
    bool frameShown_ = false;  // a frame went on the window since then
    std::string caption_;
    TDisplayOptions options_;
    int width_ = 0, height_ = 0;  // the mode's
    // The picture drawn: the mode's size, or the smaller logical picture
    // that the mode shows enlarged by a whole number.
    int targetW_ = 0, targetH_ = 0;
    bool fullScreen_ = false;
    bool vsync_ = false;
    int swapInterval_ = -2;
    bool inPump_ = false;
    int cursorShown_ = -1;

    TGlApi gl_;
    static constexpr int kPrograms = 3;  // plain, mask, copy
    GLuint programs_[kPrograms] = {0, 0, 0};
    GLint viewLocs_[kPrograms] = {-1, -1, -1};
    int activeProgram_ = 0;
    GLuint vertexBuffer_ = 0, indexBuffer_ = 0, whiteTexture_ = 0;
    int maxTextureSize_ = 0;
    TQuadBatch batch_;

    bool useFbo_ = false;
    GLuint framebuffer_ = 0, screenTexture_ = 0;
    int screenTexW_ = 0, screenTexH_ = 0;

    std::unordered_set<uint32_t> textures_;
    uint32_t boundTexture_ = 0;
    float projW_ = 0, projH_ = 0;
    int blend_ = 2;
    bool scissorOn_ = false;
    int scissor_[4] = {0, 0, 0, 0};
    float color_[4] = {1, 1, 1, 1};
    float lineWidth_ = 1;
    std::vector<uint8_t> rowScratch_;
};

}  // namespace sq::gl
