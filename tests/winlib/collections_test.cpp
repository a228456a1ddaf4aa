// tests/winlib/collections_test.cpp
#include <gtest/gtest.h>

#include <stdexcept>

#include "winlib/collections.h"

namespace {

TEST(CollectionsTest, ArrayAddInsertRemoveClamp) {
    CArray<int, int> a;
    EXPECT_EQ(a.Add(1), 0);
    EXPECT_EQ(a.Add(3), 1);
    a.InsertAt(1, 2);
    a.InsertAt(99, 4);  // past the end: appended
    a.InsertAt(0, 0, 2);
    EXPECT_EQ(a.GetSize(), 6);
    EXPECT_EQ(a[0] + a[1] + a[2] + a[3] + a[4] + a[5], 10);
    a.RemoveAt(4, 99);  // the count is clamped to the end
    EXPECT_EQ(a.GetSize(), 4);
    a.RemoveAt(-1);
    a.RemoveAt(4);
    EXPECT_EQ(a.GetSize(), 4);
    EXPECT_EQ(a.GetUpperBound(), 3);
    EXPECT_THROW(a.GetAt(4), std::out_of_range);
    CStringArray names;
    names.Add("IO1");
    names.SetAt(0, "IO2");
    EXPECT_STREQ(names[0], "IO2");
}

TEST(CollectionsTest, MapLookupSetRemove) {
    CMap<int, int, CString, const CString&> m;
    CString value;
    EXPECT_FALSE(m.Lookup(256, value));
    m.SetAt(256, "English");
    m[259] = "Russian";
    ASSERT_TRUE(m.Lookup(259, value));
    EXPECT_STREQ(value, "Russian");
    EXPECT_TRUE(m.RemoveKey(256));
    EXPECT_FALSE(m.RemoveKey(256));
    EXPECT_EQ(m.GetCount(), 1);
}

}  // namespace
