#include "screens/end_screens.h"

#include <array>

#include "audio/game_music.h"
#include "core/frame_helpers.h"
#include "core/globals.h"
#include "core/loaded_files.h"
#include "core/trace.h"
#include "game/game_score.h"
#include "platform/audio/sound.h"
#include "platform/input/keyboard.h"
#include "platform/system/text.h"
#include "scores/hi_score.h"
#include "screens/record.h"

using namespace sq;

namespace {

constexpr const char* kPressSpace = "PRESS SPACE TO CONTINUE";

std::string Filled(int n, int width) { return PadLeft(IntToText(n), width, "0"); }

}  // namespace

std::string MinutesSeconds(int seconds) { return Filled(seconds / 60, 2) + ":" + Filled(seconds % 60, 2); }

TTallyLines MakeTallyLines(const CGameScore& s) {
    TTallyLines t;
    t.gifts = "x " + Filled(s.levelGifts, 3) + " = +" + Filled(s.levelGifts * 250, 5);
    t.kills2 = "x " + Filled(s.killsType2, 3) + " = -" + Filled(s.killsType2 * 150, 5);
    t.kills1 = "x " + Filled(s.killsType1, 3) + " = -" + Filled(s.killsType1 * 75, 5);
    t.time = MinutesSeconds(s.timeLeft) + " = +" + IntToText(s.timeLeft * 10);
    t.score = "SCORE : " + IntToText(s.total);
    return t;
}

TTotalLines MakeTotalLines(const CGameScore& s) {
    TTotalLines t;
    t.score = "TOTAL SCORE: " + IntToText(s.total);
    t.time = "TOTAL TIME : " + MinutesSeconds(s.totalTime);
    t.gifts = "TOTAL GIFTS: " + IntToText(s.totalGifts);
    return t;
}

const std::array<TTallyIcon, 4>& TallyIcons() {
    // Frame 0 of each monster strip stands for its kind.
    static const std::array<TTallyIcon, 4> icons = {{
        {&imgPacco, 95, 85},
        {&imgPneve, 83, 95},
        {&imgGring2, 83, 124},
        {&imgTimer, 80, 145},
    }};
    return icons;
}

void DrawTallyIcons(float dx) {
    for (const TTallyIcon& icon : TallyIcons()) DrawImageAt(*icon.image, icon.x + dx, icon.y, 0);
}

void DrawTallyLines(const TTallyLines& lines, float x) {
    DrawTextAt(lines.gifts, x, 80);
    DrawTextAt(lines.kills2, x, 105);
    DrawTextAt(lines.kills1, x, 132);
    DrawTextAt(lines.time, x, 155);
}

namespace {
void DrawTally(const TTallyLines& lines, float x, int r, int g, int b) {
    SetDrawColor(r, g, b);
    DrawTallyLines(lines, x);
}

// The level and game-over tallies share their page: the four icons, the
// four lines in brown and the score in red below them.
// An assisted game says so on its tallies, and that its score is not
// ranked; x -1 centres the note. The words are made once per speed.
void DrawAssistNote(float x, float y) {
    if (gameSpeed >= 100) return;
    static int madeFor = 0;
    static std::string note;
    if (madeFor != gameSpeed) {
        note = "SPEED " + std::to_string(gameSpeed) + "% - NOT RANKED";
        madeFor = gameSpeed;
    }
    if (x < 0) x = float(160 - TextWidth(note) / 2);  // NOLINT(bugprone-integer-division)
    SetDrawColor(200, 90, 0);
    DrawTextAt(note, x, y);
}

void DrawTallyPage() {
    DrawTallyIcons(0);
    TTallyLines lines = MakeTallyLines(*gameScore);
    DrawTally(lines, 108, 156, 76, 0);
    SetDrawColor(255, 0, 0);
    DrawTextAt(lines.score, 108, 180);
    DrawAssistNote(-1, 190);
}
}  // namespace

// ---- Level complete ----

void tGoNextLevel::Init() { CTimedSpeed::Init(); }
int tGoNextLevel::Update() { return 0; }

