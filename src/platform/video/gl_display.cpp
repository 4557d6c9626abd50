// The real display: an SDL2 window with an OpenGL context. Every mode's
// picture is drawn at the mode's own size into an offscreen target and, when
// the frame is shown, scaled onto the window with its aspect kept (black bars
// where the shapes differ) and without smoothing, so the 320 x 240 picture
// stays crisp on a large desktop.
//
// Drawing goes through one small shader and a vertex buffer: pictures are
// gathered into runs that share a texture and state and each run is one draw
// call. Only calls that OpenGL ES 2.0 and WebGL 1 also have are used.
#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_set>
#include <vector>

#include "platform/input/gamepad.h"
#include "platform/input/keyboard.h"
#include "platform/input/sdl_keymap.h"
#include "platform/system/web.h"
#include "platform/video/display_device.h"
#include "platform/video/gl_api.h"
#include "platform/video/graphics.h"
#include "platform/video/quad_batch.h"

namespace sq {

namespace {

int NextPowerOfTwo(int n) {
    int p = 1;
    while (p < n) p <<= 1;
    return p;
}

// Half alpha, placed between the 8-bit steps 127 and 128 so that an
// implementation that compares in 8 bits (rounding the reference to 128)
// still draws alpha 128 and drops 127.
constexpr float kMaskAlphaRef = 0.499f;

uint64_t NowMicros() {
    return uint64_t(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

// A textured, coloured vertex in logical coordinates.
const char* const kVertexShader = R"(
attribute vec2 aPos;
attribute vec2 aUv;
attribute vec4 aColor;
uniform vec4 uView;
varying vec2 vUv;
varying vec4 vColor;
void main() {
    gl_Position = vec4(aPos * uView.xy + uView.zw, 0.0, 1.0);
    vUv = aUv;
    vColor = aColor;
}
)";

// The plain fragment shader, and the mask mode's: a fragment at or below
// half alpha becomes wholly clear and any other wholly opaque, and blending
// then leaves the background or puts the colour exactly. (The same picture as
// dropping the fragments, but without a discard, which would keep a software
// rasteriser off its fast paths.)
#define SQ_FRAGMENT_HEAD                  \
    "#ifdef GL_ES\n"                      \
    "#ifdef GL_FRAGMENT_PRECISION_HIGH\n" \
    "precision highp float;\n"            \
    "#else\n"                             \
    "precision mediump float;\n"          \
    "#endif\n"                            \
    "#endif\n"                            \
    "uniform sampler2D uTexture;\n"       \
    "varying vec2 vUv;\n"                 \
    "varying vec4 vColor;\n"

const char* const kFragmentShader = SQ_FRAGMENT_HEAD
    "void main() {\n"
    "    gl_FragColor = texture2D(uTexture, vUv) * vColor;\n"
    "}\n";

const char* const kMaskFragmentShader = SQ_FRAGMENT_HEAD
    "uniform float uAlphaRef;\n"
    "void main() {\n"
    "    vec4 c = texture2D(uTexture, vUv) * vColor;\n"
    "    gl_FragColor = vec4(c.rgb, c.a > uAlphaRef ? 1.0 : 0.0);\n"
    "}\n";

// Showing the frame: the picture copied as it is.
const char* const kCopyFragmentShader = SQ_FRAGMENT_HEAD
    "void main() {\n"
    "    gl_FragColor = texture2D(uTexture, vUv);\n"
    "}\n";

#undef SQ_FRAGMENT_HEAD

const char* const kAttributes[] = {"aPos", "aUv", "aColor"};

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

    PixmapRef ReadPixels(int x, int y, int w, int h) override;
    void Present(bool waitVblank) override;
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
    void ToggleFullScreen();
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
            glScissor(scissor_[0], height_ - scissor_[1] - scissor_[3], std::max(scissor_[2], 0),
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

    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    bool videoUp_ = false;
    std::string caption_;
    TDisplayOptions options_;
    int width_ = 0, height_ = 0;
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

// The game catches SIGTERM, SIGINT and SIGHUP itself (quit_signals); SDL's
// own handlers would take them over.
static void KeepDefaultSignals() { SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1"); }

bool TGLDevice::Open(const TOpenRequest& request) {
    if (request.width <= 0 || request.height <= 0) return false;
    // Drawing into the back buffer needs a window that already has at least
    // the mode's size, which a resize of a live window cannot promise at once:
    // that path starts from a new window every time.
    if (window_ && !useFbo_) Close();
    if (!videoUp_) {
        KeepDefaultSignals();
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "No display: %s\n", SDL_GetError());
            return false;
        }
        // Without a window system SDL falls back to drivers that show nothing;
        // the game would then run unseen forever. Only an explicit choice of
        // such a driver (SDL_VIDEODRIVER) is honoured.
        const char* driver = SDL_GetCurrentVideoDriver();
        if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
            !std::getenv("SDL_VIDEODRIVER")) {
            std::fprintf(stderr, "No display: no window system found (is DISPLAY set?)\n");
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            return false;
        }
        videoUp_ = true;
        StartGamepads();
    }
    options_ = request.options;
    caption_ = request.caption;
    width_ = request.width;
    height_ = request.height;
    if (window_) {
        // A new mode in the same window: nothing made for the old one survives.
        Flush();
        DeleteAllTextures();
        DestroyTarget();
        if (request.fullScreen)
            EnterFullScreen();
        else
            LeaveFullScreen();
        SDL_SetWindowTitle(window_, caption_.c_str());
    } else if (!CreateWindow(request)) {
        Close();
        return false;
    }
    ResetGLState();
    if (!CreateTarget()) {
        std::fprintf(stderr, "No render target for %dx%d\n", width_, height_);
        Close();
        return false;
    }
    vsync_ = request.hz > 0 && CheckVsync(request.hz);
    if (!vsync_) SetSwapInterval(0);
    if (useFbo_) gl_.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, width_, height_);
    SetProjection(float(width_), float(height_));
    Clear(0, 0, 0);
    if (fullScreen_) {
        int w = 0, h = 0;
        SDL_GetWindowSize(window_, &w, &h);
        SDL_WarpMouseInWindow(window_, w / 2, h / 2);
    }
    cursorShown_ = -1;
    return true;
}

void TGLDevice::WindowedSize(int& w, int& h) const {
    int scale = options_.windowScale;
    // In the browser the page enlarges the canvas itself, without smoothing.
    if (scale <= 0 && web::kBrowser) scale = 1;
    if (scale <= 0) {
        SDL_Rect usable{0, 0, 1024, 768};
        if (SDL_GetDisplayUsableBounds(0, &usable) != 0) {
            SDL_DisplayMode desk;
            if (SDL_GetDesktopDisplayMode(0, &desk) == 0) usable.w = desk.w, usable.h = desk.h;
        }
        // Leave room for the window frame and panels.
        scale = std::max(1, std::min((usable.w - 16) / width_, (usable.h - 64) / height_));
    }
    w = width_ * scale;
    h = height_ * scale;
}

bool TGLDevice::CreateWindow(const TOpenRequest& request) {
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    // Any window size works: the picture is scaled into it with black bars.
    Uint32 flags =
        SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | (request.options.hidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN);
    fullScreen_ = request.fullScreen;
    SDL_Rect r{int(SDL_WINDOWPOS_CENTERED), int(SDL_WINDOWPOS_CENTERED), width_, height_};
    if (fullScreen_) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        DesktopBounds(r);
    } else {
        WindowedSize(r.w, r.h);
    }
    window_ = SDL_CreateWindow(caption_.c_str(), r.x, r.y, r.w, r.h, flags);
    if (!window_) {
        std::fprintf(stderr, "Cannot open a window: %s\n", SDL_GetError());
        return false;
    }
    context_ = SDL_GL_CreateContext(window_);
    if (!context_) {
        std::fprintf(stderr, "Cannot create an OpenGL context: %s\n", SDL_GetError());
        return false;
    }
    if (SDL_GL_MakeCurrent(window_, context_) != 0) return false;
    // The game reads keys, never typed text: no input-method windows.
    SDL_StopTextInput();
    swapInterval_ = -2;
    // SNOWQUILL_GL_BACKBUFFER=1 draws into the back buffer as on an OpenGL
    // without framebuffer objects (to test that path anywhere).
    const char* backBuffer = SDL_getenv("SNOWQUILL_GL_BACKBUFFER");
    if (!CreatePipeline()) return false;
    useFbo_ = !(backBuffer && backBuffer[0] == '1') && gl_.HasFramebuffers();
    return true;
}

