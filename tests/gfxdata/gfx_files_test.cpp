// Every picture the game loads is in the game folder, decodes, has the size
// its screen needs and the transparency its load flags expect.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gfx_test_util.h"

using namespace gfxtest;

namespace {

struct Expected {
    const char* file;
    int width, height;  // 0: not fixed, checked by the layout tests below
    bool masked;        // RGB with magenta background
};

// The resource table plus the pictures that screens load themselves.
const std::vector<Expected> kPictures = {
    {"MenuBack.png", 320, 240, false},
    {"fiocco.png", 0, 0, true},
    {"star.png", 0, 0, false},
    {"title.png", 0, 0, true},
    {"adventure.png", 0, 0, true},
    {"bnatale4.png", 448, 28, true},
    {"lives.png", 0, 0, true},
    {"pneve.png", 624, 26, true},
    {"Gring2.png", 416, 26, true},
    {"aureola.png", 0, 0, true},
    {"scores.png", 320, 240, false},
    {"levelcomplete.png", 0, 0, true},
    {"Timer.png", 0, 0, true},
    {"pagina2.png", 0, 0, true},
    {"StartGFX.png", 0, 0, true},
    {"HIScores.png", 0, 0, true},
    {"instruction.png", 0, 0, true},
    {"credits.png", 0, 0, true},
    {"quit.png", 0, 0, true},
    {"options.png", 0, 0, true},
    {"gameover.png", 0, 0, true},
    {"creditsBack.png", 320, 240, false},
    {"record.png", 0, 0, true},
    {"pacco.png", 0, 0, true},
    {"flash.png", 0, 0, true},
    {"nuvole.png", 0, 0, false},
    {"splash.png", 640, 480, false},
    {"back1.png", 320, 240, false},
    {"back2.png", 320, 240, false},
    {"back3.png", 320, 240, false},
    {"back4.png", 320, 240, false},
    {"back5.png", 320, 240, false},
    {"back6.png", 320, 240, false},
    {"endScreen.png", 320, 240, false},
    {"InstructionsBACK.png", 320, 240, false},
};

bool HasMagenta(const sq::PixmapRef& p) {
    for (int y = 0; y < p->height; ++y)
        for (int x = 0; x < p->width; ++x)
            if (Rgb(sq::PixmapGetPixel(p, x, y)) == kMagenta) return true;
    return false;
}

class PictureFiles : public ::testing::TestWithParam<Expected> {};

TEST_P(PictureFiles, DecodesWithTheExpectedSizeAndTransparency) {
    const Expected& e = GetParam();
    ASSERT_TRUE(std::filesystem::exists(GamePath(e.file))) << e.file;
    sq::PixmapRef p = Load(e.file);
    ASSERT_NE(p, nullptr) << e.file << " does not decode";
    if (e.width) {
        EXPECT_EQ(p->width, e.width) << e.file;
        EXPECT_EQ(p->height, e.height) << e.file;
    }
    if (e.masked) {
        // No alpha channel, so the game's mask treatment applies, and a
        // magenta background for it to remove.
        EXPECT_FALSE(sq::FormatHasAlpha(p->format)) << e.file;
        EXPECT_TRUE(HasMagenta(p)) << e.file << " has no transparent background";
    } else if (std::string(e.file) != "star.png" && std::string(e.file) != "nuvole.png") {
        // Backdrops are loaded masked too: one magenta pixel would be a hole.
        EXPECT_FALSE(sq::FormatHasAlpha(p->format)) << e.file;
        EXPECT_FALSE(HasMagenta(p)) << e.file << " would show holes";
    }
}

INSTANTIATE_TEST_SUITE_P(GameFolder, PictureFiles, ::testing::ValuesIn(kPictures),
                         [](const ::testing::TestParamInfo<Expected>& info) {
                             std::string name = info.param.file;
                             name = name.substr(0, name.find('.'));
                             return name;
                         });

TEST(PictureFolder, StaysSmall) {
    std::uintmax_t total = 0;
    for (const auto& e : kPictures) total += std::filesystem::file_size(GamePath(e.file));
    EXPECT_LT(total, 3u * 1024 * 1024);
}

// ---- Soft pictures: drawn filtered and unmasked ----

TEST(SoftPictures, StarAndCloudsCarryRealAlpha) {
    for (const char* file : {"star.png", "nuvole.png"}) {
        sq::PixmapRef p = Load(file);
        ASSERT_NE(p, nullptr) << file;
        ASSERT_TRUE(sq::FormatHasAlpha(p->format)) << file;
        int partial = 0;
        for (int y = 0; y < p->height; ++y)
            for (int x = 0; x < p->width; ++x) {
                uint32_t a = Alpha(sq::PixmapGetPixel(p, x, y));
                if (a > 0 && a < 255) ++partial;
            }
        EXPECT_GT(partial, p->width * p->height / 20) << file << " has hard edges";
    }
}

TEST(SoftPictures, CloudBorderIsFullyClear) {
    // The clouds are drawn eight times enlarged and turning; any opaque pixel
    // on the border would smear into a hard edge across the screen.
    sq::PixmapRef p = Load("nuvole.png");
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < p->width; ++i)
        for (int ring = 0; ring < 2; ++ring) {
            EXPECT_EQ(Alpha(sq::PixmapGetPixel(p, i, ring)), 0u);
            EXPECT_EQ(Alpha(sq::PixmapGetPixel(p, i, p->height - 1 - ring)), 0u);
            EXPECT_EQ(Alpha(sq::PixmapGetPixel(p, ring, i)), 0u);
            EXPECT_EQ(Alpha(sq::PixmapGetPixel(p, p->width - 1 - ring, i)), 0u);
        }
    // Enlarged 8 times it still covers the whole screen when turned.
    EXPECT_GE(p->width * 8, 400);
    EXPECT_GE(p->height * 8, 400);
}

