#pragma once
// Ending the game from outside: the window's close button and the signals a
// terminal or a session sends (SIGTERM, SIGINT, SIGHUP). Once the game has
// armed it, a pending request unwinds whatever screen is running by throwing
// TQuitGame, which the run catches to shut down as the menu's Quit does.

namespace sq {

// Thrown through the screen loops when the game must end. Deliberately not a
// std::exception, so no handler meant for errors swallows it.
struct TQuitGame {};

// Catches SIGTERM, SIGINT and SIGHUP and keeps SDL from installing handlers
// of its own. Call before any SDL subsystem starts.
void InstallQuitSignals();

// The signal that asked the game to end, or 0.
int QuitSignal();

// A function the signal handler calls too, with the signal, while the game
// waits somewhere no loop looks at QuitSignal() (the error box waits for a
// child process). It runs inside the handler: it may only do what a signal
// handler may. Null to stop.
using TSignalForward = void (*)(int signo);
void ForwardQuitSignals(TSignalForward forward);

// While armed, CheckQuit throws TQuitGame once a close request or a signal is
// pending. Unarmed (tests, shutdown) it only records the request.
void ArmQuit(bool armed);

// Picks up a caught signal and, with `pollWindow`, a close request still
// waiting in the window system's queue (for loops that pump no events);
// throws TQuitGame when armed and a request is pending.
void CheckQuit(bool pollWindow = true);

// The request itself: the keyboard layer's PostQuitRequest and
// QuitRequested come here.
void RequestQuit();
bool QuitPending();

// Forgets a request and a caught signal (tests).
void ResetQuit();

}  // namespace sq
