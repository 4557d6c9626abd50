// The drawing state, images and text of the 2D layer, over whichever display
// device is in use (OpenGL in a window, or the headless counter).
#include "platform/video/graphics.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/input/keyboard.h"
#include "platform/system/clock.h"
#include "platform/system/runtime_error.h"
#include "platform/video/display_device.h"
#include "platform/video/display_pacer.h"
#include "platform/video/frame_stats.h"
#include "platform/video/image_store.h"
#include "platform/video/texture_cache.h"

namespace sq {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kGlyphWidth = 8;

struct TDrawState {
    int r = 255, g = 255, b = 255;
    float alpha = 1.0f;
    float lineWidth = 1.0f;
    float rotation = 0.0f;
    float scaleX = 1.0f, scaleY = 1.0f;
    float ix = 1.0f, iy = 0.0f, jx = 0.0f, jy = 1.0f;
    int clipX = 0, clipY = 0, clipW = 0, clipH = 0;
    float originX = 0.0f, originY = 0.0f;
    float handleX = 0.0f, handleY = 0.0f;
    int blend = kBlendMask;
};

// Set while the layer's state exists; images that outlive it (globals torn
// down after it at exit) must not reach for the device any more.
bool layerAlive = false;
// The device still open when the process ends, left as it is (see below).
TDisplayDevice* deviceAtExit = nullptr;

struct TGraphicsLayer {
    TGraphicsLayer() { layerAlive = true; }
    ~TGraphicsLayer() {
        layerAlive = false;
        font.reset();
        // Only reached as the process ends. The game closes its display
        // before then; a display still open here is one the run could not
        // close, often because its window system went away (which ends the
        // run through exit()), and closing a window there waits for ever for
        // an answer that never comes. The process takes it all down instead.
        deviceAtExit = device.release();
    }

    GraphicsBackend kind = GraphicsBackend::kOpenGL;
    std::unique_ptr<TDisplayDevice> device;
    bool open = false;
    // Bumped whenever a mode opens or closes: a texture made under another
    // generation no longer exists.
    uint32_t generation = 1;
    TDisplayOptions options;
    std::string caption;
    int modeW = 0, modeH = 0, modeDepth = 0, modeHz = 0;
    float virtualW = 0, virtualH = 0;
    // The device's picture: the mode's size, or the logical screen's when the
    // mode shows it enlarged a whole number of times.
    int targetW = 0, targetH = 0;
    TDrawState st;
    int appliedBlend = 0;  // 0: nothing issued yet under this mode
    float appliedLineWidth = 0;
    TFramePacer pacer;
    bool softwarePacing = false;
    bool unpaced = false;
    TDrawStats stats;
    ImageRef font;
    TTextureCache textures;
    std::vector<TQuadRecord>* recorder = nullptr;

