#include "platform/core/Core.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

TEST(CArray, AddInsertRemoveAndGrow)
{
    CArray<int> a;
    a.SetSize(0, 2);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(a.Add(i), i);
    EXPECT_EQ(a.GetSize(), 10);
    a.InsertAt(0, -1, 2);
    EXPECT_EQ(a[0], -1);
    EXPECT_EQ(a[1], -1);
    EXPECT_EQ(a[2], 0);
    a.RemoveAt(0, 3);
    EXPECT_EQ(a.GetAt(0), 1);
    EXPECT_EQ(a.GetUpperBound(), 8);
    a.SetAtGrow(12, 99);
    EXPECT_EQ(a.GetSize(), 13);
    EXPECT_EQ(a[11], 0);
    a.SetSize(3);
    EXPECT_EQ(a.GetCount(), 3);

    CArray<int> b;
    b.Copy(a);
    EXPECT_EQ(b.Append(a), 3);
    EXPECT_EQ(b.GetSize(), 6);
    b.InsertAt(1, &a);
    EXPECT_EQ(b.GetSize(), 9);
    EXPECT_EQ(b[1], 1);
    b.RemoveAll();
    EXPECT_TRUE(b.IsEmpty());
}

TEST(CArray, AddingAnOwnElementSurvivesReallocation)
{
    CStringArray a;
    a.Add("first element long enough to live on the heap");
    for (int i = 0; i < 100; ++i)
        a.Add(a[0]);
    EXPECT_EQ(a.GetSize(), 101);
    EXPECT_EQ(a[100], a[0]);
    a.SetAtGrow(500, a[0]);
    EXPECT_EQ(a[500], a[0]);
}

TEST(CList, PositionWalkFindAndRemoveWhileWalking)
{
    CList<int> list;
    for (int i = 1; i <= 5; ++i)
        list.AddTail(i);
    list.AddHead(0);
    EXPECT_EQ(list.GetCount(), 6);
    EXPECT_EQ(list.GetHead(), 0);
    EXPECT_EQ(list.GetTail(), 5);

    POSITION pos = list.GetHeadPosition();
    while (pos) {
        const POSITION here = pos;
        if (list.GetNext(pos) % 2 == 0)
            list.RemoveAt(here);
    }
    std::vector<int> left;
    for (pos = list.GetHeadPosition(); pos;)
        left.push_back(list.GetNext(pos));
    EXPECT_EQ(left, (std::vector<int>{1, 3, 5}));

    const POSITION three = list.Find(3);
    ASSERT_NE(three, nullptr);
    list.InsertBefore(three, 2);
    list.InsertAfter(three, 4);
    EXPECT_EQ(list.Find(3, three), nullptr);
    EXPECT_EQ(list.GetAt(list.FindIndex(3)), 4);
    EXPECT_EQ(list.FindIndex(5), nullptr);
    EXPECT_EQ(list.RemoveHead(), 1);
    EXPECT_EQ(list.RemoveTail(), 5);
    pos = list.GetTailPosition();
    EXPECT_EQ(list.GetPrev(pos), 4);
    EXPECT_EQ(list.GetPrev(pos), 3);
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
}

TEST(CMap, LookupSetRemoveAndWalkWithRemoval)
{
    CMap<int, CString> map;
    for (int i = 0; i < 200; ++i)
        map[i].Format("v%d", i);
    EXPECT_EQ(map.GetCount(), 200);
    CString value;
    EXPECT_TRUE(map.Lookup(150, value));
    EXPECT_EQ(value, "v150");
    EXPECT_FALSE(map.Lookup(1000, value));
    map.SetAt(150, "changed");
    EXPECT_TRUE(map.Lookup(150, value));
    EXPECT_EQ(value, "changed");
    EXPECT_TRUE(map.RemoveKey(150));
    EXPECT_FALSE(map.RemoveKey(150));

    // Remove every odd key during the walk; every key is still visited once.
    std::set<int> seen;
    POSITION pos = map.GetStartPosition();
    while (pos) {
        int key = 0;
        map.GetNextAssoc(pos, key, value);
        EXPECT_TRUE(seen.insert(key).second);
        if (key % 2)
            map.RemoveKey(key);
    }
    EXPECT_EQ(seen.size(), 199u);
    EXPECT_EQ(map.GetCount(), 99);  // the even keys but 150
    map.RemoveAll();
    EXPECT_EQ(map.GetStartPosition(), nullptr);
}

TEST(CMap, NamedStringMaps)
{
    CMapStringToString names;
    names.SetAt("IBM", "International");
    names["MSFT"] = "Microsoft";
    CString value;
    EXPECT_TRUE(names.Lookup("MSFT", value));
    EXPECT_EQ(value, "Microsoft");
    EXPECT_FALSE(names.Lookup("msft", value));

    int a = 1;
    CMapStringToPtr ptrs;
    ptrs.SetAt("a", &a);
    void* p = nullptr;
    EXPECT_TRUE(ptrs.Lookup("a", p));
    EXPECT_EQ(p, &a);

    CMap<CString, const char*, int, int> fourArgs;
    fourArgs["x"] = 3;
    EXPECT_EQ(*fourArgs.PLookup("x"), 3);
    EXPECT_EQ(fourArgs.PLookup("y"), nullptr);
}
