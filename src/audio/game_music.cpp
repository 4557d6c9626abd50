#include "audio/game_music.h"

#include "core/globals.h"
#include "core/loaded_files.h"
#include "platform/system/runtime_error.h"

using namespace sq;

namespace {
constexpr TTuneInfo kTunes[4] = {
    {"musica/OnGame.ogg", 0.55f},    // the levels: quieter, under the effects
    {"musica/HiScores.ogg", 1.0f},   // the high-score screen
    {"musica/MenuMusic.ogg", 1.0f},  // the title menu
    {"musica/full.ogg", 1.0f},       // the credits and the end screen
};
}  // namespace

const TTuneInfo* TuneInfo(int n) { return (n >= 1 && n <= 4) ? &kTunes[n - 1] : nullptr; }

void CGameMusic::Init() {
    channel = NewChannel();
    channel->SetSoundGroup(SoundGroup::kMusic);
}

void CGameMusic::Select(int n) {
    const TTuneInfo* info = TuneInfo(n);
    if (!info) return;
    RequireObject(channel, "music channel");
    channel->SetGain(info->gain);
    // The tune is decoded from its file while it plays: selecting costs no
    // more than finding the file, and only a short stretch is held at a time.
    tune = OpenSoundStream(info->file, 1);
}

void CGameMusic::Play() {
    // Cueing replaces whatever the channel played, so the tune always starts
    // from its beginning; a paused tune is restarted, not resumed.
    RequireObject(tune, "music tune");
    RequireObject(channel, "music channel");
    CueSoundOn(tune, channel);
    channel->SetSuspended(0);
}

void CGameMusic::Pause() {
    RequireObject(channel, "music channel");
    channel->SetSuspended(1);
}

void CGameMusic::Release() {
    if (channel) HaltChannel(channel);
    channel.reset();
    tune.reset();
}

void SelectTune(int n) {
    music->Select(n);
    if (const TTuneInfo* info = TuneInfo(n)) NoteLoadedFile(music->tune, info->file);
}
