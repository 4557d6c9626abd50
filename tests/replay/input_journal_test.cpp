// The input seam: what a recording takes in comes back in the same order on
// replay, live input is shut out of a replay, and a replay that leaves the
// recorded path or runs out says so.
#include "platform/replay/input_journal.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/input/keyboard.h"
#include "platform/system/clock.h"
#include "platform/system/random.h"

using namespace sq;

namespace {

class JournalTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock_ = std::make_shared<TManualClock>(5000);
        SetClock(clock_);
        ClearKeys();
    }
    void TearDown() override {
        StopJournal();
        SetEventPump(nullptr);
        SetClock(nullptr);
        ClearKeys();
    }
    void Record() {
        stream_.clear();
        TJournalRecordSettings s;
        s.flush = [this](const uint8_t* d, std::size_t n) { stream_.insert(stream_.end(), d, d + n); };
        s.flushBytes = 7;  // many small pieces: the pieces must join up
        StartJournalRecording(std::move(s));
    }
    std::shared_ptr<TManualClock> clock_;
    std::vector<uint8_t> stream_;
};

// A short session as the game meets it: the seed from the clock, readings,
// events arriving in particular pumps, key queries between them, channel answers.
std::vector<int> PlaySession(TManualClock& clock, bool live) {
    std::vector<int> seen;
    int pump = 0;
    if (live) {
        SetEventPump([&pump] {
            ++pump;
            if (pump == 3) PostKeyDown(kKeyLeft);
            if (pump == 5) {
                PostKeyDown(kKeySpace);
                PostKeyUp(kKeySpace);  // pressed and released between two looks
            }
            if (pump == 6) PostFocusChange();
            if (pump == 8) PostKeyUp(kKeyLeft);
        });
    } else {
        SetEventPump(nullptr);
    }
    SeedRandom(CurrentMillis());
    seen.push_back(RandomInt(0, 1000000));
    for (int frame = 0; frame < 10; ++frame) {
        clock.Advance(uint32_t(3 + frame * 7));
        seen.push_back(CurrentMillis());
        seen.push_back(IsKeyDown(kKeyLeft));
        seen.push_back(KeyHitCount(kKeySpace));
        seen.push_back(KeyHitCount(kKeyLeft));
    }
    return seen;
}

TEST_F(JournalTest, ReplayGivesBackWhatTheRecordingTookIn) {
    Record();
    std::vector<int> recorded = PlaySession(*clock_, true);
    bool busy = JournalChannelBusy(true), idle = JournalChannelBusy(false);
    StopJournal();
    ASSERT_TRUE(busy);
    ASSERT_FALSE(idle);
    EXPECT_LT(stream_.size(), 120u);  // delta-coded: a few bytes a reading

    // On replay the clock is elsewhere and the window delivers nothing:
    // everything comes from the stream.
    clock_->Set(999999);
    ClearKeys();
    StartJournalReplay(stream_, false);
    std::vector<int> replayed = PlaySession(*clock_, false);
    EXPECT_EQ(replayed, recorded);
    EXPECT_TRUE(JournalChannelBusy(false));
    EXPECT_FALSE(JournalChannelBusy(true));
    EXPECT_TRUE(JournalExhausted());
    EXPECT_THROW(CurrentMillis(), TJournalEnded);
}

TEST_F(JournalTest, LiveEventsAreShutOutOfAReplayAndQueuedOnesComeWithTheNextPump) {
    Record();
    QueueKeyEvent(kKeyUp, true);
    EXPECT_EQ(IsKeyDown(kKeyUp), 1);  // the pump of this query delivered it
    QueueKeyEvent(kKeyUp, false);
    EXPECT_EQ(IsKeyDown(kKeyUp), 0);
    StopJournal();

    StartJournalReplay(stream_, false);
    PostKeyDown(kKeyRight);  // the player's hands on the keyboard during a replay
    QueueKeyEvent(kKeyDown, true);
    EXPECT_EQ(IsKeyDown(kKeyUp), 1);
    EXPECT_EQ(IsKeyDown(kKeyRight), 0);
    EXPECT_EQ(IsKeyDown(kKeyDown), 0);
    EXPECT_EQ(IsKeyDown(kKeyUp), 0);
}

