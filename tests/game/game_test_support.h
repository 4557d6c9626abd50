#pragma once
// Small maps drawn as text and a fixture that plays them headless.
//
// Map legend, one character per 16 x 16 cell:
//   '#' solid ground (layer 0)   'g' a gift lying in the level (layer 1)
//   'E' the level exit (layer 2) '.' nothing
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/globals.h"
#include "game/level_sim.h"
#include "map/fmp_map.h"

inline constexpr int kCell = 16;

std::shared_ptr<FmpMap> MakeTextMap(const std::vector<std::string>& rows);

class LevelFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Sets up the map as the level being played.
    void Load(const std::vector<std::string>& rows, int startX, int startY, std::vector<TSpawnPoint> kind2 = {},
              std::vector<TSpawnPoint> kind1 = {}, int timeLimit = 180);
    // Lets the player fall onto the ground below it and stand still.
    void Settle(int steps = 40);
    int Steps(unsigned keys, int n);  // n steps; returns playState of the last one

    CPlayer& P() { return *player; }
    CEasySprite& PS() { return *player->sprite; }

    std::unique_ptr<TLevelSim> sim;
    std::shared_ptr<FmpMap> map;
};

// A floor 40 cells wide with its top at y = 192 (row 12), walls at both ends.
std::vector<std::string> FlatRoom();
inline constexpr float kFloorTop = 192;
