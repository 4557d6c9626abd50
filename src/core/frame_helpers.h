#pragma once
// Small helpers shared by the screens, the sprite animations and the map
// drawing: an elapsed-time meter, a calls-per-second counter, a snapshot of
// the drawing state, and sine/cosine tables of whole degrees.
#include <functional>
#include <memory>
#include <string>

class CDeltaTime {
public:
    static std::shared_ptr<CDeltaTime> Create();
    static std::shared_ptr<CDeltaTime> Destroy(std::shared_ptr<CDeltaTime>& d);
    void Update();
    int CountFps();
    void StartTimer(int ms);
    int TimerDone();

    int timerStart = 0;
    int timerLength = 0;
    float deltaSeconds = 0;
    int lastTime = 0;
    int fps = 0;
};

class CFPS {
public:
    void Reset();
    void Tick();

    int fps = 0;
    int maxFps = 0;
    int count = 0;
    int windowStart = 0;
    int lastCount = 0;
    int minFps = 999;
};

class DRAW2DENV {
public:
    DRAW2DENV() { Save(); }
    void Save();
    void Restore();

    int clipX = 0, clipY = 0, clipWidth = 0, clipHeight = 0;
    int red = 0, green = 0, blue = 0;
    int blendMode = 0;
    float alpha = 0;
};

// Fills the two 360-entry tables; called once at start-up (and safe to call again).
void InitDegreeTables();
float SinDeg(int degrees);
float CosDeg(int degrees);

// Waits until more than `ms` milliseconds have passed; nothing is drawn and
// no events are processed meanwhile. `meanwhile`, when given, is done first,
// inside the wait: the wait still ends `ms` after it began (or at once when
// the work took longer), and the clock is read just as often.
void WaitMillis(float ms, const std::function<void()>& meanwhile = {});
// Gives the processor away for about a millisecond inside a polling loop.
void IdlePoll();

// Two lines of white text with a black shadow, centred at the top and the
// bottom of the picture over whatever is drawn there (a demo's or a replay's
// caption). The drawing colour, alpha and blend mode are left as they were.
void DrawCaptions(const std::string& top, const std::string& bottom);
