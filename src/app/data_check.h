#pragma once
// A look at the game's data before the first screen: every file that a
// screen or level loads later must be present, readable and look like a file
// of its kind, so that a damaged file stops the game at once with its name,
// not after minutes of play.
#include <string>
#include <vector>

// kStreamedSound: a sound played from its file, decoded here from end to end
// (a tune has its header checked only).
enum class TDataKind { kPicture, kSound, kMap, kStreamedSound };

struct TDataFile {
    std::string path;  // as the game writes it (a backslash is a separator)
    TDataKind kind;
};

// The files loaded after start-up: the splash, the level backgrounds and
// maps, the music, the pictures and narration of the screens that load their
// own, and the table's sounds that play from their files.
std::vector<TDataFile> LaterDataFiles();

// Empty when the file looks loadable, else the reason in words. Pictures are
// decoded whole; sounds and maps have their headers checked.
std::string CheckDataFile(const TDataFile& file);

// Stops the game with the file's name when a resource failed to load or a
// later file is missing or damaged.
void CheckGameData();
