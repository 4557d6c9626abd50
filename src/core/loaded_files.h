#pragma once
// A record of every file that failed to load, so that the error stopping the
// game at the first use of the missing picture or sound can name the file.
#include <string>
#include <vector>

#include "platform/audio/sound.h"
#include "platform/video/graphics.h"

// Remembers `file` when the load gave the Null object.
void NoteLoadedFile(const sq::ImageRef& image, const std::string& file);
void NoteLoadedFile(const sq::SoundRef& sound, const std::string& file);
// Files that failed to load so far, in the order they were tried.
const std::vector<std::string>& MissingFiles();
// Forgets the files that failed (tests, and a fresh resource load).
void ForgetMissingFiles();
