// What a player sees of a touch and of the tallies: the game's own drawing
// with the generated pictures, through the OpenGL display, read back.
// (Needs an X display and the generated data: the test run has both.)
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/globals.h"
#include "game/game_score.h"
#include "game/live_bar.h"
#include "game/main_game_loop.h"
#include "game/player.h"
#include "level_frame.h"
#include "platform/video/graphics.h"
#include "screens/end_screens.h"

namespace {

// A drawn mask of the logical screen: which pixels something covered.
using TMask = std::vector<bool>;
constexpr int kW = 320, kH = 240;

// The screen is cleared to the key colour, which no masked picture and no
// text can hold, and whatever `draw` leaves elsewhere is its mask.
template <typename F>
TMask DrawnMask(F draw) {
    sq::ClearScreen(255, 0, 255);
    sq::SetBlendMode(sq::kBlendAlpha);
    sq::SetDrawAlpha(1);
    sq::SetDrawColor(255, 255, 255);
    draw();
    sq::PixmapRef shot = sq::ReadScreenPixels();
    TMask mask(std::size_t(kW * kH), false);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            mask[std::size_t(y * kW + x)] = (sq::PixmapGetPixel(shot, x, y) & 0xFFFFFF) != 0xFF00FF;
    return mask;
}

bool At(const TMask& m, int x, int y) { return x >= 0 && y >= 0 && x < kW && y < kH && m[std::size_t(y * kW + x)]; }

struct TBox {
    int left, top, right, bottom;  // inclusive
};

// The ink box of each letter of a line of the built-in font (8 pixels a letter).
std::vector<TBox> LetterBoxes(const std::string& text, int x, int y) {
    const TMask ink = DrawnMask([&] { sq::DrawTextAt(text, float(x), float(y)); });
    std::vector<TBox> boxes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        TBox b{kW, kH, -1, -1};
        for (int yy = y; yy < y + 16; ++yy)
            for (int xx = x + 8 * int(i); xx < x + 8 * int(i) + 8; ++xx)
                if (At(ink, xx, yy))
                    b = {std::min(b.left, xx), std::min(b.top, yy), std::max(b.right, xx), std::max(b.bottom, yy)};
        if (b.right >= 0) boxes.push_back(b);
    }
    return boxes;
}

// Pixels of the mask inside the box grown by `margin`.
int Covered(const TMask& m, const TBox& b, int margin) {
    int n = 0;
    for (int y = b.top - margin; y <= b.bottom + margin; ++y)
        for (int x = b.left - margin; x <= b.right + margin; ++x) n += At(m, x, y);
    return n;
}

// Pixels of `a` with a pixel of `b` at most `gap` away.
int Near(const TMask& a, const TMask& b, int gap) {
    int n = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            if (!At(a, x, y)) continue;
            bool hit = false;
            for (int dy = -gap; dy <= gap && !hit; ++dy)
                for (int dx = -gap; dx <= gap && !hit; ++dx) hit = At(b, x + dx, y + dy);
            n += hit;
        }
    return n;
}

class ScreenPictures : public ::testing::Test {
protected:
    void SetUp() override {
        sqtest::TLevelFrameSetup setup;
        setup.level = 1;
        setup.snow = false;
        setup.plainBackground = true;
        setup.steps = 300;
        std::string why;
        if (!sqtest::OpenLevelFrame(setup, why)) GTEST_SKIP() << why;
    }
    void TearDown() override { sqtest::CloseLevelFrame(); }
};

TEST_F(ScreenPictures, TheHurtFlashShowsAroundSantaOnEverySide) {
    ASSERT_TRUE(sqtest::TouchPlayer()) << "the monster put against Santa did not touch him";
    ASSERT_EQ(playerDying, 0);
    sqtest::DrawLevelFrame();
    sq::PixmapRef flashed = sq::ReadScreenPixels();
    // The same frame without the flash: what differs is the flash.
    gameLoop->touching = 0;
    sqtest::DrawLevelFrame();
    sq::PixmapRef plain = sq::ReadScreenPixels();
    const int px = int(player->x - player->scrollX), py = int(player->y - player->scrollY);
    auto differing = [&](int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = std::max(0, y0); y < std::min(kH, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(kW, x1); ++x)
                n += sq::PixmapGetPixel(flashed, x, y) != sq::PixmapGetPixel(plain, x, y);
        return n;
    };
    // Bands 4 to 12 pixels out from Santa's 28 x 28 frame, along each side.
    EXPECT_GE(differing(px - 12, py, px - 4, py + 28), 40) << "left";
    EXPECT_GE(differing(px + 32, py, px + 40, py + 28), 40) << "right";
    EXPECT_GE(differing(px, py - 12, px + 28, py - 4), 40) << "above";
    EXPECT_GE(differing(px, py + 32, px + 28, py + 40), 40) << "below";
    // And the burst stays about Santa: nothing of it 34 pixels away.
    EXPECT_EQ(differing(px - 60, py - 60, px - 34, py + 88), 0);
    EXPECT_EQ(differing(px + 62, py - 60, px + 88, py + 88), 0);
}

