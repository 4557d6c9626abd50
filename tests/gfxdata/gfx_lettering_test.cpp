// The pictures that carry their own lettering, the credits and the splash:
// nothing else drawn covers a letter, the lines keep apart, every line reads
// against the sky behind it, and the files in the game folder are these.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "generator.h"
#include "gfx_test_util.h"
#include "laid_picture.h"
#include "scenes.h"

namespace {

// WCAG's threshold for normal text, on the picture as the game loads it.
constexpr float kReadable = 4.5f;
// The credits screen lays two translucent grey cloud layers over its
// picture, which takes about half the contrast away where they are thick:
// the letters as drawn need about twice the threshold to keep it.
constexpr float kReadableUnderClouds = 7.0f;

class PicturesWithLettering : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ctx_ = std::make_unique<gfx::Context>();
        ctx_->pal.Load(std::string(GFX_ASSETS) + "/palette.txt");
        for (const char* art : {"santa.art", "monsters.art", "icons.art", "decor.art"})
            ctx_->art.Load(std::string(GFX_ASSETS) + "/" + art, ctx_->pal);
        const std::string fonts = GFX_FONTS;
        ctx_->bold = std::make_unique<gfx::Font>(fonts + "/DejaVuSans-Bold.ttf");
        ctx_->regular = std::make_unique<gfx::Font>(fonts + "/DejaVuSans.ttf");
        ctx_->serif = std::make_unique<gfx::Font>(fonts + "/DejaVuSerif-Bold.ttf");
        ctx_->mono = std::make_unique<gfx::Font>(fonts + "/DejaVuSansMono.ttf");
        gfx::MakeSprites(*ctx_);  // the cast is drawn from the sprite strips
    }
    static void TearDownTestSuite() { ctx_.reset(); }

    // Whether a picture shows at a pixel: a faint glow that tints the sky
    // is no picture, a star or a branch is.
    static bool Drawn(gfx::Rgba over, gfx::Rgba sky) {
        return std::abs(over.r - sky.r) > 24 || std::abs(over.g - sky.g) > 24 || std::abs(over.b - sky.b) > 24;
    }

    // Nothing but sky behind each line and a pixel round it.
    static void ExpectNothingCoversALetter(const gfx::LaidPicture& lay) {
        for (const gfx::TextMark& m : lay.marks) {
            int covered = 0, firstX = -1, firstY = -1;
            for (int y = m.top - 1; y <= m.bottom + 1; ++y)
                for (int x = m.left - 1; x <= m.right + 1; ++x)
                    if (lay.backdrop.In(x, y) && Drawn(lay.backdrop.Get(x, y), lay.sky.Get(x, y))) {
                        if (covered++ == 0) firstX = x, firstY = y;
                    }
            EXPECT_EQ(covered, 0) << "something is drawn in \"" << m.text << "\", first at (" << firstX << ", "
                                  << firstY << ")";
        }
        for (std::size_t i = 0; i < lay.marks.size(); ++i)
            for (std::size_t j = i + 1; j < lay.marks.size(); ++j) {
                const gfx::TextMark &a = lay.marks[i], &b = lay.marks[j];
                const bool apart = a.right < b.left || b.right < a.left || a.bottom < b.top || b.bottom < a.top;
                EXPECT_TRUE(apart) << "\"" << a.text << "\" runs into \"" << b.text << "\"";
            }
    }

    // The lightest sky in the line's box: the worst background it has.
    static gfx::Rgba LightestSky(const gfx::LaidPicture& lay, const gfx::TextMark& m) {
        gfx::Rgba best = lay.sky.Get(m.left, m.top);
        for (int y = m.top; y <= m.bottom; ++y)
            for (int x = m.left; x <= m.right; ++x)
                if (gfx::RelativeLuminance(lay.sky.Get(x, y)) > gfx::RelativeLuminance(best)) best = lay.sky.Get(x, y);
        return best;
    }

    // The colour a plain line's letters show on the finished picture: the
    // mean over the pixels its fill covers at least half of. Thin strokes
    // of small lettering come out darker than the colour they were drawn in.
    static gfx::Rgba ShownFill(const gfx::LaidPicture& lay, const gfx::Canvas& picture, const gfx::TextMark& m) {
        double r = 0, g = 0, b = 0;
        int n = 0;
        for (int y = m.top; y <= m.bottom; ++y)
            for (int x = m.left; x <= m.right; ++x)
                if (lay.fills.Get(x, y).a >= 128) {
                    const gfx::Rgba p = picture.Get(x, y);
                    r += p.r, g += p.g, b += p.b, ++n;
                }
        if (n == 0) return gfx::Rgba();
        return gfx::Rgba(int(r / n + 0.5), int(g / n + 0.5), int(b / n + 0.5));
    }

    static void ExpectEveryLineReads(const gfx::LaidPicture& lay) {
        const gfx::Canvas picture = lay.Picture();
        for (const gfx::TextMark& m : lay.marks) {
            const gfx::Rgba sky = LightestSky(lay, m);
            if (m.outlined) continue;  // its rim carries it, and a logo may be in any colour
            const float top = gfx::ContrastRatio(m.fillTop, sky);
            EXPECT_GE(top, kReadable) << "\"" << m.text << "\" in its colour";
            const float shown = gfx::ContrastRatio(ShownFill(lay, picture, m), sky);
            std::printf("%-52s colour %.1f:1, as drawn %.1f:1\n", m.text.c_str(), top, shown);
            EXPECT_GE(shown, kReadableUnderClouds) << "\"" << m.text << "\" as its letters come out";
        }
    }

    // The file the game loads is the picture these layers make.
    static void ExpectTheGameFolderHoldsIt(const gfx::LaidPicture& lay, const std::string& file) {
        sq::PixmapRef p = gfxtest::Load(file);
        ASSERT_NE(p, nullptr) << file;
        const gfx::Canvas picture = lay.Picture();
        ASSERT_EQ(p->width, picture.w);
        ASSERT_EQ(p->height, picture.h);
        int differ = 0;
        for (int y = 0; y < picture.h; ++y)
            for (int x = 0; x < picture.w; ++x) {
                // Written opaque: what is left see-through lies on black.
                const gfx::Rgba c = picture.Get(x, y);
                const float a = c.a / 255.0f;
                const uint32_t rgb =
                    uint32_t(c.r * a + 0.5f) << 16 | uint32_t(c.g * a + 0.5f) << 8 | uint32_t(c.b * a + 0.5f);
                if (gfxtest::Rgb(sq::PixmapGetPixel(p, x, y)) != rgb && differ++ == 0)
                    ADD_FAILURE() << file << " differs first at (" << x << ", " << y << "): " << std::hex
                                  << gfxtest::Rgb(sq::PixmapGetPixel(p, x, y)) << " for " << rgb;
            }
        EXPECT_EQ(differ, 0) << file;
    }

    static std::unique_ptr<gfx::Context> ctx_;
};

std::unique_ptr<gfx::Context> PicturesWithLettering::ctx_;

TEST_F(PicturesWithLettering, CreditsKeepTheirLinesClearAndReadable) {
    const gfx::LaidPicture lay = gfx::CreditsLayers(*ctx_);
    ASSERT_EQ(lay.marks.size(), 7u);
    ExpectNothingCoversALetter(lay);
    ExpectEveryLineReads(lay);
    ExpectTheGameFolderHoldsIt(lay, "creditsBack.png");
}

TEST_F(PicturesWithLettering, SplashKeepsItsLinesClearAndReadable) {
    const gfx::LaidPicture lay = gfx::SplashLayers(*ctx_);
    ASSERT_EQ(lay.marks.size(), 3u);
    ExpectNothingCoversALetter(lay);
    ExpectEveryLineReads(lay);
    ExpectTheGameFolderHoldsIt(lay, "splash.png");
}

}  // namespace
