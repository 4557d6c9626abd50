// The name entry: which keys type what, Backspace, the 12-character limit,
// the click, and Enter ending the entry.
#include "screens/record.h"

#include <string>
#include <vector>

#include "audio/game_music.h"
#include "core/globals.h"
#include "core/settings_file.h"
#include "platform/input/bindings.h"
#include "platform/input/keyboard.h"
#include "screen_fixture.h"

namespace {

class RecordTest : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        entry = std::make_shared<CRecord>();
        entry->Init();
    }
    // One logic step with `keys` pressed (and released) just before it;
    // returns whether the step clicked.
    bool Step(const std::vector<int>& keys) {
        sq::HaltChannel(entry->keyChannel);
        for (int k : keys) Tap(k);
        entry->Update();
        return sq::IsChannelBusy(entry->keyChannel) != 0;
    }
    std::shared_ptr<CRecord> entry;
};

TEST_F(RecordTest, KeysTypeTheCharacterWithTheirCode) {
    for (int k : std::vector<int>{'S', 'A', ' ', '1', '9', '0', 97, 105, 112, 121, 122, 186, 27, 37}) Step({k});
    // The 0 key, keys from 122 up, Escape and the arrows type nothing; the
    // keypad 1 and 9 give a and i, F1 and F10 give p and y.
    EXPECT_EQ(entry->name, "SA 19aipy");
    EXPECT_EQ(entry->nameLength, 9);
}

TEST_F(RecordTest, BackspaceRemovesTheLastCharacterAndClicks) {
    EXPECT_FALSE(Step({8}));  // nothing to remove: no click
    EXPECT_TRUE(Step({'A'}));
    Step({'B'});
    EXPECT_TRUE(Step({8}));
    Step({'D'});
    EXPECT_EQ(entry->name, "AD");
    EXPECT_EQ(entry->nameLength, 2);
}

TEST_F(RecordTest, TheThirteenthCharacterIsIgnoredSilently) {
    for (int i = 0; i < 12; ++i) EXPECT_TRUE(Step({'A' + i}));
    EXPECT_FALSE(Step({'Z'}));
    EXPECT_EQ(entry->name, "ABCDEFGHIJKL");
    EXPECT_EQ(entry->nameLength, 12);
}

TEST_F(RecordTest, TwoKeysInOneStepComeLowestFirst) {
    Step({'Q', 'B'});
    EXPECT_EQ(entry->name, "B");
    Step({});
    EXPECT_EQ(entry->name, "BQ");
}

TEST_F(RecordTest, EnterHeldEndsTheEntryAndDropsTheKeyOfThatStep) {
    sq::PostKeyDown('X');
    sq::PostKeyDown(13);
    EXPECT_EQ(entry->Update(), CRecord::kConfirmed);
    EXPECT_EQ(entry->name, "");
}

TEST_F(RecordTest, EnterRecordNamePadsTheNameToTwelve) {
    std::vector<int> script = {'A', 'B', 8, 'D'};
    std::size_t next = 0;
    pump = [&] {
        if (polls % 5 != 0) return;
        if (next < script.size())
            Tap(script[next++]);
        else
            sq::PostKeyDown(13);
    };
    EXPECT_EQ(EnterRecordName(), "AD          ");
    EXPECT_FALSE(music->channel->Suspended());  // the tune plays again
}

TEST_F(RecordTest, EnterAtOnceGivesTwelveSpaces) {
    pump = [] { sq::PostKeyDown(13); };
    EXPECT_EQ(EnterRecordName(), std::string(12, ' '));
}

}  // namespace

namespace {

// The letter wheel a pad spells with, and the last name that comes back.
TEST_F(RecordTest, TheWheelTurnsMovesAndAddsLetters) {
    Step({sq::kKeyUp});  // the first turn makes the first letter
    EXPECT_EQ(entry->name, "A");
    Step({sq::kKeyDown});
    Step({sq::kKeyDown});
    EXPECT_EQ(entry->name, "9") << "A turns back round through space to 9";
    Step({sq::kKeyUp});
    Step({sq::kKeyUp});
    Step({sq::kKeyUp});
    EXPECT_EQ(entry->name, "B");
    Step({sq::kKeyPadNextLetter});  // the next letter starts as the one before
    Step({sq::kKeyUp});
    Step({sq::kKeyPadNextLetter});
    EXPECT_EQ(entry->name, "BCC");
    Step({sq::kKeyLeft});
    Step({sq::kKeyLeft});
    Step({sq::kKeyDown});
    EXPECT_EQ(entry->name, "ACC") << "the cursor went back to the first letter";
    Step({sq::kKeyRight});
    EXPECT_EQ(entry->cursor, 1);
    Step({sq::kKeyPadNextLetter});  // within the name it only moves on
    EXPECT_EQ(entry->name, "ACC");
    EXPECT_EQ(entry->cursor, 2);
    // Never more than twelve letters.
    for (int i = 0; i < 20; ++i) Step({sq::kKeyPadNextLetter});
    EXPECT_EQ(entry->nameLength, CRecord::kMaxName);
    EXPECT_EQ(entry->name, "ACCCCCCCCCCC");
}

TEST_F(RecordTest, TheLastNameIsOfferedAgainAndKeptAfterTheEntry) {
    Settings().lastName = "ANNA";
    entry->Init();
    EXPECT_EQ(entry->name, "ANNA");
    EXPECT_EQ(entry->nameLength, 4);
    Step({sq::kKeyBackspace});
    Step({'E'});
    EXPECT_EQ(entry->name, "ANNE");
    // Through the whole entry: Enter keeps it, padded, and it is remembered
    // (and written) without the padding.
    pump = [n = 0]() mutable {
        if (n++ == 20) Tap(sq::kKeyEnter);
    };
    Settings().lastName = "ROB";
    EXPECT_EQ(EnterRecordName(), "ROB         ");
    EXPECT_EQ(Settings().lastName, "ROB");
    TSettingsLoad saved = ReadSettingsFile(SettingsFilePath());
    EXPECT_EQ(saved.settings.lastName, "ROB");
}

}  // namespace