void TGLDevice::ResetGLState() {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DITHER);
    glDisable(GL_BLEND);
    glDisable(GL_SCISSOR_TEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    boundTexture_ = 0;
    glBindTexture(GL_TEXTURE_2D, 0);
    batch_.ForgetBinding();
    blend_ = 2;
    ApplyBlend(blend_);
    scissorOn_ = false;
    SetColor(1, 1, 1, 1);
    lineWidth_ = 1;
    glLineWidth(1);
}

bool TGLDevice::CreatePipeline() {
    std::string missing, log;
    if (!gl_.Load(missing)) {
        std::fprintf(stderr, "OpenGL lacks %s (shaders and vertex buffers are needed)\n", missing.c_str());
        return false;
    }
    const char* const fragments[kPrograms] = {kFragmentShader, kMaskFragmentShader, kCopyFragmentShader};
    for (int i = 0; i < kPrograms; ++i) {
        programs_[i] = gl_.BuildProgram(kVertexShader, fragments[i], kAttributes, 3, log);
        if (!programs_[i]) {
            std::fprintf(stderr, "Cannot build the drawing shaders: %s\n", log.c_str());
            return false;
        }
        gl_.useProgram(programs_[i]);
        viewLocs_[i] = gl_.getUniformLocation(programs_[i], "uView");
        gl_.uniform1i(gl_.getUniformLocation(programs_[i], "uTexture"), 0);
    }
    gl_.useProgram(programs_[1]);
    gl_.uniform1f(gl_.getUniformLocation(programs_[1], "uAlphaRef"), kMaskAlphaRef);
    activeProgram_ = 1;
    UseProgram(0);
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    maxTextureSize_ = std::max(int(maxSize), 64);

    // Two triangles per quad, corners 0-1-2 and 0-2-3, for every quad a run
    // can hold; the vertices go into one buffer that each run refills.
    std::vector<GLushort> indices(std::size_t(TQuadBatch::kMaxQuads) * 6);
    for (int q = 0; q < TQuadBatch::kMaxQuads; ++q) {
        const GLushort b = GLushort(q * 4);
        const GLushort quad[6] = {b, GLushort(b + 1), GLushort(b + 2), b, GLushort(b + 2), GLushort(b + 3)};
        std::memcpy(&indices[std::size_t(q) * 6], quad, sizeof quad);
    }
    gl_.genBuffers(1, &indexBuffer_);
    gl_.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    gl_.bufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(GLushort)), indices.data(),
                   GL_STATIC_DRAW);
    gl_.genBuffers(1, &vertexBuffer_);
    gl_.bindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    gl_.bufferData(GL_ARRAY_BUFFER, GLsizeiptr(sizeof(TBatchVertex)) * TQuadBatch::kMaxQuads * 4, nullptr,
                   GL_STREAM_DRAW);
    const GLsizei stride = sizeof(TBatchVertex);
    // OpenGL takes the offset of each attribute in the buffer as a pointer.
    auto offset = [](std::size_t bytes) {
        return reinterpret_cast<const void*>(bytes);  // NOLINT(performance-no-int-to-ptr)
    };
    gl_.vertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, offset(offsetof(TBatchVertex, x)));
    gl_.vertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, offset(offsetof(TBatchVertex, u)));
    gl_.vertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, stride, offset(offsetof(TBatchVertex, r)));
    for (GLuint i = 0; i < 3; ++i) gl_.enableVertexAttribArray(i);

    // Plain-colour shapes sample one white texel.
    const uint8_t white[4] = {255, 255, 255, 255};
    glGenTextures(1, &whiteTexture_);
    glBindTexture(GL_TEXTURE_2D, whiteTexture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (GLenum error = glGetError(); error != GL_NO_ERROR) {
        std::fprintf(stderr, "Cannot set up drawing: OpenGL error 0x%x\n", unsigned(error));
        return false;
    }
    return true;
}

