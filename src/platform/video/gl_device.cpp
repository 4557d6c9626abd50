// The OpenGL side of the display: every mode's picture is drawn at the
// mode's own size into an offscreen target and, when the frame is shown,
// scaled onto the window with its aspect kept (black bars where the shapes
// differ) and without smoothing, so the 320 x 240 picture stays crisp on a
// large desktop.
//
// Drawing goes through one small shader and a vertex buffer: pictures are
// gathered into runs that share a texture and state and each run is one draw
// call. Only calls that OpenGL ES 2.0 and WebGL 1 also have are used.
#include "platform/video/gl_device.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/system/web.h"
#include "platform/video/graphics.h"

namespace sq::gl {

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

}  // namespace

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
        const float hx = 0.5f * lineWidth_ * projW_ / float(targetW_);
        const float hy = 0.5f * lineWidth_ * projH_ / float(targetH_);
        const float xy[8] = {x2 - hx, y2 - hy, x2 + hx, y2 - hy, x2 + hx, y2 + hy, x2 - hx, y2 + hy};
        static const float kUv[4] = {0, 0, 1, 1};
        batch_.AddQuad(*this, 0, xy, kUv);
        Flush();
    }
}

// The picture drawn is kept in the window's own byte order (blue, green,
// red, alpha) where OpenGL takes it: a software rasteriser then enlarges it
// onto the window by its straight copying path rather than its general
// shader, which made showing a frame cost a quarter of the whole frame's
// processor time at 1280 x 720. WebGL has only RGBA.
#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif
constexpr GLenum kScreenTextureFormat = web::kBrowser ? GL_RGBA : GL_BGRA;

bool TGLDevice::CreateTarget() {
    // A power-of-two texture holds the picture in its lower-left corner, so
    // even an implementation without non-power-of-two textures can show it.
    screenTexW_ = NextPowerOfTwo(targetW_);
    screenTexH_ = NextPowerOfTwo(targetH_);
    glGenTextures(1, &screenTexture_);
    glBindTexture(GL_TEXTURE_2D, screenTexture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, screenTexW_, screenTexH_, 0, kScreenTextureFormat, GL_UNSIGNED_BYTE,
                 nullptr);
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
        if (dw < targetW_ || dh < targetH_) return false;
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

void TGLDevice::SetTargetSize(int width, int height) {
    if (!context_ || width <= 0 || height <= 0 || (width == targetW_ && height == targetH_)) return;
    if (width > width_ || height > height_) return;  // never more than the mode shows
    Flush();
    const int oldW = targetW_, oldH = targetH_;
    DestroyTarget();
    targetW_ = width, targetH_ = height;
    if (!CreateTarget()) {
        // Keep drawing at the mode's size, as before.
        DestroyTarget();
        targetW_ = oldW, targetH_ = oldH;
        CreateTarget();
    }
    if (useFbo_) gl_.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, targetW_, targetH_);
    LoadProjection(projW_, projH_);
    ApplyScissor();
    Clear(0, 0, 0);
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
    int x1 = std::min(x + w, targetW_), y1 = std::min(y + h, targetH_);
    if (x0 < x1 && y0 < y1) {
        int rw = x1 - x0, rh = y1 - y0;
        rowScratch_.resize(std::size_t(rw) * std::size_t(rh) * 4);
        glReadPixels(x0, targetH_ - y1, rw, rh, GL_RGBA, GL_UNSIGNED_BYTE, rowScratch_.data());
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
    float u = float(targetW_) / float(screenTexW_), v = float(targetH_) / float(screenTexH_);
    // The picture's top row is the texture's row targetH_ - 1.
    const float x0 = float(x), y0 = float(y), x1 = float(x + w), y1 = float(y + h);
    const TBatchVertex quad[4] = {
        {x0, y0, 0, v, 1, 1, 1, 1}, {x1, y0, u, v, 1, 1, 1, 1}, {x1, y1, u, 0, 1, 1, 1, 1}, {x0, y1, 0, 0, 1, 1, 1, 1}};
    BindTexture(screenTexture_);
    DrawVertices(GL_TRIANGLES, quad, 4, true);
}

void TGLDevice::PictureRect(int dw, int dh, int& x, int& y, int& w, int& h) const {
    // The picture fills what the mode would: a smaller target is stretched
    // to the mode's shape, not kept at its own.
    double scale = std::min(double(dw) / width_, double(dh) / height_);
    w = int(std::lround(width_ * scale)), h = int(std::lround(height_ * scale));
    x = (dw - w) / 2, y = (dh - h) / 2;
}

bool TGLDevice::ShowColour(int r, int g, int b) {
    // The page shows the canvas only once the game hands control back.
    if (web::kBrowser || !context_ || !useFbo_) return false;
    // Only clears: no shader runs, so nothing has to be compiled first.
    Flush();
    SetSwapInterval(0);
    gl_.bindFramebuffer(GL_FRAMEBUFFER, 0);
    int dw = 0, dh = 0, x = 0, y = 0, w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &dw, &dh);
    PictureRect(dw, dh, x, y, w, h);
    glViewport(0, 0, dw, dh);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, dh - y - h, w, h);
    glClearColor(float(r) / 255.0f, float(g) / 255.0f, float(b) / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapWindow(window_);
    frameShown_ = true;
    gl_.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, targetW_, targetH_);
    ApplyScissor();
    return true;
}

void TGLDevice::Present(bool waitVblank) {
    if (!context_) return;
    Flush();
    SetSwapInterval(vsync_ && waitVblank ? 1 : 0);
    if (useFbo_) {
        gl_.bindFramebuffer(GL_FRAMEBUFFER, 0);
    } else {
        BindTexture(screenTexture_);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, targetW_, targetH_);
    }
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(window_, &dw, &dh);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    UseProgram(2);
    if (dw > 0 && dh > 0) {
        int x = 0, y = 0, w = 0, h = 0;
        PictureRect(dw, dh, x, y, w, h);
        // Black bars only where the picture leaves room for them.
        if (w != dw || h != dh) {
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        DrawScreenTexture(x, y, w, h, dw, dh);
    }
    SDL_GL_SwapWindow(window_);
    frameShown_ = true;
    if (useFbo_) {
        gl_.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    } else {
        // Put the frame back where the next one is drawn, so that reading the
        // screen still finds the last frame.
        DrawScreenTexture(0, dh - targetH_, targetW_, targetH_, dw, dh);
    }
    glViewport(0, 0, targetW_, targetH_);
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

}  // namespace sq::gl
