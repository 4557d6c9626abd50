#pragma once
// The story and the controls, scrolling up in a travelling wave of colour
// while the narration plays.
#include <array>
#include <memory>

#include "core/timed_speed.h"
#include "platform/video/graphics.h"

class CSnow;

// The files the instructions screen loads at every visit.
inline constexpr const char* kInstructionsPictureFile = "gfx/InstructionsBACK.png";
inline constexpr const char* kNarrationFile = "sfx/info.ogg";

struct TInstructionLine {
    int offset;  // pixels below the first line
    const char* text;
};
inline constexpr std::array<TInstructionLine, 16> kInstructionLines{{
    {0, "Long time ago few days before Christmas"},
    {12, "an evil being stole all the gift which"},
    {24, "were to be give to all the children of"},
    {36, "the world risking to ruin Christmas for"},
    {48, "everyone..."},
    {72, "so Santa Claus decided to leave for the"},
    {84, "adventure and try to get back the gifts"},
    {96, "and to give everyone a Merry Christmas."},
    {108, "Now its your turn to help him!!!"},
    {120, "Use the arrow key to move and jump,"},
    {132, "the control key to throw the gift and"},
    {144, "kill the monsters... Be Careful..."},
    {156, "more enemies you kill less points you"},
    {168, "have, try to finish the levels in the"},
    {180, "shortest possible time and..."},
    {216, "  Good Luck..."},
}};

class CInstructions : public CTimedSpeed {
public:
    void Init() override;
    int Update() override;
    void DrawRainbowLine(const std::string& text, int x, int y);
    void Draw();
    void Release();

    std::shared_ptr<CSnow> snowEffect;
    sq::ImageRef background;
    float textY = 240;
    float colourPhase = 60;
};

// The colour of a line at screen row y for a colour phase: red and blue
// follow the sine of (y + phase) degrees, green the cosine, each 0..100.
void RainbowColour(int y, float colourPhase, int& r, int& g, int& b);

// Runs until the narration ends or, after the fade-in, a key is pressed.
void ShowInstructions();
