// The chart layout read and written without windows: a version-19 body byte by byte,
// the per-field rules of older versions, studies kept in pane order, the tools of every
// pane, the long form of a 65,534-character note, and what is refused.
#include "chart/CChartLayout.h"

#include "backtest/CStrategySetup.h"
#include "tests/backtest/StrategySamples.h"
#include "studies/CStudyDefinition.h"
#include "studies/StudyFactory.h"
#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Fields 3 to 10 of a version-19 body with an empty colour rule set.
ByteWriter& PricePart19(ByteWriter& w, BYTE style, DWORD pen, double spacing, DWORD range, DWORD log, DWORD offset,
                        DWORD autoScale)
{
    return w.Byte(style).Dword(pen).Double(spacing).Dword(range).Dword(log).Dword(offset).Dword(autoScale)
        .Text("").Text("").Dword(0).Dword(0);
}

// Fields 13 to 21 with nothing open, links of both buttons, the tab window on and one
// tab in each strip.
ByteWriter& Tail19(ByteWriter& w)
{
    return w.Dword(1).Double(1.0)         // one pane, all of the height
        .Dword(0).Dword(0).Dword(0)       // tracking, crosshairs, snapshot
        .Dword(0xFFFFFFFF)                // no backtest
        .Dword(3).Dword(1)                // Group 2, Link to All
        .Dword(1).Dword(1).Text("IBM").Dword(0).Dword(1).Text("Daily").Dword(0);
}

CChartLayout Read(const std::vector<BYTE>& bytes, ELayoutError expected = ELayoutError::kNone, ULONGLONG* left = nullptr)
{
    CChartLayout layout;
    layout.links.SetButtons(true, true);
    const ULONGLONG rest = LoadFromBytes(bytes, [&](CArchive& ar) { EXPECT_EQ(expected, LoadChartLayout(ar, layout)); });
    if (left)
        *left = rest;
    return layout;
}

std::vector<BYTE> Write(const CChartLayout& layout)
{
    return StoreToBytes([&](CArchive& ar) { StoreChartLayout(ar, layout); });
}

std::vector<BYTE> StudyBytes(int type, int pane)
{
    std::unique_ptr<CStudyDefinition> study = CreateStudyById(static_cast<WORD>(type), CString());
    study->SetPaneIndex(pane);
    return StoreToBytes([&](CArchive& ar) { StoreStudy(ar, *study); });
}

void Append(std::vector<BYTE>& to, const std::vector<BYTE>& bytes)
{
    to.insert(to.end(), bytes.begin(), bytes.end());
}

CStoredTool Segment(DWORD t1, double p1, DWORD t2, double p2)
{
    CStoredTool tool;
    tool.tag = kTagSegment;
    tool.anchor1 = {t1, p1};
    tool.anchor2 = {t2, p2};
    tool.line.thickness = 2;
    return tool;
}

CStrategySetup CrossStrategy()
{
    CStrategySetup setup;
    CStrategyDefinition s = LongStrategy("Cross", "MovingAverage[MA,Close,5,0,D]>MovingAverage[MA,Close,20,0,D]",
                                         "MovingAverage[MA,Close,5,0,D]<MovingAverage[MA,Close,20,0,D]");
    s.m_entryName = "Up";
    s.m_exitName = "Down";
    s.m_nOverrideInterval = 1;
    setup.AddStrategy(s);
    setup.m_comission = 4.95;
    setup.m_nTStop = 1;
    setup.m_tStopParam = 2.5;
    return setup;
}

} // namespace

