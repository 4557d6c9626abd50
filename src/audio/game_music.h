#pragma once
// audio/: the game's music. Uses core/ and the platform.
//
// One looping tune at a time on a channel of its own.
#include <memory>

#include "platform/audio/sound.h"

// The four tunes, by the number Select takes.
inline constexpr int kTuneInGame = 1;
inline constexpr int kTuneHighScores = 2;
inline constexpr int kTuneMenu = 3;
inline constexpr int kTuneCredits = 4;  // credits and the end screen

class CGameMusic {
public:
    void Init();
    void Select(int n);  // one of the kTune numbers
    void Play();         // always from the beginning
    void Pause();
    void Release();

    sq::ChannelRef channel;
    sq::SoundRef tune;
};
using GameMusicRef = std::shared_ptr<CGameMusic>;

struct TTuneInfo {
    const char* file;
    float gain;
};
// Tune 1..4 (nullptr for any other number).
const TTuneInfo* TuneInfo(int n);

// music.Select(n), remembering the tune's file when it failed to load.
void SelectTune(int n);
