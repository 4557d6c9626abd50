#include "platform/system/quit_signals.h"

#include <SDL.h>

#include <atomic>
#include <csignal>
#include <initializer_list>

namespace sq {

namespace {

volatile std::sig_atomic_t caughtSignal = 0;
std::atomic<TSignalForward> forwardTo{nullptr};
static_assert(std::atomic<TSignalForward>::is_always_lock_free);
bool armed = false;
bool requested = false;
bool checking = false;

extern "C" void OnQuitSignal(int signo) {
    caughtSignal = signo;
    if (TSignalForward forward = forwardTo.load()) forward(signo);
}

}  // namespace

void InstallQuitSignals() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signo : {SIGTERM, SIGINT, SIGHUP}) sigaction(signo, &action, nullptr);
}

int QuitSignal() { return int(caughtSignal); }

void ForwardQuitSignals(TSignalForward forward) { forwardTo.store(forward); }

void ArmQuit(bool on) { armed = on; }

void RequestQuit() { requested = true; }

bool QuitPending() { return requested; }

void ResetQuit() {
    caughtSignal = 0;
    requested = false;
}

void CheckQuit(bool pollWindow) {
    if (checking) return;
    checking = true;
    if (caughtSignal != 0) RequestQuit();
    // Only the close request is taken from the queue; keys and the rest stay
    // for the keyboard's own pump.
    if (pollWindow && SDL_WasInit(SDL_INIT_EVENTS)) {
        SDL_PumpEvents();
        SDL_Event e;
        if (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_QUIT, SDL_QUIT) > 0) RequestQuit();
    }
    checking = false;
    if (armed && requested) throw TQuitGame{};
}

}  // namespace sq