TEST(ChartLayout, AVersion19BodyReadsFieldByFieldAndIsWrittenBackByteForByte)
{
    ByteWriter w;
    w.Dword(39).Text("15");  // version 19, extended session
    PricePart19(w, 2, 3, 8.5, 4, 1, static_cast<DWORD>(-12), 0);
    w.Dword(0);  // no studies
    Tail19(w);
    // Pane 0: two symbols, a segment for IBM and none for MSFT.
    w.Dword(2).Text("IBM").Dword(1);
    w.Dword(kTagSegment).Dword(1000).Double(99.5).Dword(2000).Double(101.25).Dword(kToolNormal).Dword(0);
    w.Dword(RGB(0, 0, 255)).Dword(2);
    w.Text("MSFT").Dword(0);

    ULONGLONG left = 1;
    const CChartLayout layout = Read(w.Bytes(), ELayoutError::kNone, &left);
    EXPECT_EQ(0u, left);
    EXPECT_EQ(19u, layout.version);
    EXPECT_TRUE(layout.extendedSession);
    EXPECT_EQ(CString("15"), layout.interval);
    EXPECT_EQ(2, layout.drawStyle);
    EXPECT_EQ(3u, layout.penWidth);
    EXPECT_EQ(8.5, layout.barSpacing);
    EXPECT_EQ(4u, layout.dateRange);
    EXPECT_TRUE(layout.logScale);
    EXPECT_EQ(-12, layout.priceOffset);
    EXPECT_FALSE(layout.autoScale);
    EXPECT_EQ(std::vector<double>{1.0}, layout.proportions);
    EXPECT_FALSE(layout.trackingShown);
    EXPECT_FALSE(layout.snapshotShown);
    EXPECT_EQ(3, layout.links.GetSymbolGroup());
    EXPECT_EQ(1, layout.links.GetIntervalGroup());
    EXPECT_TRUE(layout.tabWindow);
    EXPECT_EQ(std::vector<CString>{"IBM"}, layout.tabs1.names);
    EXPECT_EQ(std::vector<CString>{"Daily"}, layout.tabs2.names);
    ASSERT_EQ(1u, layout.paneTools.size());
    ASSERT_EQ(2u, layout.paneTools[0].size());
    EXPECT_EQ(CString("IBM"), layout.paneTools[0][0].first);
    ASSERT_EQ(1u, layout.paneTools[0][0].second.size());
    EXPECT_EQ(101.25, layout.paneTools[0][0].second[0].anchor2.price);
    EXPECT_TRUE(layout.paneTools[0][1].second.empty());

    EXPECT_EQ(w.Bytes(), Write(layout));
}

