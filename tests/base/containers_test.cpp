#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/aheapmass.h"
#include "base/alist.h"
#include "base/astring.h"

namespace {

template <typename L> std::vector<std::string> Texts(L& list) {
    std::vector<std::string> out;
    if (list.First()) {
        do
            out.push_back(list.Current()->Text());
        while (list.Next());
    }
    return out;
}

AList<int> ListOf(std::initializer_list<int> values) {
    AList<int> l;
    for (int v : values)
        l.Add(v);
    return l;
}

} // namespace

TEST(AList, EmptyListAnswersZeroAndNull) {
    AList<int> l;
    EXPECT_EQ(l.First(), 0);
    EXPECT_EQ(l.Next(), 0);
    EXPECT_EQ(l.Current(), nullptr);
    EXPECT_EQ(l.GetAt(0), nullptr);
    EXPECT_EQ(l.DeleteCurrent(), 0);
    EXPECT_EQ(l.Count(), 0);
}

TEST(AList, AddMovesTheCursorOnlyOnAnEmptyList) {
    AList<int> l;
    l.Add(1);
    EXPECT_EQ(*l.Current(), 1);
    l.Add(2);
    l.Add(3);
    EXPECT_EQ(*l.Current(), 1);
    EXPECT_EQ(l.Next(), 1);
    EXPECT_EQ(l.Next(), 1);
    EXPECT_EQ(l.Next(), 0); // already on the last
    EXPECT_EQ(*l.Current(), 3);
}

TEST(AList, GetAtClampsToTheLastAndRefusesNegative) {
    AList<int> l = ListOf({10, 20, 30});
    EXPECT_EQ(*l.GetAt(1), 20);
    EXPECT_EQ(*l.GetAt(3), 30);
    EXPECT_EQ(*l.GetAt(100), 30);
    EXPECT_EQ(l.GetAt(-1), nullptr);
    EXPECT_EQ(*l.Current(), 10); // the walk stopped on the first
}

TEST(AList, DeletionMovesTheCursorToSuccessorOrPredecessor) {
    AList<int> only = ListOf({1});
    EXPECT_EQ(only.DeleteCurrent(), 1);
    EXPECT_EQ(only.Count(), 0);
    EXPECT_EQ(only.Current(), nullptr);
    EXPECT_EQ(only.First(), 0);

    AList<int> first = ListOf({1, 2, 3});
    first.First();
    first.DeleteCurrent();
    EXPECT_EQ(*first.Current(), 2);
    EXPECT_EQ(*first.GetAt(0), 2);

    AList<int> last = ListOf({1, 2, 3});
    last.GetAt(2);
    last.DeleteCurrent();
    EXPECT_EQ(*last.Current(), 2);
    EXPECT_EQ(last.Next(), 0); // 2 is the last now
    last.Add(4);
    EXPECT_EQ(*last.GetAt(2), 4); // appending after the new last still works

    AList<int> middle = ListOf({1, 2, 3});
    middle.GetAt(1);
    middle.DeleteCurrent();
    EXPECT_EQ(*middle.Current(), 1);
    EXPECT_EQ(*middle.GetAt(1), 3);
    EXPECT_EQ(middle.Count(), 2);
}

TEST(AList, AssignmentClearsAndDeepCopies) {
    AList<AList<int>> source;
    source.Add(ListOf({1, 2}));
    source.Add(ListOf({3}));
    source.Add(ListOf({}));
    AList<AList<int>> target;
    target.Add(ListOf({9, 9, 9}));
    target = source;
    EXPECT_EQ(target.Count(), 3);
    source.GetAt(0)->GetAt(0);
    *source.GetAt(0)->Current() = 42; // the copy does not share elements
    EXPECT_EQ(*target.GetAt(0)->GetAt(0), 1);
    AList<AList<int>> copy(target);
    EXPECT_EQ(copy.Count(), 3);
    EXPECT_EQ(*copy.GetAt(1)->GetAt(0), 3);
}

TEST(ASortedList, InsertsBeforeEqualsInByteOrder) {
    ASortedList<AString> l;
    AString firstB("B");
    AString secondB("B");
    l.Add(firstB);
    l.Add("a");
    l.Add("A");
    l.Add(secondB);
    EXPECT_EQ(Texts(l), (std::vector<std::string>{"A", "B", "B", "a"}));
    // append at the end leaves the cursor on the old last
    ASortedList<AString> tail;
    tail.Add("a");
    tail.Add("b");
    tail.Add("c");
    EXPECT_STREQ(tail.Current()->Text(), "b");
    // a plain list assigned into a sorted one is sorted
    AList<AString> plain;
    plain.Add("z");
    plain.Add("m");
    plain.Add("q");
    ASortedList<AString> sorted;
    static_cast<AList<AString>&>(sorted) = plain;
    EXPECT_EQ(Texts(sorted), (std::vector<std::string>{"m", "q", "z"}));
    ASortedList<AString> copy(sorted);
    EXPECT_EQ(Texts(copy), (std::vector<std::string>{"m", "q", "z"}));
}

