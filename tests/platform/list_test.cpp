#include "platform/system/list.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/system/text.h"

using namespace sq;

namespace {

struct TEntry {
    int score;
    std::string name;
};
using EntryRef = std::shared_ptr<TEntry>;

EntryRef Make(int score, const std::string& name) { return std::make_shared<TEntry>(TEntry{score, name}); }

std::string Names(const TList<TEntry>& list) {
    std::string out;
    for (const auto& e : list) out += e ? e->name : std::string("-");
    return out;
}

class ListTest : public ::testing::Test {
protected:
    void SetUp() override {
        a = Make(10, "a");
        b = Make(30, "b");
        c = Make(10, "c");
        d = Make(20, "d");
        for (auto& e : {a, b, c, d}) list.Append(e);
    }
    TList<TEntry> list;
    EntryRef a, b, c, d;
};

TEST_F(ListTest, KeepsInsertionOrder) {
    EXPECT_EQ(Names(list), "abcd");
    EXPECT_EQ(list.Last(), d);
    EXPECT_EQ(list.LinkOf(c), 2);
    EXPECT_EQ(list.LinkOf(Make(1, "x")), -1);
    list.InsertBefore(Make(5, "e"), list.LinkOf(b));
    EXPECT_EQ(Names(list), "aebcd");
    list.InsertBefore(Make(5, "f"), -1);  // no link: at the end
    EXPECT_EQ(Names(list), "aebcdf");
}

TEST_F(ListTest, RemoveTakesTheFirstMatchOnly) {
    list.Append(a);
    EXPECT_EQ(list.RemoveValue(a), 1);
    EXPECT_EQ(Names(list), "bcda");
    EXPECT_EQ(list.RemoveValue(Make(0, "z")), 0);
    list.Clear();
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(list.Last(), nullptr);
}

TEST_F(ListTest, ValueAtSkipsEmptyLinksAndRaisesPastTheEnd) {
    list.InsertBefore(nullptr, 0);
    list.InsertBefore(nullptr, 3);
    EXPECT_EQ(list.ValueAt(0), a);
    EXPECT_EQ(list.ValueAt(2), c);
    EXPECT_EQ(list.ValueAt(3), d);
    try {
        list.ValueAt(4);
        FAIL() << "no error past the end";
    } catch (const TRuntimeError& e) {
        EXPECT_STREQ(e.what(), "List index out of range");
    }
    EXPECT_THROW(list.ValueAt(-1), TRuntimeError);
    TList<TEntry> empty;
    EXPECT_THROW(empty.ValueAt(0), TRuntimeError);
}

TEST_F(ListTest, BubbleSortIsStableBothWays) {
    auto byScore = [](const TEntry& x, const TEntry& y) { return x.score - y.score; };
    list.Sort(false, byScore);
    EXPECT_EQ(Names(list), "bdac");  // equal scores keep a before c
    list.Sort(true, byScore);
    EXPECT_EQ(Names(list), "acdb");
    auto byName = [](const TEntry& x, const TEntry& y) { return CompareText(x.name, y.name); };
    list.Sort(false, byName);
    EXPECT_EQ(Names(list), "dcba");
}

TEST_F(ListTest, SortingAnEmptyLinkIsTheNullObjectError) {
    list.InsertBefore(nullptr, 2);
    EXPECT_THROW(list.Sort(true, [](const TEntry& x, const TEntry& y) { return x.score - y.score; }), TRuntimeError);
}

TEST(ListSortSize, TableOfTwentyWithTies) {
    // The high-score table: 20 entries, many equal, sorted descending.
    TList<TEntry> list;
    for (int i = 0; i < 20; ++i) list.Append(Make((i * 7) % 5, std::string(1, char('A' + i))));
    list.Sort(false, [](const TEntry& x, const TEntry& y) { return x.score - y.score; });
    for (int i = 0; i + 1 < 20; ++i) {
        auto x = list.ValueAt(i), y = list.ValueAt(i + 1);
        ASSERT_GE(x->score, y->score);
        if (x->score == y->score) {
            ASSERT_LT(x->name, y->name);  // creation order kept
        }
    }
}

}  // namespace
