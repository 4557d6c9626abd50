#pragma once
// platform/replay: the input journal and the replay file it lives in. Uses
// system/ and files/ only.
//
// The journal of everything from outside that makes one run of the game
// differ from another: the clock readings the game takes, mapped key events
// and focus changes as they enter the key tables, the random seed, and the
// answers to "is this channel still playing?". Recording appends each of
// them, in the order the game met them, to a compact byte stream; replaying
// hands the same answers back in the same order, so the game runs again
// exactly as it ran. The file around the stream belongs to the app layer.
//
// Stream coding: one tag byte per record, then its payload as unsigned
// LEB128 numbers. Clock readings are zigzag deltas from the previous
// reading; key and focus events carry how many event pumps (PumpEvents
// calls) have run since the previous event, so a replay delivers each event
// in exactly the pump that delivered it while recording.
//
// Checkpoints: when the recording is told an interval, the first event pump
// after each such stretch of game time writes a checkpoint record (its field
// count, then the fields) with the game's state as the checkpoint source
// takes it. A replay told the same interval expects the checkpoint in the
// same pump, and stops at the first one that differs. Once a replay has
// checkpoints to go by, a channel answer that comes out of turn does not stop
// it by itself: the next checkpoint says whether the game has really left the
// recorded path.
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace sq {

enum class JournalMode { kOff, kRecord, kReplay };

enum JournalTag : uint8_t {
    kJournalClock = 1,
    kJournalKeyDown = 2,
    kJournalKeyRepeat = 3,
    kJournalKeyUp = 4,
    kJournalFocus = 5,
    kJournalSeed = 6,
    kJournalChannelIdle = 7,
    kJournalChannelBusy = 8,
    kJournalCheckpoint = 9,
    kJournalFocusLost = 10,  // the window lost the focus (the game pauses)
};

// A snapshot of the game state at a checkpoint; what each field means
// belongs to the game (the checkpoint source).
inline constexpr std::size_t kCheckpointFields = 12;
struct TJournalCheckpoint {
    uint32_t fields[kCheckpointFields] = {};
};

// Fills a checkpoint with the present state, and names what differs between
// a replayed and a recorded one (empty when nothing the game cares about
// does). `take` runs once a second of game time and must not allocate.
struct TJournalCheckpointSource {
    std::function<void(TJournalCheckpoint& out)> take;
    std::function<std::string(const TJournalCheckpoint& replayed, const TJournalCheckpoint& recorded)> describe;
};
void SetJournalCheckpointSource(TJournalCheckpointSource source);

// A replay whose stream ran out before the game finished (a truncated file).
class TJournalEnded : public std::runtime_error {
public:
    TJournalEnded() : std::runtime_error("the replay ends here") {}
};

// The game asked for something other than what the stream holds next: the
// run has left the recorded path (another build, other data).
class TJournalOutOfStep : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Recording: bytes are handed to `flush` in pieces (at least every
// `flushBytes` bytes and every `flushMillis` ms of game time), so a crash
// loses at most the last piece.
struct TJournalRecordSettings {
    std::function<void(const uint8_t* data, std::size_t size)> flush;
    std::size_t flushBytes = 16 * 1024;
    uint32_t flushMillis = 1000;
    uint32_t checkpointMillis = 0;  // game time between checkpoints; 0: none
};

void StartJournalRecording(TJournalRecordSettings settings);
// Hands the recorded bytes not yet flushed to the flush function.
void FlushJournal();
// Replaying: the whole decoded stream. `paced` keeps the replay to the
// recorded speed on the wall clock (a replay to watch); otherwise it runs as
// fast as the processor allows.
// `checkpointMillis`: the interval the stream was recorded with (0: none).
void StartJournalReplay(std::vector<uint8_t> stream, bool paced, uint32_t checkpointMillis = 0);
// Back to live input (the recorder is flushed first).
void StopJournal();
JournalMode CurrentJournalMode();

// Watching a paced replay: its speed (1, 2, 4 or 8 times the recorded one;
// 0 holds it still). While held, `whileHeld` runs about every 20 ms with the
// journal set aside: the events it pumps reach only the live counters, and
// no pump is counted. Nothing changes what the replay does, only when.
void SetJournalReplaySpeed(int speed);
int JournalReplaySpeed();
void SetJournalHoldHook(std::function<void()> whileHeld);

// Replay progress: records consumed, and whether the whole stream was used.
std::size_t JournalRecordsRead();
bool JournalExhausted();
// Checkpoints written or checked so far.
std::size_t JournalCheckpoints();
// The game time of the first and the latest clock reading (recording or replaying).
uint32_t JournalFirstMillis();
uint32_t JournalLastMillis();

// A source of synthetic window events (scripted runs): events queued here
// are delivered, like the window system's, by the next event pump.
void QueueKeyEvent(int key, bool down);

// The player's own input, whatever the journal does with it (a replay shuts
// it out of the key tables): every live key, button, click or window event
// counts an event; key and button presses (not repeats) and clicks also
// count a press, and the latest pressed key is kept (0 for a click).
struct TLiveInput {
    uint64_t events = 0;
    uint64_t presses = 0;
    int lastKey = 0;
    std::bitset<256> held;  // keys down on the player's keyboard or pad now
};
TLiveInput JournalLiveInput();
// A click or a window event that never enters the key tables.
void JournalNoteLiveEvent(bool press);

// Called at the start of every event pump (after each pump's index is
// counted), for frame timing of replays.
void SetJournalPumpObserver(std::function<void()> observer);

// ---- The seam: one call at each place the game reads from outside ----
// PumpEvents: delivers queued and replayed events through `deliver` (the
// key tables' own entry points: tag kJournalKeyDown, ...Repeat, ...Up, ...Focus,
// ...FocusLost).
void JournalPump(void (*deliver)(JournalTag tag, int key));
// Post* entry points: whether a live event may enter the key tables. A
// recording notes it; a replay drops live events (its own come from the stream).
bool JournalKeyEvent(JournalTag tag, int key);
// CurrentMillis: the reading the game sees, given the live clock's.
uint32_t JournalMillis(uint32_t live);
// SeedRandom: the seed the game uses.
int JournalSeed(int seed);
// IsChannelBusy: the answer the game sees.
bool JournalChannelBusy(bool busy);

}  // namespace sq
