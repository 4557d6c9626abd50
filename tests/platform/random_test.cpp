#include "platform/system/random.h"

#include <gtest/gtest.h>

#include <set>

using namespace sq;

namespace {

// Reference values worked out by hand from the generator's formulas, outside
// this code (48271 * s mod 2^31 - 1, two steps per unit value).
TEST(RandomSequence, MatchesTheMinimalStandardGenerator) {
    SeedRandom(1);
    EXPECT_DOUBLE_EQ(RandomUnit(), 8.990869022751369e-05);
    EXPECT_EQ(RandomState(), 182605794);
    EXPECT_DOUBLE_EQ(RandomUnit(), 0.4054104206446193);
    EXPECT_DOUBLE_EQ(RandomUnit(), 0.8718228098657659);
    EXPECT_DOUBLE_EQ(RandomUnit(), 0.0599032982590314);
    EXPECT_DOUBLE_EQ(RandomUnit(), 0.051624662980808256);
    EXPECT_EQ(RandomState(), 1596680831);

    SeedRandom(123456789);
    EXPECT_DOUBLE_EQ(RandomUnit(), 0.21521261727991248);
    EXPECT_DOUBLE_EQ(RandomUnit(), 0.8370909110875805);
    EXPECT_EQ(RandomState(), 652633738);
}

TEST(RandomSequence, NegativeSeedKeepsItsLow31Bits) {
    SeedRandom(-5);  // 0x7FFFFFFB
    EXPECT_DOUBLE_EQ(RandomUnit(), 0.9996403503379285);
    EXPECT_DOUBLE_EQ(RandomUnit(), 0.3783583174215225);
}

TEST(RandomSequence, DegenerateSeedsFallBackTo4660) {
    for (int seed : {0, 0x7FFFFFFF, int(0x80000000u), -1}) {
        SeedRandom(seed);
        double a = RandomUnit(), b = RandomUnit();
        SeedRandom(4660);
        EXPECT_EQ(a, RandomUnit()) << seed;
        EXPECT_EQ(b, RandomUnit()) << seed;
    }
    SeedRandom(0);
    EXPECT_DOUBLE_EQ(RandomUnit(), 0.4189887270692887);
}

TEST(RandomSequence, SchrageNeverOverflowsNearTheModulus) {
    // The largest states are where a plain 32-bit product would overflow.
    for (int seed : {0x7FFFFFFE, 0x7FFFFFFD, 44488, 44487, 2}) {
        SeedRandom(seed);
        for (int i = 0; i < 1000; ++i) {
            double u = RandomUnit();
            ASSERT_GE(u, 0.0);
            ASSERT_LT(u, 1.0);
            ASSERT_GT(RandomState(), 0);
            ASSERT_LT(RandomState(), 0x7FFFFFFF);
        }
    }
    // Two raw steps from the largest state, against plain 64-bit arithmetic.
    int64_t s = 0x7FFFFFFE;
    s = s * 48271 % 2147483647;
    s = s * 48271 % 2147483647;
    SeedRandom(0x7FFFFFFE);
    RandomUnit();
    EXPECT_EQ(RandomState(), int32_t(s));
}

TEST(RandomBounds, IntCoversBothEndsInEitherOrder) {
    SeedRandom(42);
    // First draws for seed 42, reference values.
    int expected[] = {8, 8, 13, 12, 9, 8, 15, 11, 10, 8};
    for (int e : expected) EXPECT_EQ(RandomInt(8, 16), e);

    std::set<int> up, down;
    for (int i = 0; i < 20000; ++i) {
        int v = RandomInt(8, 16);
        ASSERT_GE(v, 8);
        ASSERT_LE(v, 16);
        up.insert(v);
        int w = RandomInt(16, 8);
        ASSERT_GE(w, 8);
        ASSERT_LE(w, 16);
        down.insert(w);
    }
    EXPECT_EQ(up.size(), 9u);
    EXPECT_EQ(down.size(), 9u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(RandomInt(5, 5), 5);
}

TEST(RandomBounds, FloatExcludesTheUpperBound) {
    SeedRandom(42);
    EXPECT_DOUBLE_EQ(RandomFloat(0.9, 1.1), 0.9007552583298853);
    EXPECT_DOUBLE_EQ(RandomFloat(0.9, 1.1), 0.9054475393752672);
    EXPECT_DOUBLE_EQ(RandomFloat(1.1, 0.9), 1.0233115864811566);
    for (int i = 0; i < 50000; ++i) {
        double v = RandomFloat(0.9, 1.1);
        ASSERT_GE(v, 0.9);
        ASSERT_LT(v, 1.1);
        double w = RandomFloat(1.1, 0.9);
        ASSERT_GE(w, 0.9);
        ASSERT_LT(w, 1.1);
    }
    EXPECT_EQ(RandomFloat(3.0, 3.0), 3.0);
}

TEST(RandomBounds, ExtremeIntRangeDoesNotOverflow) {
    SeedRandom(99);
    for (int i = 0; i < 1000; ++i) {
        int v = RandomInt(-2147483647 - 1, 2147483647);
        (void)v;  // any int is in range; the point is no undefined overflow
        int w = RandomInt(2147483647, 2147483647);
        ASSERT_EQ(w, 2147483647);
    }
}

}  // namespace
