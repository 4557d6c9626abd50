// The replay file: what is written reads back; a file cut off anywhere
// replays up to where it stops; damage and hostile input are refused with a
// message, never a crash.
#include "platform/replay/replay_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

using namespace sq;

namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ReplayFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        // One file per process and test: ctest runs the cases side by side.
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = (std::filesystem::temp_directory_path() /
                 ("replay_file_test_" + std::to_string(getpid()) + "_" + info->name() + ".sqr"))
                    .string();
        for (int i = 0; i < 50000; ++i) stream_.push_back(uint8_t((i * 7) % 13 == 0 ? i : 1));
    }
    void TearDown() override { std::remove(path_.c_str()); }
    // A recording in three pieces, finished with its digest.
    std::vector<uint8_t> WriteSample(bool finish) {
        TReplayWriter w;
        w.Open(path_, {{"game", "1.0.0"}, {"map", "maps/level_1.FMP 10 00ff"}});
        w.AppendChunk(stream_.data(), 20000);
        w.AppendChunk(stream_.data() + 20000, 29999);
        w.AppendChunk(stream_.data() + 49999, 1);
        if (finish)
            w.Finish("digest state=4 score=10");
        else
            w.Abandon();
        return ReadBytes(path_);
    }
    std::string path_;
    std::vector<uint8_t> stream_;
};

TEST_F(ReplayFileTest, WhatIsWrittenReadsBackWithItsHeaderAndDigest) {
    std::vector<uint8_t> bytes = WriteSample(true);
    TReplayContents c = ReadReplayFile(path_);
    EXPECT_TRUE(c.complete);
    EXPECT_EQ(c.digest, "digest state=4 score=10");
    EXPECT_EQ(c.stream, stream_);
    EXPECT_EQ(c.Value("game"), "1.0.0");
    EXPECT_EQ(c.Value("map"), "maps/level_1.FMP 10 00ff");
    EXPECT_LT(bytes.size(), stream_.size() / 4);  // packed
    // The header is plain text at the top of the file.
    std::string head(bytes.begin(), bytes.begin() + 40);
    EXPECT_EQ(head.rfind("SNOWQUILL REPLAY\nformat 2\ngame 1.0.0\n", 0), 0u);
    EXPECT_EQ(c.format, 2);
    // A file of the format before checkpoints still reads, and says which it is.
    std::vector<uint8_t> old = bytes;
    old[std::strlen("SNOWQUILL REPLAY\nformat ")] = '1';
    TReplayContents older = ParseReplay(old.data(), old.size(), "old.sqr");
    EXPECT_EQ(older.format, 1);
    EXPECT_EQ(older.stream, stream_);

    // Without a digest (a run that stopped) the stream is all there, and incomplete.
    WriteSample(false);
    TReplayContents open = ReadReplayFile(path_);
    EXPECT_FALSE(open.complete);
    EXPECT_EQ(open.stream, stream_);
    EXPECT_FALSE(open.note.empty());
}

TEST_F(ReplayFileTest, AFileCutOffAnywhereReadsUpToItsLastWholeChunk) {
    std::vector<uint8_t> bytes = WriteSample(true);
    std::size_t headerEnd = std::string(bytes.begin(), bytes.end()).find("stream\n") + 7;
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        if (cut < headerEnd) {
            EXPECT_THROW(ParseReplay(bytes.data(), cut, "cut"), TReplayError) << cut;
            continue;
        }
        TReplayContents c = ParseReplay(bytes.data(), cut, "cut");
        EXPECT_FALSE(c.complete) << cut;
        EXPECT_FALSE(c.note.empty()) << cut;
        ASSERT_LE(c.stream.size(), stream_.size());
        EXPECT_TRUE(std::equal(c.stream.begin(), c.stream.end(), stream_.begin())) << cut;
    }
}

TEST_F(ReplayFileTest, DamageAndHostileInputAreRefusedWithAMessage) {
    std::vector<uint8_t> bytes = WriteSample(true);
    auto refuses = [](std::vector<uint8_t> b, const char* what) {
        try {
            ParseReplay(b.data(), b.size(), "bad.sqr");
            ADD_FAILURE() << "accepted: " << what;
        } catch (const TReplayError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("bad.sqr: ", 0), 0u) << e.what();
        }
    };
    std::string text(bytes.begin(), bytes.end());
    std::size_t firstChunk = text.find("stream\n") + 7;
    {
        auto b = bytes;
        b[firstChunk + 13 + 5] ^= 0x40;  // inside the packed bytes
        refuses(b, "a damaged chunk");
    }
    {
        auto b = bytes;
        b[firstChunk + 1] = 0xFF, b[firstChunk + 4] = 0x7F;  // an unpacked size of gigabytes
        refuses(b, "impossible sizes");
    }
    {
        auto b = bytes;
        b[std::strlen("SNOWQUILL REPLAY\nformat ")] = '3';  // "format 3", from a later game
        refuses(b, "a later format");
        try {
            ParseReplay(b.data(), b.size(), "later.sqr");
        } catch (const TReplayError& e) {
            EXPECT_NE(std::string(e.what()).find("format 3 cannot be read"), std::string::npos) << e.what();
        }
    }
    refuses({'G', 'I', 'F', '8', '9', 'a', '\n'}, "not a replay");
    {
        auto b = bytes;
        b.push_back('x');
        refuses(b, "bytes after the digest");
    }

    // Random damage anywhere: a message or a readable prefix, never more.
    std::mt19937 rng(7);
    for (int trial = 0; trial < 300; ++trial) {
        auto b = bytes;
        for (int k = 0; k < 3; ++k) b[rng() % b.size()] = uint8_t(rng());
        try {
            TReplayContents c = ParseReplay(b.data(), b.size(), "bad.sqr");
            EXPECT_LE(c.stream.size(), stream_.size());
        } catch (const TReplayError&) {
        }
    }
}

}  // namespace