void TGLDevice::DestroyPipeline() {
    if (!context_) return;
    for (GLuint& program : programs_)
        if (program) gl_.deleteProgram(program);
    if (vertexBuffer_) gl_.deleteBuffers(1, &vertexBuffer_);
    if (indexBuffer_) gl_.deleteBuffers(1, &indexBuffer_);
    if (whiteTexture_) glDeleteTextures(1, &whiteTexture_);
    programs_[0] = programs_[1] = programs_[2] = 0;
    vertexBuffer_ = indexBuffer_ = whiteTexture_ = 0;
}

void TGLDevice::DrawVertices(GLenum primitive, const TBatchVertex* vertices, int count, bool indexed) {
    // A fresh store of just the run's size for every run: the driver need
    // not wait for the last draw from the buffer before taking new vertices.
    gl_.bufferData(GL_ARRAY_BUFFER, GLsizeiptr(sizeof(TBatchVertex)) * count, vertices, GL_STREAM_DRAW);
    if (indexed)
        glDrawElements(primitive, count / 4 * 6, GL_UNSIGNED_SHORT, nullptr);
    else
        glDrawArrays(primitive, 0, count);
}

void TGLDevice::SubmitQuads(uint32_t texture, const TBatchVertex* vertices, int quads) {
    BindTexture(texture ? texture : whiteTexture_);
    DrawVertices(GL_TRIANGLES, vertices, quads * 4, true);
}

