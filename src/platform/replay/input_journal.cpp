#include "platform/replay/input_journal.h"

#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>

#include "platform/system/web.h"

namespace sq {

namespace {

using Steady = std::chrono::steady_clock;

struct TJournal {
    JournalMode mode = JournalMode::kOff;
    // Both directions.
    uint64_t pumps = 0;          // event pumps run so far
    uint64_t lastEventPump = 0;  // the pump of the latest key or focus event
    uint32_t lastMillis = 0;     // the latest clock reading
    uint32_t firstMillis = 0;    // the first one
    bool anyMillis = false;
    std::function<void()> observer;
    std::vector<std::pair<int, bool>> queued;
    TJournalCheckpointSource checkpoints;
    uint32_t checkpointMillis = 0;  // 0: this run has no checkpoints
    uint32_t lastCheckpoint = 0;    // game time of the latest checkpoint
    bool checkpointStarted = false;
    std::size_t checkpointCount = 0;
    // Recording.
    TJournalRecordSettings settings;
    std::vector<uint8_t> pending;
    uint32_t lastFlushMillis = 0;
    // Replaying.
    std::vector<uint8_t> stream;
    std::size_t pos = 0;
    std::size_t records = 0;
    bool paced = false;
    bool pacingStarted = false;
    uint32_t pacingFrom = 0;
    Steady::time_point wallStart;
    bool injecting = false;  // a replayed event is entering the key tables
    TLiveInput live;
    int speed = 1;          // of a paced replay; 0: held still
    bool setAside = false;  // the hold hook is pumping events
    std::function<void()> whileHeld;
};

TJournal& J() {
    static TJournal journal;
    return journal;
}

uint32_t ZigZag(int32_t v) { return (uint32_t(v) << 1) ^ uint32_t(v >> 31); }
int32_t UnZigZag(uint32_t v) { return int32_t(v >> 1) ^ -int32_t(v & 1); }

void Append(uint8_t byte) { J().pending.push_back(byte); }

void AppendNumber(uint64_t v) {
    while (v >= 0x80) {
        Append(uint8_t(v | 0x80));
        v >>= 7;
    }
    Append(uint8_t(v));
}

void FlushIfFull() {
    TJournal& j = J();
    if (j.pending.size() >= j.settings.flushBytes) FlushJournal();
}

// ---- Reading the replay stream ----

std::string GameTime() {
    TJournal& j = J();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f s", double(j.lastMillis - j.firstMillis) / 1000.0);
    return buf;
}

[[noreturn]] void OutOfStep(const std::string& what) {
    TJournal& j = J();
    throw TJournalOutOfStep("out of step at " + GameTime() + " (record " + std::to_string(j.records + 1) + ", byte " +
                            std::to_string(j.pos) + "): " + what);
}

const char* TagName(int tag) {
    // By tag number; 0 and anything past the last tag are unknown.
    static const char* const kNames[] = {"an unknown record", "a clock reading", "a key press",     "a key repeat",
                                         "a key release",     "a focus change",  "the random seed", "a channel answer",
                                         "a channel answer",  "a checkpoint"};
    return tag >= kJournalClock && tag <= kJournalCheckpoint ? kNames[tag] : kNames[0];
}

// Reads a LEB128 number at `pos` without consuming; returns the bytes used,
// 0 when the stream ends inside it. Throws on a number wider than 64 bits.
std::size_t PeekNumber(std::size_t pos, uint64_t& value) {
    const std::vector<uint8_t>& s = J().stream;
    value = 0;
    for (int shift = 0, n = 0; shift < 64; shift += 7, ++n) {
        if (pos + std::size_t(n) >= s.size()) return 0;
        uint8_t b = s[pos + std::size_t(n)];
        value |= uint64_t(b & 0x7F) << shift;
        if (!(b & 0x80)) return std::size_t(n) + 1;
    }
    OutOfStep("a number in the stream is malformed");
}

uint64_t ReadNumber() {
    uint64_t v;
    std::size_t used = PeekNumber(J().pos, v);
    if (used == 0) throw TJournalEnded();
    J().pos += used;
    return v;
}

bool IsChannelAnswer(int tag) { return tag == kJournalChannelIdle || tag == kJournalChannelBusy; }

// Consumes the next tag, which must be one of `a` or `b`.
int ReadTag(int a, int b = -1) {
    TJournal& j = J();
    if (j.pos >= j.stream.size()) throw TJournalEnded();
    int tag = j.stream[j.pos];
    if (j.checkpointMillis > 0 && tag != a && tag != b && IsChannelAnswer(tag) && !IsChannelAnswer(a)) {
        // Sounds came out of turn; the next checkpoint decides whether it matters.
        while (j.pos < j.stream.size() && IsChannelAnswer(j.stream[j.pos])) {
            ++j.pos;
            ++j.records;
        }
        if (j.pos >= j.stream.size()) throw TJournalEnded();
        tag = j.stream[j.pos];
    }
    if (tag != a && tag != b)
        OutOfStep(std::string("the game asked for ") + TagName(a) + " but the file holds " + TagName(tag));
    ++j.pos;
    ++j.records;
    return tag;
}

void RestMillis(uint32_t ms) {
    if constexpr (web::kBrowser)
        web::Sleep(ms);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Held still: the hook watches the player's keys until the speed changes.
void WhileHeld() {
    TJournal& j = J();
    while (j.speed == 0 && j.mode == JournalMode::kReplay) {
        if (j.whileHeld) {
            j.setAside = true;
            try {
                j.whileHeld();
            } catch (...) {
                j.setAside = false;
                throw;
            }
            j.setAside = false;
        }
        if (j.speed == 0) RestMillis(20);
    }
}

void PaceToWallClock(uint32_t millis) {
    TJournal& j = J();
    if (j.speed == 0) {
        WhileHeld();
        j.pacingStarted = false;  // counted again from here
    }
    if (!j.pacingStarted) {
        j.pacingStarted = true;
        j.pacingFrom = millis;
        j.wallStart = Steady::now();
        return;
    }
    int32_t ahead = int32_t(millis - j.pacingFrom) / (j.speed > 0 ? j.speed : 1);
    if (ahead <= 0) return;
    const auto due = j.wallStart + std::chrono::milliseconds(ahead);
    if constexpr (web::kBrowser) {
        // The page's thread waits by handing control to the browser.
        for (auto now = Steady::now(); now < due; now = Steady::now())
            web::Sleep(uint32_t(std::chrono::ceil<std::chrono::milliseconds>(due - now).count()));
        return;
    }
    std::this_thread::sleep_until(due);
}

// Delivers the replayed key and focus events that belong to this pump.
void DeliverReplayedEvents(void (*deliver)(JournalTag, int)) {
    TJournal& j = J();
    // Channel answers the game did not ask for before this pump: sounds out
    // of turn, left to the next checkpoint.
    if (j.checkpointMillis > 0)
        while (j.pos < j.stream.size() && IsChannelAnswer(j.stream[j.pos])) {
            ++j.pos;
            ++j.records;
        }
    while (j.pos < j.stream.size()) {
        int tag = j.stream[j.pos];
        if ((tag < kJournalKeyDown || tag > kJournalFocus) && tag != kJournalFocusLost) return;
        uint64_t delta;
        std::size_t used = PeekNumber(j.pos + 1, delta);
        if (used == 0) return;  // the stream ends inside the record: the next read says so
        uint64_t pump = j.lastEventPump + delta;
        if (pump > j.pumps) return;
        if (pump < j.pumps) OutOfStep("an event was due in an earlier pump");
        j.pos += 1 + used;
        ++j.records;
        j.lastEventPump = pump;
        int key = 0;
        if (tag != kJournalFocus && tag != kJournalFocusLost) {
            if (j.pos >= j.stream.size()) throw TJournalEnded();
            key = j.stream[j.pos++];
        }
        j.injecting = true;
        try {
            deliver(JournalTag(tag), key);
        } catch (...) {
            j.injecting = false;
            throw;
        }
        j.injecting = false;
    }
}

void ResetCounters() {
    TJournal& j = J();
    j.checkpointStarted = false;
    j.lastCheckpoint = 0;
    j.checkpointCount = 0;
    j.pumps = 0;
    j.lastEventPump = 0;
    j.lastMillis = 0;
    j.firstMillis = 0;
    j.anyMillis = false;
    j.queued.clear();
    j.injecting = false;
}

}  // namespace

void StartJournalRecording(TJournalRecordSettings settings) {
    StopJournal();
    TJournal& j = J();
    ResetCounters();
    j.settings = std::move(settings);
    if (j.settings.flushBytes == 0) j.settings.flushBytes = 1;
    j.pending.clear();
    j.pending.reserve(j.settings.flushBytes + 64);
    j.lastFlushMillis = 0;
    j.checkpointMillis = j.settings.checkpointMillis;
    j.mode = JournalMode::kRecord;
}

void FlushJournal() {
    TJournal& j = J();
    if (j.mode != JournalMode::kRecord || j.pending.empty()) return;
    if (j.settings.flush) j.settings.flush(j.pending.data(), j.pending.size());
    j.pending.clear();
}

void StartJournalReplay(std::vector<uint8_t> stream, bool paced, uint32_t checkpointMillis) {
    StopJournal();
    TJournal& j = J();
    ResetCounters();
    j.stream = std::move(stream);
    j.pos = 0;
    j.records = 0;
    j.paced = paced;
    j.pacingStarted = false;
    j.checkpointMillis = checkpointMillis;
    j.speed = 1;
    j.mode = JournalMode::kReplay;
}

void StopJournal() {
    TJournal& j = J();
    if (j.mode == JournalMode::kRecord) FlushJournal();
    j.mode = JournalMode::kOff;
    j.checkpointMillis = 0;
    j.settings = {};
    j.stream.clear();
    j.stream.shrink_to_fit();
    j.queued.clear();
}

JournalMode CurrentJournalMode() { return J().mode; }
std::size_t JournalRecordsRead() { return J().records; }
std::size_t JournalCheckpoints() { return J().checkpointCount; }
void SetJournalCheckpointSource(TJournalCheckpointSource source) { J().checkpoints = std::move(source); }
bool JournalExhausted() { return J().mode == JournalMode::kReplay && J().pos >= J().stream.size(); }
uint32_t JournalFirstMillis() { return J().firstMillis; }
uint32_t JournalLastMillis() { return J().lastMillis; }

namespace {

void NoteMillis(uint32_t v) {
    TJournal& j = J();
    if (!j.anyMillis) j.firstMillis = v;
    j.anyMillis = true;
    j.lastMillis = v;
}

// At each pump: whether a checkpoint is due now (the same answer while
// recording and replaying, since the clock readings are the same).
bool CheckpointDue() {
    TJournal& j = J();
    if (j.checkpointMillis == 0 || !j.anyMillis) return false;
    if (!j.checkpointStarted) {
        j.checkpointStarted = true;
        j.lastCheckpoint = j.lastMillis;
        return false;
    }
    if (j.lastMillis - j.lastCheckpoint < j.checkpointMillis) return false;
    j.lastCheckpoint = j.lastMillis;
    ++j.checkpointCount;
    return true;
}

void WriteCheckpoint() {
    TJournal& j = J();
    TJournalCheckpoint now;
    if (j.checkpoints.take) j.checkpoints.take(now);
    Append(kJournalCheckpoint);
    AppendNumber(kCheckpointFields);
    for (uint32_t v : now.fields) AppendNumber(v);
    FlushIfFull();
}

void CheckCheckpoint() {
    TJournal& j = J();
    ReadTag(kJournalCheckpoint);
    uint64_t count = ReadNumber();
    if (count > 1024) OutOfStep("a checkpoint is malformed");
    TJournalCheckpoint recorded, now;
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t v = ReadNumber();
        if (v > 0xFFFFFFFFu) OutOfStep("a checkpoint is malformed");
        if (i < kCheckpointFields) recorded.fields[i] = uint32_t(v);
    }
    if (!j.checkpoints.take) return;
    j.checkpoints.take(now);
    // Fields a later game added are compared only when the file has them.
    for (std::size_t i = count; i < kCheckpointFields; ++i) now.fields[i] = 0;
    bool same = true;
    for (std::size_t i = 0; i < kCheckpointFields; ++i) same = same && now.fields[i] == recorded.fields[i];
    if (same) return;
    std::string what = j.checkpoints.describe ? j.checkpoints.describe(now, recorded) : std::string();
    if (what.empty()) what = "the game state differs";
    throw TJournalOutOfStep("out of step at " + GameTime() + ": " + what);
}

}  // namespace

void QueueKeyEvent(int key, bool down) { J().queued.emplace_back(key, down); }

void SetJournalPumpObserver(std::function<void()> observer) { J().observer = std::move(observer); }

void JournalPump(void (*deliver)(JournalTag tag, int key)) {
    TJournal& j = J();
    if (j.setAside) return;
    ++j.pumps;
    if (j.observer) j.observer();
    if (j.mode != JournalMode::kOff && CheckpointDue()) {
        if (j.mode == JournalMode::kRecord)
            WriteCheckpoint();
        else
            CheckCheckpoint();
    }
    if (j.mode == JournalMode::kReplay) {
        j.queued.clear();
        DeliverReplayedEvents(deliver);
        return;
    }
    if (j.queued.empty()) return;
    // Posting may not queue more; still, take the list first.
    std::vector<std::pair<int, bool>> events;
    events.swap(j.queued);
    for (auto [key, down] : events) deliver(down ? kJournalKeyDown : kJournalKeyUp, key);
    events.clear();
    if (j.queued.empty()) j.queued.swap(events);  // keeps the storage
}

TLiveInput JournalLiveInput() { return J().live; }

void SetJournalReplaySpeed(int speed) {
    TJournal& j = J();
    if (speed == j.speed) return;
    j.speed = speed;
    j.pacingStarted = false;  // the wall clock is counted afresh at the new speed
}

int JournalReplaySpeed() { return J().speed; }

void SetJournalHoldHook(std::function<void()> whileHeld) { J().whileHeld = std::move(whileHeld); }

void JournalNoteLiveEvent(bool press) {
    TJournal& j = J();
    ++j.live.events;
    if (press) {
        ++j.live.presses;
        j.live.lastKey = 0;
    }
}

bool JournalKeyEvent(JournalTag tag, int key) {
    TJournal& j = J();
    if (!j.injecting) {
        ++j.live.events;
        if (tag == kJournalKeyDown) {
            ++j.live.presses;
            j.live.lastKey = key;
        }
        if (tag == kJournalFocus)
            j.live.held.reset();
        else if (tag != kJournalFocusLost && key >= 0 && key < 256)
            j.live.held.set(std::size_t(key), tag != kJournalKeyUp);
    }
    switch (j.mode) {
        case JournalMode::kOff:
            return true;
        case JournalMode::kReplay:
            return j.injecting;
        case JournalMode::kRecord:
            break;
    }
    Append(uint8_t(tag));
    AppendNumber(j.pumps - j.lastEventPump);
    j.lastEventPump = j.pumps;
    if (tag != kJournalFocus && tag != kJournalFocusLost) Append(uint8_t(key));
    FlushIfFull();
    return true;
}

uint32_t JournalMillis(uint32_t live) {
    TJournal& j = J();
    if (j.mode == JournalMode::kReplay) {
        ReadTag(kJournalClock);
        uint64_t raw = ReadNumber();
        if (raw > 0xFFFFFFFFu) OutOfStep("a clock step is out of range");
        NoteMillis(j.lastMillis + uint32_t(UnZigZag(uint32_t(raw))));
        if (j.paced) PaceToWallClock(j.lastMillis);
        return j.lastMillis;
    }
    uint32_t now = live;
    if (j.mode == JournalMode::kRecord) {
        Append(kJournalClock);
        AppendNumber(ZigZag(int32_t(now - j.lastMillis)));
        if (int32_t(now - j.lastFlushMillis) >= int32_t(j.settings.flushMillis)) {
            j.lastFlushMillis = now;
            FlushJournal();
        } else {
            FlushIfFull();
        }
    }
    NoteMillis(now);
    return now;
}

int JournalSeed(int seed) {
    TJournal& j = J();
    if (j.mode == JournalMode::kReplay) {
        ReadTag(kJournalSeed);
        uint64_t v = ReadNumber();
        if (v > 0xFFFFFFFFu) OutOfStep("the seed is out of range");
        return int(uint32_t(v));
    }
    if (j.mode == JournalMode::kRecord) {
        Append(kJournalSeed);
        AppendNumber(uint32_t(seed));
        FlushIfFull();
    }
    return seed;
}

bool JournalChannelBusy(bool busy) {
    TJournal& j = J();
    if (j.mode == JournalMode::kReplay) {
        if (j.checkpointMillis > 0 && j.pos < j.stream.size() && !IsChannelAnswer(j.stream[j.pos]))
            return busy;  // a sound out of turn: the next checkpoint decides
        return ReadTag(kJournalChannelIdle, kJournalChannelBusy) == kJournalChannelBusy;
    }
    if (j.mode == JournalMode::kRecord) {
        Append(busy ? kJournalChannelBusy : kJournalChannelIdle);
        FlushIfFull();
    }
    return busy;
}

}  // namespace sq
