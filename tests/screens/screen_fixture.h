#pragma once
// A headless game for the screen tests: the drawing layer draws nothing, the
// clock moves only when read (1 ms a reading, so busy-waits end), sound is
// mixed only on demand, and keys arrive through an event pump the test
// scripts. Every test runs in a fresh folder of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/audio/sound.h"
#include "platform/system/clock.h"

// The built game folder whose real data some tests play: $SNOWQUILL_GAME_DIR,
// else the one this build made.
std::filesystem::path GameDir();

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Small stand-ins for every picture and sound of the resource table.
    static void FakeResources();
    // Writes a silent Ogg Vorbis file of `seconds`.
    static void WriteSilentOgg(const std::filesystem::path& path, double seconds);
    // The four tunes, the narration and the pictures that screens load per visit.
    void WriteScreenFiles();
    // Presses and releases a key as the window system would deliver it.
    static void Tap(int key);

    std::shared_ptr<sq::TManualClock> clock;
    std::filesystem::path dir, oldDir;
    // Runs whenever the game polls for events; polls counts the calls.
    std::function<void()> pump;
    long polls = 0;
    long pollLimit = 3000000;
};

sq::SoundRef TestSound(int frames);
