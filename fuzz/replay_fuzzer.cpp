// Feeds arbitrary bytes to the replay reader, then plays whatever stream it
// accepted through the input journal the way the game reads it: clock
// readings, event pumps, key queries, channel answers and the seed. Every
// fault must come out as the reader's or the journal's own error.
#include <cstddef>
#include <cstdint>

#include "platform/input/keyboard.h"
#include "platform/replay/input_journal.h"
#include "platform/replay/replay_file.h"
#include "platform/system/clock.h"
#include "platform/system/random.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    sq::TReplayContents replay;
    try {
        replay = sq::ParseReplay(data, size, "fuzz.sqr");
    } catch (const sq::TReplayError&) {
        return 0;
    }
    sq::StartJournalReplay(std::move(replay.stream), false);
    sq::SetClock(sq::MakeJournalClock());
    try {
        // The order of the reads is taken from the stream's own length, so
        // the fuzzer meets every kind of question at every position.
        for (std::size_t i = 0; i < 4096; ++i) {
            switch ((i * 7 + size) % 5) {
                case 0:
                    sq::CurrentMillis();
                    break;
                case 1:
                    sq::IsKeyDown(int(i % 256));
                    break;
                case 2:
                    sq::JournalChannelBusy(i & 1);
                    break;
                case 3:
                    sq::SeedRandom(int(i));
                    break;
                default:
                    sq::FirstKeyHit();
                    break;
            }
        }
    } catch (const sq::TJournalEnded&) {
    } catch (const sq::TJournalOutOfStep&) {
    }
    sq::StopJournal();
    sq::SetClock(nullptr);
    sq::ClearKeys();
    return 0;
}
