#include "platform/system/web.h"

#include <algorithm>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace sq::web {

namespace {
void (*yieldHook)() = nullptr;

void RunHook() {
    if (yieldHook) yieldHook();
}
}  // namespace

void SetYieldHook(void (*hook)()) { yieldHook = hook; }

#ifdef __EMSCRIPTEN__

namespace {
// Resolves on the browser's next animation frame (and notes when the first
// frame was shown, for the page's measurements). A hidden tab gets none, so
// a timer stands in after a quarter of a second and the game goes on slowly.
EM_ASYNC_JS(void, NextAnimationFrame, (), {
    if (!Module.sqFirstFrame) Module.sqFirstFrame = performance.now();
    await new Promise(function(resolve) {
        var done = false;
        function finish() {
            if (!done) {
                done = true;
                resolve();
            }
        }
        requestAnimationFrame(finish);
        setTimeout(finish, 250);
    });
});

// Resolves as soon as the browser has run what is waiting (a message to
// ourselves: a zero-length timer would be held back to 4 ms).
EM_ASYNC_JS(void, YieldNow, (), {
    await new Promise(function(resolve) {
        var channel = Module.sqYield || (Module.sqYield = new MessageChannel());
        channel.port1.onmessage = function() { resolve(); };
        channel.port2.postMessage(0);
    });
});
}  // namespace

void WaitAnimationFrame() {
    RunHook();
    NextAnimationFrame();
}

void Sleep(uint32_t ms) {
    RunHook();
    if (ms == 0)
        YieldNow();
    else
        emscripten_sleep(ms);
}

// One copy to the browser's storage at a time; a save made meanwhile is
// copied straight after.
EM_JS(void, SyncSaveFolder, (), {
    var p = Module.sqPersist || (Module.sqPersist = {busy : false, again : false});
    function run() {
        p.busy = true;
        p.again = false;
        FS.syncfs(
            false, function(err) {
                if (err) console.error('Snowquill: the high-score table could not be kept in this browser: ' + err);
                p.busy = false;
                if (p.again) run();
            });
    }
    if (p.busy)
        p.again = true;
    else
        run();
});

void PersistSavedFiles() { SyncSaveFolder(); }

namespace {
// Module.sqCanvas, set by the page: {w, h} the canvas's size on screen in
// device pixels, and smooth when the page enlarges it with smoothing.
EM_JS(int, PageCanvas, (int field), {
    var c = Module['sqCanvas'];
    if (!c) return 0;
    return field == 0 ? (c.w | 0) : field == 1 ? (c.h | 0) : (c.smooth ? 1 : 0);
});
}  // namespace

bool CanvasPixels(int modeW, int modeH, int& w, int& h) {
    const int shownW = PageCanvas(0), shownH = PageCanvas(1);
    if (modeW <= 0 || modeH <= 0 || shownW <= 0 || shownH <= 0) return false;
    if (!PageCanvas(2)) {
        w = shownW, h = shownH;
        return true;
    }
    // The whole number that reaches the shown size, and no larger than a
    // screen needs (a huge page would otherwise cost fill for nothing).
    constexpr int kMaxScale = 8;
    const int scale = std::clamp(std::max((shownW + modeW - 1) / modeW, (shownH + modeH - 1) / modeH), 1, kMaxScale);
    w = modeW * scale, h = modeH * scale;
    return true;
}

void EndRun(int status) { emscripten_force_exit(status); }

#else

void WaitAnimationFrame() { RunHook(); }
void Sleep(uint32_t) { RunHook(); }
void PersistSavedFiles() {}
void EndRun(int) {}
bool CanvasPixels(int, int, int&, int&) { return false; }

#endif

}  // namespace sq::web