void TGLDevice::DrawLine(float x1, float y1, float x2, float y2, bool lastPixel) {
    if (!context_) return;
    Flush();
    const TBatchVertex line[2] = {{x1, y1, 0, 0, color_[0], color_[1], color_[2], color_[3]},
                                  {x2, y2, 0, 0, color_[0], color_[1], color_[2], color_[3]}};
    BindTexture(whiteTexture_);
    DrawVertices(GL_LINES, line, 2, false);
    batch_.CountOwnDraw(0);
    if (lastPixel) {
        // The end pixel, as wide as the line: a square of lineWidth_ target
        // pixels around the end point.
        const float hx = 0.5f * lineWidth_ * projW_ / float(width_);
        const float hy = 0.5f * lineWidth_ * projH_ / float(height_);
        const float xy[8] = {x2 - hx, y2 - hy, x2 + hx, y2 - hy, x2 + hx, y2 + hy, x2 - hx, y2 + hy};
        static const float kUv[4] = {0, 0, 1, 1};
        batch_.AddQuad(*this, 0, xy, kUv);
        Flush();
    }
}

bool TGLDevice::CreateTarget() {
    // A power-of-two texture holds the picture in its lower-left corner, so
    // even an implementation without non-power-of-two textures can show it.
    screenTexW_ = NextPowerOfTwo(width_);
    screenTexH_ = NextPowerOfTwo(height_);
    glGenTextures(1, &screenTexture_);
    glBindTexture(GL_TEXTURE_2D, screenTexture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, screenTexW_, screenTexH_, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    boundTexture_ = 0;
    if (glGetError() != GL_NO_ERROR) return false;
    if (useFbo_) {
        gl_.genFramebuffers(1, &framebuffer_);
        gl_.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        gl_.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, screenTexture_, 0);
        if (gl_.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            // Draw into the back buffer instead and copy it out when presenting.
            gl_.bindFramebuffer(GL_FRAMEBUFFER, 0);
            gl_.deleteFramebuffers(1, &framebuffer_);
            framebuffer_ = 0;
            useFbo_ = false;
        }
    }
    if (!useFbo_) {
        int dw = 0, dh = 0;
        SDL_GL_GetDrawableSize(window_, &dw, &dh);
        if (dw < width_ || dh < height_) return false;
    }
    return true;
}

