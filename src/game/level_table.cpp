#include "game/level_table.h"

#include <array>

#include "platform/system/runtime_error.h"

using namespace sq;

namespace {

// Spawn positions of the monsters, in creation order.
constexpr TSpawnPoint kLevel1Kind2[] = {{130, 246},  {344, 246},  {443, 246}, {632, 166}, {785, 166},
                                        {893, 166},  {920, 166},  {945, 262}, {824, 262}, {697, 262},
                                        {1027, 166}, {1064, 102}, {831, 70},  {666, 38},  {254, 102}};
constexpr TSpawnPoint kLevel2Kind2[] = {{358, 870}, {352, 678}, {354, 678}, {296, 614}, {238, 470},
                                        {27, 550},  {78, 550},  {65, 439},  {325, 390}, {264, 390},
                                        {119, 246}, {341, 198}, {237, 118}};
constexpr TSpawnPoint kLevel2Kind1[] = {{376, 502}, {197, 214}, {149, 102}};
constexpr TSpawnPoint kLevel3Kind2[] = {{172, 726}, {381, 694}, {672, 630}, {375, 646}, {544, 470},
                                        {436, 198}, {634, 22},  {140, 54},  {167, 374}, {92, 374}};
constexpr TSpawnPoint kLevel3Kind1[] = {{180, 582}, {85, 374}, {154, 374}, {375, 182}, {638, 22}, {424, 22}};
constexpr TSpawnPoint kLevel4Kind2[] = {{72, 806},  {177, 774}, {320, 806}, {515, 774}, {421, 758}, {834, 806},
                                        {716, 534}, {671, 646}, {551, 662}, {434, 662}, {305, 646}, {126, 662},
                                        {201, 534}, {68, 534},  {72, 182},  {313, 86},  {354, 86},  {580, 38},
                                        {665, 38},  {578, 358}, {746, 358}, {787, 278}, {833, 134}};
// Two kind-1 monsters share (851, 806): both are made, and they walk as one.
constexpr TSpawnPoint kLevel4Kind1[] = {{315, 742}, {581, 806}, {851, 806}, {526, 662}, {376, 662},
                                        {851, 806}, {208, 534}, {87, 534},  {48, 182},  {407, 54},
                                        {604, 38},  {643, 38},  {815, 134}, {870, 134}};
constexpr TSpawnPoint kLevel5Kind2[] = {{698, 790},  {523, 790},  {1060, 854}, {284, 630},  {154, 630},  {536, 214},
                                        {817, 534},  {695, 6},    {662, 6},    {898, 1126}, {310, 1382}, {957, 1398},
                                        {513, 1174}, {469, 1174}, {361, 1174}, {285, 1078}, {170, 950},  {867, 950},
                                        {758, 950},  {650, 950},  {539, 950},  {426, 950}};
constexpr TSpawnPoint kLevel5Kind1[] = {{973, 854},  {1097, 822}, {1056, 1206}, {18, 1398}, {93, 1398},
                                        {222, 1398}, {378, 1174}, {149, 1190},  {955, 950}, {1003, 950},
                                        {1066, 950}, {812, 534},  {532, 790},   {192, 630}, {62, 630},
                                        {192, 118},  {69, 86},    {1003, 374},  {980, 6},   {831, 6}};
constexpr TSpawnPoint kLevel6Kind2[] = {
    {359, 214},  {313, 214},  {653, 214},  {116, 726},  {250, 726},  {359, 726},  {457, 726},  {559, 726},
    {684, 726},  {783, 726},  {750, 342},  {394, 342},  {477, 966},  {418, 966},  {375, 966},  {952, 1222},
    {887, 1222}, {819, 1222}, {757, 1222}, {685, 1222}, {617, 1222}, {550, 1222}, {487, 1222}, {423, 1222},
    {969, 726},  {483, 838},  {620, 838},  {610, 566},  {525, 566},  {227, 598},  {1198, 214}, {855, 118},
    {764, 182},  {198, 118},  {132, 86},   {923, 982},  {984, 150},  {111, 662}};
constexpr TSpawnPoint kLevel6Kind1[] = {{501, 214}, {634, 214},  {811, 150},  {998, 294},  {1239, 582}, {1058, 726},
                                        {977, 726}, {911, 726},  {839, 726},  {764, 726},  {688, 726},  {609, 726},
                                        {533, 726}, {562, 550},  {296, 566},  {220, 342},  {199, 342},  {58, 438},
                                        {837, 358}, {566, 822},  {261, 966},  {342, 966},  {432, 966},  {610, 966},
                                        {769, 966}, {700, 1222}, {611, 1222}, {519, 1222}, {443, 1222}, {402, 1222}};

const std::array<TLevelInfo, kLevelCount> kLevels = {{
    {"gfx/back1.png", "maps\\level_1.FMP", 180, 5, 194, kLevel1Kind2, {}},
    {"gfx/back2.png", "maps\\level_2.FMP", 240, 1, 899, kLevel2Kind2, kLevel2Kind1},
    {"gfx/back3.png", "maps\\level_3.FMP", 360, 2, 755, kLevel3Kind2, kLevel3Kind1},
    {"gfx/back4.png", "maps\\level_4.FMP", 480, 5, 800, kLevel4Kind2, kLevel4Kind1},
    {"gfx/back5.png", "maps\\level_5.FMP", 900, 356, 755, kLevel5Kind2, kLevel5Kind1},
    {"gfx/back6.png", "maps\\level_6.FMP", 1500, 10, 10, kLevel6Kind2, kLevel6Kind1},
}};

std::array<const TLevelInfo*, kLevelCount> overrides{};

bool ValidLevel(int level) { return level >= 1 && level <= kLevelCount; }

}  // namespace

const TLevelInfo& LevelInfo(int level) {
    if (!ValidLevel(level)) throw TRuntimeError(kListIndexMessage, "level table");
    const TLevelInfo* o = overrides[level - 1];
    return o ? *o : kLevels[level - 1];
}

void OverrideLevelInfo(int level, const TLevelInfo* info) {
    if (ValidLevel(level)) overrides[level - 1] = info;
}
