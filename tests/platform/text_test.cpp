#include "platform/system/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace sq;

namespace {

TEST(TextNumbers, IntToTextAndToInt) {
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(-42), "-42");
    EXPECT_EQ(IntToText(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(ToInt(-2.7), -2);
    EXPECT_EQ(ToInt(2.7), 2);
    EXPECT_EQ(ToInt(-0.5f), 0);
    EXPECT_EQ(ToInt(std::nan("")), 0);
    EXPECT_EQ(ToInt(1e300), std::numeric_limits<int>::max());
    EXPECT_EQ(ToInt(-1e300), std::numeric_limits<int>::min());
    EXPECT_EQ(ToInt(std::numeric_limits<double>::infinity()), std::numeric_limits<int>::max());
    EXPECT_EQ(ToInt(2147483646.9), 2147483646);
}

TEST(TextPieces, SubstringIsOneBasedAndClipped) {
    EXPECT_EQ(Substring("ABCDE", 1, 4), "ABCD");
    EXPECT_EQ(Substring("ABC", 5, 1), "");
    EXPECT_EQ(Substring("ABC", 4, 1), "");
    EXPECT_EQ(Substring("ABCDE", 3, 100), "CDE");
    EXPECT_EQ(Substring("ABCDE", 0, 2), "A");  // position 0 eats one of the two
    EXPECT_EQ(Substring("ABCDE", -1, 3), "A");
    EXPECT_EQ(Substring("ABCDE", -5, 3), "");
    EXPECT_EQ(Substring("ABCDE", 2, 0), "");
    EXPECT_EQ(Substring("ABCDE", 2, -3), "");
    EXPECT_EQ(Substring("ABCDE", 2, 2147483647), "BCDE");
    EXPECT_EQ(Substring("ABCDE", -2147483647 - 1, 2147483647), "");
}

TEST(TextPieces, CharsConcatAndPadding) {
    EXPECT_EQ(CharToText(65), "A");
    EXPECT_EQ(CharToText(233).size(), 1u);
    EXPECT_EQ(uint8_t(CharToText(233)[0]), 233);
    EXPECT_EQ(Concat("Snow", "quill"), "Snowquill");
    EXPECT_EQ(PadLeft("7", 2, "0"), "07");
    EXPECT_EQ(PadLeft("123", 6, "0"), "000123");
    EXPECT_EQ(PadLeft("12", 2, "0"), "12");
    EXPECT_EQ(PadLeft("12345", 2, "0"), "12345");
    EXPECT_EQ(PadLeft("", 3, "0"), "000");
    EXPECT_EQ(PadLeft("5", 4, ""), "5");  // an empty pad cannot loop forever
}

TEST(TextCompare, CodeUnitThenLength) {
    EXPECT_EQ(CompareText("ABC", "ABC"), 0);
    EXPECT_EQ(CompareText("ABD", "ABC"), 1);
    EXPECT_EQ(CompareText("a", "A"), 32);
    EXPECT_EQ(CompareText("AB", "ABCD"), -2);
    EXPECT_EQ(CompareText("ABCD", "AB"), 2);
    EXPECT_EQ(CompareText("", ""), 0);
    // Characters above 127 compare as 128..255, not as negative bytes.
    EXPECT_EQ(CompareText(CharToText(200), "A"), 200 - 65);
    EXPECT_EQ(CompareText(std::string("\0x", 2), std::string("\0y", 2)), -1);
}

}  // namespace
