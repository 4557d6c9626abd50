#pragma once
// Small files the game both reads and rewrites (the high-score table): read
// only when they are plain files, never blocking on a pipe or device, and
// replaced whole through a private temporary file, so that a crash or a full
// disk leaves the old contents or the new, and a link planted in the folder
// never redirects a write.
#include <cstddef>
#include <string>

namespace sq {

// What lies at a path, without following a symbolic link.
enum class FileKind { kNone, kPlain, kDirectory, kLink, kPipe, kDevice, kSocket, kOther };
FileKind PathFileKind(const std::string& path);
// "a directory", "a symbolic link", "a named pipe", ...
const char* DescribeFileKind(FileKind kind);

struct TPlainRead {
    bool ok = false;
    bool writable = false;  // the file could also have been opened for writing
    FileKind kind = FileKind::kNone;
    std::string bytes;  // at most the asked number of bytes
    std::string error;  // why it failed, in words
};
// Reads at most maxBytes of a plain file. Anything else at the path (a link,
// a pipe, a device, a socket, a directory) is refused without blocking.
// With followLinks, a link to a plain file is read too (the game's data may
// be installed as links); what it points at must still be a plain file.
TPlainRead ReadPlainFile(const std::string& path, std::size_t maxBytes, bool followLinks = false);

// The largest data file the game reads whole (maps, replays, pictures and
// sounds are a small fraction of it).
inline constexpr std::size_t kMaxWholeFileBytes = std::size_t(256) << 20;
// Reads a whole data file through ReadPlainFile, following links; false when
// it is missing, not a plain file, unreadable or larger than maxBytes.
bool ReadWholeFile(const std::string& path, std::string& out, std::size_t maxBytes = kMaxWholeFileBytes);

// Replaces the file at path with bytes: written to a new temporary file in
// the same folder (created exclusively, never through a link), synced, renamed
// over path, and the folder synced. Refuses to replace anything at path that
// is not a plain file. On failure returns false with the reason in error and
// leaves path as it was.
bool ReplaceFileWhole(const std::string& path, const std::string& bytes, std::string& error);

// Prefix of the temporary files ReplaceFileWhole makes for path.
std::string TemporaryPrefix(const std::string& path);
// Removes temporary files an interrupted replace left beside path (plain
// files and links whose name starts with the prefix; never what a link points
// at). Returns how many were removed.
int RemoveStrayTemporaries(const std::string& path);

}  // namespace sq
