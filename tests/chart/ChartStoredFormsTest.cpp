// The chart's stored forms read without windows: drawing-tool lists byte by byte and the
// damaged lists they refuse.
#include "chart/CStoredTool.h"

#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// A segment's bytes written out by hand: tag, anchors, state, following, colour, width.
ByteWriter& Segment(ByteWriter& w, DWORD time1, double price1, DWORD time2, double price2, DWORD thickness = 2)
{
    return w.Dword(kTagSegment)
        .Dword(time1)
        .Double(price1)
        .Dword(time2)
        .Double(price2)
        .Dword(kToolSelected)
        .Dword(1)
        .Dword(RGB(0, 255, 0))
        .Dword(thickness);
}

std::vector<CStoredTool> Load(const std::vector<BYTE>& bytes, ULONGLONG* left = nullptr)
{
    std::vector<CStoredTool> tools;
    const ULONGLONG rest = LoadFromBytes(bytes, [&](CArchive& ar) { LoadToolRecords(ar, tools); });
    if (left)
        *left = rest;
    return tools;
}

bool Refused(const std::vector<BYTE>& bytes)
{
    std::vector<CStoredTool> tools{CStoredTool{}};
    try {
        LoadFromBytes(bytes, [&](CArchive& ar) { LoadToolRecords(ar, tools); });
    } catch (const CArchiveException&) {
        return tools.size() == 1; // nothing appended
    }
    return false;
}

} // namespace

TEST(StoredToolList, SegmentAndNoteReadFromTheirBytesAndWriteThemBack)
{
    ByteWriter w;
    w.Dword(2);
    Segment(w, 1000, 99.5, 2000, 120.25);
    w.Dword(kTagNote).Dword(40).Double(50).Dword(140).Double(70).Dword(kToolNormal).Dword(0);
    w.Dword(RGB(255, 255, 0)).Dword(1).Text("Earnings");
    ULONGLONG left = 1;
    const std::vector<CStoredTool> tools = Load(w.Bytes(), &left);
    EXPECT_EQ(0u, left);
    ASSERT_EQ(2u, tools.size());
    EXPECT_EQ(kTagSegment, tools[0].tag);
    EXPECT_EQ((CToolAnchor{1000, 99.5}), tools[0].anchor1);
    EXPECT_EQ((CToolAnchor{2000, 120.25}), tools[0].anchor2);
    EXPECT_EQ(static_cast<DWORD>(kToolSelected), tools[0].state);
    EXPECT_EQ(1u, tools[0].following);
    EXPECT_EQ((CLineToolSettings{RGB(0, 255, 0), 2}), tools[0].line);
    EXPECT_EQ(kTagNote, tools[1].tag);
    EXPECT_EQ((CNoteSettings{RGB(255, 255, 0), true, "Earnings"}), tools[1].note);

    EXPECT_EQ(w.Bytes(), StoreToBytes([&](CArchive& ar) { StoreToolRecords(ar, tools); }));
}

TEST(StoredToolList, RegressionAndRetracementSettingsRoundTrip)
{
    CStoredTool regression;
    regression.tag = kTagRegression;
    regression.anchor1 = {10, 1.5};
    regression.anchor2 = {20, 2.5};
    regression.regression.lineThickness = 3;
    regression.regression.sourceField = 1;
    regression.regression.upperStdDevs = 1.5;
    regression.regression.lowerStdDevs = -0.5;
    regression.regression.displayBits = 1;
    CStoredTool retracement;
    retracement.tag = kTagRetracement;
    retracement.retracement.levels[7].percent = 300;
    retracement.retracement.levels[2].thickness = 5;
    retracement.retracement.extendForever = true;
    retracement.retracement.alertBits = 0x81;
    const std::vector<CStoredTool> tools{regression, retracement};
    const auto bytes = StoreToBytes([&](CArchive& ar) { StoreToolRecords(ar, tools); });
    // Count, then 32 bytes of anchors and state per tool after its tag; a regression adds
    // 8 DWORDs and 2 doubles, a retracement 4 DWORDs, 8 levels of 16 bytes and 3 DWORDs
    // with a double.
    EXPECT_EQ(4u + (4 + 32 + 32 + 16) + (4 + 32 + 16 + 8 * 16 + 12 + 8), bytes.size());
    ULONGLONG left = 1;
    EXPECT_EQ(tools, Load(bytes, &left));
    EXPECT_EQ(0u, left);
}

TEST(StoredToolList, DamagedListsAreRefusedWhole)
{
    // An unknown tag after a good tool.
    ByteWriter tag;
    Segment(tag.Dword(2), 1, 1, 2, 2).Dword(9);
    for (int i = 0; i < 12; ++i)
        tag.Dword(0);
    EXPECT_TRUE(Refused(tag.Bytes()));
    // More tools than the bytes can hold.
    EXPECT_TRUE(Refused(ByteWriter().Dword(0x7FFFFFFF).Dword(0).Bytes()));
    // A price that is not a number, a state beyond removed, a width beyond 100.
    ByteWriter nan;
    EXPECT_TRUE(Refused(Segment(nan.Dword(1), 1, std::numeric_limits<double>::quiet_NaN(), 2, 2).Bytes()));
    ByteWriter wide;
    EXPECT_TRUE(Refused(Segment(wide.Dword(1), 1, 1, 2, 2, 101).Bytes()));
    EXPECT_FALSE(Refused(Segment(ByteWriter().Dword(1), 1, 1, 2, 2, 100).Bytes()));
    ByteWriter state;
    state.Dword(1).Dword(kTagLine).Dword(1).Double(1).Dword(2).Double(2).Dword(4).Dword(0).Dword(0).Dword(1);
    EXPECT_TRUE(Refused(state.Bytes()));
    // A regression over a price field that does not exist (7).
    CStoredTool regression;
    regression.tag = kTagRegression;
    regression.regression.sourceField = 7;
    EXPECT_TRUE(Refused(StoreToBytes([&](CArchive& ar) { StoreToolRecords(ar, {regression}); })));
    // Cut short inside a note's text.
    CStoredTool note;
    note.tag = kTagNote;
    note.note.text = "a longer note";
    auto cut = StoreToBytes([&](CArchive& ar) { StoreToolRecords(ar, {note}); });
    cut.resize(cut.size() - 3);
    EXPECT_TRUE(Refused(cut));
}
