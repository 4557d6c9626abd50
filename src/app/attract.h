#pragma once
// The title's attract mode: when the menu has had no key, button, click or
// window event for a while, it plays the next of the game's shipped level
// demos (demos/*.sqr beside the data, in name order, in turn), drawn exactly
// as play is drawn with its sound, under a small "DEMO" caption. Any key,
// button or click ends the demo at once; that press is never also a menu
// choice. A demo never touches the high-score table or the settings. A demo
// that no longer matches this build (refused, or out of step) is skipped
// with one line on standard error.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

inline constexpr uint32_t kAttractIdleMillis = 30000;

// How long the menu waits (--demo-idle); 0: never.
void SetAttractIdleMillis(uint32_t ms);
uint32_t AttractIdleMillis();
// Whether demos keep to the recorded speed on the wall clock (tests turn it off).
void SetAttractPaced(bool paced);

enum class TDemoEnd {
    kPlayed,       // to the end of the recording
    kInterrupted,  // a key, button or click ended it
    kSkipped,      // refused or out of step (said on standard error)
};
// Plays one demo file; the level it leaves set up is the caller's to replace.
TDemoEnd PlayAttractDemo(const std::string& path);

// The shipped demos: demos/*.sqr in the data folder, in name order.
std::vector<std::string> ShippedDemos();

// The menu's idle watch and its turn through the demos.
class TAttract {
public:
    // Starts the idle time afresh (the menu is shown again).
    void Restart();
    // Called once a menu frame: whether the menu has been idle long enough.
    // Never in a recorded or replayed run, and without reading the clock
    // there, so such a run meets the journal exactly as before.
    bool Due();
    // Plays the next demo in turn. A refused demo is skipped before the
    // menu fades, so the title stays as it is; returns whether one was played.
    bool PlayNext(const std::function<void()>& beforeDemo);

private:
    bool started_ = false;
    uint64_t events_ = 0;
    int since_ = 0;
    std::size_t next_ = 0;
};
