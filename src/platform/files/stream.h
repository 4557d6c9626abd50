#pragma once
// platform/files: paths, file streams and the safe reading and replacing of
// files. Uses system/ only.
//
// File streams: paths relative to the working directory, a backslash counts
// as a directory separator, integers little-endian.
#include <cstdio>
#include <memory>
#include <string>

namespace sq {

class TStream {
public:
    explicit TStream(std::FILE* f, std::string path) : file_(f), path_(std::move(path)) {}
    ~TStream();
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    std::FILE* File() { return file_; }
    const std::string& Path() const { return path_; }
    // Closes the file; false when the close reported a failed write.
    bool Close();

    // A C stream opened for reading and writing needs a seek or flush when
    // it turns from one to the other; the stream functions track the turns.
    enum class LastOp { kNone, kRead, kWrite };
    LastOp lastOp = LastOp::kNone;

private:
    std::FILE* file_;
    std::string path_;
};
using StreamRef = std::shared_ptr<TStream>;

std::string NativePath(const std::string& path);  // backslashes to slashes
int PathKind(const std::string& path);            // 0 none, 1 file, 2 directory, 3 pipe, device or socket

StreamRef OpenFileStream(const std::string& path, int readable, int writeable);
inline StreamRef OpenReadStream(const std::string& path) { return OpenFileStream(path, 1, 0); }
inline StreamRef CreateFileStream(const std::string& path) { return OpenFileStream(path, 0, 1); }
// Closes the file; a close that fails to write raises "Error writing to stream".
void CloseFileStream(const StreamRef& stream);

int StreamPosition(const StreamRef& stream);
void StreamSeek(const StreamRef& stream, int offset);
bool StreamEof(const StreamRef& stream);
int StreamSize(const StreamRef& stream);

// Reads at the end of the file stop quietly: missing bytes count as 0
// (ReadBytesText always returns n characters, code 0 for the missing ones).
// A read that fails before the end raises "Error reading from stream".
int StreamReadByte(const StreamRef& stream);
int ReadInt32(const StreamRef& stream);
std::string ReadBytesText(const StreamRef& stream, int n);
// Raw bytes; returns how many were read (the rest of `out` is zeroed).
int ReadBytes(const StreamRef& stream, void* out, int n);

// A failed write raises "Error writing to stream".
void WriteInt32(const StreamRef& stream, int value);
void WriteBytesText(const StreamRef& stream, const std::string& text);
void WriteBytes(const StreamRef& stream, const void* data, int n);
void FlushStream(const StreamRef& stream);  // to the disk (fflush + fsync)

}  // namespace sq