    TDisplayDevice& Device() {
        if (!device) device = kind == GraphicsBackend::kHeadless ? MakeHeadlessDevice() : MakeGLDevice();
        return *device;
    }
};

TGraphicsLayer layer;

int ClampByte(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

void RebuildTransform() {
    TDrawState& s = layer.st;
    double rad = double(s.rotation) * kPi / 180.0;
    double c = std::cos(rad), sn = std::sin(rad);
    s.ix = float(c * s.scaleX);
    s.iy = float(-sn * s.scaleY);
    s.jx = float(sn * s.scaleX);
    s.jy = float(c * s.scaleY);
}

float TargetScaleX() { return layer.virtualW > 0 ? float(layer.targetW) / layer.virtualW : 1.0f; }
float TargetScaleY() { return layer.virtualH > 0 ? float(layer.targetH) / layer.virtualH : 1.0f; }

// A logical screen of whole pixels that fits in the mode is drawn at its own
// size and enlarged to the mode once, when shown, so a frame's cost does not
// grow with the window; each logical pixel stays one solid block.
void ChooseTarget() {
    const int w = int(layer.virtualW), h = int(layer.virtualH);
    const bool own = w > 0 && h > 0 && float(w) == layer.virtualW && float(h) == layer.virtualH && w <= layer.modeW &&
                     h <= layer.modeH;
    layer.targetW = own ? w : layer.modeW;
    layer.targetH = own ? h : layer.modeH;
    layer.device->SetTargetSize(layer.targetW, layer.targetH);
}

void ApplyClip() {
    if (!layer.open) return;
    const TDrawState& s = layer.st;
    if (s.clipX == 0 && s.clipY == 0 && s.clipW == layer.modeW && s.clipH == layer.modeH) {
        layer.device->SetScissor(false, 0, 0, 0, 0);
        return;
    }
    // Clip rectangles follow the logical screen: under a 320 x 240 projection
    // on a 640 x 480 mode, (0, 0, 320, 240) is the whole display.
    float sx = TargetScaleX(), sy = TargetScaleY();
    int x0 = int(std::lround(s.clipX * sx)), y0 = int(std::lround(s.clipY * sy));
    int x1 = int(std::lround((s.clipX + s.clipW) * sx)), y1 = int(std::lround((s.clipY + s.clipH) * sy));
    layer.device->SetScissor(true, x0, y0, std::max(x1 - x0, 0), std::max(y1 - y0, 0));
}

// Issues the blend state a draw needs; a mode that is already in force costs nothing.
void PrepareDraw() {
    const TDrawState& s = layer.st;
    int mode = (s.blend >= kBlendMask && s.blend <= kBlendShade) ? s.blend : kBlendSolid;
    if (mode != layer.appliedBlend) {
        layer.device->SetBlend(mode);
        layer.appliedBlend = mode;
        ++layer.stats.blendChanges;
    }
    float a = s.alpha < 0.0f ? 0.0f : (s.alpha > 1.0f ? 1.0f : s.alpha);
    if (!(a == a)) a = 0.0f;  // NaN draws nothing visible
    layer.device->SetColor(float(ClampByte(s.r)) / 255.0f, float(ClampByte(s.g)) / 255.0f,
                           float(ClampByte(s.b)) / 255.0f, a);
}

void Record(uint32_t texture, int tw, int th, const float* xy, const float* uv) {
    TQuadRecord r;
    r.texture = texture;
    r.texWidth = tw, r.texHeight = th;
    r.blend = layer.appliedBlend;
    std::memcpy(r.xy, xy, sizeof r.xy);
    std::memcpy(r.uv, uv, sizeof r.uv);
    const TDrawState& s = layer.st;
    float a = s.alpha == s.alpha ? std::clamp(s.alpha, 0.0f, 1.0f) : 0.0f;
    r.rgba[0] = uint8_t(ClampByte(s.r)), r.rgba[1] = uint8_t(ClampByte(s.g)), r.rgba[2] = uint8_t(ClampByte(s.b));
    r.rgba[3] = uint8_t(std::lround(a * 255.0f));
    layer.recorder->push_back(r);
}

// Corner (u, v) of a quad drawn at (tx, ty) through the transform.
void Corner(float tx, float ty, float u, float v, float* out) {
    const TDrawState& s = layer.st;
    out[0] = tx + u * s.ix + v * s.iy;
    out[1] = ty + u * s.jx + v * s.jy;
}

void QuadCorners(float tx, float ty, float x0, float y0, float x1, float y1, float* xy) {
    Corner(tx, ty, x0, y0, xy + 0);
    Corner(tx, ty, x1, y0, xy + 2);
    Corner(tx, ty, x1, y1, xy + 4);
    Corner(tx, ty, x0, y1, xy + 6);
}

void DrawFrame(TImage& image, TImageFrame& f, float tx, float ty, float hx, float hy) {
    if (!layer.textures.Ensure(*layer.device, layer.generation, layer.stats, image, f)) return;
    float xy[8];
    float w = float(f.pixmap->width), h = float(f.pixmap->height);
    QuadCorners(tx, ty, -hx, -hy, -hx + w, -hy + h, xy);
    PrepareDraw();
    const float tw = float(f.texWidth), th = float(f.texHeight);
    const float uv[4] = {float(f.texX) / tw, float(f.texY) / th,
                         float(f.texX + std::min(f.pixmap->width, f.texWidth)) / tw,
                         float(f.texY + std::min(f.pixmap->height, f.texHeight)) / th};
    layer.device->DrawTexturedQuad(f.texture, xy, uv);
    if (layer.recorder) Record(f.texture, f.texWidth, f.texHeight, xy, uv);
}

void ResetDrawState() {
    layer.st = TDrawState{};
    layer.st.clipW = layer.modeW;
    layer.st.clipH = layer.modeH;
    layer.appliedBlend = 0;
    layer.appliedLineWidth = 0;
}

const ImageRef& FontImage() {
    if (!layer.font) layer.font = MakeBuiltinFontImage();
    return layer.font;
}

}  // namespace

// ---- TImage ----

TImage::~TImage() {
    if (!layerAlive || !layer.open || !layer.device) return;
    uint32_t deleted = 0;  // frames of a sheet share one texture
    for (TImageFrame& f : frames)
        if (f.texture && f.texture != deleted && f.generation == layer.generation) {
            layer.device->DeleteTexture(f.texture);
            deleted = f.texture;
        }
}

// ---- Display ----

void SetGraphicsBackend(GraphicsBackend backend) {
    if (backend == layer.kind) return;
    CloseGraphicsMode();
    layer.device.reset();
    layer.kind = backend;
}

void SetDisplayOptions(const TDisplayOptions& options) {
    layer.options = options;
    if (layer.open && layer.device) layer.device->ChangeDisplay(options);  // the options screen: at once
}

bool OpenGraphicsMode(int width, int height, int depth, int hz, int /*flags*/) {
    TOpenRequest request;
    request.width = width;
    request.height = height;
    request.fullScreen = depth != 0 && !layer.options.windowed;
    request.hz = hz;
    request.options = layer.options;
    request.caption = layer.caption;
    ++layer.generation;
    layer.open = false;
    layer.pacer.Stop();
    layer.softwarePacing = false;
    TDisplayDevice& dev = layer.Device();
    if (!dev.Open(request)) {
        dev.Close();
        if (layer.kind == GraphicsBackend::kOpenGL) SetEventPump(nullptr);
        return false;
    }
    layer.open = true;
    layer.modeW = width, layer.modeH = height, layer.modeDepth = depth, layer.modeHz = hz;
    layer.virtualW = float(width), layer.virtualH = float(height);
    layer.targetW = width, layer.targetH = height;
    ResetDrawState();
    dev.SetProjection(layer.virtualW, layer.virtualH);
    ApplyClip();
    // A window waits for no vertical blank of its own; a full screen does
    // when the check at opening found that it works.
    layer.softwarePacing = hz > 0 && (depth == 0 || !dev.VsyncWorks());
    if (hz > 0) layer.pacer.Start(hz, Clock().Millis());
    if (layer.kind == GraphicsBackend::kOpenGL)
        SetEventPump([] {
            if (layerAlive && layer.open && layer.device) layer.device->PumpEvents();
        });
    ClearKeys();
    return true;
}

void CloseGraphicsMode() {
    if (!layer.open) return;
    layer.device->Close();
    layer.open = false;
    ++layer.generation;
    layer.pacer.Stop();
    layer.softwarePacing = false;
    layer.modeW = layer.modeH = 0;
    layer.targetW = layer.targetH = 0;
    if (layer.kind == GraphicsBackend::kOpenGL) SetEventPump(nullptr);
}

bool GraphicsModeOpen() { return layer.open; }

namespace {
void (*frameOverlay)() = nullptr;
}  // namespace

void SetFrameOverlay(void (*overlay)()) { frameOverlay = overlay; }

void PresentFrame(int sync) {
    if (layer.open && frameOverlay) frameOverlay();
    if (layer.open) {
        bool vsync = layer.device->VsyncWorks();
        bool pace = false, waitVblank = false;
        if (sync == 1) {
            // Where the swap cannot wait for the vertical blank, the frame
            // rate given at opening is kept by the clock instead of letting
            // the loop run as fast as the machine allows.
            if (vsync)
                waitVblank = true;
            else
                pace = layer.modeHz > 0;
        } else if (sync == -1) {
            if (layer.softwarePacing)
                pace = true;
            else
                waitVblank = vsync && layer.modeDepth != 0;
        }
        if (layer.unpaced) pace = waitVblank = false;
        if (pace) layer.pacer.WaitForNextFrame(Clock());
        layer.device->Present(waitVblank);
        ++layer.stats.frames;
        NoteFramePresented();
    }
    AgeKeyTaps();
    PumpEvents();
}

void ShowColourFrame(int r, int g, int b) {
    if (layer.open && layer.device->ShowColour(r, g, b)) ++layer.stats.frames;
}

void SetUnpacedFrames(bool unpaced) { layer.unpaced = unpaced; }

int DisplayModeAvailable(int width, int height, int depth, int hz) {
    return layer.Device().ModeAvailable(width, height, depth, hz);
}

int ScreenWidth() { return layer.modeW; }
int ScreenHeight() { return layer.modeH; }

void SetVirtualResolution(int width, int height) {
    if (width <= 0 || height <= 0) return;
    layer.virtualW = float(width), layer.virtualH = float(height);
    if (!layer.open) return;
    ChooseTarget();
    layer.device->SetProjection(layer.virtualW, layer.virtualH);
    layer.appliedLineWidth = 0;
    ApplyClip();
}

void SetWindowCaption(const std::string& caption) {
    layer.caption = caption;
    if (layer.device) layer.device->SetCaption(caption);
}

void ShowErrorBox(const std::string& title, const std::string& message) {
    if (layer.open && layer.device) layer.device->ShowErrorBox(title, message);
}

bool SoftwarePacing() { return layer.softwarePacing; }

// ---- Drawing state ----

void SetDrawColor(int r, int g, int b) { layer.st.r = r, layer.st.g = g, layer.st.b = b; }
void GetDrawColor(int& r, int& g, int& b) { r = layer.st.r, g = layer.st.g, b = layer.st.b; }
void SetDrawAlpha(float a) { layer.st.alpha = a; }
float GetDrawAlpha() { return layer.st.alpha; }
void SetBlendMode(int mode) { layer.st.blend = mode; }
int GetBlendMode() { return layer.st.blend; }

void SetClipRect(int x, int y, int w, int h) {
    TDrawState& s = layer.st;
    s.clipX = x, s.clipY = y, s.clipW = w, s.clipH = h;
    ApplyClip();
}

void GetClipRect(int& x, int& y, int& w, int& h) {
    x = layer.st.clipX, y = layer.st.clipY, w = layer.st.clipW, h = layer.st.clipH;
}

void SetDrawRotation(float degrees) {
    layer.st.rotation = degrees;
    RebuildTransform();
}
float GetDrawRotation() { return layer.st.rotation; }

void SetDrawScale(float sx, float sy) {
    layer.st.scaleX = sx, layer.st.scaleY = sy;
    RebuildTransform();
}
void GetDrawScale(float& sx, float& sy) { sx = layer.st.scaleX, sy = layer.st.scaleY; }

void SetDrawOrigin(float x, float y) { layer.st.originX = x, layer.st.originY = y; }
void SetShapeHandle(float x, float y) { layer.st.handleX = x, layer.st.handleY = y; }
void SetLineWidth(float w) { layer.st.lineWidth = w; }

void ClearScreen(int r, int g, int b) {
    if (layer.open) layer.device->Clear(ClampByte(r), ClampByte(g), ClampByte(b));
}

void GrabScreenToImage(const ImageRef& image, int x, int y, int frame) {
    TImageFrame* f = FrameOf(image, frame);
    if (!f || !layer.open) return;
    float sx = TargetScaleX(), sy = TargetScaleY();
    PixmapRef shot;
    if (sx == 1.0f && sy == 1.0f) {
        shot = layer.device->ReadPixels(x, y, image->width, image->height);
    } else {
        // Under a logical resolution the grab is of the logical screen: one
        // sample from the middle of each logical pixel.
        int tx = int(std::lround(x * sx)), ty = int(std::lround(y * sy));
        int tw = int(std::lround(image->width * sx)), th = int(std::lround(image->height * sy));
        shot = ResamplePixmap(layer.device->ReadPixels(tx, ty, tw, th), image->width, image->height);
    }
    if (!shot) return;
    int maskR = 0, maskG = 0, maskB = 0;
    LoadMaskColor(maskR, maskG, maskB);
    f->pixmap = (image->flags & kImgMasked) ? ApplyMask(shot, maskR, maskG, maskB) : shot;
    f->dirty = true;
}

ImageRef GrabScreenImage() {
    int w = int(layer.virtualW), h = int(layer.virtualH);
    if (!layer.open) w = h = 0;
    ImageRef image = CreateImageBuffer(w, h, 1, -1);
    if (image) GrabScreenToImage(image, 0, 0, 0);
    return image;
}

PixmapRef ReadScreenPixels() {
    if (!layer.open) return nullptr;
    PixmapRef picture = layer.device->ReadPixels(0, 0, layer.targetW, layer.targetH);
    if (!picture || (layer.targetW == layer.modeW && layer.targetH == layer.modeH)) return picture;
    // The screen as the mode shows it: every pixel of the picture enlarged.
    return ResamplePixmap(picture, layer.modeW, layer.modeH);
}

// ---- Drawing ----

void DrawImageAt(const ImageRef& image, float x, float y, int frame) {
    TImageFrame* f = FrameOf(image, frame);
    ++layer.stats.imageDraws;
    if (!f || !layer.open) return;
    DrawFrame(*image, *f, x + layer.st.originX, y + layer.st.originY, image->handleX, image->handleY);
}

void DrawTextAt(const std::string& text, float x, float y) {
    if (!layer.open) return;
    const TDrawState& s = layer.st;
    const ImageRef& font = FontImage();
    float pen[2];
    Corner(x + s.originX, y + s.originY, -s.handleX, -s.handleY, pen);
    for (char ch : text) {
        int c = static_cast<unsigned char>(ch);
        if (c < 32 || c > 127) continue;
        ++layer.stats.glyphs;
        DrawFrame(*font, font->frames[std::size_t(c - 32)], pen[0], pen[1], 0, 0);
        pen[0] += kGlyphWidth * s.ix;
        pen[1] += kGlyphWidth * s.jx;
    }
}

int TextWidth(const std::string& text) {
    int n = 0;
    for (char ch : text) {
        int c = static_cast<unsigned char>(ch);
        if (c >= 32 && c <= 127) ++n;
    }
    return n * kGlyphWidth;
}

void FillRect(float x, float y, float w, float h) {
    ++layer.stats.rects;
    if (!layer.open) return;
    const TDrawState& s = layer.st;
    float xy[8];
    QuadCorners(x + s.originX, y + s.originY, -s.handleX, -s.handleY, -s.handleX + w, -s.handleY + h, xy);
    PrepareDraw();
    layer.device->DrawQuad(xy);
    if (layer.recorder) {
        static const float kUv[4] = {0, 0, 1, 1};
        Record(0, 1, 1, xy, kUv);
    }
}

void DrawLineSegment(float x1, float y1, float x2, float y2, int lastPixel) {
    ++layer.stats.lines;
    if (!layer.open) return;
    const TDrawState& s = layer.st;
    float a[2], b[2];
    Corner(s.originX + 0.5f, s.originY + 0.5f, x1 - s.handleX, y1 - s.handleY, a);
    Corner(s.originX + 0.5f, s.originY + 0.5f, x2 - s.handleX, y2 - s.handleY, b);
    // The width is in logical pixels, so a line keeps its look under a
    // logical resolution smaller than the mode.
    float width = s.lineWidth * TargetScaleX();
    if (width != layer.appliedLineWidth) {
        layer.device->SetLineWidth(width);
        layer.appliedLineWidth = width;
    }
    PrepareDraw();
    layer.device->DrawLine(a[0], a[1], b[0], b[1], lastPixel != 0);
}

TDrawStats& DrawStats() { return layer.stats; }

void RecordQuads(std::vector<TQuadRecord>* out) { layer.recorder = out; }

}  // namespace sq
