#pragma once
// Where things are on this computer: the folder the executable was started
// from and the user's data folder for saved files.
#include <string>

namespace sq {

// The executable's folder, ending in '/', or "" when it cannot be found.
std::string ExecutableDir();

// The user's data folder for `app` ("$XDG_DATA_HOME/app/", or
// "~/.local/share/app/" when XDG_DATA_HOME is unset, empty or relative),
// ending in '/'. "" when neither variable gives a place.
std::string UserDataDir(const std::string& app);

// The user's settings folder for `app` ("$XDG_CONFIG_HOME/app/", or
// "~/.config/app/"), ending in '/'; "" when neither variable gives a place.
std::string UserConfigDir(const std::string& app);

// Creates `path` and every missing folder above it. True when it exists as a
// folder afterwards.
bool MakeFolders(const std::string& path);

bool IsFolder(const std::string& path);

// The current working folder, ending in '/'.
std::string WorkingDir();

// Makes `path` the working folder. True on success.
bool ChangeDir(const std::string& path);

// `path` made absolute against the working folder (a path that already is
// stays as it is).
std::string AbsolutePath(const std::string& path);

}  // namespace sq
