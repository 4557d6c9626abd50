// The options screen: moving and changing lines, volumes and the display
// taking effect at once, a key bound with a swap, a cancelled capture, the
// reset that asks once, and the file written once, on leaving.
#include "screens/options.h"

#include <fstream>
#include <sstream>
#include <vector>

#include "alloc_counter.h"
#include "core/globals.h"
#include "core/settings_file.h"
#include "platform/input/bindings.h"
#include "platform/input/keyboard.h"
#include "platform/replay/input_journal.h"
#include "screen_fixture.h"

using namespace sq;

namespace {

class OptionsTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        screen = std::make_shared<tOptions>();
        screen->Init();
        tickDelta = 1.0f;
    }
    void TearDown() override {
        screen->Release();
        ScreenTest::TearDown();
    }
    int Press(int key) {
        Tap(key);
        return screen->Update();
    }
    static std::string FileText() {
        std::ifstream in(SettingsFilePath());
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    std::shared_ptr<tOptions> screen;
};

TEST_F(OptionsTest, LinesMoveWrapAndChangeWithinTheirRanges) {
    EXPECT_EQ(screen->line, tOptions::kLineMusic);
    Press(kKeyUp);
    EXPECT_EQ(screen->line, tOptions::kLineBack) << "up from the first line is the last";
    Press(kKeyDown);
    Press(kKeyLeft);
    EXPECT_EQ(Settings().musicVolume, 90);
    for (int i = 0; i < 12; ++i) Press(kKeyLeft);
    EXPECT_EQ(Settings().musicVolume, 0) << "stops at silence";
    Press(kKeyRight);
    EXPECT_EQ(screen->LineValue(tOptions::kLineMusic), "10%");
    Press(kKeyDown);
    Press(kKeyRight);
    EXPECT_EQ(Settings().effectsVolume, 100) << "stops at full";
    // The game speed goes down to half in steps of ten.
    while (screen->line != tOptions::kLineSpeed) Press(kKeyDown);
    for (int i = 0; i < 9; ++i) Press(kKeyLeft);
    EXPECT_EQ(Settings().gameSpeed, 50);
    Press(kKeyDown);
    Press(kKeyEnter);
    EXPECT_TRUE(Settings().reducedFlashing) << "Enter changes a line as Right does";
}

TEST_F(OptionsTest, TheFileIsWrittenOnceOnLeavingAndOnlyWhenChanged) {
    pump = [n = 0]() mutable {
        if (n++ == 50) Tap(kKeyEscape);
    };
    ShowOptions();
    EXPECT_FALSE(std::filesystem::exists(SettingsFilePath())) << "nothing changed, nothing written";
    pump = [n = 0]() mutable {
        // Down to the effects line, one step down, then back out.
        const int keys[] = {kKeyDown, kKeyLeft, kKeyEscape};
        if (n >= 100 && n < 250 && n % 50 == 0) Tap(keys[n / 50 - 2]);
        ++n;
    };
    ShowOptions();
    EXPECT_NE(FileText().find("effects_volume = 90\n"), std::string::npos) << FileText();
}

TEST_F(OptionsTest, AKeyIsBoundWithASwapAndEscapeCancels) {
    while (screen->line != tOptions::kLineControls) Press(kKeyDown);
    Press(kKeyEnter);
    ASSERT_EQ(screen->page, tOptions::kPageControls);
    // Jump: press W.
    Press(kKeyDown);
    Press(kKeyDown);
    Press(kKeyEnter);
    ASSERT_EQ(screen->capturing, kActJump);
    EXPECT_TRUE(Capturing());
    EXPECT_TRUE(CaptureKeyDown(ScancodeFromName("W")));
    screen->Update();
    EXPECT_EQ(screen->capturing, -1);
    EXPECT_EQ(Settings().bindings.keys[kActJump], ScancodeFromName("W"));
    EXPECT_EQ(CurrentBindings().keys[kActJump], ScancodeFromName("W")) << "in force at once";
    // Throw: press Left, the left action's key: they swap.
    Press(kKeyDown);
    Press(kKeyEnter);
    CaptureKeyDown(ScancodeFromName("Left"));
    screen->Update();
    EXPECT_EQ(Settings().bindings.keys[kActThrow], ScancodeFromName("Left"));
    EXPECT_EQ(Settings().bindings.keys[kActLeft], ScancodeFromName("Left Ctrl"));
    // Escape cancels and keeps the key.
    Press(kKeyEnter);
    CaptureKeyDown(ScancodeFromName("Escape"));
    screen->Update();
    EXPECT_EQ(screen->capturing, -1);
    EXPECT_EQ(Settings().bindings.keys[kActThrow], ScancodeFromName("Left"));
    // A pad button swaps the same way.
    Press(kKeyEnter);
    CaptureButtonDown(PadButtonFromName("a"));  // jump's button
    screen->Update();
    EXPECT_EQ(Settings().bindings.buttons[kActThrow], PadButtonFromName("a"));
    EXPECT_EQ(Settings().bindings.buttons[kActJump], PadButtonFromName("x"));
    EXPECT_EQ(Settings().bindings.keys[kActThrow], ScancodeFromName("Left")) << "its key is kept";
}

