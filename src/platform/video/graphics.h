#pragma once
// platform/video: the window, the OpenGL device and the headless one, drawing,
// pictures, pacing and frame times. Uses system/ and files/, and input/ for
// the events the window pumps.
//
// The 2D drawing layer: display modes, the drawing state, images and text.
//
// Two back ends give the same behaviour: OpenGL through an SDL2 window
// (the game, the pixel tests under Xvfb) and a headless one that draws
// nothing and only counts what it was asked to draw (the level simulation,
// tools, benchmarks, flow tests).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/video/display_options.h"
#include "platform/video/image.h"
#include "platform/video/pixmap.h"

namespace sq {

// ---- Display ----
// Which back end OpenGraphicsMode uses. The game always uses OpenGL and stops
// with a clear message when no display can be opened.
enum class GraphicsBackend { kOpenGL, kHeadless };
void SetGraphicsBackend(GraphicsBackend backend);

// Presentation choices on a modern desktop (decided by command line). F11
// switches between full screen and a window at any time; the game never sees
// that key.
void SetDisplayOptions(const TDisplayOptions& options);

// Opens a mode of width x height pixels (closing the open one first), resets
// the drawing state and clears the keyboard. depth 0 opens a window, any other
// depth the full screen: a desktop-sized window in which the mode's picture is
// scaled up without smoothing, aspect kept, with black bars. hz > 0 sets the
// frame rate that PresentFrame keeps where the vertical blank cannot be
// waited for. Returns false (the Null object) when the mode cannot be opened.
bool OpenGraphicsMode(int width, int height, int depth, int hz, int flags);
void CloseGraphicsMode();
bool GraphicsModeOpen();
void PresentFrame(int sync);
// Shows a frame of one colour at once, without pacing and without touching
// the picture being drawn: the first frame of a run, before anything is loaded.
void ShowColourFrame(int r, int g, int b);
int DisplayModeAvailable(int width, int height, int depth, int hz);
// The open mode's size in pixels (0 when none is open).
int ScreenWidth();
int ScreenHeight();
// Maps logical coordinates 0..width x 0..height onto the whole display.
// Clip rectangles and screen grabs then follow the logical screen too.
void SetVirtualResolution(int width, int height);
void SetWindowCaption(const std::string& caption);
// Shows a message box over the open display (falls back to nothing).
void ShowErrorBox(const std::string& title, const std::string& message);
// Whether PresentFrame paces frames in software (no usable vertical blank).
bool SoftwarePacing();
// Shows every frame at once, never waiting for the vertical blank or the
// frame clock (a timedemo measures how fast frames can be drawn).
void SetUnpacedFrames(bool unpaced);
// Drawn over every frame just before it is presented, whatever screen drew
// it (the caption of a demo or a replay); nullptr for none.
void SetFrameOverlay(void (*overlay)());

// ---- Drawing state ----
void SetDrawColor(int r, int g, int b);
void GetDrawColor(int& r, int& g, int& b);
void SetDrawAlpha(float a);
float GetDrawAlpha();
void SetBlendMode(int mode);
int GetBlendMode();
void SetClipRect(int x, int y, int w, int h);
void GetClipRect(int& x, int& y, int& w, int& h);
void SetDrawRotation(float degrees);
float GetDrawRotation();
void SetDrawScale(float sx, float sy);
void GetDrawScale(float& sx, float& sy);
void SetDrawOrigin(float x, float y);
void SetShapeHandle(float x, float y);
void SetLineWidth(float w);
void ClearScreen(int r = 0, int g = 0, int b = 0);  // the whole back buffer

// ---- Images ----
void SetLoadMaskColor(int r, int g, int b);
ImageRef LoadImageFrom(const std::string& path, int flags);
ImageRef LoadImageFrom(const PixmapRef& pixmap, int flags);
ImageRef LoadImageStrip(const std::string& path, int cellWidth, int cellHeight, int firstCell, int cellCount,
                        int flags);
ImageRef LoadImageStrip(const PixmapRef& pixmap, int cellWidth, int cellHeight, int firstCell, int cellCount,
                        int flags);
ImageRef CreateImageBuffer(int width, int height, int frames, int flags);
// One image whose frames are the given pictures, all of one size (nullptr
// when there are none, one is missing or the sizes differ). Its frames share
// one texture, like those of a strip.
ImageRef LoadImageFrames(const std::vector<PixmapRef>& pixmaps, int flags);
void CenterImageHandle(const ImageRef& image);
PixmapRef LockImagePixels(const ImageRef& image, int frame, int read, int write);
void UnlockImagePixels(const ImageRef& image, int frame);
ImageRef GrabScreenImage();
void GrabScreenToImage(const ImageRef& image, int x, int y, int frame);
// Reads the back buffer (display pixels) as a format-6 pixmap: pixel tests.
PixmapRef ReadScreenPixels();

// ---- Drawing ----
void DrawImageAt(const ImageRef& image, float x, float y, int frame);
void DrawTextAt(const std::string& text, float x, float y);
int TextWidth(const std::string& text);
void FillRect(float x, float y, float w, float h);
void DrawLineSegment(float x1, float y1, float x2, float y2, int lastPixel);

// ---- Counters (benchmarks and tests) ----
// imageDraws counts DrawImageAt calls (text glyphs count only as glyphs);
// textureUploads counts frames made into textures (first draw, after a write,
// after a mode change); blendChanges counts blend states actually sent to the
// display (a mode set again, or set and set back before a draw, sends
// nothing); frames counts PresentFrame calls with a display open.
// drawCalls counts the draw calls the display makes (one per run of pictures
// sharing a texture and state) and textureBinds the changes of texture
// between them; both count the same on every back end.
TDrawStats& DrawStats();

// Benchmarks: while set, every picture and rectangle drawn is also written
// to `out` (texture 0 for a rectangle; uv as u0, v0, u1, v1), so that a
// reference renderer can draw the very same quads.
struct TQuadRecord {
    uint32_t texture = 0;
    int texWidth = 1, texHeight = 1;
    int blend = kBlendSolid;
    float xy[8] = {};
    float uv[4] = {};
    uint8_t rgba[4] = {};
};
void RecordQuads(std::vector<TQuadRecord>* out);

// The built-in 8 x 16 font: 16 rows of 96 bytes, bit 0 leftmost.
const uint8_t* BuiltinFontBitmap();

}  // namespace sq
