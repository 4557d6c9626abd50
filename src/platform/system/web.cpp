#include "platform/system/web.h"

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

void EndRun(int status) { emscripten_force_exit(status); }

#else

void WaitAnimationFrame() { RunHook(); }
void Sleep(uint32_t) { RunHook(); }
void PersistSavedFiles() {}
void EndRun(int) {}

#endif

}  // namespace sq::web