void TGLDevice::DestroyTarget() {
    if (!context_) return;
    if (framebuffer_) {
        gl_.bindFramebuffer(GL_FRAMEBUFFER, 0);
        gl_.deleteFramebuffers(1, &framebuffer_);
        framebuffer_ = 0;
    }
    if (screenTexture_) glDeleteTextures(1, &screenTexture_);
    screenTexture_ = 0;
}

void TGLDevice::DeleteAllTextures() {
    if (!context_) return;
    for (uint32_t t : textures_) {
        GLuint name = t;
        glDeleteTextures(1, &name);
    }
    textures_.clear();
    boundTexture_ = 0;
    batch_.ForgetBinding();
}

void TGLDevice::Close() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        // SDL was shut down under us (at exit): it already took the window
        // and the context with it.
        textures_.clear();
        context_ = nullptr;
        window_ = nullptr;
        videoUp_ = false;
        framebuffer_ = screenTexture_ = 0;
        programs_[0] = programs_[1] = programs_[2] = 0;
        vertexBuffer_ = indexBuffer_ = whiteTexture_ = 0;
    }
    if (context_) {
        Flush();
        DeleteAllTextures();
        DestroyTarget();
        DestroyPipeline();
        SDL_GL_DeleteContext(context_);
        context_ = nullptr;
    } else {
        // Nothing can be drawn any more; a run still held is dropped.
        TQuadBatch dropped;
        std::swap(batch_, dropped);
    }
    if (window_) {
        SDL_DestroyWindow(window_);
        window_ = nullptr;
    }
    // The video subsystem and its connection to the window system stay up
    // for the rest of the run: a mode opened again (the back-buffer path
    // makes a new window for every mode) then needs no new connection, which
    // a busy display server can refuse.
    vsync_ = false;
    width_ = height_ = 0;
}

bool TGLDevice::CheckVsync(int hz) {
    // The browser shows frames at its animation frames, which follow the display.
    if constexpr (web::kBrowser) return true;
    // Three swaps in a row that land one refresh period apart (within a
    // millisecond) show that the swap waits for the vertical blank. Software
    // renderers and virtual displays return at once; ten quick swaps in a row
    // settle that without spending the whole second.
    if (SDL_GL_SetSwapInterval(1) != 0) return false;
    swapInterval_ = 1;
    if (useFbo_) gl_.bindFramebuffer(GL_FRAMEBUFFER, 0);
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(window_, &dw, &dh);
    glViewport(0, 0, dw, dh);
    glClearColor(0, 0, 0, 1);
    const double period = 1e6 / hz;
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(window_);
    const uint64_t start = NowMicros();
    uint64_t last = start;
    int good = 0, quick = 0;
    bool ok = false;
    while (NowMicros() - start < 1000000) {
        glClear(GL_COLOR_BUFFER_BIT);
        SDL_GL_SwapWindow(window_);
        uint64_t now = NowMicros();
        double dt = double(now - last);
        last = now;
        if (std::fabs(dt - period) <= 1000.0) {
            if (++good == 3) {
                ok = true;
                break;
            }
        } else {
            good = 0;
        }
        if (dt < period / 2) {
            if (++quick == 10) break;
        } else {
            quick = 0;
        }
    }
    return ok;
}

void TGLDevice::ApplyBlend(int mode) {
    if (programs_[0]) UseProgram(mode == kBlendMask ? 1 : 0);
    switch (mode) {
        case kBlendMask:  // the mask program leaves out pixels at or below half alpha
        case kBlendAlpha:
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            break;
        case kBlendLight:
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            break;
        case kBlendShade:
            glEnable(GL_BLEND);
            glBlendFunc(GL_DST_COLOR, GL_ZERO);
            break;
        default:
            glDisable(GL_BLEND);
            break;
    }
}

