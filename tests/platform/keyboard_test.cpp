#include "platform/input/keyboard.h"

#include <gtest/gtest.h>

#include <vector>

using namespace sq;

namespace {

// Keys arrive the way the window system delivers them: through a pump that
// every keyboard operation runs first.
class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetEventPump(nullptr);
        ClearKeys();
        SetEventPump([this] {
            ++pumps;
            for (auto& e : pending) e();
            pending.clear();
        });
    }
    void TearDown() override { SetEventPump(nullptr); }
    void Queue(std::function<void()> e) { pending.push_back(std::move(e)); }

    std::vector<std::function<void()>> pending;
    int pumps = 0;
};

TEST_F(KeyboardTest, HeldKeyCountsOnePressWhateverTheAutoRepeat) {
    Queue([] { PostKeyDown(kKeyLeft); });
    Queue([] { PostKeyDown(kKeyLeft, true); });
    Queue([] { PostKeyDown(kKeyLeft, true); });
    EXPECT_EQ(IsKeyDown(kKeyLeft), 1);
    EXPECT_EQ(KeyHitCount(kKeyLeft), 1);
    EXPECT_EQ(KeyHitCount(kKeyLeft), 0);  // consumed
    Queue([] { PostKeyDown(kKeyLeft, true); });
    EXPECT_EQ(KeyHitCount(kKeyLeft), 0);
    Queue([] { PostKeyUp(kKeyLeft); });
    EXPECT_EQ(IsKeyDown(kKeyLeft), 0);
}

// A tap nobody looked at survives one frame boundary, not more: a press that
// lost to another key must not come back as a phantom step frames later.
TEST_F(KeyboardTest, AnUnseenTapLastsIntoTheNextFrameOnly) {
    Queue([] {
        PostKeyDown(kKeyLeft);
        PostKeyUp(kKeyLeft);
    });
    EXPECT_EQ(IsKeyDown(kKeyRight), 0);  // events pumped; Left not looked at
    AgeKeyTaps();                        // the frame ends
    EXPECT_EQ(IsKeyDown(kKeyLeft), 1) << "the next frame still sees the tap";
    Queue([] {
        PostKeyDown(kKeyLeft);
        PostKeyUp(kKeyLeft);
    });
    EXPECT_EQ(IsKeyDown(kKeyRight), 0);
    AgeKeyTaps();
    AgeKeyTaps();
    EXPECT_EQ(IsKeyDown(kKeyLeft), 0) << "two frames later the tap is gone";
    EXPECT_EQ(KeyHitCount(kKeyLeft), 2) << "the presses still count";
}

TEST_F(KeyboardTest, ClearKeysWhileHeldLetsTheNextRepeatCountAgain) {
    Queue([] { PostKeyDown(kKeySpace); });
    ClearKeys();  // takes the press, then forgets everything
    EXPECT_EQ(IsKeyDown(kKeySpace), 0);
    EXPECT_EQ(KeyHitCount(kKeySpace), 0);
    Queue([] { PostKeyDown(kKeySpace, true); });
    EXPECT_EQ(IsKeyDown(kKeySpace), 1);
    EXPECT_EQ(KeyHitCount(kKeySpace), 1);
}