TEST(ChartLayout, OlderVersionsFollowTheirFieldRules)
{
    // Version 9: the spacing is a DWORD and there is no date range; log scale, price
    // offset, auto scale; panel positions; the tab part.
    {
        ByteWriter w;
        w.Dword(18).Text("D").Byte(1).Dword(1).Dword(6).Dword(1).Dword(static_cast<DWORD>(-7)).Dword(0);
        w.Text("").Text("").Dword(0).Dword(0);
        w.Dword(0).Dword(0);                     // no studies, no proportions
        w.Dword(1).Dword(10).Dword(20);          // tracking at (10, 20)
        w.Dword(1).Dword(1);                     // crosshairs, snapshot
        w.Dword(1).Dword(0).Dword(1).Dword(3);   // abbreviated, one field (Last)
        w.Dword(30).Dword(40);                   // at (30, 40)
        w.Dword(0xFFFFFFFF).Dword(2).Dword(5);   // no backtest, links
        w.Dword(0).Dword(0).Dword(0).Dword(0).Dword(0);
        w.Dword(0);                              // pane 0: no tools
        ULONGLONG left = 1;
        const CChartLayout layout = Read(w.Bytes(), ELayoutError::kNone, &left);
        EXPECT_EQ(0u, left);
        EXPECT_EQ(9u, layout.version);
        EXPECT_EQ(6.0, layout.barSpacing);
        EXPECT_EQ(0u, layout.dateRange);
        EXPECT_TRUE(layout.logScale);
        EXPECT_EQ(-7, layout.priceOffset);
        EXPECT_FALSE(layout.autoScale);
        EXPECT_TRUE(layout.trackingShown);
        EXPECT_EQ(CPoint(10, 20), layout.tracking.topLeft);
        EXPECT_TRUE(layout.crosshairs);
        ASSERT_TRUE(layout.snapshotShown);
        EXPECT_TRUE(layout.snapshotFields.abbreviated);
        ASSERT_EQ(1u, layout.snapshotFields.fields.size());
        EXPECT_EQ(3, layout.snapshotFields.fields[0].fieldId);
        EXPECT_EQ(CPoint(30, 40), layout.snapshot.topLeft);
        EXPECT_EQ(2, layout.links.GetSymbolGroup());
        EXPECT_FALSE(layout.tabWindow);
    }
    // Version 4: log scale and 8 skipped bytes, no auto scale; the tab part is read (the
    // reading kept over the one that skips a DWORD); the tools of one map are dropped.
    {
        ByteWriter w;
        w.Dword(8).Text("W").Byte(0).Dword(2).Dword(10).Dword(0).Dword(1).Dword(2);
        w.Text("").Text("").Dword(0).Dword(0);
        w.Dword(0).Dword(0).Dword(0).Dword(0).Dword(0);
        w.Dword(0xFFFFFFFF).Dword(1).Dword(1);
        w.Dword(1).Dword(2).Text("IBM").Text("MSFT").Dword(1).Dword(0).Dword(0);
        w.Dword(1).Text("IBM").Dword(1);
        w.Dword(kTagRay).Dword(1).Double(2).Dword(3).Double(4).Dword(1).Dword(0).Dword(0).Dword(1);
        ULONGLONG left = 1;
        const CChartLayout layout = Read(w.Bytes(), ELayoutError::kNone, &left);
        EXPECT_EQ(0u, left);
        EXPECT_EQ(4u, layout.version);
        EXPECT_EQ(10.0, layout.barSpacing);
        EXPECT_FALSE(layout.logScale);
        EXPECT_EQ(0, layout.priceOffset);
        EXPECT_TRUE(layout.autoScale);
        EXPECT_EQ((std::vector<CString>{"IBM", "MSFT"}), layout.tabs1.names);
        EXPECT_EQ(1u, layout.tabs1.selected);
        ASSERT_EQ(1u, layout.paneTools.size());
        EXPECT_TRUE(layout.paneTools[0].empty());
    }
    // Version 2: no log scale or auto scale; one DWORD in place of the tab part.
    {
        ByteWriter w;
        w.Dword(4).Text("5").Byte(3).Dword(1).Dword(7);
        w.Text("").Text("").Dword(0).Dword(0);
        w.Dword(0).Dword(0).Dword(0).Dword(0).Dword(0);
        w.Dword(0xFFFFFFFF).Dword(1).Dword(1);
        w.Dword(77);          // skipped
        w.Dword(0);           // the single tool map, empty
        ULONGLONG left = 1;
        const CChartLayout layout = Read(w.Bytes(), ELayoutError::kNone, &left);
        EXPECT_EQ(0u, left);
        EXPECT_EQ(2u, layout.version);
        EXPECT_EQ(3, layout.drawStyle);
        EXPECT_EQ(7.0, layout.barSpacing);
        EXPECT_TRUE(layout.autoScale);
        EXPECT_TRUE(layout.tabWindow);
        EXPECT_TRUE(layout.tabs1.names.empty());
    }
    // Version 5: panels carry their positions; log scale, 8 bytes skipped, auto scale.
    {
        ByteWriter w;
        w.Dword(10).Text("D").Byte(1).Dword(1).Dword(6).Dword(0).Dword(0).Dword(0).Dword(1);
        w.Text("").Text("").Dword(0).Dword(0);
        w.Dword(0).Dword(0).Dword(1).Dword(40).Dword(50).Dword(0).Dword(0);
        w.Dword(0xFFFFFFFF).Dword(1).Dword(1).Dword(0).Dword(0).Dword(0).Dword(0).Dword(0).Dword(0);
        const CChartLayout layout = Read(w.Bytes());
        EXPECT_TRUE(layout.tracking.hasPosition);
        EXPECT_EQ(CPoint(40, 50), layout.tracking.topLeft);
    }
}

