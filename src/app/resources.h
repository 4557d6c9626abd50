#pragma once
// The pictures and sounds loaded once at start-up into their globals.
#include <string>
#include <vector>

#include "core/loaded_files.h"
#include "platform/audio/sound.h"
#include "platform/video/graphics.h"

// The splash picture, loaded and dropped by the splash screen itself.
inline constexpr const char* kSplashFile = "gfx/splash.png";

struct TResource {
    const char* global;  // the global's name, for messages
    const char* file;
    sq::ImageRef* image;  // exactly one of image and sound is set
    sq::SoundRef* sound;
    int cellWidth, cellHeight, firstCell, cellCount;  // strips only (count 0: a plain image)
    int flags;  // image load flags (-1: the default), or the sound's: 1 loops, kStreamedSound
};

// A sound of the table decoded while it plays rather than at loading.
inline constexpr int kStreamedSound = 2;

// The resource table, in loading order.
const std::vector<TResource>& ResourceTable();

// Loads every resource whose loaded flag is not set yet, top to bottom.
void LoadResources();
// The size of flash picture the level loop's placement of it was made for.
inline constexpr int kFlashPlaceWidth = 32, kFlashPlaceHeight = 30;
// Moves the handle of the eight pictures drawn about their centre, and the
// hurt flash's so that a burst larger than 32 x 30 stays centred where the
// level loop puts it.
void CenterResourceHandles();
// Forgets which resources were loaded and which files were missing (tests).
void ResetResources();