TEST_F(JournalTest, AReplayThatLeavesTheRecordedPathStopsWithAReason) {
    Record();
    CurrentMillis();
    SeedRandom(5);
    StopJournal();

    StartJournalReplay(stream_, false);
    CurrentMillis();
    try {
        JournalChannelBusy(true);  // the stream holds the seed here
        FAIL() << "no error";
    } catch (const TJournalOutOfStep& e) {
        EXPECT_NE(std::string(e.what()).find("the random seed"), std::string::npos) << e.what();
    }

    // A number that never ends, and one cut off by the end of the stream.
    StartJournalReplay({kJournalClock, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, false);
    EXPECT_THROW(CurrentMillis(), TJournalOutOfStep);
    StartJournalReplay({kJournalClock, 0x80}, false);
    EXPECT_THROW(CurrentMillis(), TJournalEnded);
    // An event due in a pump that has already gone by.
    StartJournalReplay({kJournalKeyDown, 0, 37}, false);
    EXPECT_THROW(PumpEvents(), TJournalOutOfStep);
}

TEST_F(JournalTest, ReplayClockFollowsTheRecordedReadingsAndNeverSleeps) {
    Record();
    for (uint32_t step : {0u, 5u, 17u, 3000000u}) {
        clock_->Advance(step);
        CurrentMillis();
    }
    StopJournal();
    StartJournalReplay(stream_, false);
    auto replayClock = MakeJournalClock();
    SetClock(replayClock);
    uint32_t before = uint32_t(CurrentMillis());
    replayClock->SleepUntil(before + 100000);  // returns at once
    EXPECT_EQ(replayClock->Millis(), before);
    CurrentMillis();
    CurrentMillis();
    EXPECT_EQ(uint32_t(CurrentMillis()) - before, 3000022u);
    EXPECT_EQ(JournalLastMillis() - JournalFirstMillis(), 3000022u);
}

// A level as the checkpoints see it: one field that moves every frame; each
// frame reads the clock, asks a channel (on even frames) and pumps events.
struct TCheckpointRun {
    int diverge = -1;          // from this frame on, the state moves differently
    bool fewerSounds = false;  // the replay asks no channel answers
    uint32_t x = 0;
    void Frames(TManualClock& clock, int count) {
        for (int frame = 0; frame < count; ++frame) {
            clock.Advance(250);
            CurrentMillis();
            x += frame >= diverge && diverge >= 0 ? 3 : 2;
            if (frame % 2 == 0 && !fewerSounds) JournalChannelBusy(frame % 4 == 0);
            PumpEvents();
        }
    }
};

TEST_F(JournalTest, CheckpointsStopAReplayWhereItFirstDiffersAndNameIt) {
    TCheckpointRun run;
    TJournalCheckpointSource source;
    source.take = [&run](TJournalCheckpoint& cp) { cp.fields[0] = run.x; };
    source.describe = [](const TJournalCheckpoint& now, const TJournalCheckpoint& then) {
        return "x " + std::to_string(now.fields[0]) + " != " + std::to_string(then.fields[0]);
    };
    SetJournalCheckpointSource(source);
    stream_.clear();
    TJournalRecordSettings s;
    s.flush = [this](const uint8_t* d, std::size_t n) { stream_.insert(stream_.end(), d, d + n); };
    s.checkpointMillis = 1000;
    StartJournalRecording(std::move(s));
    run.Frames(*clock_, 40);              // ten seconds
    EXPECT_EQ(JournalCheckpoints(), 9u);  // the first reading starts the count
    StopJournal();

    // The same run replays through every checkpoint.
    run = {};
    StartJournalReplay(stream_, false, 1000);
    run.Frames(*clock_, 40);
    EXPECT_EQ(JournalCheckpoints(), 9u);
    EXPECT_TRUE(JournalExhausted());

    // Sounds asked out of turn alone do not stop it: the state still agrees.
    run = {};
    run.fewerSounds = true;
    StartJournalReplay(stream_, false, 1000);
    run.Frames(*clock_, 40);
    EXPECT_EQ(JournalCheckpoints(), 9u);

    // A run that moves differently from frame 17 (4.25 s) stops at the
    // checkpoint of 5.0 s, naming the field.
    run = {};
    run.diverge = 17;
    StartJournalReplay(stream_, false, 1000);
    try {
        run.Frames(*clock_, 40);
        FAIL() << "no error";
    } catch (const TJournalOutOfStep& e) {
        EXPECT_EQ(std::string(e.what()), "out of step at 5.0 s: x 46 != 42");
    }

    // Without the interval (a file from before checkpoints) nothing is checked,
    // and a checkpoint record where the game reads the clock is out of step.
    run = {};
    run.diverge = 0;
    StartJournalReplay(stream_, false, 0);
    EXPECT_THROW(run.Frames(*clock_, 40), TJournalOutOfStep);
    SetJournalCheckpointSource({});
}

TEST_F(JournalTest, AHeldReplayWatchesThePlayersKeysWithoutMovingTheRecording) {
    // A session whose clock stands still, so a paced replay never sleeps.
    auto session = [] {
        std::vector<int> seen;
        for (int frame = 0; frame < 6; ++frame) {
            seen.push_back(CurrentMillis());
            if (frame == 2) QueueKeyEvent(kKeyLeft, true);
            seen.push_back(IsKeyDown(kKeyLeft));
        }
        return seen;
    };
    Record();
    std::vector<int> recorded = session();
    StopJournal();

    ClearKeys();
    StartJournalReplay(stream_, /*paced=*/true);
    int holds = 0;
    const uint64_t pressesBefore = JournalLiveInput().presses;
    SetJournalHoldHook([&] {
        ++holds;
        // The player presses Right while the replay is held: it is counted,
        // pumped without counting a pump, and never reaches the game.
        PostKeyDown(kKeyRight);
        PumpEvents();
        SetJournalReplaySpeed(8);
    });
    SetJournalReplaySpeed(0);
    std::vector<int> replayed = session();
    EXPECT_EQ(holds, 1);
    EXPECT_EQ(JournalReplaySpeed(), 8);
    EXPECT_EQ(replayed, recorded);  // the replayed Left still came in its own pump
    EXPECT_EQ(IsKeyDown(kKeyRight), 0);
    EXPECT_EQ(JournalLiveInput().presses, pressesBefore + 1);
    EXPECT_EQ(JournalLiveInput().lastKey, kKeyRight);
    EXPECT_TRUE(JournalExhausted());
    SetJournalHoldHook(nullptr);
    SetJournalReplaySpeed(1);
}

TEST_F(JournalTest, AReplayPausesWhereTheRecordedWindowLostTheFocusAndOnlyThere) {
    auto session = [](bool live) {
        std::vector<int> lost;
        int pump = 0;
        SetEventPump([&pump, live] {
            ++pump;
            // The recorded window loses the focus at pump 3; during the
            // replay, the player's own window loses it at pump 5.
            if ((live && pump == 3) || (!live && pump == 5)) {
                PostFocusChange();
                PostFocusLost();
            }
        });
        for (int frame = 0; frame < 8; ++frame) {
            CurrentMillis();
            PumpEvents();
            lost.push_back(TakeFocusLost());
        }
        SetEventPump(nullptr);
        return lost;
    };
    Record();
    std::vector<int> recorded = session(true);
    StopJournal();
    EXPECT_EQ(recorded, (std::vector<int>{0, 0, 1, 0, 0, 0, 0, 0}));
    StartJournalReplay(stream_, false);
    EXPECT_EQ(session(false), recorded);
    EXPECT_TRUE(JournalExhausted());
}

}  // namespace
