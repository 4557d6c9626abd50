#include "core/loaded_files.h"

#include <algorithm>

namespace {

std::vector<std::string> missing;

void NoteMissing(const std::string& file) {
    if (std::find(missing.begin(), missing.end(), file) == missing.end()) missing.push_back(file);
}

}  // namespace

void NoteLoadedFile(const sq::ImageRef& image, const std::string& file) {
    if (!image) NoteMissing(file);
}

void NoteLoadedFile(const sq::SoundRef& sound, const std::string& file) {
    if (!sound) NoteMissing(file);
}

const std::vector<std::string>& MissingFiles() { return missing; }

void ForgetMissingFiles() { missing.clear(); }