TEST_F(KeyboardTest, PressAndReleaseBetweenFramesStillCounts) {
    Queue([] {
        PostKeyDown(kKeyEnter);
        PostKeyUp(kKeyEnter);
        PostKeyDown(kKeyEnter);
        PostKeyUp(kKeyEnter);
    });
    EXPECT_EQ(IsKeyDown(kKeyEnter), 1) << "a tap between two frames reads as held";
    EXPECT_EQ(IsKeyDown(kKeyEnter), 1) << "for every check of the next frame";
    AgeKeyTaps();
    AgeKeyTaps();
    EXPECT_EQ(IsKeyDown(kKeyEnter), 0) << "and then no more";
    EXPECT_EQ(KeyHitCount(kKeyEnter), 2);

    // Each key keeps its own tap; clearing or a focus change forgets it.
    Queue([] {
        PostKeyDown(kKeyUp);
        PostKeyUp(kKeyUp);
        PostKeyDown(kKeyDown);
        PostKeyUp(kKeyDown);
    });
    EXPECT_EQ(IsKeyDown(kKeyDown), 1);
    EXPECT_EQ(IsKeyDown(kKeyUp), 1);
    AgeKeyTaps();
    AgeKeyTaps();
    EXPECT_EQ(IsKeyDown(kKeyDown), 0);
    Queue([] {
        PostKeyDown(kKeySpace);
        PostKeyUp(kKeySpace);
    });
    ClearKeys();
    EXPECT_EQ(IsKeyDown(kKeySpace), 0);
    Queue([] {
        PostKeyDown(kKeySpace);
        PostKeyUp(kKeySpace);
        PostFocusChange();
    });
    EXPECT_EQ(IsKeyDown(kKeySpace), 0);

    // A held key answers 1 as before, and its release is seen at once.
    Queue([] { PostKeyDown(kKeyLeft); });
    EXPECT_EQ(IsKeyDown(kKeyLeft), 1);
    EXPECT_EQ(IsKeyDown(kKeyLeft), 1);
    Queue([] { PostKeyUp(kKeyLeft); });
    EXPECT_EQ(IsKeyDown(kKeyLeft), 0) << "a press seen while held ends with its release";
}

TEST_F(KeyboardTest, FirstKeyHitTakesTheLowestCodeOnly) {
    Queue([] {
        PostKeyDown(65);
        PostKeyDown(40);
    });
    EXPECT_EQ(FirstKeyHit(), 40);
    EXPECT_EQ(FirstKeyHit(), 65);
    EXPECT_EQ(FirstKeyHit(), 0);
    EXPECT_EQ(IsKeyDown(40), 1);  // consuming the press leaves the key held
}

TEST_F(KeyboardTest, FocusChangeClearsFlagsAndCounters) {
    Queue([] {
        PostKeyDown(kKeyUp);
        PostKeyDown(kKeyLControl);
        PostFocusChange();
    });
    EXPECT_EQ(IsKeyDown(kKeyUp), 0);
    EXPECT_EQ(KeyHitCount(kKeyLControl), 0);
    EXPECT_EQ(FirstKeyHit(), 0);
}

TEST_F(KeyboardTest, EveryOperationPumpsFirst) {
    IsKeyDown(1);
    KeyHitCount(1);
    ClearKeys();
    FirstKeyHit();
    EXPECT_EQ(pumps, 4);
}

TEST_F(KeyboardTest, KeysOutsideTheTableAreIgnored) {
    Queue([] {
        PostKeyDown(-1);
        PostKeyDown(256);
        PostKeyDown(100000);
        PostKeyUp(-7);
    });
    EXPECT_EQ(IsKeyDown(-1), 0);
    EXPECT_EQ(IsKeyDown(256), 0);
    EXPECT_EQ(KeyHitCount(100000), 0);
    EXPECT_EQ(FirstKeyHit(), 0);
    Queue([] { PostKeyDown(255); });
    EXPECT_EQ(FirstKeyHit(), 255);
}

TEST_F(KeyboardTest, PumpThatReadsKeysDoesNotRecurse) {
    SetEventPump([this] {
        ++pumps;
        PostKeyDown(kKeyEscape);
        IsKeyDown(kKeyEscape);  // would recurse forever without the guard
    });
    EXPECT_EQ(KeyHitCount(kKeyEscape), 1);
    EXPECT_EQ(pumps, 1);
}

TEST(KeyboardQuit, CloseRequestIsRecordedOnly) {
    PostQuitRequest();
    EXPECT_TRUE(QuitRequested());
    HidePointer();  // no video: only the state changes
    EXPECT_TRUE(PointerHidden());
    ShowPointer();
    EXPECT_FALSE(PointerHidden());
}

}  // namespace
