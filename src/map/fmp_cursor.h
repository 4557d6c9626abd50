#pragma once
// Inside the map loader (fmp_map.cpp and fmp_map_graphics.cpp).
#include <cstdint>

// Reads the bytes of a file held in memory. Every read is checked against the
// end of the data: past it a read yields 0 (a short file reads as if padded
// with zeros) and the position still advances, so the chunk arithmetic stays
// the same as for a whole file.
struct FmpCursor {
    const uint8_t* data = nullptr;
    int64_t size = 0;
    int64_t pos = 0;

    int Byte() {
        int v = (pos >= 0 && pos < size) ? data[pos] : 0;
        ++pos;
        return v;
    }
    int ByteAt(int64_t p) const { return (p >= 0 && p < size) ? data[p] : 0; }
    bool AtEnd() const { return pos >= size; }
    int64_t Left() const { return pos < size ? size - pos : 0; }
    void Seek(int64_t p) { pos = p < 0 ? 0 : p; }
};