TEST_F(ScreenPictures, TheHudLetteringHasADarkRimAllRound) {
    // The bar drawn alone over black shows where its white letters are; over
    // white, every pixel beside a letter must be dark, or that letter would
    // melt into snow, ice or a bright tile.
    liveBar->giftCount = 17;
    liveBar->timeLeft = 24 * 60 + 41;
    auto drawOver = [](int shade) {
        sq::ClearScreen(shade, shade, shade);
        sq::SetBlendMode(sq::kBlendMask);
        sq::SetDrawAlpha(1);
        sq::SetDrawColor(255, 255, 255);
        liveBar->Draw();
        return sq::ReadScreenPixels();
    };
    const sq::PixmapRef overBlack = drawOver(0), overWhite = drawOver(255);
    auto white = [](const sq::PixmapRef& p, int x, int y) {
        return (sq::PixmapGetPixel(p, x, y) & 0xFFFFFF) == 0xFFFFFF;
    };
    // The count right of the gift icon and the clock's text: rows 4 to 23.
    for (const TBox& area : {TBox{19, 4, 60, 23}, TBox{119, 4, 210, 23}}) {
        int letters = 0, bare = 0;
        for (int y = area.top; y <= area.bottom; ++y)
            for (int x = area.left; x <= area.right; ++x) {
                if (!white(overBlack, x, y)) continue;
                ++letters;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        if (white(overBlack, x + dx, y + dy)) continue;  // part of the letter
                        const uint32_t c = sq::PixmapGetPixel(overWhite, x + dx, y + dy);
                        bare += (c >> 16 & 255) + (c >> 8 & 255) + (c & 255) > 3 * 64;
                    }
            }
        EXPECT_GT(letters, 40) << "no lettering at x " << area.left;
        EXPECT_EQ(bare, 0) << "letters at x " << area.left << " touch the background";
    }
}

TEST_F(ScreenPictures, TallyIconsLeaveTheLettersAndEachOtherAlone) {
    CGameScore score;
    score.levelGifts = 1000;  // the longest lines a game can make
    score.killsType2 = 888;
    score.killsType1 = 888;
    score.timeLeft = 3599;
    score.total = -123456;
    const TTallyLines lines = MakeTallyLines(score);
    struct TLine {
        std::string text;
        int x, y;
    };
    // The page as the level-complete and game-over screens write it.
    const std::vector<TLine> text = {{lines.gifts, 108, 80},
                                     {lines.kills2, 108, 105},
                                     {lines.kills1, 108, 132},
                                     {lines.time, 108, 155},
                                     {lines.score, 108, 180},
                                     {"PRESS SPACE TO CONTINUE", 64, 200},
                                     {"PRESS SPACE TO CONTINUE", 64, 206}};
    std::vector<TMask> pictures;
    std::vector<std::string> names;
    for (const TTallyIcon& icon : TallyIcons()) {
        pictures.push_back(DrawnMask([&] { sq::DrawImageAt(*icon.image, icon.x, icon.y, 0); }));
        names.push_back((*icon.image)->name);
    }
    pictures.push_back(DrawnMask([] { sq::DrawImageAt(imgLevelComplete, 91, 45, 0); }));
    names.push_back("levelcomplete");
    for (const TLine& line : text)
        for (const TBox& letter : LetterBoxes(line.text, line.x, line.y))
            for (std::size_t i = 0; i < pictures.size(); ++i)
                EXPECT_EQ(Covered(pictures[i], letter, 0), 0)
                    << names[i] << " covers a letter of \"" << line.text << "\" at x " << letter.left;
    // Icons keep a clear pixel between them, so that their outlines never merge.
    for (std::size_t i = 0; i < pictures.size(); ++i)
        for (std::size_t j = i + 1; j < pictures.size(); ++j)
            EXPECT_EQ(Near(pictures[i], pictures[j], 1), 0) << names[i] << " touches " << names[j];
}

}  // namespace