TEST_F(OptionsTest, ResetToDefaultsAsksOnce) {
    Settings().bindings.keys[kActJump] = ScancodeFromName("W");
    ApplySettings();
    Press(kKeyUp);
    Press(kKeyUp);  // Keys and buttons
    Press(kKeyEnter);
    while (screen->line != tOptions::kLineReset) Press(kKeyDown);
    Press(kKeyEnter);
    EXPECT_TRUE(screen->confirmReset);
    EXPECT_EQ(Settings().bindings.keys[kActJump], ScancodeFromName("W")) << "not yet";
    Press(kKeyUp);
    Press(kKeyDown);
    EXPECT_FALSE(screen->confirmReset) << "moving away forgets the question";
    Press(kKeyEnter);
    Press(kKeyEnter);
    EXPECT_TRUE(Settings().bindings.keys == DefaultBindings().keys);
    EXPECT_TRUE(CurrentBindings().keys == DefaultBindings().keys);
    // Escape goes back to the main page, then leaves.
    EXPECT_EQ(Press(kKeyEscape), 0);
    EXPECT_EQ(screen->page, tOptions::kPageMain);
    EXPECT_EQ(Press(kKeyEscape), 1);
}

// Drawing and stepping the screen makes no text: the words are made when
// something changes, not once a frame.
TEST_F(OptionsTest, AFrameAllocatesNothing) {
    for (int page = 0; page < 2; ++page) {
        screen->Update();
        screen->Draw();
        sqtest::StartCountingAllocations();
        for (int i = 0; i < 10; ++i) {
            screen->Update();
            screen->Draw();
        }
        EXPECT_EQ(sqtest::StopCountingAllocations(), 0) << "page " << page;
        while (screen->line != tOptions::kLineControls) Press(kKeyDown);
        Press(kKeyEnter);
    }
}

// Binding a key in a recorded run: the key taken by "press a key" goes
// through the input journal, so the replay binds the same one without it.
TEST_F(OptionsTest, ABindingMadeWhileRecordingReplaysTheSame) {
    std::vector<uint8_t> stream;
    // Keys come as the window delivers them: inside an event pump.
    int pending = 0;
    pump = [&pending] {
        if (pending) Tap(pending);
        pending = 0;
    };
    auto session = [&](bool live) {
        screen->Init();
        for (int key : {kKeyUp, kKeyUp, kKeyEnter, kKeyDown, kKeyDown, kKeyEnter}) {  // Keys and buttons, Jump
            pending = key;
            screen->Update();
        }
        if (live) CaptureKeyDown(ScancodeFromName("W"));
        screen->Update();
        return Settings().bindings.keys[kActJump];
    };
    TJournalRecordSettings record;
    record.flush = [&stream](const uint8_t* d, std::size_t n) { stream.insert(stream.end(), d, d + n); };
    StartJournalRecording(std::move(record));
    const int recorded = session(true);
    StopJournal();
    ASSERT_EQ(recorded, ScancodeFromName("W"));
    ResetSettings();
    ApplySettings();
    ClearKeys();
    StartJournalReplay(stream, false);
    const int replayed = session(false);
    StopJournal();
    EXPECT_EQ(replayed, recorded);
}

}  // namespace
