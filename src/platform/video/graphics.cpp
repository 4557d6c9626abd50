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

namespace sq {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kGlyphWidth = 8, kGlyphHeight = 16, kGlyphCount = 96;

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

struct TGraphicsLayer {
    TGraphicsLayer() { layerAlive = true; }
    ~TGraphicsLayer() {
        layerAlive = false;
        font.reset();
        device.reset();
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
    TDrawState st;
    int appliedBlend = 0;  // 0: nothing issued yet under this mode
    float appliedLineWidth = 0;
    int maskR = 0, maskG = 0, maskB = 0;
    TFramePacer pacer;
    bool softwarePacing = false;
    bool unpaced = false;
    TDrawStats stats;
    ImageRef font;
    std::vector<uint8_t> scratch, sheetScratch;
    std::vector<TQuadRecord>* recorder = nullptr;

    TDisplayDevice& Device() {
        if (!device) device = kind == GraphicsBackend::kHeadless ? MakeHeadlessDevice() : MakeGLDevice();
        return *device;
    }
};

TGraphicsLayer layer;

int NextPowerOfTwo(int n) {
    int p = 1;
    while (p < n && p < (1 << 30)) p <<= 1;
    return p;
}

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

float TargetScaleX() { return layer.virtualW > 0 ? float(layer.modeW) / layer.virtualW : 1.0f; }
float TargetScaleY() { return layer.virtualH > 0 ? float(layer.modeH) / layer.virtualH : 1.0f; }

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

// Copies the picture into the top-left of a power-of-two RGBA texture and
// repeats its last column and row once beyond it, so that filtering at the
// picture's edge samples the picture and not the empty rest of the texture.
void BuildTexturePixels(const PixmapRef& ref, int tw, int th, std::vector<uint8_t>& out) {
    const TPixmap& p = *ref;
    out.assign(std::size_t(tw) * std::size_t(th) * 4, 0);
    auto put = [&](int x, int y, uint32_t argb) {
        uint8_t* d = out.data() + (std::size_t(y) * std::size_t(tw) + std::size_t(x)) * 4;
        d[0] = uint8_t(argb >> 16), d[1] = uint8_t(argb >> 8), d[2] = uint8_t(argb), d[3] = uint8_t(argb >> 24);
    };
    if (p.width <= tw && p.height <= th) {
        for (int y = 0; y < p.height; ++y) {
            if (p.format == kPfRGBA) {
                std::memcpy(out.data() + std::size_t(y) * std::size_t(tw) * 4, p.Row(y), std::size_t(p.width) * 4);
            } else {
                for (int x = 0; x < p.width; ++x) put(x, y, PixmapGetPixel(ref, x, y));
            }
        }
        if (p.width > 0 && p.width < tw)
            for (int y = 0; y < p.height; ++y)
                std::memcpy(out.data() + (std::size_t(y) * tw + p.width) * 4,
                            out.data() + (std::size_t(y) * tw + p.width - 1) * 4, 4);
        if (p.height > 0 && p.height < th) {
            int cols = std::min(p.width + 1, tw);
            std::memcpy(out.data() + std::size_t(p.height) * tw * 4, out.data() + std::size_t(p.height - 1) * tw * 4,
                        std::size_t(cols) * 4);
        }
        return;
    }
    // The implementation cannot hold the picture at full size: sample it down.
    for (int y = 0; y < th; ++y)
        for (int x = 0; x < tw; ++x)
            put(x, y, PixmapGetPixel(ref, int(int64_t(x) * p.width / tw), int(int64_t(y) * p.height / th)));
}

// Texture side that fits the device for a picture of width x height.
void FitTextureSize(int& tw, int& th) {
    TDisplayDevice& dev = *layer.device;
    while (!dev.TextureSizeOk(tw, th) && (tw > 1 || th > 1)) {
        if (tw >= th)
            tw = std::max(tw / 2, 1);
        else
            th = std::max(th / 2, 1);
    }
}

bool EnsureOwnTexture(TImage& image, TImageFrame& f, bool current) {
    TDisplayDevice& dev = *layer.device;
    int tw = NextPowerOfTwo(f.pixmap->width), th = NextPowerOfTwo(f.pixmap->height);
    FitTextureSize(tw, th);
    BuildTexturePixels(f.pixmap, tw, th, layer.scratch);
    uint32_t tex = dev.UploadTexture(current ? f.texture : 0, layer.scratch.data(), tw, th,
                                     (image.flags & kImgFiltered) != 0, (image.flags & kImgMipmapped) != 0);
    ++layer.stats.textureUploads;
    f.texture = tex;
    f.generation = layer.generation;
    f.dirty = false;
    f.texWidth = tw;
    f.texHeight = th;
    f.texX = f.texY = 0;
    return tex != 0;
}

// ---- Sheets ----
// The frames of a strip (and of the font) share one texture: each frame sits
// in a cell with a one-texel border that repeats its edge, so that filtering
// at a frame's edge samples the frame itself and never its neighbour. Frames
// drawn one after another then need no change of texture.

struct TSheetLayout {
    int columns = 0, tw = 0, th = 0;
};

// Whether the frames of `image` go into one sheet, and how it is laid out.
bool SheetLayout(const TImage& image, TSheetLayout& out) {
    int n = image.FrameCount();
    if (n < 2 || (image.flags & (kImgDynamic | kImgMipmapped))) return false;
    for (const TImageFrame& f : image.frames)
        if (!f.pixmap || f.pixmap->width != image.width || f.pixmap->height != image.height) return false;
    const int cw = image.width + 2, ch = image.height + 2;
    int tw = NextPowerOfTwo(cw);
    auto rowsFor = [&](int w) { return (n + w / cw - 1) / (w / cw); };
    while (int64_t(rowsFor(tw)) * ch > tw && tw < (1 << 14)) tw *= 2;
    int th = NextPowerOfTwo(rowsFor(tw) * ch);
    if (!layer.device->TextureSizeOk(tw, th)) return false;
    out.columns = tw / cw;
    out.tw = tw;
    out.th = th;
    return true;
}

// RGBA of one frame with its border, (w + 2) x (h + 2), into `out`.
void BuildCellPixels(const PixmapRef& ref, std::vector<uint8_t>& out) {
    const int w = ref->width, h = ref->height, cw = w + 2;
    out.resize(std::size_t(cw) * std::size_t(h + 2) * 4);
    for (int y = 0; y < h + 2; ++y) {
        int sy = std::clamp(y - 1, 0, h - 1);
        uint8_t* row = out.data() + std::size_t(y) * std::size_t(cw) * 4;
        if (ref->format == kPfRGBA) {
            std::memcpy(row + 4, ref->Row(sy), std::size_t(w) * 4);
        } else {
            for (int x = 0; x < w; ++x) {
                uint32_t argb = PixmapGetPixel(ref, x, sy);
                uint8_t* d = row + std::size_t(x + 1) * 4;
                d[0] = uint8_t(argb >> 16), d[1] = uint8_t(argb >> 8), d[2] = uint8_t(argb), d[3] = uint8_t(argb >> 24);
            }
        }
        std::memcpy(row, row + 4, 4);
        std::memcpy(row + std::size_t(w + 1) * 4, row + std::size_t(w) * 4, 4);
    }
}

bool EnsureSheet(TImage& image, TImageFrame& f, const TSheetLayout& layout) {
    TDisplayDevice& dev = *layer.device;
    TImageFrame& first = image.frames[0];
    const int cw = image.width + 2, ch = image.height + 2;
    const bool sheetMade = first.texture && first.generation == layer.generation && f.texture == first.texture &&
                           f.generation == layer.generation;
    if (sheetMade) {
        // Only this frame changed: its cell is replaced.
        BuildCellPixels(f.pixmap, layer.scratch);
        if (!dev.UpdateTexture(f.texture, f.texX - 1, f.texY - 1, layer.scratch.data(), cw, ch)) return false;
        ++layer.stats.textureUploads;
        f.dirty = false;
        return true;
    }
    std::vector<uint8_t>& sheet = layer.sheetScratch;
    sheet.assign(std::size_t(layout.tw) * std::size_t(layout.th) * 4, 0);
    for (int i = 0; i < image.FrameCount(); ++i) {
        BuildCellPixels(image.frames[std::size_t(i)].pixmap, layer.scratch);
        int x0 = (i % layout.columns) * cw, y0 = (i / layout.columns) * ch;
        for (int y = 0; y < ch; ++y)
            std::memcpy(sheet.data() + (std::size_t(y0 + y) * std::size_t(layout.tw) + std::size_t(x0)) * 4,
                        layer.scratch.data() + std::size_t(y) * std::size_t(cw) * 4, std::size_t(cw) * 4);
    }
    uint32_t old = first.generation == layer.generation ? first.texture : 0;
    uint32_t tex = dev.UploadTexture(old, sheet.data(), layout.tw, layout.th, (image.flags & kImgFiltered) != 0, false);
    ++layer.stats.textureUploads;
    for (int i = 0; i < image.FrameCount(); ++i) {
        TImageFrame& g = image.frames[std::size_t(i)];
        // A frame that had a texture of its own (drawn before it joined the
        // sheet) gives it back.
        if (g.texture && g.texture != old && g.texture != tex && g.generation == layer.generation)
            dev.DeleteTexture(g.texture);
        g.texture = tex;
        g.generation = layer.generation;
        g.dirty = false;
        g.texWidth = layout.tw;
        g.texHeight = layout.th;
        g.texX = (i % layout.columns) * cw + 1;
        g.texY = (i / layout.columns) * ch + 1;
    }
    return tex != 0;
}

bool EnsureTexture(TImage& image, TImageFrame& f) {
    if (!f.pixmap || f.pixmap->width <= 0 || f.pixmap->height <= 0) return false;
    bool current = f.texture && f.generation == layer.generation;
    if (current && !f.dirty) return true;
    TSheetLayout layout;
    if (SheetLayout(image, layout)) return EnsureSheet(image, f, layout);
    // A frame leaving a sheet (its size changed) must not overwrite the
    // texture its former neighbours still use.
    for (const TImageFrame& g : image.frames)
        if (&g != &f && g.texture == f.texture) current = false;
    return EnsureOwnTexture(image, f, current);
}

void DrawFrame(TImage& image, TImageFrame& f, float tx, float ty, float hx, float hy) {
    if (!EnsureTexture(image, f)) return;
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

PixmapRef StoredPixmap(const PixmapRef& p, int flags, int r, int g, int b) {
    if ((flags & kImgMasked) && !FormatHasAlpha(p->format)) return ApplyMask(p, r, g, b);
    return ConvertPixmap(p, p->format);
}

ImageRef MakeImage(int width, int height, int flags) {
    auto image = std::make_shared<TImage>();
    image->width = width;
    image->height = height;
    image->flags = flags == -1 ? kDefaultImageFlags : flags;
    image->maskR = layer.maskR, image->maskG = layer.maskG, image->maskB = layer.maskB;
    return image;
}

const ImageRef& FontImage() {
    if (!layer.font) {
        const uint8_t* bits = BuiltinFontBitmap();
        ImageRef font = MakeImage(kGlyphWidth, kGlyphHeight, 0);
        font->name = "built-in font";
        font->frames.resize(kGlyphCount);
        for (int c = 0; c < kGlyphCount; ++c) {
            PixmapRef p = NewPixmap(kGlyphWidth, kGlyphHeight, kPfRGBA);
            for (int row = 0; row < kGlyphHeight; ++row) {
                uint8_t byte = bits[row * kGlyphCount + c];
                for (int col = 0; col < kGlyphWidth; ++col)
                    if (byte & (1u << col)) PixmapSetPixel(p, col, row, 0xFFFFFFFFu);
            }
            font->frames[std::size_t(c)].pixmap = p;
        }
        layer.font = font;
    }
    return layer.font;
}

TImageFrame* FrameOf(const ImageRef& image, int frame) {
    RequireObject(image, "image");
    if (frame < 0 || frame >= image->FrameCount()) return nullptr;
    return &image->frames[std::size_t(frame)];
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

void SetDisplayOptions(const TDisplayOptions& options) { layer.options = options; }

bool OpenGraphicsMode(int width, int height, int depth, int hz, int flags) {
    (void)flags;
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
    if (layer.kind == GraphicsBackend::kOpenGL) SetEventPump(nullptr);
}

bool GraphicsModeOpen() { return layer.open; }

void PresentFrame(int sync) {
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

// ---- Images ----

void SetLoadMaskColor(int r, int g, int b) { layer.maskR = r, layer.maskG = g, layer.maskB = b; }

ImageRef LoadImageFrom(const PixmapRef& pixmap, int flags) {
    if (!pixmap || pixmap->width <= 0 || pixmap->height <= 0) return nullptr;
    ImageRef image = MakeImage(pixmap->width, pixmap->height, flags);
    PixmapRef stored = StoredPixmap(pixmap, image->flags, image->maskR, image->maskG, image->maskB);
    if (!stored) return nullptr;
    image->frames.resize(1);
    image->frames[0].pixmap = stored;
    return image;
}

ImageRef LoadImageFrom(const std::string& path, int flags) {
    ImageRef image = LoadImageFrom(LoadPixmapPNG(path), flags);
    if (image) image->name = path;
    return image;
}

ImageRef LoadImageStrip(const PixmapRef& pixmap, int cellWidth, int cellHeight, int firstCell, int cellCount,
                        int flags) {
    if (!pixmap || cellWidth <= 0 || cellHeight <= 0 || firstCell < 0 || cellCount <= 0) return nullptr;
    int perRow = pixmap->width / cellWidth, rows = pixmap->height / cellHeight;
    if (int64_t(firstCell) + cellCount > int64_t(perRow) * rows) return nullptr;
    ImageRef image = MakeImage(cellWidth, cellHeight, flags);
    image->frames.resize(std::size_t(cellCount));
    int bpp = BytesPerPixel(pixmap->format);
    for (int i = 0; i < cellCount; ++i) {
        int cell = firstCell + i;
        int cx = (cell % perRow) * cellWidth, cy = (cell / perRow) * cellHeight;
        PixmapRef p = NewPixmap(cellWidth, cellHeight, pixmap->format);
        if (!p) return nullptr;
        for (int y = 0; y < cellHeight; ++y)
            std::memcpy(p->Row(y), pixmap->Row(cy + y) + std::size_t(cx) * bpp, std::size_t(cellWidth) * bpp);
        image->frames[std::size_t(i)].pixmap = StoredPixmap(p, image->flags, image->maskR, image->maskG, image->maskB);
    }
    return image;
}

ImageRef LoadImageStrip(const std::string& path, int cellWidth, int cellHeight, int firstCell, int cellCount,
                        int flags) {
    ImageRef image = LoadImageStrip(LoadPixmapPNG(path), cellWidth, cellHeight, firstCell, cellCount, flags);
    if (image) image->name = path;
    return image;
}

ImageRef LoadImageFrames(const std::vector<PixmapRef>& pixmaps, int flags) {
    if (pixmaps.empty() || !pixmaps[0] || pixmaps[0]->width <= 0 || pixmaps[0]->height <= 0) return nullptr;
    ImageRef image = MakeImage(pixmaps[0]->width, pixmaps[0]->height, flags);
    image->frames.resize(pixmaps.size());
    for (std::size_t i = 0; i < pixmaps.size(); ++i) {
        const PixmapRef& p = pixmaps[i];
        if (!p || p->width != image->width || p->height != image->height) return nullptr;
        image->frames[i].pixmap = StoredPixmap(p, image->flags, image->maskR, image->maskG, image->maskB);
        if (!image->frames[i].pixmap) return nullptr;
    }
    return image;
}

ImageRef CreateImageBuffer(int width, int height, int frames, int flags) {
    if (width <= 0 || height <= 0 || frames <= 0) return nullptr;
    ImageRef image = MakeImage(width, height, flags);
    image->flags |= kImgDynamic;
    image->frames.resize(std::size_t(frames));
    return image;
}

void CenterImageHandle(const ImageRef& image) {
    RequireObject(image, "image");
    image->handleX = float(image->width) * 0.5f;
    image->handleY = float(image->height) * 0.5f;
}

PixmapRef LockImagePixels(const ImageRef& image, int frame, int read, int write) {
    (void)read;
    TImageFrame* f = FrameOf(image, frame);
    if (!f) return nullptr;
    if (!f->pixmap) f->pixmap = NewPixmap(image->width, image->height, kPfRGBA);
    if (write) f->dirty = true;
    return f->pixmap;
}

void UnlockImagePixels(const ImageRef& image, int frame) {
    (void)image;
    (void)frame;
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
        PixmapRef big = layer.device->ReadPixels(tx, ty, tw, th);
        shot = NewPixmap(image->width, image->height, kPfRGBA);
        if (!big || !shot) return;
        for (int j = 0; j < image->height; ++j)
            for (int i = 0; i < image->width; ++i) {
                int px = std::min(int((float(i) + 0.5f) * sx), tw - 1),
                    py = std::min(int((float(j) + 0.5f) * sy), th - 1);
                PixmapSetPixel(shot, i, j, PixmapGetPixel(big, px, py));
            }
    }
    if (!shot) return;
    f->pixmap = (image->flags & kImgMasked) ? ApplyMask(shot, layer.maskR, layer.maskG, layer.maskB) : shot;
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
    return layer.device->ReadPixels(0, 0, layer.modeW, layer.modeH);
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
