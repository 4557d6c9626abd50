#include <stdexcept>

#include "generator.h"

namespace gfx {

void Context::Add(const std::string& file, Canvas image, PngKind kind, const std::string& note, int cellW, int cellH) {
    pictures.push_back(Picture{file, std::move(image), kind, cellW, cellH, note});
}

const Picture& Context::Find(const std::string& file) const {
    for (const auto& p : pictures)
        if (p.file == file) return p;
    throw std::runtime_error("picture not made yet: " + file);
}

}  // namespace gfx