// ---- Layout: each picture fits where its screen draws it ----

TEST(Layout, TitleAndSubtitleStayAboveTheMenu) {
    sq::PixmapRef title = Load("title.png"), sub = Load("adventure.png");
    ASSERT_NE(title, nullptr);
    ASSERT_NE(sub, nullptr);
    EXPECT_LE(30 + title->width, 320);
    EXPECT_LE(2 + title->height, 72);
    EXPECT_LE(140 + sub->width, 320);
    // The first menu item, swollen to 1.36x, reaches up to about y 130.
    EXPECT_LE(72 + sub->height, 130);
}

TEST(Layout, MenuItemsFitTheirRowsEvenWhenSwollen) {
    for (const char* file :
         {"StartGFX.png", "HIScores.png", "instruction.png", "credits.png", "options.png", "quit.png"}) {
        sq::PixmapRef p = Load(file);
        ASSERT_NE(p, nullptr) << file;
        EXPECT_LE(p->height, 18) << file;
        EXPECT_LE(p->width, 200) << file;
        EXPECT_LE(p->width * 1.36, 300) << file;
        // Centred handles land on whole pixels.
        EXPECT_EQ(p->width % 2, 0) << file;
        EXPECT_EQ(p->height % 2, 0) << file;
    }
}

TEST(Layout, HudIconsFitTheBar) {
    sq::PixmapRef lives = Load("lives.png"), gift = Load("pacco.png"), clock = Load("Timer.png");
    ASSERT_NE(lives, nullptr);
    ASSERT_NE(gift, nullptr);
    ASSERT_NE(clock, nullptr);
    // Life icons are 16 pixels apart and end at the right edge (x 316).
    int l, t, r, b;
    ASSERT_TRUE(InkBox(lives, 0, 0, lives->width, lives->height, l, t, r, b));
    EXPECT_LE(r - l + 1, 16);
    EXPECT_LE(4 + lives->height, 25) << "life icons would cover the energy bar at y 24";
    // The gift icon is centred on (12, 10) and its count starts at x 19.
    ASSERT_TRUE(InkBox(gift, 0, 0, gift->width, gift->height, l, t, r, b));
    EXPECT_LE(12 - gift->width / 2 + r, 20);
    // The clock is drawn at y -4: nothing of it may lie in the rows cut off,
    // and it must end before the clock text at x 119.
    ASSERT_TRUE(InkBox(clock, 0, 0, clock->width, clock->height, l, t, r, b));
    EXPECT_GE(t, 4);
    EXPECT_LT(92 + r, 119);
}

TEST(Layout, HaloSpansTheFigureAndFloatsAboveIt) {
    sq::PixmapRef halo = Load("aureola.png");
    ASSERT_NE(halo, nullptr);
    EXPECT_LE(halo->width, 28);
    int l, t, r, b;
    ASSERT_TRUE(InkBox(halo, 0, 0, halo->width, halo->height, l, t, r, b));
    // Drawn 5 pixels above the figure: most of it must lie above the figure.
    EXPECT_LE(b, 8);
    EXPECT_GE(r - l + 1, 14);
}

