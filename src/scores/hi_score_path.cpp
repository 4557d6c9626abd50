#include <string>

#include "scores/hi_score.h"

namespace {

std::string& Path() {
    static std::string path = kHiScoreFile;
    return path;
}

}  // namespace

void SetHiScoreFilePath(const std::string& path) { Path() = path.empty() ? std::string(kHiScoreFile) : path; }

const std::string& HiScoreFilePath() { return Path(); }
