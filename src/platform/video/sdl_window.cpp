// The real display's window: an SDL2 window with an OpenGL context, its
// size and full screen, the check that swaps wait for the vertical blank,
// and the window system's events turned into the game's keys.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/input/bindings.h"
#include "platform/input/gamepad.h"
#include "platform/input/keyboard.h"
#include "platform/system/web.h"
#include "platform/video/gl_device.h"
#include "platform/video/graphics.h"

namespace sq {

namespace gl {

namespace {

uint64_t NowMicros() {
    return uint64_t(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

}  // namespace

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
        if (!StartVideo()) {
            std::fprintf(stderr, "No display: %s\n", SDL_GetError());
            return false;
        }
        // Without a window system SDL falls back to drivers that show nothing;
        // the game would then run unseen forever. Only an explicit choice of
        // such a driver (SDL_VIDEODRIVER) is honoured.
        if (VideoShowsNothing() && !std::getenv("SDL_VIDEODRIVER")) {
            std::fprintf(stderr, "No display: no window system found (is DISPLAY set?)\n");
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            return false;
        }
        videoUp_ = true;
    }
    options_ = request.options;
    caption_ = request.caption;
    width_ = targetW_ = request.width;
    height_ = targetH_ = request.height;
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
    // In the browser the page says how many pixels the canvas shows.
    if constexpr (web::kBrowser) {
        if (web::CanvasPixels(width_, height_, w, h)) return;
        if (scale <= 0) scale = 1;
    }
    if (options_.pictureScale > 0) {
        w = options_.pictureWidth * options_.pictureScale;
        h = options_.pictureHeight * options_.pictureScale;
        return;
    }
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
    // In the browser the page sizes the canvas on screen and tells the game
    // how many pixels it should have (FollowPageCanvas); SDL must not make
    // them the size it is shown at.
    Uint32 flags = SDL_WINDOW_OPENGL | (web::kBrowser ? 0 : SDL_WINDOW_RESIZABLE) |
                   (request.options.hidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN);
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

void TGLDevice::Close() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        // SDL was shut down under us (at exit): it already took the window
        // and the context with it.
        textures_.clear();
        context_ = nullptr;
        window_ = nullptr;
        videoUp_ = false;
        padsLooked_ = frameShown_ = false;
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

void TGLDevice::ChangeDisplay(const TDisplayOptions& options) {
    const bool hidden = options_.hidden;
    options_ = options;
    options_.hidden = hidden;
    // The page owns the canvas's size and the full screen in the browser.
    if (!window_ || web::kBrowser) return;
    if (options.windowed)
        LeaveFullScreen();
    else
        EnterFullScreen();
}

void TGLDevice::PumpEvents() {
    if (!window_ || inPump_) return;
    inPump_ = true;
    // The pads are looked for once the first frame is up: the search takes
    // the start a few milliseconds.
    if (!padsLooked_ && frameShown_) {
        StartGamepads();  // without them the game is played on the keyboard
        padsLooked_ = true;
    }
    if constexpr (web::kBrowser) FollowPageCanvas();
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
                // The options screen's "press a key" takes the next press whole.
                if (e.type == SDL_KEYDOWN && !e.key.repeat && CaptureKeyDown(e.key.keysym.scancode)) break;
                if (e.type == SDL_KEYDOWN) {
                    // An auto-repeat keeps the code its key went down with.
                    int vk = e.key.repeat ? GameKeyForKeyRepeat(e.key.keysym.scancode)
                                          : GameKeyForKeyDown(e.key.keysym.sym, e.key.keysym.scancode);
                    if (vk) PostKeyDown(vk, e.key.repeat != 0);
                } else if (int vk = GameKeyForKeyUp(e.key.keysym.sym, e.key.keysym.scancode)) {
                    PostKeyUp(vk);
                }
                break;
            }
            case SDL_WINDOWEVENT:
                if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST || e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
                    PostFocusChange();
                else
                    PostWindowEvent();
                if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST && FocusLossPauses()) PostFocusLost();
                break;
            case SDL_MOUSEBUTTONDOWN:
                PostClick();
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

// The page has resized the canvas on screen (a new window size, the full
// screen, the other way of enlarging): the canvas gets the pixels it asks for.
void TGLDevice::FollowPageCanvas() {
    int w = 0, h = 0, now = 0, nowH = 0;
    if (fullScreen_ || !web::CanvasPixels(width_, height_, w, h)) return;
    SDL_GetWindowSize(window_, &now, &nowH);
    if (w != now || h != nowH) SDL_SetWindowSize(window_, w, h);
}

int TGLDevice::ModeAvailable(int width, int height, int depth, int hz) {
    bool started = false;
    if (!videoUp_ && !SDL_WasInit(SDL_INIT_VIDEO)) {
        if (!StartVideo()) return 0;
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

}  // namespace gl

int LargestWindowScale(int width, int height) {
    if (!SDL_WasInit(SDL_INIT_VIDEO) || width <= 0 || height <= 0) return 1;
    SDL_Rect usable{0, 0, 1024, 768};
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) {
        SDL_DisplayMode desk;
        if (SDL_GetDesktopDisplayMode(0, &desk) == 0) usable.w = desk.w, usable.h = desk.h;
    }
    // As WindowedSize leaves room for the window frame and panels.
    return std::max(1, std::min((usable.w - 16) / width, (usable.h - 64) / height));
}

bool VideoShowsNothing() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool StartVideo() {
    gl::KeepDefaultSignals();
    // When SDL cannot reach the window system it falls back to a driver that
    // shows nothing, and says it started: that counts as a refusal here.
    const char* display = SDL_getenv("DISPLAY");
    const bool retry = !web::kBrowser && display && display[0] && !SDL_getenv("SDL_VIDEODRIVER");
    constexpr int kAttempts = 20;
    for (int attempt = 1;; ++attempt) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
            if (!retry || !VideoShowsNothing() || attempt == kAttempts) return true;
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        } else if (!retry || attempt == kAttempts) {
            return false;
        }
        SDL_Delay(100);
    }
}

std::unique_ptr<TDisplayDevice> MakeGLDevice() { return std::make_unique<gl::TGLDevice>(); }

}  // namespace sq
