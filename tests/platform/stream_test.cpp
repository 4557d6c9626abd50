#include "platform/files/stream.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/files/safe_file.h"
#include "platform/system/runtime_error.h"

using namespace sq;
namespace fs = std::filesystem;

namespace {

// Each test works in a fresh directory of its own, as the game works in its
// current directory.
class StreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/sq_stream_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        old = fs::current_path();
        fs::current_path(dir);
    }
    void TearDown() override {
        fs::current_path(old);
        fs::remove_all(dir);
    }
    void WriteFile(const std::string& name, const std::string& bytes) {
        std::FILE* f = std::fopen(name.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    std::string dir;
    fs::path old;
};

TEST_F(StreamTest, PathKindAndBackslashes) {
    fs::create_directory("sfx");
    WriteFile("sfx/ahh.ogg", "x");
    EXPECT_EQ(PathKind("nothing.dat"), 0);
    EXPECT_EQ(PathKind("sfx"), 2);
    EXPECT_EQ(PathKind("sfx\\ahh.ogg"), 1);
    EXPECT_EQ(NativePath("maps\\level_1.FMP"), "maps/level_1.FMP");
    auto s = OpenReadStream("sfx\\ahh.ogg");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(StreamReadByte(s), 'x');
}

TEST_F(StreamTest, OpenModes) {
    EXPECT_EQ(OpenReadStream("missing"), nullptr);
    EXPECT_EQ(OpenFileStream("missing", 1, 1), nullptr);  // both: the file must exist
    fs::create_directory("adir");
    EXPECT_EQ(OpenReadStream("adir"), nullptr);
    EXPECT_EQ(OpenFileStream("x", 0, 0), nullptr);

    WriteFile("t.dat", "0123456789");
    auto w = CreateFileStream("t.dat");  // truncates
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(StreamSize(w), 0);
    WriteBytesText(w, "ab");
    CloseFileStream(w);
    EXPECT_EQ(fs::file_size("t.dat"), 2u);

    auto rw = OpenFileStream("t.dat", 1, 1);  // keeps the contents
    ASSERT_NE(rw, nullptr);
    EXPECT_EQ(StreamSize(rw), 2);
    EXPECT_EQ(StreamReadByte(rw), 'a');
    WriteBytesText(rw, "Z");  // a write after a read, at the current position
    StreamSeek(rw, 0);
    EXPECT_EQ(ReadBytesText(rw, 2), "aZ");
    WriteInt32(rw, 7);  // and after reading to the end
    EXPECT_EQ(StreamSize(rw), 6);
    CloseFileStream(rw);
}

TEST_F(StreamTest, IntegersAreLittleEndian) {
    auto w = CreateFileStream("n.dat");
    WriteInt32(w, 0x12345678);
    WriteInt32(w, -2);
    WriteBytesText(w, std::string("Hi\xE9", 3));
    FlushStream(w);
    CloseFileStream(w);

    std::string raw;
    ASSERT_TRUE(ReadWholeFile("n.dat", raw));
    EXPECT_EQ(raw, std::string("\x78\x56\x34\x12\xFE\xFF\xFF\xFFHi\xE9", 11));

    auto r = OpenReadStream("n.dat");
    EXPECT_EQ(ReadInt32(r), 0x12345678);
    EXPECT_EQ(ReadInt32(r), -2);
    EXPECT_EQ(StreamPosition(r), 8);
    EXPECT_FALSE(StreamEof(r));
    std::string t = ReadBytesText(r, 3);
    EXPECT_EQ(uint8_t(t[2]), 0xE9);
    EXPECT_TRUE(StreamEof(r));
}

TEST_F(StreamTest, ShortReadsAtTheEndCountAsZero) {
    WriteFile("s.dat", std::string("\x01\x02\x03\x04\xAB\xCD", 6));
    auto r = OpenReadStream("s.dat");
    EXPECT_EQ(ReadInt32(r), 0x04030201);
    EXPECT_EQ(ReadInt32(r), 0xCDAB);  // two bytes left: the low bytes
    EXPECT_EQ(ReadInt32(r), 0);
    EXPECT_EQ(StreamReadByte(r), 0);
    std::string t = ReadBytesText(r, 4);
    EXPECT_EQ(t, std::string(4, '\0'));

    StreamSeek(r, 5);
    uint8_t buf[4] = {9, 9, 9, 9};
    EXPECT_EQ(ReadBytes(r, buf, 4), 1);
    EXPECT_EQ(buf[0], 0xCD);
    EXPECT_EQ(buf[1], 0);
    EXPECT_EQ(buf[3], 0);
    StreamSeek(r, -3);  // before the start: the start
    EXPECT_EQ(StreamPosition(r), 0);
}

TEST_F(StreamTest, ReadFailureBeforeTheEndRaises) {
    // Reading a process's own memory at address 0 fails with an I/O error.
    auto r = OpenReadStream("/proc/self/mem");
    if (!r) GTEST_SKIP() << "no /proc";
    try {
        ReadInt32(r);
        FAIL() << "no error";
    } catch (const TRuntimeError& e) {
        EXPECT_STREQ(e.what(), "Error reading from stream");
        EXPECT_EQ(e.Subject(), "/proc/self/mem");
    }
}

TEST_F(StreamTest, WriteFailureRaises) {
    auto w = CreateFileStream("/dev/full");
    ASSERT_NE(w, nullptr);
    try {
        WriteInt32(w, 1);
        FAIL() << "no error";
    } catch (const TRuntimeError& e) {
        EXPECT_STREQ(e.what(), "Error writing to stream");
    }
    EXPECT_THROW(WriteBytesText(w, "name"), TRuntimeError);
    EXPECT_THROW(WriteBytes(w, "abc", 3), TRuntimeError);
    EXPECT_NO_THROW(WriteBytesText(w, ""));  // nothing to write, nothing fails
}

TEST_F(StreamTest, NullAndClosedStreamsAreTheNullObject) {
    StreamRef none;
    try {
        StreamReadByte(none);
        FAIL() << "no error";
    } catch (const TRuntimeError& e) {
        EXPECT_STREQ(e.what(), "Attempt to access field or method of Null object");
    }
    EXPECT_THROW(WriteInt32(none, 1), TRuntimeError);
    EXPECT_THROW(CloseFileStream(none), TRuntimeError);
    EXPECT_THROW(StreamPosition(none), TRuntimeError);

    WriteFile("c.dat", "abc");
    auto r = OpenReadStream("c.dat");
    CloseFileStream(r);
    EXPECT_THROW(StreamReadByte(r), TRuntimeError);
    EXPECT_NO_THROW(CloseFileStream(r));  // closing twice is harmless
}

TEST_F(StreamTest, ReadWholeFile) {
    std::string out = "old";
    EXPECT_FALSE(ReadWholeFile("missing", out));
    EXPECT_TRUE(out.empty());
    std::string big(200000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = char(i * 31);
    WriteFile("big.bin", big);
    ASSERT_TRUE(ReadWholeFile("big.bin", out));
    EXPECT_EQ(out, big);
    fs::create_directory("d");
    EXPECT_FALSE(ReadWholeFile("d", out));
}

// A pipe where a data file should be is refused at once: opening it to read
// would wait for a writer that never comes.
TEST_F(StreamTest, APipeIsNeitherAFileNorOpened) {
    ASSERT_EQ(::mkfifo("level.FMP", 0644), 0);
    EXPECT_EQ(PathKind("level.FMP"), 3);
    EXPECT_EQ(OpenReadStream("level.FMP"), nullptr);
    EXPECT_EQ(OpenFileStream("level.FMP", 1, 1), nullptr);
    std::string out;
    EXPECT_FALSE(ReadWholeFile("level.FMP", out));
    EXPECT_EQ(PathKind("/dev/null"), 3);
}

}  // namespace
