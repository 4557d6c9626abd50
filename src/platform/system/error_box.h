#pragma once
// The box that tells a player why the game stopped. A game started from a
// desktop menu has no terminal, so without it the game would just vanish.
#include <string>

namespace sq {

// Shows `message` in a window of its own and waits until the player closes
// it (any key, a click, or the close button) or a quit signal arrives. Uses
// the desktop's own message box where there is one, else draws the box with
// the game's built-in font, which needs nothing from the X server (a bare
// one has no fonts for the desktop's box). False when there is no display
// to show it on, or SNOWQUILL_NO_ERROR_BOX is set (unattended runs).
bool ShowFatalErrorBox(const std::string& title, const std::string& message);

// The lines the box shows: the message split at its line breaks and
// wrapped at spaces to at most `width` characters.
std::string WrapForBox(const std::string& message, std::size_t width);

}  // namespace sq
