#pragma once
// Turns SDL key events into the game's key codes (Windows virtual-key numbers).

namespace sq {

// The virtual-key number of an SDL key, from its key code (which follows the
// keyboard layout, as virtual keys do) and, for letters and digits that the
// layout does not name (non-Latin layouts), its scan code. 0 for keys the
// game's key table has no number for.
int VirtualKeyFromSdl(int sdlKeycode, int sdlScancode);

}  // namespace sq
