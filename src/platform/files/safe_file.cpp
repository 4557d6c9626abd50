#include "platform/files/safe_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/files/stream.h"
#include "platform/system/web.h"

namespace sq {

namespace {

FileKind KindOf(mode_t mode) {
    if (S_ISREG(mode)) return FileKind::kPlain;
    if (S_ISDIR(mode)) return FileKind::kDirectory;
    if (S_ISLNK(mode)) return FileKind::kLink;
    if (S_ISFIFO(mode)) return FileKind::kPipe;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return FileKind::kDevice;
    if (S_ISSOCK(mode)) return FileKind::kSocket;
    return FileKind::kOther;
}

std::string ErrnoText(int err) { return err ? std::strerror(err) : "unknown error"; }

std::string NotPlain(FileKind kind) { return std::string("it is ") + DescribeFileKind(kind) + ", not a plain file"; }

// The folder and the bare name of a path.
void SplitPath(const std::string& path, std::string& dir, std::string& name) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        dir = ".";
        name = path;
    } else {
        dir = slash == 0 ? "/" : path.substr(0, slash);
        name = path.substr(slash + 1);
    }
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

void SyncFolder(const std::string& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

unsigned temporaryCounter = 0;

}  // namespace

FileKind PathFileKind(const std::string& path) {
    struct stat st;
    if (::lstat(NativePath(path).c_str(), &st) != 0) return FileKind::kNone;
    return KindOf(st.st_mode);
}

const char* DescribeFileKind(FileKind kind) {
    switch (kind) {
        case FileKind::kNone:
            return "missing";
        case FileKind::kPlain:
            return "a plain file";
        case FileKind::kDirectory:
            return "a directory";
        case FileKind::kLink:
            return "a symbolic link";
        case FileKind::kPipe:
            return "a named pipe";
        case FileKind::kDevice:
            return "a device";
        case FileKind::kSocket:
            return "a socket";
        case FileKind::kOther:
            break;
    }
    return "a special file";
}

TPlainRead ReadPlainFile(const std::string& path, std::size_t maxBytes, bool followLinks) {
    TPlainRead result;
    const std::string native = NativePath(path);
    result.kind = PathFileKind(native);
    if (result.kind != FileKind::kPlain && !(followLinks && result.kind == FileKind::kLink)) {
        result.error = result.kind == FileKind::kNone ? ErrnoText(ENOENT) : NotPlain(result.kind);
        return result;
    }
    // Nothing waits for a writer, and no link is followed unless asked, even
    // if something else was put at the path since it was looked at; what was
    // opened is checked again below.
    const int kFlags = (followLinks ? 0 : O_NOFOLLOW) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    // Data files are only ever read; a file the game rewrites is tried for
    // writing too, so the caller learns early that a save would fail.
    int fd = followLinks ? -1 : ::open(native.c_str(), O_RDWR | kFlags);
    result.writable = fd >= 0;
    if (fd < 0) fd = ::open(native.c_str(), O_RDONLY | kFlags);
    if (fd < 0) {
        result.error = errno == ELOOP ? NotPlain(FileKind::kLink) : ErrnoText(errno);
        return result;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        result.kind = KindOf(st.st_mode);
        result.error = NotPlain(result.kind);
        ::close(fd);
        return result;
    }
    // Sized by what the file says it holds, and grown if it holds more by
    // the time it is read: a large limit costs nothing for a small file.
    result.bytes.resize(std::min<std::size_t>(maxBytes, std::size_t(std::max<off_t>(st.st_size, 0)) + 1));
    std::size_t got = 0;
    while (got < maxBytes) {
        if (got == result.bytes.size()) result.bytes.resize(std::min(maxBytes, result.bytes.size() * 2));
        ssize_t n = ::read(fd, result.bytes.data() + got, result.bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            result.error = ErrnoText(errno);
            ::close(fd);
            result.bytes.clear();
            return result;
        }
        if (n == 0) break;
        got += std::size_t(n);
    }
    ::close(fd);
    result.bytes.resize(got);
    result.ok = true;
    return result;
}

bool ReadWholeFile(const std::string& path, std::string& out, std::size_t maxBytes) {
    out.clear();
    TPlainRead file = ReadPlainFile(path, maxBytes + 1, /*followLinks=*/true);
    if (!file.ok || file.bytes.size() > maxBytes) return false;
    out = std::move(file.bytes);
    return true;
}

std::string TemporaryPrefix(const std::string& path) { return NativePath(path) + ".tmp"; }

bool ReplaceFileWhole(const std::string& path, const std::string& bytes, std::string& error) {
    const std::string native = NativePath(path);
    FileKind kind = PathFileKind(native);
    if (kind != FileKind::kNone && kind != FileKind::kPlain) {
        error = NotPlain(kind);
        return false;
    }
    std::string dir, name;
    SplitPath(native, dir, name);

    // A fresh name of our own: created here and now, never an existing file
    // or a link someone left under the name.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = TemporaryPrefix(native) + "." + std::to_string(::getpid()) + "." + std::to_string(++temporaryCounter);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        error = "cannot create a temporary file in " + dir + ": " + ErrnoText(errno);
        return false;
    }
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok) {
        // Checked once more just before the rename: a pipe or a directory
        // put there meanwhile is left alone.
        kind = PathFileKind(native);
        if (kind != FileKind::kNone && kind != FileKind::kPlain) {
            ::unlink(temp.c_str());
            error = NotPlain(kind);
            return false;
        }
        ok = std::rename(temp.c_str(), native.c_str()) == 0;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        error = ErrnoText(err);
        return false;
    }
    SyncFolder(dir);
    web::PersistSavedFiles();
    return true;
}

int RemoveStrayTemporaries(const std::string& path) {
    const std::string native = NativePath(path);
    std::string dir, name;
    SplitPath(native, dir, name);
    const std::string prefix = name + ".tmp";
    DIR* d = ::opendir(dir.c_str());
    if (!d) return 0;
    int removed = 0;
    while (const dirent* e = ::readdir(d)) {
        std::string entry = e->d_name;
        if (entry.compare(0, prefix.size(), prefix) != 0) continue;
        std::string full = dir == "/" ? std::string() : dir;
        full.append("/").append(entry);
        FileKind kind = PathFileKind(full);
        // unlink removes a link itself, never the file it points at.
        if ((kind == FileKind::kPlain || kind == FileKind::kLink) && ::unlink(full.c_str()) == 0) ++removed;
    }
    ::closedir(d);
    return removed;
}

}  // namespace sq
