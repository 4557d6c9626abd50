#pragma once
// The pictures and sounds loaded once at start-up into their globals, and a
// record of every file that failed to load, so that the error stopping the
// game at the first use of the missing object can name the file.
#include <string>
#include <vector>

#include "platform/graphics.h"
#include "platform/sound.h"

struct TResource {
    const char* global;  // the global's name, for messages
    const char* file;
    sq::ImageRef* image;  // exactly one of image and sound is set
    sq::SoundRef* sound;
    int cellWidth, cellHeight, firstCell, cellCount;  // strips only (count 0: a plain image)
    int flags;                                        // image load flags (-1: the default), or the sound's loop flag
};

// The resource table, in loading order.
const std::vector<TResource>& ResourceTable();

// Loads every resource whose loaded flag is not set yet, top to bottom.
void LoadResources();
// Moves the handle of the eight pictures drawn about their centre.
void CenterResourceHandles();
// Forgets which resources were loaded and which files were missing (tests).
void ResetResources();

// Remembers `file` when the load gave the Null object.
void NoteLoadedFile(const sq::ImageRef& image, const std::string& file);
void NoteLoadedFile(const sq::SoundRef& sound, const std::string& file);
// Files that failed to load so far, in the order they were tried.
const std::vector<std::string>& MissingFiles();

// music.Select(n), remembering the tune's file when it failed to load.
void SelectTune(int n);