TEST(ChartLayout, TheBacktestRequestIsReadByTheLayoutsVersion)
{
    // Version 19, no strategies: still a request. Symbols, start, end, commission,
    // intraday, minute bars, flags (until now, exit at end), trailing stop (on, percent,
    // 3.5), portfolio (off, capital 0).
    {
        ByteWriter w;
        w.Dword(38).Text("D");
        PricePart19(w, 1, 1, 6.0, 0, 0, 0, 1);
        w.Dword(0).Dword(1).Double(1.0).Dword(0).Dword(0).Dword(0);
        w.Dword(0).Text("IBM").Dword(100).Dword(200).Double(9.99).Dword(1).Dword(5).Dword(3);
        w.Dword(1).Dword(1).Double(3.5).Dword(0).Double(0);
        w.Dword(3).Dword(1).Dword(1).Dword(0).Dword(0).Dword(0).Dword(0);  // links, tabs
        w.Dword(0);
        ULONGLONG left = 1;
        const CChartLayout layout = Read(w.Bytes(), ELayoutError::kNone, &left);
        EXPECT_EQ(0u, left);
        ASSERT_NE(nullptr, layout.backtest);
        EXPECT_EQ(0, layout.backtest->GetStrategyCount());
        EXPECT_EQ(CString("IBM"), layout.backtest->m_symbols);
        EXPECT_EQ(9.99, layout.backtest->m_comission);
        EXPECT_EQ(5, layout.backtest->m_nMinuteBars);
        EXPECT_EQ(1, layout.backtest->m_nUntilNow);
        EXPECT_EQ(1, layout.backtest->m_nExitAtEnd);
        EXPECT_EQ(3.5, layout.backtest->m_tStopParam);
        EXPECT_EQ(3, layout.links.GetSymbolGroup());
        EXPECT_EQ(w.Bytes(), Write(layout));
    }
    // Version 9: no trailing stop or portfolio fields after the flags.
    {
        ByteWriter w;
        w.Dword(18).Text("D").Byte(1).Dword(1).Dword(6).Dword(0).Dword(0).Dword(1);
        w.Text("").Text("").Dword(0).Dword(0);
        w.Dword(0).Dword(0).Dword(0).Dword(0).Dword(0);
        w.Dword(0).Text("").Dword(0).Dword(0).Double(0).Dword(0).Dword(1).Dword(0);
        w.Dword(2).Dword(5).Dword(1).Dword(0).Dword(0).Dword(0).Dword(0).Dword(0);
        ULONGLONG left = 1;
        const CChartLayout layout = Read(w.Bytes(), ELayoutError::kNone, &left);
        EXPECT_EQ(0u, left);
        ASSERT_NE(nullptr, layout.backtest);
        EXPECT_EQ(0, layout.backtest->m_nTStop);
        EXPECT_EQ(2, layout.links.GetSymbolGroup());
    }
    // A strategy written and read back whole; a strategy count beyond the data fails.
    CChartLayout layout;
    layout.links.SetButtons(true, true);
    layout.backtest = std::make_unique<CStrategySetup>(CrossStrategy());
    const std::vector<BYTE> bytes = Write(layout);
    const CChartLayout back = Read(bytes);
    ASSERT_NE(nullptr, back.backtest);
    ASSERT_EQ(1, back.backtest->GetStrategyCount());
    EXPECT_TRUE(back.backtest->GetStrategy(0) == CrossStrategy().GetStrategy(0));
    EXPECT_EQ(2.5, back.backtest->m_tStopParam);
    EXPECT_EQ(bytes, Write(back));
    ByteWriter many;
    many.Dword(38).Text("D");
    PricePart19(many, 1, 1, 6.0, 0, 0, 0, 1);
    many.Dword(0).Dword(0).Dword(0).Dword(0).Dword(0).Dword(0x7FFFFFFF);
    Read(many.Bytes(), ELayoutError::kDamaged);
}

