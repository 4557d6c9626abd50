#include "platform/files/stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/system/runtime_error.h"

namespace sq {

namespace {

std::FILE* RequireFile(const StreamRef& stream) {
    RequireObject(stream, "stream");
    std::FILE* f = stream->File();
    // A closed stream is as good as the Null object.
    if (!f) throw TRuntimeError(kNullObjectMessage, stream->Path());
    return f;
}

std::FILE* ForReading(const StreamRef& stream) {
    std::FILE* f = RequireFile(stream);
    if (stream->lastOp == TStream::LastOp::kWrite) std::fflush(f);
    stream->lastOp = TStream::LastOp::kRead;
    return f;
}

std::FILE* ForWriting(const StreamRef& stream) {
    std::FILE* f = RequireFile(stream);
    if (stream->lastOp == TStream::LastOp::kRead) std::fseek(f, 0, SEEK_CUR);
    stream->lastOp = TStream::LastOp::kWrite;
    return f;
}

// Reads up to n bytes; a short read is fine at the end of the file, but a
// short read because the device failed stops the game.
std::size_t ReadRaw(const StreamRef& stream, void* out, std::size_t n) {
    std::FILE* f = ForReading(stream);
    std::size_t got = std::fread(out, 1, n, f);
    if (got < n && std::ferror(f)) {
        std::clearerr(f);
        throw TRuntimeError(kStreamReadMessage, stream->Path());
    }
    return got;
}

void WriteRaw(const StreamRef& stream, const void* data, std::size_t n) {
    std::FILE* f = ForWriting(stream);
    if (n == 0) return;
    if (std::fwrite(data, 1, n, f) != n || std::ferror(f)) {
        std::clearerr(f);
        throw TRuntimeError(kStreamWriteMessage, stream->Path());
    }
}

}  // namespace

TStream::~TStream() { Close(); }

bool TStream::Close() {
    if (!file_) return true;
    int rc = std::fclose(file_);
    file_ = nullptr;
    return rc == 0;
}

std::string NativePath(const std::string& path) {
    std::string out = path;
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

int PathKind(const std::string& path) {
    struct stat st;
    if (::stat(NativePath(path).c_str(), &st) != 0) return 0;
    if (S_ISDIR(st.st_mode)) return 2;
    // A pipe, a device or a socket is not a file to read: opening one may
    // wait for ever for a writer.
    return S_ISREG(st.st_mode) ? 1 : 3;
}

StreamRef OpenFileStream(const std::string& path, int readable, int writeable) {
    const char* mode = nullptr;
    if (readable && writeable)
        mode = "r+b";
    else if (readable)
        mode = "rb";
    else if (writeable)
        mode = "wb";
    else
        return nullptr;
    std::string native = NativePath(path);
    // A directory opens for reading on Linux but fails on the first read, and
    // a pipe may never answer: treat both as files that cannot be opened.
    struct stat st;
    if (::stat(native.c_str(), &st) == 0) {
        const bool special = !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
        // Devices may be written (a full disk is tested on one) but not read.
        if (S_ISDIR(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || (special && readable)) {
            errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
            return nullptr;
        }
    }
    std::FILE* f = std::fopen(native.c_str(), mode);
    if (!f) return nullptr;
    // Writes go straight to the system, so the write that fails is the one
    // that raises the error (a full disk would otherwise surface only when
    // the buffer is flushed at close).
    if (writeable) std::setvbuf(f, nullptr, _IONBF, 0);
    return std::make_shared<TStream>(f, path);
}

void CloseFileStream(const StreamRef& stream) {
    RequireObject(stream, "stream");
    if (!stream->Close()) throw TRuntimeError(kStreamWriteMessage, stream->Path());
}

int StreamPosition(const StreamRef& stream) {
    long pos = std::ftell(RequireFile(stream));
    if (pos < 0) return 0;
    return pos > 0x7FFFFFFFL ? 0x7FFFFFFF : int(pos);
}

void StreamSeek(const StreamRef& stream, int offset) {
    std::FILE* f = RequireFile(stream);
    if (offset < 0) offset = 0;
    std::fseek(f, long(offset), SEEK_SET);
    stream->lastOp = TStream::LastOp::kNone;
}

int StreamSize(const StreamRef& stream) {
    std::FILE* f = RequireFile(stream);
    if (stream->lastOp == TStream::LastOp::kWrite) std::fflush(f);
    struct stat st;
    if (::fstat(fileno(f), &st) != 0) return 0;
    return st.st_size > 0x7FFFFFFF ? 0x7FFFFFFF : int(st.st_size);
}

bool StreamEof(const StreamRef& stream) { return StreamPosition(stream) >= StreamSize(stream); }

int StreamReadByte(const StreamRef& stream) {
    uint8_t b = 0;
    ReadRaw(stream, &b, 1);
    return b;
}

int ReadInt32(const StreamRef& stream) {
    uint8_t b[4] = {0, 0, 0, 0};
    ReadRaw(stream, b, 4);
    uint32_t v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return int32_t(v);
}

std::string ReadBytesText(const StreamRef& stream, int n) {
    if (n <= 0) {
        RequireFile(stream);
        return {};
    }
    std::string out(std::size_t(n), '\0');
    ReadRaw(stream, out.data(), out.size());
    return out;
}

int ReadBytes(const StreamRef& stream, void* out, int n) {
    if (n <= 0) {
        RequireFile(stream);
        return 0;
    }
    std::size_t got = ReadRaw(stream, out, std::size_t(n));
    std::memset(static_cast<uint8_t*>(out) + got, 0, std::size_t(n) - got);
    return int(got);
}

void WriteInt32(const StreamRef& stream, int value) {
    uint32_t v = uint32_t(value);
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    WriteRaw(stream, b, 4);
}

void WriteBytesText(const StreamRef& stream, const std::string& text) {
    // The game's characters are single bytes already: each one is its own low 8 bits.
    WriteRaw(stream, text.data(), text.size());
}

void WriteBytes(const StreamRef& stream, const void* data, int n) {
    if (n < 0) n = 0;
    WriteRaw(stream, data, std::size_t(n));
}

void FlushStream(const StreamRef& stream) {
    std::FILE* f = RequireFile(stream);
    if (std::fflush(f) != 0) {
        std::clearerr(f);
        throw TRuntimeError(kStreamWriteMessage, stream->Path());
    }
    // Devices and pipes cannot be synced (EINVAL); that is not a lost write.
    if (::fsync(fileno(f)) != 0 && errno != EINVAL && errno != EROFS)
        throw TRuntimeError(kStreamWriteMessage, stream->Path());
}

}  // namespace sq
