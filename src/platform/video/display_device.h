#pragma once
// What the drawing layer asks of a display back end. graphics.cpp keeps the
// drawing state, the images and the counters; a device only puts pixels on
// a render target of the open mode's size and shows it.
//
// Coordinates given to a device are logical (the projection set with
// SetProjection), except scissor and read-back rectangles, which are in
// target pixels measured from the top-left corner.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/video/display_options.h"
#include "platform/video/pixmap.h"

namespace sq {

struct TOpenRequest {
    int width = 0, height = 0;  // the mode's picture size
    bool fullScreen = false;
    int hz = 0;
    TDisplayOptions options;
    std::string caption;
};

class TDisplayDevice {
public:
    virtual ~TDisplayDevice() = default;

    // Opens (or re-opens, keeping the window where it can) a display for the
    // request. Every texture made before is gone afterwards.
    virtual bool Open(const TOpenRequest& request) = 0;
    virtual void Close() = 0;
    // Whether the buffer swap was found to wait for the vertical blank.
    virtual bool VsyncWorks() const = 0;
    virtual int ModeAvailable(int width, int height, int depth, int hz) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // The open display goes to the full screen or to a window of the new
    // scale, keeping its mode and textures.
    virtual void ChangeDisplay(const TDisplayOptions& options) { (void)options; }
    virtual void ShowErrorBox(const std::string& title, const std::string& message) = 0;

    virtual void SetProjection(float width, float height) = 0;
    // The size in pixels of the picture drawn, which the window shows
    // enlarged: the mode's own size when it opens, or a smaller picture that
    // the mode's size is a whole multiple of (the drawing then costs the
    // smaller picture's pixels). Scissor and read-back rectangles follow it.
    virtual void SetTargetSize(int width, int height) { (void)width, (void)height; }
    // mode: 1 mask, 2 solid, 3 alpha, 4 light, 5 shade (already resolved).
    virtual void SetBlend(int mode) = 0;
    virtual void SetScissor(bool on, int x, int y, int w, int h) = 0;
    // Colour multiplier, 0..1 each, already clamped.
    virtual void SetColor(float r, float g, float b, float a) = 0;
    virtual void SetLineWidth(float width) = 0;
    // xy: four corners, clockwise from the top-left of the picture; uv: the
    // texture coordinates u0, v0 (top-left) and u1, v1 (bottom-right).
    // Quads may be held back and drawn together until the next change of
    // state, read-back or present.
    virtual void DrawTexturedQuad(uint32_t texture, const float* xy, const float* uv) = 0;
    virtual void DrawQuad(const float* xy) = 0;
    virtual void DrawLine(float x1, float y1, float x2, float y2, bool lastPixel) = 0;
    virtual void Clear(int r, int g, int b) = 0;

    // Largest texture side the device accepts for this size (halving a side
    // while the implementation refuses it).
    virtual bool TextureSizeOk(int width, int height) = 0;
    // Uploads RGBA bytes of texWidth x texHeight into `texture` (0: a new
    // one). Returns the texture name, 0 on failure.
    virtual uint32_t UploadTexture(uint32_t texture, const uint8_t* rgba, int texWidth, int texHeight, bool filtered,
                                   bool mipmapped) = 0;
    // Replaces a w x h rectangle of an uploaded texture at (x, y).
    virtual bool UpdateTexture(uint32_t texture, int x, int y, const uint8_t* rgba, int w, int h) = 0;
    virtual void DeleteTexture(uint32_t texture) = 0;

    // RGBA copy of a rectangle of the render target (top row first).
    virtual PixmapRef ReadPixels(int x, int y, int w, int h) = 0;
    virtual void Present(bool waitVblank) = 0;
    // Shows a frame of one colour at once, straight on the window where the
    // picture stands (black bars around it), and leaves the picture drawn so
    // far as it was. False where the device cannot: it shows nothing, or the
    // window's own buffer holds the picture.
    virtual bool ShowColour(int r, int g, int b) {
        (void)r, (void)g, (void)b;
        return false;
    }
    // Delivers pending window events to the keyboard tables.
    virtual void PumpEvents() = 0;
};

std::unique_ptr<TDisplayDevice> MakeHeadlessDevice();
std::unique_ptr<TDisplayDevice> MakeGLDevice();

// Starts SDL's video, leaving the quit signals to the game. A display server
// busy with other clients may refuse a new connection for a moment (SDL then
// starts a driver that shows nothing), so where there is a display to
// connect to, a refusal is tried again for about two seconds. False when
// SDL's video cannot start at all.
bool StartVideo();
// Whether SDL's video runs a driver that shows nothing (offscreen, dummy).
bool VideoShowsNothing();

}  // namespace sq
