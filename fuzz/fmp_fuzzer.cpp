// Feeds arbitrary bytes to the map loader, then does with the map what the
// game and the tools do: step animations, ask every query, draw every layer.
#include <cstddef>
#include <cstdint>

#include "map/fmp_map.h"
#include "platform/video/graphics.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    sq::SetGraphicsBackend(sq::GraphicsBackend::kHeadless);
    sq::OpenGraphicsMode(320, 240, 32, 60, 0);
    SetFmpMessageSink([](const std::string&) {});  // refusals are expected here by the thousand
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FmpMap map;
    // The game keeps three layers; odd sizes try all eight.
    map.LoadMapFromMemory(data, size, (size & 1) ? 7 : 2, "fuzz.FMP");
    map.InitAnims();
    for (int i = 0; i < 40; ++i) map.UpdateAnims();

    const int pw = map.mapWidth * map.blockWidth, ph = map.mapHeight * map.blockHeight;
    const int xs[] = {-(1 << 30), -map.blockWidth - 1, -map.blockWidth, -1, 0, 1, 17, pw / 2, pw - 1,
                      pw,         pw + map.blockWidth, 1 << 30};
    const int ys[] = {-(1 << 30), -map.blockHeight, -1, 0, 9, ph / 2, ph - 1, ph, ph + map.blockHeight, 1 << 30};
    for (int layer = -1; layer <= 8; ++layer) {
        map.currentLayer = layer;
        for (int y : ys)
            for (int x : xs) {
                map.IsSolidAt(x, y);
                map.IsSolidPixelAt(x, y);
                map.BlockAtPixel(x, y);
                map.ClickMaskOffset(x, y, 0);
                map.ClickMaskOffset(x, y, 1);
                map.BlockAt(x, y);
            }
        if (layer < 0 || layer > 2) continue;
        for (int mx : {0, 20, pw / 2}) {
            map.DrawLayerBg(mx, mx / 2, 0, 0, 320, 240);
            map.DrawLayerFg(mx, 7, 0, 0, 320, 240, layer);
            map.DrawLayerBgSolid(-mx, mx, 10, 10, 100, 100);
            map.DrawLayerStaggered(mx, mx, 0, 0, 320, 240, layer + 1);
            for (int row = -1; row < 4; ++row) map.DrawStaggeredRow(mx, 0, 0, 0, 320, 240, row);
        }
        map.SetCellChecked(1, 1, -1);
        map.SetCell(map.mapWidth, map.mapHeight, 3);
    }
    map.FreeMap();
    map.InitAnims();
    map.UpdateAnims();
    map.IsSolidAt(3, 3);
    return 0;
}
