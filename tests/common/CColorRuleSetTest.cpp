#include "common/services/CColorRuleSet.h"

#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

namespace {
CColorRuleSet ThreeRules()
{
    CColorRuleSet set;
    set.m_name = "Trend";
    set.m_text = "Close > MA(Close,10)";
    set.m_value = 5;
    set.m_rules.push_back({0, -1.5, RGB(255, 0, 0), 0});
    set.m_rules.push_back({1, 0.0, RGB(0, 128, 0), 0});
    set.m_rules.push_back({4, 2.25, RGB(1, 2, 3), 0});
    return set;
}

int ArchiveCause(const std::function<void()>& action)
{
    try {
        action();
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return CArchiveException::none;
}
}  // namespace

TEST(CColorRuleSet, ArchiveFormIsNameTextValueCountAndSixteenBytesPerRule)
{
    CColorRuleSet set;
    set.m_name = "N";
    set.m_text = "ab";
    set.m_value = -2;
    set.m_rules.push_back({3, 1.0, RGB(1, 2, 3), 77});
    const auto bytes = StoreToBytes([&](CArchive& ar) { EXPECT_TRUE(set.Store(ar)); });
    // The further DWORD (77) is not written.
    const auto expected = ByteWriter()
                              .Text("N")
                              .Text("ab")
                              .Dword(0xFFFFFFFEu)
                              .Dword(1)
                              .Dword(3)
                              .Double(1.0)
                              .Dword(0x030201)
                              .Bytes();
    EXPECT_EQ(bytes, expected);

    const auto empty = StoreToBytes([](CArchive& ar) { CColorRuleSet().Store(ar); });
    EXPECT_EQ(empty, ByteWriter().Text("").Text("").Dword(0).Dword(0).Bytes());
}

TEST(CColorRuleSet, RoundTripReproducesTheSet)
{
    const CColorRuleSet set = ThreeRules();
    const auto bytes = StoreToBytes([&](CArchive& ar) { set.Store(ar); });
    CColorRuleSet back;
    back.m_rules.push_back({9, 9.0, 9, 0});
    EXPECT_EQ(LoadFromBytes(bytes, [&](CArchive& ar) { EXPECT_TRUE(back.Load(ar)); }), 0u);
    EXPECT_TRUE(back == set);
    EXPECT_EQ(back.m_rules.size(), 3u);
    EXPECT_EQ(back.m_rules[2].first, RGB(1, 2, 3));

    // A further DWORD is lost on the way, so such a set does not come back equal.
    CColorRuleSet withBack = set;
    withBack.m_rules[0].second = RGB(9, 9, 9);
    const auto bytes2 = StoreToBytes([&](CArchive& ar) { withBack.Store(ar); });
    EXPECT_EQ(bytes2, bytes);
    CColorRuleSet withBackRead;
    LoadFromBytes(bytes2, [&](CArchive& ar) { withBackRead.Load(ar); });
    EXPECT_FALSE(withBackRead == withBack);
    EXPECT_EQ(withBackRead.m_rules[0].second, 0u);
}

TEST(CColorRuleSet, StoreAndLoadRefuseTheWrongDirection)
{
    const CColorRuleSet set = ThreeRules();
    const auto bytes = StoreToBytes([&](CArchive& ar) { set.Store(ar); });
    CColorRuleSet target = ThreeRules();
    target.m_name = "kept";
    // Storing into a loading archive writes nothing and consumes nothing.
    EXPECT_EQ(LoadFromBytes(bytes, [&](CArchive& ar) { EXPECT_FALSE(set.Store(ar)); }), bytes.size());
    // Loading from a storing archive reads nothing.
    const auto written = StoreToBytes([&](CArchive& ar) { EXPECT_FALSE(target.Load(ar)); });
    EXPECT_TRUE(written.empty());
    EXPECT_EQ(target.m_name, "kept");
}

TEST(CColorRuleSet, EqualityComparesEveryFieldInOrder)
{
    const CColorRuleSet a = ThreeRules();
    CColorRuleSet b = a;
    EXPECT_TRUE(a == b);

    std::swap(b.m_rules[0], b.m_rules[1]);
    EXPECT_FALSE(a == b) << "order matters";

    b = a;
    b.m_rules[1].threshold = -0.0;
    EXPECT_TRUE(a == b) << "0.0 and -0.0 are equal";

    b = a;
    b.m_rules[2].second = 1;
    EXPECT_FALSE(a == b);
    b = a;
    b.m_name = "trend";
    EXPECT_FALSE(a == b) << "names compare byte-wise";
    b = a;
    b.m_value = 6;
    EXPECT_FALSE(a == b);
    b = a;
    b.m_rules.pop_back();
    EXPECT_FALSE(a == b);
}

TEST(CColorRuleSet, LoadingACountOfZeroEmptiesTheRules)
{
    CColorRuleSet set = ThreeRules();
    const auto bytes = ByteWriter().Text("x").Text("").Dword(1).Dword(0).Bytes();
    LoadFromBytes(bytes, [&](CArchive& ar) { EXPECT_TRUE(set.Load(ar)); });
    EXPECT_TRUE(set.m_rules.empty());
    EXPECT_EQ(set.m_name, "x");
    EXPECT_EQ(set.m_value, 1);
}

TEST(CColorRuleSet, DamagedArchivesThrowAndLeaveTheSetAsItWas)
{
    const CColorRuleSet original = ThreeRules();
    // A count far beyond what the bytes can hold is refused before anything is allocated.
    const auto huge = ByteWriter().Text("x").Text("y").Dword(0).Dword(0x10000000).Bytes();
    CColorRuleSet set = original;
    EXPECT_EQ(ArchiveCause([&] { LoadFromBytes(huge, [&](CArchive& ar) { set.Load(ar); }); }),
              CArchiveException::badIndex);
    EXPECT_TRUE(set == original);

    // The last rule one byte short.
    auto bytes = StoreToBytes([&](CArchive& ar) { original.Store(ar); });
    bytes.pop_back();
    EXPECT_EQ(ArchiveCause([&] { LoadFromBytes(bytes, [&](CArchive& ar) { set.Load(ar); }); }),
              CArchiveException::badIndex);
    EXPECT_TRUE(set == original);

    // A name longer than the archive.
    const auto cutName = ByteWriter().Byte(10).Byte('a').Byte('b').Bytes();
    EXPECT_EQ(ArchiveCause([&] { LoadFromBytes(cutName, [&](CArchive& ar) { set.Load(ar); }); }),
              CArchiveException::endOfFile);
    EXPECT_TRUE(set == original);
}