uint32_t TGLDevice::UploadTexture(uint32_t texture, const uint8_t* rgba, int texWidth, int texHeight, bool filtered,
                                  bool mipmapped) {
    if (!context_) return 0;
    GLuint name = texture;
    if (name && textures_.count(name)) {
        if (batch_.Uses(name)) Flush();
    } else {
        glGenTextures(1, &name);
        if (!name) return 0;
        textures_.insert(name);
    }
    BindTexture(name);
    // Mipmaps need glGenerateMipmap; where it is missing the picture is
    // drawn from its full-size level only.
    if (!gl_.generateMipmap) mipmapped = false;
    GLint mag = filtered ? GL_LINEAR : GL_NEAREST;
    GLint min = mag;
    if (mipmapped) min = filtered ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mag);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, texWidth, texHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    if (mipmapped) gl_.generateMipmap(GL_TEXTURE_2D);
    if (glGetError() != GL_NO_ERROR) {
        DeleteTexture(name);
        return 0;
    }
    return name;
}

bool TGLDevice::UpdateTexture(uint32_t texture, int x, int y, const uint8_t* rgba, int w, int h) {
    if (!context_ || !textures_.count(texture)) return false;
    if (batch_.Uses(texture)) Flush();
    BindTexture(texture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return glGetError() == GL_NO_ERROR;
}

PixmapRef TGLDevice::ReadPixels(int x, int y, int w, int h) {
    PixmapRef out = NewPixmap(std::max(w, 0), std::max(h, 0), kPfRGBA);
    if (!out || !context_ || w <= 0 || h <= 0) return out;
    Flush();
    // Only the part inside the picture is read; the rest stays black.
    int x0 = std::max(x, 0), y0 = std::max(y, 0);
    int x1 = std::min(x + w, width_), y1 = std::min(y + h, height_);
    if (x0 < x1 && y0 < y1) {
        int rw = x1 - x0, rh = y1 - y0;
        rowScratch_.resize(std::size_t(rw) * std::size_t(rh) * 4);
        glReadPixels(x0, height_ - y1, rw, rh, GL_RGBA, GL_UNSIGNED_BYTE, rowScratch_.data());
        for (int r = 0; r < rh; ++r) {
            // OpenGL's rows run bottom-up.
            const uint8_t* src = rowScratch_.data() + std::size_t(rh - 1 - r) * std::size_t(rw) * 4;
            std::memcpy(out->Row(y0 - y + r) + std::size_t(x0 - x) * 4, src, std::size_t(rw) * 4);
        }
    }
    for (std::size_t i = 3; i < out->pixels.size(); i += 4) out->pixels[i] = 255;
    return out;
}

void TGLDevice::DrawScreenTexture(int x, int y, int w, int h, int viewW, int viewH) {
    glViewport(0, 0, viewW, viewH);
    LoadProjection(float(viewW), float(viewH));
    float u = float(width_) / float(screenTexW_), v = float(height_) / float(screenTexH_);
    // The picture's top row is the texture's row height_ - 1.
    const float x0 = float(x), y0 = float(y), x1 = float(x + w), y1 = float(y + h);
    const TBatchVertex quad[4] = {
        {x0, y0, 0, v, 1, 1, 1, 1}, {x1, y0, u, v, 1, 1, 1, 1}, {x1, y1, u, 0, 1, 1, 1, 1}, {x0, y1, 0, 0, 1, 1, 1, 1}};
    BindTexture(screenTexture_);
    DrawVertices(GL_TRIANGLES, quad, 4, true);
}

void TGLDevice::Present(bool waitVblank) {
    if (!context_) return;
    Flush();
    SetSwapInterval(vsync_ && waitVblank ? 1 : 0);
    if (useFbo_) {
        gl_.bindFramebuffer(GL_FRAMEBUFFER, 0);
    } else {
        BindTexture(screenTexture_);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width_, height_);
    }
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(window_, &dw, &dh);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    UseProgram(2);
    if (dw > 0 && dh > 0) {
        double scale = std::min(double(dw) / width_, double(dh) / height_);
        int w = int(std::lround(width_ * scale)), h = int(std::lround(height_ * scale));
        // Black bars only where the picture leaves room for them.
        if (w != dw || h != dh) {
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        DrawScreenTexture((dw - w) / 2, (dh - h) / 2, w, h, dw, dh);
    }
    SDL_GL_SwapWindow(window_);
    if (useFbo_) {
        gl_.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    } else {
        // Put the frame back where the next one is drawn, so that reading the
        // screen still finds the last frame.
        DrawScreenTexture(0, dh - height_, width_, height_, dw, dh);
    }
    glViewport(0, 0, width_, height_);
    LoadProjection(projW_, projH_);
    batch_.ForgetBinding();
    ApplyBlend(blend_);
    ApplyScissor();
    if constexpr (web::kBrowser) {
        // The browser shows the frame once the page hands control back: at
        // its next animation frame, or at once for a frame that must not wait.
        if (waitVblank)
            web::WaitAnimationFrame();
        else
            web::Sleep(0);
    }
}

void TGLDevice::DesktopBounds(SDL_Rect& r) const {
    int display = window_ ? SDL_GetWindowDisplayIndex(window_) : 0;
    if (display < 0 || SDL_GetDisplayBounds(display, &r) != 0) {
        SDL_DisplayMode desk;
        if (SDL_GetDesktopDisplayMode(0, &desk) == 0) r = SDL_Rect{0, 0, desk.w, desk.h};
    }
}

// The window is given the desktop's place and size before it is switched to
// full screen: a window manager then merely marks it full screen, and without
// one (a bare X server) it still covers the screen.
void TGLDevice::EnterFullScreen() {
    SDL_Rect r{0, 0, width_, height_};
    DesktopBounds(r);
    SDL_SetWindowPosition(window_, r.x, r.y);
    SDL_SetWindowSize(window_, r.w, r.h);
    if (!fullScreen_ && SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return;
    fullScreen_ = true;
}

void TGLDevice::LeaveFullScreen() {
    if (fullScreen_ && SDL_SetWindowFullscreen(window_, 0) != 0) return;
    fullScreen_ = false;
    int w = 0, h = 0;
    WindowedSize(w, h);
    SDL_SetWindowSize(window_, w, h);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

void TGLDevice::ToggleFullScreen() {
    if (!window_) return;
    if (fullScreen_)
        LeaveFullScreen();
    else
        EnterFullScreen();
}

void TGLDevice::PumpEvents() {
    if (!window_ || inPump_) return;
    inPump_ = true;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                // F11 belongs to the window, not to the game (in the browser,
                // to the page, which asks for the full screen itself).
                if (e.key.keysym.sym == SDLK_F11) {
                    if (e.type == SDL_KEYDOWN && !e.key.repeat && !web::kBrowser) ToggleFullScreen();
                    break;
                }
                int vk = VirtualKeyFromSdl(e.key.keysym.sym, e.key.keysym.scancode);
                if (!vk) break;
                if (e.type == SDL_KEYDOWN)
                    PostKeyDown(vk, e.key.repeat != 0);
                else
                    PostKeyUp(vk);
                break;
            }
            case SDL_WINDOWEVENT:
                if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST || e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
                    PostFocusChange();
                if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) PostFocusLost();
                break;
            case SDL_QUIT:
                PostQuitRequest();
                break;
            default:
                HandleGamepadEvent(e);
                break;
        }
    }
    int shown = PointerHidden() ? 0 : 1;
    if (shown != cursorShown_) {
        SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
        cursorShown_ = shown;
    }
    inPump_ = false;
}

int TGLDevice::ModeAvailable(int width, int height, int depth, int hz) {
    bool started = false;
    if (!videoUp_ && !SDL_WasInit(SDL_INIT_VIDEO)) {
        KeepDefaultSignals();
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return 0;
        started = true;
    }
    int found = 0;
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count && !found; ++i) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) != 0) continue;
        int bits = int(SDL_BITSPERPIXEL(m.format)), bytes = int(SDL_BYTESPERPIXEL(m.format));
        // A 32-bit mode is listed as 24 bits of colour in 4 bytes.
        bool depthOk = depth == 0 || depth == bits || depth == bytes * 8;
        if ((width == 0 || width == m.w) && (height == 0 || height == m.h) && depthOk &&
            (hz == 0 || hz == m.refresh_rate))
            found = 1;
    }
    if (started) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return found;
}

}  // namespace

std::unique_ptr<TDisplayDevice> MakeGLDevice() { return std::make_unique<TGLDevice>(); }

}  // namespace sq