TEST(ChartLayout, StudiesAreKeptInPaneOrderAndEachPaneHasItsTools)
{
    ByteWriter head;
    head.Dword(38).Text("D");
    PricePart19(head, 1, 1, 6.0, 0, 0, 0, 1);
    std::vector<BYTE> bytes = head.Bytes();
    // RSI in pane 2, Bollinger in pane 0, MACD in pane 1, Volume in pane 2.
    Append(bytes, ByteWriter().Dword(4).Bytes());
    Append(bytes, StudyBytes(kStudyRSI, 2));
    Append(bytes, StudyBytes(kStudyBollinger, 0));
    Append(bytes, StudyBytes(kStudyMACD, 1));
    Append(bytes, StudyBytes(kStudyVolume, 2));
    ByteWriter tail;
    tail.Dword(3).Double(0.5).Double(0.25).Double(0.25);
    tail.Dword(0).Dword(0).Dword(0).Dword(0xFFFFFFFF).Dword(1).Dword(1).Dword(1).Dword(0).Dword(0).Dword(0).Dword(0);
    // Three panes of tools; pane 2 lists "ibm" twice (one list).
    tail.Dword(0).Dword(0);
    tail.Dword(2).Text("ibm").Dword(0).Text("IBM").Dword(0);
    Append(bytes, tail.Bytes());
    ULONGLONG left = 1;
    const CChartLayout layout = Read(bytes, ELayoutError::kNone, &left);
    EXPECT_EQ(0u, left);
    ASSERT_EQ(4u, layout.studies.size());
    EXPECT_EQ(kStudyBollinger, layout.studies[0]->GetTypeId());
    EXPECT_EQ(kStudyMACD, layout.studies[1]->GetTypeId());
    EXPECT_EQ(kStudyRSI, layout.studies[2]->GetTypeId());
    EXPECT_EQ(kStudyVolume, layout.studies[3]->GetTypeId());
    EXPECT_EQ(3, CountLayoutPanes(layout.studies));
    ASSERT_EQ(3u, layout.paneTools.size());
    ASSERT_EQ(1u, layout.paneTools[2].size());
    EXPECT_EQ(CString("IBM"), layout.paneTools[2][0].first);
}

TEST(ChartLayout, PanesCountedAsStudiesArePlaced)
{
    std::vector<std::unique_ptr<CStudyDefinition>> studies;
    EXPECT_EQ(1, CountLayoutPanes(studies));
    auto add = [&](int pane) {
        studies.push_back(CreateStudyById(kStudyRSI, CString()));
        studies.back()->SetPaneIndex(pane);
    };
    add(0);
    add(1);
    add(1);
    add(-1);  // not placed: ordered first, it opens pane 1, which the pane-1 studies join
    add(7);   // beyond the panes: the next one
    EXPECT_EQ(3, CountLayoutPanes(studies));
    for (int i = 0; i < 20; ++i)
        add(-1);
    EXPECT_EQ(16, CountLayoutPanes(studies));
}

TEST(ChartLayout, ANoteOf65534CharactersIsWrittenInTheLongFormAndReadBack)
{
    CChartLayout layout;
    layout.links.SetButtons(true, true);
    CStoredTool note;
    note.tag = kTagNote;
    note.note.text = CString(std::string(65534, 'n').c_str());
    layout.paneTools.resize(1);
    layout.paneTools[0].emplace_back("IBM", std::vector<CStoredTool>{note});
    const std::vector<BYTE> bytes = Write(layout);
    // The text's length: 0xFF, the WORD 0xFFFF and the DWORD 65534, then the text.
    const std::vector<BYTE> marker = {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00};
    ASSERT_GT(bytes.size(), 65534u + marker.size());
    const auto at = bytes.end() - 65534 - static_cast<long>(marker.size());
    EXPECT_TRUE(std::equal(marker.begin(), marker.end(), at));
    const CChartLayout back = Read(bytes);
    ASSERT_EQ(1u, back.paneTools.size());
    ASSERT_EQ(1u, back.paneTools[0][0].second.size());
    EXPECT_EQ(65534, back.paneTools[0][0].second[0].note.text.GetLength());
    EXPECT_EQ(bytes, Write(back));
}

