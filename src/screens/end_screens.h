#pragma once
// The screens that close a level or a game: the level-complete tally, the
// zooming game-over picture with its tally, and the end screen after the
// last level with the totals of the whole game.
#include <array>
#include <string>

#include "core/timed_speed.h"
#include "platform/video/graphics.h"

class CGameScore;
class THiScore;

// The picture of the end screen after the last level.
inline constexpr const char* kEndScreenPictureFile = "gfx/endScreen.png";

// The four lines of a level's tally and the score line.
struct TTallyLines {
    std::string gifts;
    std::string kills2;
    std::string kills1;
    std::string time;
    std::string score;
};
TTallyLines MakeTallyLines(const CGameScore& score);

// The three total lines of the end screen.
struct TTotalLines {
    std::string score;
    std::string time;
    std::string gifts;
};
TTotalLines MakeTotalLines(const CGameScore& score);

// The tally's icons where the level-complete and game-over page shows them;
// the end screen shows them 70 pixels further left. Each is drawn by its
// top-left corner, except the gift whose handle is its centre.
struct TTallyIcon {
    const sq::ImageRef* image;
    float x, y;
};
const std::array<TTallyIcon, 4>& TallyIcons();
void DrawTallyIcons(float dx);
// Minutes and seconds as "MM:SS" (minutes are never wrapped into hours).
std::string MinutesSeconds(int seconds);

class tGoNextLevel : public CTimedSpeed {
public:
    void Init() override;
    int Update() override;
    void Draw();
    void Release();

    sq::ImageRef screenShot;
};

class tEndIn : public CTimedSpeed {
public:
    void Init() override;
    int Update() override;
    void Draw();

    float zoom = 2.0f;
    sq::ImageRef screenShot;
};

// Made and dropped by GameOver without ever running.
class tGameOver : public CTimedSpeed {
public:
    void Init() override {}
    int Update() override { return 0; }
    void Draw() {}
    void Release() {}
};

// Draws the four tally lines at x with their rows at the given ys.
void DrawTallyLines(const TTallyLines& lines, float x);

void ShowGameOverTally(const sq::ImageRef& shot);
void DrawEndScreen(const sq::ImageRef& picture);
void ShowEndScreen();
// The end of a game: rank the score and, for a place, ask for a name and
// store it. Shared by the game-over and end screens.
void CheckHighScore(THiScore& table);