TEST(Layout, FlashBurstsPastThePlayerOnEverySide) {
    sq::PixmapRef flash = Load("flash.png");
    ASSERT_NE(flash, nullptr);
    // The game places it as a 32 x 30 picture cornered 2 left of and 1 above
    // the player's 28 x 28 frame, grown evenly about that spot: the frame's
    // centre is the picture's centre.
    ASSERT_GE(flash->width, 32);
    ASSERT_GE(flash->height, 30);
    EXPECT_EQ((flash->width - 32) % 2, 0);
    EXPECT_EQ((flash->height - 30) % 2, 0);
    const int cx = flash->width / 2, cy = flash->height / 2;
    EXPECT_TRUE(Solid(flash, cx, cy));
    int l, t, r, b;
    ASSERT_TRUE(InkBox(flash, 0, 0, flash->width, flash->height, l, t, r, b));
    // Santa hides the middle: the rays must reach well past his frame.
    EXPECT_LE(l, cx - 14 - 10);
    EXPECT_GE(r, cx + 14 + 10 - 1);
    EXPECT_LE(t, cy - 14 - 10);
    EXPECT_GE(b, cy + 14 + 10 - 1);
}

TEST(Layout, RecordPanelHoldsTheNameAndCursor) {
    sq::PixmapRef panel = Load("record.png");
    ASSERT_NE(panel, nullptr);
    // Screen (79, 148) .. cursor end (81 + 12 * 8 + 8, 160), panel at (60, 80).
    int x0 = 79 - 60, y0 = 148 - 80, x1 = 81 + 12 * 8 + 8 - 60, y1 = 160 - 80;
    ASSERT_LE(x1, panel->width);
    ASSERT_LE(y1, panel->height);
    EXPECT_LE(60 + panel->width, 320);
    EXPECT_LE(80 + panel->height, 240);
    // The field under the name is one light, even colour, so the red name reads.
    uint32_t field = sq::PixmapGetPixel(panel, x0, y0);
    int bright = int((field >> 16) & 255) + int((field >> 8) & 255) + int(field & 255);
    EXPECT_GT(bright, 3 * 180);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) ASSERT_EQ(sq::PixmapGetPixel(panel, x, y), field) << x << "," << y;
}

TEST(Layout, TallyPagesLieUnderTheTallyLines) {
    // Level complete: the page drawn at (-10, 0) must be under the lines
    // (x 64..248, y 45..216) and the heading drawn at (91, 45) must fit it.
    sq::PixmapRef page = Load("pagina2.png"), heading = Load("levelcomplete.png");
    ASSERT_NE(page, nullptr);
    ASSERT_NE(heading, nullptr);
    for (int y : {45, 80, 130, 180, 214})
        for (int x : {64, 108, 160, 248}) EXPECT_TRUE(Solid(page, x + 10, y)) << x << "," << y;
    EXPECT_LE(91 + heading->width, 248);
    EXPECT_LE(45 + heading->height, 80);
    // Game over: the card centred on (160, 120) holds the lines y 80..196.
    sq::PixmapRef card = Load("gameover.png");
    ASSERT_NE(card, nullptr);
    int left = 160 - card->width / 2, top = 120 - card->height / 2;
    for (int y : {82, 120, 160, 194})
        for (int x : {110, 160, 215}) EXPECT_TRUE(Solid(card, x - left, y - top)) << x << "," << y;
    EXPECT_LE(top + card->height, 206) << "the card would cover PRESS SPACE";
}

// Average brightness (0..255) of a screen rectangle.
double Brightness(const sq::PixmapRef& p, int x0, int y0, int x1, int y1) {
    double sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            uint32_t c = sq::PixmapGetPixel(p, x, y);
            sum += 0.3 * ((c >> 16) & 255) + 0.59 * ((c >> 8) & 255) + 0.11 * (c & 255);
        }
    return sum / double((x1 - x0) * (y1 - y0));
}

TEST(Layout, TextAreasStayReadable) {
    // High scores: bright text over x 70..316, so that area is dark.
    sq::PixmapRef scores = Load("scores.png");
    ASSERT_NE(scores, nullptr);
    EXPECT_LT(Brightness(scores, 70, 0, 316, 220), 60.0);
    // Instructions: the lines are drawn in colours of at most 100 with black
    // shadows, so that backdrop is light.
    sq::PixmapRef instructions = Load("InstructionsBACK.png");
    ASSERT_NE(instructions, nullptr);
    EXPECT_GT(Brightness(instructions, 0, 0, 320, 240), 180.0);
    // End screen: light green and pink tallies over the left panel.
    sq::PixmapRef end = Load("endScreen.png");
    ASSERT_NE(end, nullptr);
    EXPECT_LT(Brightness(end, 10, 78, 180, 214), 60.0);
}

}  // namespace
