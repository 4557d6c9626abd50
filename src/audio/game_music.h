#pragma once
// One looping tune at a time on a channel of its own.
#include <memory>

#include "platform/sound.h"

class CGameMusic {
public:
    void Init();
    void Select(int n);  // 1 in game, 2 high scores, 3 menu, 4 credits and end
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