void tGoNextLevel::Draw() {
    SetDrawColor(100, 100, 100);
    DrawImageAt(screenShot, 0, 0, 0);
    SetDrawColor(255, 255, 255);
    SetDrawAlpha(0.8f);
    DrawImageAt(imgPagina2, -10, 0, 0);
    SetDrawAlpha(1);
    SetBlendMode(kBlendAlpha);
    DrawImageAt(imgLevelComplete, 91, 45, 0);
    DrawTallyPage();
    SetDrawColor(67, 70, 255);
    DrawTextAt(kPressSpace, 64, 200);
}

void tGoNextLevel::Release() { screenShot = nullptr; }

// ---- Game over ----

void tEndIn::Init() {
    CTimedSpeed::Init();
    zoom = 2.5f;
}

int tEndIn::Update() {
    zoom -= 0.0024f * tickDelta;
    if (zoom > 1) return 0;
    zoom = 1;
    Draw();
    return 1;
}

void tEndIn::Draw() {
    SetDrawColor(120, 120, 120);
    SetDrawScale(1, 1);
    DrawImageAt(screenShot, 0, 0, 0);
    SetDrawColor(255, 255, 255);
    SetBlendMode(kBlendAlpha);
    SetDrawScale(zoom, zoom);
    DrawImageAt(imgGameOver, 160, 120, 0);
    SetDrawColor(0, 0, 0);
}

void ShowGameOverTally(const ImageRef& shot) {
    auto screen = std::make_shared<tEndIn>();
    screen->Init();
    screen->screenShot = shot;
    int done = 0;
    while (done == 0) {
        done = screen->Run();
        screen->Draw();
        PresentFrame(1);
    }
    // The level being played counts too, with the time left on its clock.
    gameScore->Tally();
    // Drawn once over the last zoom frame, with no clearing. The zoom frame is
    // drawn again first: after a buffer swap the back buffer may hold anything.
    screen->Draw();
    SetDrawColor(255, 255, 255);
    DrawTallyPage();
    SetDrawColor(0, 255, 0);
    DrawTextAt(kPressSpace, 64, 206);
    PresentFrame(1);
    // Only Space leaves; nothing is drawn while waiting.
    TraceState("tally");
    while (!IsKeyDown(kKeySpace)) IdlePoll();
    ClearKeys();
    ClearKeys();
}

// ---- End of the game ----

void DrawEndScreen(const ImageRef& picture) {
    DrawImageAt(picture, 0, 0, 0);
    SetDrawColor(255, 255, 255);
    DrawTallyIcons(-70);
    DrawTally(MakeTallyLines(*gameScore), 38, 156, 255, 100);
    TTotalLines totals = MakeTotalLines(*gameScore);
    SetDrawColor(0, 0, 0);
    DrawTextAt(totals.score, 18, 180);
    DrawTextAt(totals.time, 18, 192);
    DrawTextAt(totals.gifts, 18, 204);
    SetDrawColor(255, 100, 140);
    DrawTextAt(totals.score, 17, 179);
    DrawTextAt(totals.time, 17, 191);
    DrawTextAt(totals.gifts, 17, 203);
    DrawAssistNote(17, 216);
    SetDrawColor(255, 255, 255);
}

void CheckHighScore(THiScore& table) {
    // A game played slower than full speed is not ranked with the others
    // (its tallies say so); the table and its file stay as they were.
    if (gameSpeed < 100) return;
    table.entries = DefaultHiScoreTable();
    table.Load();
    if (table.AddScore(gameScore->total, 0, "") != 0) {
        std::string name = EnterRecordName();
        table.AddScore(gameScore->total, 1, name);
    }
    table.entries = nullptr;
}

void ShowEndScreen() {
    ClearKeys();
    auto table = std::make_shared<THiScore>();
    ImageRef picture = LoadImageFrom(kEndScreenPictureFile, -1);
    NoteLoadedFile(picture, kEndScreenPictureFile);
    ChannelRef channel = NewChannel();
    music->Pause();
    PlaySoundOn(sndCambioLivello, channel);
    WaitMillis(1800);
    SelectTune(kTuneCredits);
    music->Play();
    ClearKeys();
    TraceState("end");
    while (FirstKeyHit() == 0) {
        DrawEndScreen(picture);
        PresentFrame(-1);
    }
    ClearKeys();
    music->Pause();
    // The entry records level 6: the level is put back to 1 only afterwards.
    CheckHighScore(*table);
    currentLevel = 1;
    imgBackground = LoadImageFrom("gfx/MenuBack.png", -1);
    NoteLoadedFile(imgBackground, "gfx/MenuBack.png");
}
