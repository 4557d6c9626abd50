#pragma once
// A look at the game's data before the first screen: every file that a
// screen or level loads later must be present, readable and look like a file
// of its kind, so that a damaged file stops the game at once with its name,
// not after minutes of play.
#include <string>
#include <vector>

enum class TDataKind { kPicture, kSound, kMap };

struct TDataFile {
    std::string path;  // as the game writes it (a backslash is a separator)
    TDataKind kind;
};

// The files loaded after start-up: the splash, the level backgrounds and
// maps, the music, and the pictures and narration of the screens that load
// their own.
std::vector<TDataFile> LaterDataFiles();

// Empty when the file looks loadable, else the reason in words. Pictures are
// decoded whole; sounds and maps have their headers checked.
std::string CheckDataFile(const TDataFile& file);

// Stops the game with the file's name when a resource failed to load or a
// later file is missing or damaged.
void CheckGameData();
