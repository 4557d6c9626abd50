#include "platform/files/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/system/web.h"

namespace sq {

namespace {

std::string WithSlash(std::string path) {
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

}  // namespace

std::string ExecutableDir() {
    if constexpr (web::kBrowser) return web::kDataDir;
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    std::string exe(buffer, std::size_t(n));
    std::size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
}

std::string UserConfigDir(const std::string& app) {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return WithSlash(xdg) + app + '/';
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return WithSlash(home) + ".config/" + app + '/';
    return {};
}

std::string UserDataDir(const std::string& app) {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return WithSlash(xdg) + app + '/';
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return WithSlash(home) + ".local/share/" + app + '/';
    return {};
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeFolders(const std::string& path) {
    if (path.empty()) return false;
    for (std::size_t i = 1; i <= path.size(); ++i) {
        if (i != path.size() && path[i] != '/') continue;
        std::string part = path.substr(0, i);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return IsFolder(path);
}

std::string WorkingDir() {
    char buffer[PATH_MAX];
    if (!getcwd(buffer, sizeof buffer)) return {};
    return WithSlash(buffer);
}

bool ChangeDir(const std::string& path) { return !path.empty() && chdir(path.c_str()) == 0; }

std::string AbsolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    return WorkingDir() + path;
}

}  // namespace sq
