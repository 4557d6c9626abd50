// Block animations: the frame each stepping rule shows, step by step.
#include "map_test_util.h"

namespace {

class BlockAnimations : public HeadlessTest {
protected:
    // A map whose frame sequence is 0..9 (sequence index = block index) and
    // whose animation 1 is `a`.
    void Make(int type, int start, int end, int delay = 0) {
        FmpDocument doc = SimpleDoc(2, 1, 10);
        for (int i = 0; i < 10; ++i) doc.animSeq.push_back(i);
        FmpAnimDef a;
        a.animType = type;
        a.delay = delay;
        a.start = start;
        a.end = end;
        a.current = 0;
        doc.anims = {a};
        doc.layers[0] = {-1, 0};
        map = LoadDoc(doc);
        ASSERT_EQ(map->errorCode, kFmpOk);
        map->currentLayer = 0;
    }
    // The sequence index shown after InitAnims and after each of `steps` steps.
    std::vector<int> Run(int steps) {
        std::vector<int> shown;
        map->InitAnims();
        shown.push_back(map->anims[1].current);
        for (int i = 0; i < steps; ++i) {
            map->UpdateAnims();
            shown.push_back(map->anims[1].current);
        }
        return shown;
    }
    std::unique_ptr<FmpMap> map;
};

TEST_F(BlockAnimations, LoopForwardHoldsEachFrameDelayPlusOneSteps) {
    Make(kAnimLoopForward, 4, 7, 1);
    EXPECT_EQ(Run(6), std::vector<int>({4, 4, 5, 5, 6, 6, 4}));
}

TEST_F(BlockAnimations, LoopBackwardStartsAtTheLastFrame) {
    Make(kAnimLoopBackward, 4, 7);
    EXPECT_EQ(Run(6), std::vector<int>({6, 5, 4, 6, 5, 4, 6}));
}

TEST_F(BlockAnimations, PingPongTurnsAtBothEnds) {
    Make(kAnimPingPongFwd, 4, 7);
    EXPECT_EQ(Run(7), std::vector<int>({4, 5, 6, 5, 4, 5, 6, 5}));
    EXPECT_EQ(map->anims[1].animType, kAnimPingPongBack);
    Make(kAnimPingPongBack, 4, 7);
    EXPECT_EQ(Run(5), std::vector<int>({6, 5, 4, 5, 6, 5}));
}

TEST_F(BlockAnimations, SingleFramePingPongStaysOnStart) {
    Make(kAnimPingPongFwd, 4, 5);
    EXPECT_EQ(Run(5), std::vector<int>({4, 4, 4, 4, 4, 4}));
}

TEST_F(BlockAnimations, StoredPingPongLegsBecomeLiveOnes) {
    Make(kAnimStoredPingFwd, 2, 5);
    map->InitAnims();
    EXPECT_EQ(map->anims[1].animType, kAnimPingPongFwd);
    EXPECT_EQ(map->anims[1].current, 2);
    Make(kAnimStoredPingBack, 2, 5);
    map->InitAnims();
    EXPECT_EQ(map->anims[1].animType, kAnimPingPongBack);
    EXPECT_EQ(map->anims[1].current, 4);
}

TEST_F(BlockAnimations, PlayOnceStopsOnStartAndInitArmsItAgain) {
    Make(kAnimOnce, 1, 4);
    EXPECT_EQ(Run(5), std::vector<int>({1, 2, 3, 1, 1, 1}));
    EXPECT_EQ(map->anims[1].animType, kAnimOnceDone);
    EXPECT_EQ(Run(2), std::vector<int>({1, 2, 3}));  // InitAnims turned 9 back into 3
}

TEST_F(BlockAnimations, PlayOnceAndHoldStaysOnTheLastFrame) {
    Make(kAnimOnceHold, 1, 4);
    EXPECT_EQ(Run(5), std::vector<int>({1, 2, 3, 3, 3, 3}));
}

TEST_F(BlockAnimations, StillAndEmptyAnimationsNeverMove) {
    Make(kAnimNone, 3, 6, 0);
    map->anims[1].delayCounter = 7;
    EXPECT_EQ(Run(4), std::vector<int>({3, 3, 3, 3, 3}));
    Make(kAnimLoopForward, 5, 5, 0);
    EXPECT_EQ(Run(3), std::vector<int>({5, 5, 5, 5}));
}

TEST_F(BlockAnimations, StepsStopAtTheEndMarker) {
    FmpDocument doc = SimpleDoc(2, 1, 4);
    FmpAnimDef a;
    a.animType = kAnimLoopForward, a.frames = {1, 2, 3};
    doc.anims = {a, a};
    map = LoadDoc(doc);
    map->anims[1].animType = kAnimEndMarker;  // a marker ends the list wherever it stands
    map->anims[2].current = 4;
    map->InitAnims();
    map->UpdateAnims();
    EXPECT_EQ(map->anims[2].current, 4);
}

TEST_F(BlockAnimations, AnimatedCellShowsItsCurrentFrameInQueriesAndDrawing) {
    FmpDocument doc = SimpleDoc(3, 1, 4);
    FmpAnimDef still;
    still.animType = kAnimNone, still.frames = {0};
    FmpAnimDef blink;
    blink.animType = kAnimLoopForward, blink.frames = {1, 2, 0};  // solid, not solid, empty
    doc.anims = {still, blink};
    doc.layers[0] = {-2, 0, 0};
    map = LoadDoc(doc);
    map->currentLayer = 0;
    map->InitAnims();
    EXPECT_EQ(&map->BlockAt(0, 0), &map->blocks[1]);
    EXPECT_EQ(map->IsSolidAt(5, 5), 1);
    map->UpdateAnims();
    EXPECT_EQ(&map->BlockAt(0, 0), &map->blocks[2]);
    EXPECT_EQ(map->IsSolidAt(5, 5), 0);
    sq::DrawStats().imageDraws = 0;
    map->DrawLayerBg(0, 0, 0, 0, 16, 16);
    EXPECT_EQ(Draws(), 1u);  // block 2's graphic
    map->UpdateAnims();
    sq::DrawStats().imageDraws = 0;
    map->DrawLayerBg(0, 0, 0, 0, 16, 16);
    EXPECT_EQ(Draws(), 0u);  // block 0: graphic 0 is not drawn
}

TEST_F(BlockAnimations, IndicesAtTheEndsOfTheIntRangeStepSafely) {
    Make(kAnimLoopForward, 0, 1);
    ANISTR& a = map->anims[1];
    for (int type : {1, 2, 3, 4, 5, 6}) {
        a.animType = type;
        a.start = 2147483647;
        a.end = -2147483647 - 1;
        a.current = 2147483647;
        a.delay = 0;
        a.delayCounter = 0;
        for (int i = 0; i < 4; ++i) map->UpdateAnims();
        EXPECT_EQ(&map->BlockAt(0, 0), &map->blocks[0]);  // a frame outside the sequence shows block 0
    }
}

}  // namespace
