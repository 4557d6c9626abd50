// The generator is deterministic: two runs write the same bytes, and they
// equal what the build put into the game folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<char> Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class GeneratorRun : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("snowquill_gfx_test_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    int Run(const fs::path& out) {
        std::string cmd = std::string("\"") + GFX_TOOL + "\" --assets \"" + GFX_ASSETS + "\" --fonts \"" + GFX_FONTS +
                          "\" --out \"" + out.string() + "\" > /dev/null";
        return std::system(cmd.c_str());
    }
    fs::path dir_;
};

TEST_F(GeneratorRun, WritesTheSameBytesEveryTime) {
    ASSERT_EQ(Run(dir_ / "a"), 0);
    ASSERT_EQ(Run(dir_ / "b"), 0);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir_ / "a")) {
        ++files;
        fs::path name = entry.path().filename();
        std::vector<char> a = Bytes(entry.path());
        EXPECT_EQ(a, Bytes(dir_ / "b" / name)) << name;
        fs::path built = fs::path(GFX_GAME_DIR) / "gfx" / name;
        if (fs::exists(built)) {
            EXPECT_EQ(a, Bytes(built)) << name << " differs from the game folder";
        }
    }
    EXPECT_EQ(files, 35);
}

TEST_F(GeneratorRun, FailsCleanlyWithoutItsSources) {
    std::string cmd = std::string("\"") + GFX_TOOL + "\" --assets \"" + (dir_ / "missing").string() + "\" --out \"" +
                      (dir_ / "out").string() + "\" > /dev/null 2>&1";
    EXPECT_NE(std::system(cmd.c_str()), 0);
    EXPECT_FALSE(fs::exists(dir_ / "out"));
}

}  // namespace
