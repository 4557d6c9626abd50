#include <SDL.h>

#include <cstdio>

#include "platform/audio/mixer.h"
#include "platform/audio/sound.h"

namespace sq {

namespace {

SDL_AudioDeviceID device = 0;
bool audioSubsystemOurs = false;

void SDLCALL FillAudio(void* /*userdata*/, Uint8* stream, int len) {
    MixAudio(reinterpret_cast<int16_t*>(stream), len / 4);
}

}  // namespace

bool OpenAudio() {
    if (device != 0) return true;
    if (mixer::CurrentMode() == mixer::Mode::kManual) return false;
    if (!SDL_WasInit(SDL_INIT_AUDIO)) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            std::fprintf(stderr, "Snowquill: no sound (%s)\n", SDL_GetError());
            return false;
        }
        audioSubsystemOurs = true;
    }
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = kMixRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;  // about 23 ms: short enough for effects to feel immediate
    want.callback = FillAudio;
    SDL_AudioSpec have;
    // No changes allowed: SDL converts to whatever the hardware wants, so the
    // mixer always fills 44100 Hz stereo 16-bit.
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        std::fprintf(stderr, "Snowquill: no sound (%s)\n", SDL_GetError());
        if (audioSubsystemOurs) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            audioSubsystemOurs = false;
        }
        return false;
    }
    // Commands sent so far were taken on the game thread; from here on the
    // callback takes them.
    mixer::ProcessCommandsHere();
    mixer::SetMode(mixer::Mode::kDevice);
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void CloseAudio() {
    if (device != 0) {
        // Closing waits for a running callback to return.
        SDL_CloseAudioDevice(device);
        device = 0;
    }
    // From here the game runs silently and channels time their sounds on the
    // game clock.
    mixer::SetMode(mixer::Mode::kSilent);
    mixer::ProcessCommandsHere();
    if (audioSubsystemOurs) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        audioSubsystemOurs = false;
    }
}

bool AudioDeviceOpen() { return device != 0; }

void UseManualAudio() {
    if (device != 0) {
        SDL_CloseAudioDevice(device);
        device = 0;
    }
    mixer::SetMode(mixer::Mode::kManual);
    mixer::ProcessCommandsHere();
}

}  // namespace sq