TEST(AList, ConstIterationReadsInOrderAndLeavesTheCursor) {
    struct Case {
        std::vector<int> added;
        std::vector<int> plainOrder, sortedOrder;
    } const cases[] = {
        {{}, {}, {}},
        {{7}, {7}, {7}},
        {{3, 1, 2, 1}, {3, 1, 2, 1}, {1, 1, 2, 3}},
    };
    for (const Case& c : cases) {
        AList<int> plain;
        ASortedList<int> sorted;
        for (int v : c.added) {
            plain.Add(v);
            sorted.Add(v);
        }
        const int* cursor = plain.GetAt(1);
        const AList<int>& readOnly = plain;
        EXPECT_EQ(std::vector<int>(readOnly.begin(), readOnly.end()), c.plainOrder);
        const AList<int>& sortedReadOnly = sorted;
        EXPECT_EQ(std::vector<int>(sortedReadOnly.begin(), sortedReadOnly.end()), c.sortedOrder);
        EXPECT_EQ(plain.Current(), cursor) << c.added.size(); // not moved by the walk
        // and the cursor walk still goes on from there
        EXPECT_EQ(plain.Next(), c.added.size() > 2 ? 1 : 0);
    }
}

TEST(AHeapMass, GrowsByDeltaAndIndexesUpToCapacity) {
    AHeapMass<int> m(0, -5);
    EXPECT_EQ(m.Capacity(), 10);
    EXPECT_EQ(m.Delta(), 10);
    EXPECT_EQ(*m[9], 0); // within the capacity, value-initialised
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(m.Add(i * 2), i);
    EXPECT_EQ(m.Add(99), 10);
    EXPECT_EQ(m.Capacity(), 20);
    EXPECT_EQ(*m[10], 99);
    EXPECT_EQ(*m[4], 8);
    EXPECT_EQ(*m[19], 0);
    EXPECT_EQ(m[20], m[0]); // outside the capacity: element 0
    EXPECT_EQ(m[-1], m[0]);

    AHeapMass<int> copy;
    copy = m;
    EXPECT_EQ(copy.Count(), 11);
    EXPECT_EQ(copy.Capacity(), 20);
    EXPECT_EQ(*copy[10], 99);
    m.Clear();
    EXPECT_EQ(m.Count(), 0);
    EXPECT_EQ(m.Capacity(), 0);
    EXPECT_EQ(m[0], nullptr);
    EXPECT_EQ(m.Add(5), 0); // grows from nothing by delta
    EXPECT_EQ(m.Capacity(), 10);
}

TEST(AString, OwnsItsBytesAndGuardsItsIndex) {
    AString empty;
    EXPECT_STREQ(empty.Text(), "");
    EXPECT_EQ(empty.Length(), 0);
    AString zeros(3);
    EXPECT_EQ(zeros.Length(), 3);
    EXPECT_EQ(zeros[2], 0);
    AString negative(-4);
    EXPECT_EQ(negative.Length(), 0);

    AString s("alm18.256");
    EXPECT_EQ(s.Length(), 9);
    EXPECT_EQ(s[0], 'a');
    EXPECT_EQ(s[-1], 0);
    EXPECT_EQ(s[9], 0);
    s[9] = 'x'; // a write to the shared byte is not seen by the next out-of-range read
    EXPECT_EQ(s[100], 0);

    AString copy(s);
    s = "other";
    EXPECT_STREQ(copy.Text(), "alm18.256");
    EXPECT_STREQ((copy + "/" + AString("x")).Text(), "alm18.256/x");
    EXPECT_EQ((AString("a") + "bc").Length(), 3);
    s = s;
    EXPECT_STREQ(s.Text(), "other");
}

TEST(AString, ComparesInByteOrder) {
    EXPECT_TRUE(AString("A") < AString("B"));
    EXPECT_TRUE(AString("B") < AString("a"));
    EXPECT_TRUE(AString("z") < AString("\xC3\xA9")); // multi-byte sorts after ASCII
    EXPECT_TRUE(AString("abc") == "abc");
    EXPECT_TRUE(AString("abc") != "abd");
    EXPECT_TRUE(AString("") <= AString());
    EXPECT_TRUE(AString("b") >= "a");
    EXPECT_TRUE(AString("b") > "a");
}
