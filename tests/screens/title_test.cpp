// The title menu: moving the selection, its wrap, the key clearing that
// makes one key-down one move, the pulse, the stars, and the menu loop.
#include "screens/title.h"

#include "app/screen_flow.h"
#include "core/globals.h"
#include "core/timed_speed.h"
#include "platform/input/keyboard.h"
#include "platform/video/graphics.h"
#include "screen_fixture.h"

namespace {

class TitleTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        title = std::make_shared<tTitle>();
        title->Init();
        CreateStars();
        tickDelta = 1.0f;
    }
    void TearDown() override {
        title->Release();
        ScreenTest::TearDown();
    }
    int Step() {
        tickDelta = 1.0f;
        return title->Update();
    }
};

TEST_F(TitleTest, TheSelectionWrapsAtBothEnds) {
    sq::PostKeyDown(sq::kKeyUp);
    Step();
    EXPECT_EQ(title->selected, 5);  // up from Start is Quit
    sq::PostKeyUp(sq::kKeyUp);
    sq::PostKeyDown(sq::kKeyDown);
    Step();
    EXPECT_EQ(title->selected, 0);  // down from Quit is Start
}

// A recording made before Options came is replayed on the five-item menu it
// was made on: four steps down from Start are Quit there.
TEST_F(TitleTest, OlderRecordingsGetTheFiveItemMenu) {
    SetMenuWithOptions(false);
    title->Init();
    SetMenuWithOptions(true);
    EXPECT_EQ(title->ItemCount(), 5);
    for (int i = 0; i < 4; ++i) {
        sq::PostKeyDown(sq::kKeyDown);
        Step();
        sq::PostKeyUp(sq::kKeyDown);
    }
    EXPECT_EQ(title->selected, 4);
    sq::PostKeyDown(sq::kKeyEnter);
    EXPECT_EQ(Step(), kMenuQuit);
    sq::PostKeyUp(sq::kKeyEnter);
    sq::PostKeyDown(sq::kKeyDown);
    Step();
    EXPECT_EQ(title->selected, 0);
    auto draws = sq::DrawStats().imageDraws;
    title->Draw();
    EXPECT_EQ(sq::DrawStats().imageDraws - draws, 1u + 2 + 20 + 2 + 5 + 300);
}

TEST_F(TitleTest, AHeldArrowMovesOncePerKeyDownAndDownWinsOverUp) {
    sq::PostKeyDown(sq::kKeyDown);
    Step();
    Step();
    Step();
    EXPECT_EQ(title->selected, 1);        // the key state was cleared after the move
    sq::PostKeyDown(sq::kKeyDown, true);  // the system's auto-repeat of the held key
    Step();
    EXPECT_EQ(title->selected, 2);
    sq::PostKeyDown(sq::kKeyDown, true);
    sq::PostKeyDown(sq::kKeyUp);
    Step();
    EXPECT_EQ(title->selected, 3);  // only Down acted
}

TEST_F(TitleTest, ChoosingNeedsSpaceOrEnterWithoutAnArrowInTheSameStep) {
    sq::PostKeyDown(sq::kKeyDown);
    sq::PostKeyDown(sq::kKeySpace);
    EXPECT_EQ(Step(), kMenuNothing);  // the move cleared Space
    EXPECT_EQ(Step(), kMenuNothing);
    sq::PostKeyDown(sq::kKeyEnter);
    EXPECT_EQ(Step(), kMenuHighScores);
    EXPECT_EQ(Step(), kMenuHighScores);  // held: not cleared by the menu
    const int codes[] = {kMenuStart, kMenuHighScores, kMenuInstructions, kMenuCredits, kMenuOptions, kMenuQuit};
    for (int i = 0; i < 6; ++i) {
        title->selected = i;
        EXPECT_EQ(Step(), codes[i]);
    }
}

// The menu's frame acts on the status of its last logic step: a tap that
// came and went before the frame must still choose, whichever step sees it.
TEST_F(TitleTest, ATapBetweenFramesChoosesOnEveryStepOfTheNextFrame) {
    Tap(sq::kKeySpace);
    EXPECT_EQ(Step(), kMenuStart);
    EXPECT_EQ(Step(), kMenuStart);
    EXPECT_EQ(Step(), kMenuStart);
    sq::AgeKeyTaps();
    sq::AgeKeyTaps();
    EXPECT_EQ(Step(), kMenuNothing) << "two frames on, the tap is over";
}

TEST_F(TitleTest, ThePulseSwellsTheSelectedItemOnly) {
    title->selected = 2;
    title->pulsePhase = 360;
    Step();
    EXPECT_EQ(title->pulsePhase, 0);  // 364 is above 360
    for (int i = 0; i < 45; ++i) Step();
    EXPECT_EQ(title->pulsePhase, 180);
    EXPECT_NEAR(title->scaleInstructions, 1.36f, 0.01f);
    EXPECT_EQ(title->scaleStart, 1.0f);
    EXPECT_EQ(title->scaleQuit, 1.0f);
    tickDelta = 0.3f;
    title->Update();
    EXPECT_EQ(title->pulsePhase, 181);  // 4 x 0.3 truncated
}

TEST_F(TitleTest, AStarRespawnsOnlyWhenItPassesTwoSeventyTwo) {
    for (cStars& s : stars) {
        s.fallSpeed = 0.1f;
        s.y = 0;
    }
    stars[0].y = 271.9f;  // 272.0 after the step: stays
    stars[1].y = 271.91f;
    stars[1].fallSpeed = 0.1f;
    Step();
    EXPECT_FLOAT_EQ(stars[0].y, 272.0f);
    EXPECT_EQ(stars[1].y, -32.0f);
    EXPECT_GE(stars[1].fallSpeed, 0.08f);
    EXPECT_LT(stars[1].fallSpeed, 0.2f);
    EXPECT_GE(stars[1].red, 60);
}

TEST_F(TitleTest, DrawLeavesTheDrawingStatePlain) {
    sq::SetDrawAlpha(0.3f);
    auto draws = sq::DrawStats().imageDraws;
    title->Draw();
    EXPECT_EQ(sq::DrawStats().imageDraws - draws, 1u + 2 + 20 + 2 + 6 + 300);
    float sx, sy;
    sq::GetDrawScale(sx, sy);
    EXPECT_EQ(sx, 1.0f);
    EXPECT_EQ(sq::GetDrawAlpha(), 1.0f);
    EXPECT_EQ(sq::GetBlendMode(), sq::kBlendMask);
}

class MenuLoopTest : public ScreenTest {};

TEST_F(MenuLoopTest, QuitEndsTheMenuAfterItsFadeAndTheSelectionIsKept) {
    WriteScreenFiles();
    title = std::make_shared<tTitle>();
    title->Init();
    int phase = 0;
    long at = 0;
    pump = [&] {
        if (polls - at < 200) return;  // let the fade-in run
        at = polls;
        if (phase == 0) sq::PostKeyDown(sq::kKeyUp);
        if (phase == 1) sq::PostKeyUp(sq::kKeyUp);
        if (phase == 2) sq::PostKeyDown(sq::kKeySpace);
        ++phase;
    };
    RunMenu();
    EXPECT_EQ(title->selected, 5);
    EXPECT_EQ(sq::IsKeyDown(sq::kKeySpace), 0);  // cleared on the way out
    title->Release();
}

}  // namespace