TEST(ChartLayout, DamagedNewerAndUnknownLayoutsAreRefused)
{
    // A real layout: studies in two panes, a tool in each, both side windows.
    CChartLayout layout;
    layout.links.SetButtons(true, true);
    layout.interval = "60";
    layout.studies.push_back(CreateStudyById(kStudyBollinger, CString()));
    layout.studies.push_back(CreateStudyById(kStudyRSI, CString()));
    layout.studies[0]->SetPaneIndex(0);
    layout.studies[1]->SetPaneIndex(1);
    layout.proportions = {0.7, 0.3};
    layout.trackingShown = true;
    layout.tracking = {true, CPoint(5, 5)};
    layout.snapshotShown = true;
    layout.snapshot = {true, CPoint(5, 60)};
    layout.tabs1.names = {"IBM", "MSFT"};
    layout.backtest = std::make_unique<CStrategySetup>(CrossStrategy());
    layout.paneTools.resize(2);
    layout.paneTools[0].emplace_back("IBM", std::vector<CStoredTool>{Segment(100, 1, 200, 2)});
    layout.paneTools[1].emplace_back("IBM", std::vector<CStoredTool>{Segment(100, 30, 200, 70)});
    const std::vector<BYTE> bytes = Write(layout);
    EXPECT_EQ(bytes, Write(Read(bytes)));

    // Every prefix fails as damaged.
    for (size_t n = 0; n < bytes.size(); ++n) {
        std::vector<BYTE> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
        CChartLayout partial;
        partial.links.SetButtons(true, true);
        ELayoutError error = ELayoutError::kNone;
        LoadFromBytes(cut, [&](CArchive& ar) { error = LoadChartLayout(ar, partial); });
        EXPECT_EQ(ELayoutError::kDamaged, error) << "prefix of " << n << " bytes";
    }

    // Version 20 and above.
    std::vector<BYTE> newer = bytes;
    newer[0] = 40;
    DWORD version = 0;
    CChartLayout target;
    LoadFromBytes(newer, [&](CArchive& ar) { EXPECT_EQ(ELayoutError::kNewVersion, LoadChartLayout(ar, target, &version)); });
    EXPECT_EQ(20u, version);

    // A study type nobody knows.
    ByteWriter unknown;
    unknown.Dword(38).Text("D");
    PricePart19(unknown, 1, 1, 6.0, 0, 0, 0, 1);
    unknown.Dword(1).Dword(169).Dword(0).Text("");
    Read(unknown.Bytes(), ELayoutError::kUnknownStudy);

    // A tool tag beyond the six tools, a study count beyond the data, a date range
    // beyond "1 Year", a tab selected past the tabs.
    ByteWriter tag;
    tag.Dword(38).Text("D");
    PricePart19(tag, 1, 1, 6.0, 0, 0, 0, 1);
    tag.Dword(0);
    Tail19(tag);
    tag.Dword(1).Text("IBM").Dword(1).Dword(6).Dword(0).Dword(0).Dword(0).Dword(0).Dword(0).Dword(0).Dword(0).Dword(0);
    Read(tag.Bytes(), ELayoutError::kDamaged);
    ByteWriter count;
    count.Dword(38).Text("D");
    PricePart19(count, 1, 1, 6.0, 0, 0, 0, 1);
    count.Dword(100000);
    Read(count.Bytes(), ELayoutError::kDamaged);
    ByteWriter range;
    range.Dword(38).Text("D");
    PricePart19(range, 1, 1, 6.0, 9, 0, 0, 1);
    Read(range.Bytes(), ELayoutError::kDamaged);
    CTabStripForm tabs;
    EXPECT_THROW(LoadFromBytes(ByteWriter().Dword(1).Text("IBM").Dword(1).Bytes(),
                               [&](CArchive& ar) { LoadTabStrip(ar, tabs); }),
                 CArchiveException);
}

TEST(ChartLayout, TheRecordPutsTheSymbolFirst)
{
    CChartLayout layout;
    layout.links.SetButtons(true, true);
    layout.paneTools.resize(1);
    const std::vector<BYTE> record = StoreToBytes([&](CArchive& ar) { StoreChartRecord(ar, "MSFT", layout); });
    std::vector<BYTE> expected = ByteWriter().Text("MSFT").Bytes();
    Append(expected, Write(layout));
    EXPECT_EQ(expected, record);
    CString symbol = "BEFORE";
    CChartLayout back;
    back.links.SetButtons(true, true);
    LoadFromBytes(record, [&](CArchive& ar) { EXPECT_EQ(ELayoutError::kNone, LoadChartRecord(ar, symbol, back)); });
    EXPECT_EQ(CString("MSFT"), symbol);
    // A record cut inside the body keeps the symbol it had.
    std::vector<BYTE> cut(record.begin(), record.end() - 3);
    symbol = "BEFORE";
    LoadFromBytes(cut, [&](CArchive& ar) { EXPECT_EQ(ELayoutError::kDamaged, LoadChartRecord(ar, symbol, back)); });
    EXPECT_EQ(CString("BEFORE"), symbol);
}
