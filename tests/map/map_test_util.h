#pragma once
// Shared set-up of the map tests: documents made with the FMP writer and
// maps loaded from their bytes, drawing through the headless back end.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "fmp_writer.h"
#include "map/fmp_map.h"
#include "platform/video/graphics.h"

// A map of `w` x `h` cells of 16 x 16 blocks with `graphics` solid tiles
// (graphic 0 clear, graphic i of grey level i) and blocks 0..graphics-1
// where block i shows graphic i as background and foreground; odd blocks are
// solid. Three zeroed layers.
FmpDocument SimpleDoc(int w, int h, int graphics = 4, int depth = 24);
// Loads bytes into a fresh map. Returns it even when refused.
std::unique_ptr<FmpMap> LoadBytes(const std::vector<uint8_t>& bytes, int layerLimit = 2);
inline std::unique_ptr<FmpMap> LoadDoc(const FmpDocument& doc, int layerLimit = 2) {
    return LoadBytes(WriteFmp(doc), layerLimit);
}
// Big-endian / little-endian 16-bit values as chunk body bytes.
std::vector<uint8_t> Int16Bytes(const std::vector<int>& values, bool bigEndian);

// Opens the headless display once; every test starts with zeroed counters.
class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override;
    uint64_t Draws() const { return sq::DrawStats().imageDraws; }
    void ResetDraws() { sq::DrawStats().imageDraws = 0; }
};
