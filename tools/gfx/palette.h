#pragma once
// The shared colour palette (assets/gfx/palette.txt) and the ASCII-art
// sprite sources drawn with it (assets/gfx/*.art).
#include <map>
#include <string>

#include "canvas.h"

namespace gfx {

class Palette {
public:
    // Lines: "name rrggbb" (hex); '#' starts a comment.
    void Load(const std::string& path);
    Rgba operator[](const std::string& name) const;
    bool Has(const std::string& name) const { return colours_.count(name) != 0; }

private:
    std::map<std::string, Rgba> colours_;
};

class ArtBook {
public:
    // Lines: "legend C name" maps character C to a palette colour ('.' and ' '
    // are clear); "art NAME" starts a picture whose rows follow until "end".
    void Load(const std::string& path, const Palette& palette);
    const Canvas& operator[](const std::string& name) const;

private:
    std::map<std::string, Canvas> arts_;
};

}  // namespace gfx
