// Chart layouts on chart windows offscreen: a rich chart saved as a ".chl" file, loaded
// into a new chart and saved again byte for byte; damaged layouts (every prefix of that
// file) and newer ones leave the chart as it was; an older layout; the default layout;
// the copy into a floating frame; the side windows, the tracking rows and the
// cross-hair moving in every chart of the group.
#include "ChartTestShell.h"

#include "chart/ui/CDrawingToolList.h"
#include "chart/ui/CNoteTool.h"
#include "common/windows/CPaneSplitterWnd.h"
#include "common/windows/CSheetsWnd.h"
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "studies/StudyFactory.h"
#include "studies/plots/CPriceScale.h"
#include "tests/analytics/FakeSeriesServices.h"
#include "tests/studies/plots/PlotTestSupport.h"
#include "tests/support/ArchiveBytes.h"
#include "views/ui/CSnapshotFieldPanel.h"
#include "views/ui/CTrackingFieldPanel.h"

#include <gtest/gtest.h>

#include <QTabBar>

#include "broker/core/FeedTime.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

namespace fs = std::filesystem;

BarValues Minute(int m)
{
    return BarValues{100.0 + m, 102.0 + m, 99.0 + m, 101.0 + m, 1000.0 + m};
}

std::vector<BYTE> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::vector<BYTE>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// What a chart is made of, as its workspace record.
std::vector<BYTE> StateOf(CChartController* chart)
{
    return StoreToBytes([&](CArchive& ar) { chart->StoreLayout(ar); });
}

class ChartLayoutUiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("qx_chart_layout_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        shell.settings.SetWorkingDirectory(folder.string().c_str());
    }
    void TearDown() override { fs::remove_all(folder); }

    CGraphsDoc* Open(const char* symbol, bool floating = false)
    {
        CGraphsDoc* doc = shell.OpenChart(symbol, "1", floating);
        if (doc)
            ChartTestShell::Feed(doc, MinuteRows(150, Minute));
        return doc;
    }
    static std::unique_ptr<CStudyDefinition> Study(int type, int pane)
    {
        auto study = CreateStudyById(static_cast<WORD>(type), CString());
        study->SetPaneIndex(pane);
        return study;
    }
    // Candles, Bollinger Bands over the prices, Volume, an RSI pane with a moving
    // average of its own, pane proportions, a trend line, a retracement and a note, both
    // side windows, the cross-hair and link groups.
    void MakeRich(CGraphsDoc* doc)
    {
        CChartController* chart = ChartTestShell::Controller(doc);
        chart->OnCmdMsg(ID_STYLE_CANDLE, CN_COMMAND, nullptr);
        chart->AddStudy(Study(kStudyBollinger, 0));
        chart->AddStudy(Study(kStudyVolume, -1));
        chart->AddStudy(Study(kStudyRSI, -1));
        chart->AddStudy(Study(kStudyMovingAverage, 2));
        ChartTestShell::Feed(doc, MinuteRows(150, Minute));
        ASSERT_EQ(3, chart->GetPaneCount());
        ASSERT_TRUE(chart->GetSplitter()->SetProportions({0.5, 0.2, 0.3}));
        CGraphsView* price = chart->GetPricePane();
        const DWORD t1 = MinuteFeedTime(100), t2 = MinuteFeedTime(140);
        auto line = CreateToolForCommand(kCmdSegment);
        line->m_anchor1 = {t1, 200.5};
        line->m_anchor2 = {t2, 240.25};
        line->m_nState = kToolNormal;
        price->AddTool(std::move(line));
        auto retracement = CreateToolForCommand(kCmdRetracement);
        retracement->m_anchor1 = {t1, 199};
        retracement->m_anchor2 = {t2, 241};
        retracement->m_nState = kToolNormal;
        price->AddTool(std::move(retracement));
        auto note = CreateToolForCommand(kCmdNote);
        dynamic_cast<CNoteTool*>(note.get())->m_settings.text = "Earnings on Thursday";
        note->m_anchor1 = {40, 50};
        note->m_anchor2 = {180, 70};
        note->m_nState = kToolNormal;
        price->AddTool(std::move(note));
        chart->ShowTrackingWindow(true);
        chart->ToggleSnapshotWindow();
        chart->ToggleCrosshairs();
        doc->GetLinkState().SetSymbolGroup(3);
        doc->GetLinkState().SetIntervalGroup(0);
    }

    FakeSeriesServices services;
    ChartTestShell shell;
    fs::path folder;
};

} // namespace

TEST_F(ChartLayoutUiTest, ARichChartSavedLoadedIntoANewChartAndSavedAgainIsTheSameFile)
{
    CGraphsDoc* first = Open("IBM");
    ASSERT_NE(nullptr, first);
    MakeRich(first);
    CChartController* source = ChartTestShell::Controller(first);
    const fs::path saved = folder / "rich.chl";
    ASSERT_TRUE(source->SaveLayoutFile(saved.string().c_str()));

    CGraphsDoc* second = Open("IBM");
    CChartController* target = ChartTestShell::Controller(second);
    ASSERT_TRUE(target->LoadLayoutFile(saved.string().c_str()));
    ChartTestShell::Feed(second, MinuteRows(150, Minute));
    PumpFor(20);
    const fs::path again = folder / "again.chl";
    ASSERT_TRUE(target->SaveLayoutFile(again.string().c_str()));
    const std::vector<BYTE> savedBytes = ReadFile(saved), againBytes = ReadFile(again);
    EXPECT_EQ(savedBytes, againBytes);
    for (size_t i = 0; i < std::min(savedBytes.size(), againBytes.size()); ++i)
        if (savedBytes[i] != againBytes[i]) {
            ADD_FAILURE() << "first difference at byte " << i << " of " << savedBytes.size();

            break;
        }
    EXPECT_TRUE(shell.Responder().boxes.empty());

    // What the new chart shows.
    ASSERT_EQ(4, target->GetStudyCount());
    ASSERT_EQ(3, target->GetPaneCount());
    EXPECT_EQ(2, target->GetPricePane()->GetPlotCount());
    EXPECT_EQ(kStudyVolume, target->GetPane(1)->GetPlot(0)->GetStudy()->GetTypeId());
    EXPECT_EQ(2, target->GetPane(2)->GetPlotCount());
    EXPECT_EQ(kStyleCandle, target->GetPricePane()->GetPricePlot()->GetDrawStyle());
    const std::vector<double> proportions = target->GetSplitter()->GetProportions();
    ASSERT_EQ(3u, proportions.size());
    EXPECT_NEAR(0.2, proportions[1], 0.01);
    ASSERT_EQ(3u, target->GetPricePane()->CurrentTools().size());
    EXPECT_EQ(kTagRetracement, target->GetPricePane()->CurrentTools()[1]->GetTag());
    EXPECT_EQ(target->GetPricePane()->GetPricePlot(), target->GetPricePane()->CurrentTools()[0]->GetPricePlot());
    EXPECT_TRUE(target->IsTrackingShown());
    EXPECT_TRUE(target->HasSnapshotWindow());
    EXPECT_TRUE(target->IsCrosshairOn());
    EXPECT_EQ(3, second->GetLinkState().GetSymbolGroup());
    EXPECT_EQ(0, second->GetLinkState().GetIntervalGroup());
    // Both charts are in the cross-hair group, each once.
    EXPECT_EQ(2u, CChartController::CrosshairGroup().size());
}

TEST_F(ChartLayoutUiTest, DamagedAndNewerLayoutsLeaveTheChartAsItWas)
{
    CGraphsDoc* first = Open("IBM");
    MakeRich(first);
    const fs::path saved = folder / "rich.chl";
    ASSERT_TRUE(ChartTestShell::Controller(first)->SaveLayoutFile(saved.string().c_str()));
    const std::vector<BYTE> bytes = ReadFile(saved);
    ASSERT_GT(bytes.size(), 200u);

    CGraphsDoc* second = Open("MSFT");
    CChartController* target = ChartTestShell::Controller(second);
    target->AddStudy(Study(kStudyMACD, -1));
    const std::vector<BYTE> before = StateOf(target);
    const fs::path damaged = folder / "damaged.chl";
    for (size_t n = 0; n < bytes.size(); ++n) {
        WriteFile(damaged, std::vector<BYTE>(bytes.begin(), bytes.begin() + static_cast<long>(n)));
        shell.Responder().boxes.clear();
        ASSERT_FALSE(target->LoadLayoutFile(damaged.string().c_str())) << n;
        ASSERT_EQ(1u, shell.Responder().boxes.size()) << n;
        ASSERT_EQ("Could not load chart layout from " + CString(damaged.string().c_str()),
                  shell.Responder().boxes[0].text)
            << n;
        ASSERT_EQ(before, StateOf(target)) << "prefix of " << n << " bytes changed the chart";
    }

    // A newer version says so.
    std::vector<BYTE> newer = bytes;
    newer[0] = 40;
    WriteFile(damaged, newer);
    shell.Responder().boxes.clear();
    EXPECT_FALSE(target->LoadLayoutFile(damaged.string().c_str()));
    ASSERT_EQ(1u, shell.Responder().boxes.size());
    EXPECT_NE(-1, shell.Responder().boxes[0].text.Find("incompatible version (v20)"));
    EXPECT_EQ(before, StateOf(target));

    // A file that is not there.
    shell.Responder().boxes.clear();
    EXPECT_FALSE(target->LoadLayoutFile((folder / "missing.chl").string().c_str()));
    EXPECT_EQ(1u, shell.Responder().boxes.size());
    EXPECT_EQ(before, StateOf(target));
}

TEST_F(ChartLayoutUiTest, AVersion5LayoutLoadsByItsRules)
{
    CGraphsDoc* doc = Open("IBM");
    CChartController* chart = ChartTestShell::Controller(doc);
    chart->ShowTrackingWindow(true);
    ASSERT_TRUE(chart->IsTrackingShown());
    // Version 5: spacing as a DWORD, log scale, 8 bytes in place of the offset, auto
    // scale off; an RSI; no Tracking Window (the open one closes), cross-hair on;
    // the tab part, then one tool map per pane.
    ByteWriter w;
    w.Dword(10).Text("5").Byte(2).Dword(2).Dword(9).Dword(1).Dword(0).Dword(0).Dword(0);
    w.Text("").Text("").Dword(0).Dword(0);
    std::vector<BYTE> bytes = w.Bytes();
    const std::vector<BYTE> rsi = StoreToBytes([&](CArchive& ar) {
        ar << DWORD(1);
        StoreStudy(ar, *Study(kStudyRSI, 1));
    });
    bytes.insert(bytes.end(), rsi.begin(), rsi.end());
    ByteWriter tail;
    tail.Dword(2).Double(0.75).Double(0.25).Dword(0).Dword(1).Dword(0).Dword(0xFFFFFFFF).Dword(1).Dword(1);
    tail.Dword(0).Dword(0).Dword(0).Dword(0).Dword(0);
    tail.Dword(1).Text("IBM").Dword(1);
    tail.Dword(kTagLine).Dword(MinuteFeedTime(120)).Double(220).Dword(MinuteFeedTime(130)).Double(230);
    tail.Dword(kToolNormal).Dword(0).Dword(RGB(255, 0, 0)).Dword(2);
    tail.Dword(0);
    bytes.insert(bytes.end(), tail.Bytes().begin(), tail.Bytes().end());
    const fs::path file = folder / "old.chl";
    WriteFile(file, bytes);
    ASSERT_TRUE(chart->LoadLayoutFile(file.string().c_str()));
    EXPECT_TRUE(shell.Responder().boxes.empty());
    EXPECT_EQ(CString("5"), doc->GetInterval());
    EXPECT_EQ(9.0, doc->GetBarSpacing());
    EXPECT_EQ(0, doc->GetDateRange());
    EXPECT_TRUE(chart->GetPricePane()->IsLogScale());
    EXPECT_FALSE(chart->GetPricePane()->IsAutoScale());
    EXPECT_EQ(0, chart->GetPricePane()->GetPriceOffset());
    EXPECT_EQ(kStyleCandle, chart->GetPricePane()->GetPricePlot()->GetDrawStyle());
    EXPECT_EQ(2, chart->GetPaneCount());
    EXPECT_FALSE(chart->IsTrackingShown());
    EXPECT_EQ(nullptr, chart->GetTrackingPanel());
    EXPECT_TRUE(chart->IsCrosshairOn());
    EXPECT_FALSE(chart->IsTabWindowOn());
    ASSERT_EQ(1u, chart->GetPricePane()->CurrentTools().size());
    EXPECT_EQ(kTagLine, chart->GetPricePane()->CurrentTools()[0]->GetTag());
    // Loading it again joins the cross-hair group once.
    ASSERT_TRUE(chart->LoadLayoutFile(file.string().c_str()));
    EXPECT_EQ(1u, CChartController::CrosshairGroup().size());
}

TEST_F(ChartLayoutUiTest, TheDefaultLayoutOpensWithEveryNewChart)
{
    // No default layout: a new chart in its own defaults, without a message.
    CGraphsDoc* plain = Open("IBM");
    EXPECT_TRUE(shell.Responder().boxes.empty());
    CChartController* chart = ChartTestShell::Controller(plain);
    EXPECT_EQ(0, chart->GetStudyCount());
    chart->AddStudy(Study(kStudyRSI, -1));
    chart->ToggleSnapshotWindow();
    chart->OnSetLayoutAsDefault();
    EXPECT_TRUE(fs::exists(folder / "Layouts" / "default.chl"));

    CGraphsDoc* next = Open("MSFT");
    CChartController* made = ChartTestShell::Controller(next);
    EXPECT_TRUE(next->IsDefaultLoaded());
    ASSERT_EQ(1, made->GetStudyCount());
    EXPECT_EQ(kStudyRSI, made->GetStudy(0)->GetTypeId());
    EXPECT_EQ(2, made->GetPaneCount());
    ASSERT_TRUE(made->HasSnapshotWindow());
    EXPECT_EQ(CString("MSFT"), made->GetSnapshotPanel()->GetSymbol());
    EXPECT_TRUE(shell.Responder().boxes.empty());
}

TEST_F(ChartLayoutUiTest, CopyingAChartIntoAFloatingFrameKeepsEverything)
{
    CGraphsDoc* doc = Open("IBM");
    MakeRich(doc);
    CChartController* source = ChartTestShell::Controller(doc);
    const std::vector<BYTE> before = StateOf(source);
    CFrameWnd* child = source->GetPricePane()->GetParentFrame();
    CFrameWnd* floating = shell.app.GetDocTemplate(1)->CreateNewFrame(doc, nullptr, false);
    ASSERT_NE(nullptr, floating);
    floating->GetOuterWidget()->resize(child->GetOuterWidget()->size());
    child->MoveContentTo(floating);
    PumpFor(30);
    CChartController* copy = GetChartController(floating);
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(copy, ChartTestShell::Controller(doc));
    EXPECT_EQ(floating, copy->GetPricePane()->GetParentFrame());
    EXPECT_EQ(4, copy->GetStudyCount());
    EXPECT_EQ(3, copy->GetPaneCount());
    EXPECT_EQ(3u, copy->GetPricePane()->CurrentTools().size());
    EXPECT_TRUE(copy->IsTrackingShown());
    EXPECT_TRUE(copy->HasSnapshotWindow());
    // The same layout, the panes' heights aside (the frames differ in size).
    CChartLayout a, b;
    a.links = b.links = doc->GetLinkState();
    LoadFromBytes(before, [&](CArchive& ar) {
        CString s;
        ASSERT_EQ(ELayoutError::kNone, LoadChartRecord(ar, s, a));
    });
    LoadFromBytes(StateOf(copy), [&](CArchive& ar) {
        CString s;
        ASSERT_EQ(ELayoutError::kNone, LoadChartRecord(ar, s, b));
    });
    a.proportions = b.proportions;
    EXPECT_EQ(StoreToBytes([&](CArchive& ar) { StoreChartLayout(ar, a); }),
              StoreToBytes([&](CArchive& ar) { StoreChartLayout(ar, b); }));
    // The old frame left the cross-hair group.
    EXPECT_EQ(std::vector<CChartController*>{copy}, CChartController::CrosshairGroup());
    // The redraw timer runs on the new frame.
    copy->GetSignals()->redraw.store(true);
    EXPECT_TRUE(PumpUntil([&] { return !copy->GetSignals()->redraw.load(); }, 1000));
}

TEST_F(ChartLayoutUiTest, TheCrosshairMovesInEveryChartOfTheGroupAndTheTrackingRowsFollow)
{
    CGraphsDoc* one = Open("IBM");
    CGraphsDoc* two = Open("MSFT");
    CChartController* a = ChartTestShell::Controller(one);
    CChartController* b = ChartTestShell::Controller(two);
    ASSERT_TRUE(a->ToggleCrosshairs());
    // One chart alone posts nothing: the other keeps its bar.
    b->m_nCrosshairBar = -7;
    CGraphsView* pane = a->GetPricePane();
    CStudyPlot* data = pane->GetSeriesPlot();
    ASSERT_NE(nullptr, data);
    const int bar = data->GetLastVisibleBar() - 10;
    const int x = BarIndexToX(one->GetBarSpacing(), bar, data->GetFirstVisibleBar(), pane->GetPlotRect().left);
    const int y = pane->GetPlotRect().top + 40;
    pane->OnMouseMove(0, CPoint(x, y));
    PumpFor(20);
    EXPECT_EQ(bar, a->m_nCrosshairBar);
    EXPECT_EQ(-7, b->m_nCrosshairBar);

    ASSERT_TRUE(b->ToggleCrosshairs());
    b->ShowTrackingWindow(true);
    pane->OnMouseMove(0, CPoint(x, y));
    CStudyPlot* other = b->GetPricePane()->GetSeriesPlot();
    DWORD time = 0;
    ASSERT_TRUE(data->GetBarTime(bar, CStudyPlot::kBarStart, time));
    ASSERT_TRUE(PumpUntil([&] {
        DWORD t = 0;
        return other->GetBarTime(b->m_nCrosshairBar, CStudyPlot::kBarStart, t) && t == time;
    }));
    EXPECT_EQ(-1, b->m_nCrosshairRow);
    // A time the other chart has no bar for changes nothing.
    const int kept = b->m_nCrosshairBar;
    EXPECT_EQ(-1, b->OnCrosshairTime(1));
    EXPECT_EQ(kept, b->m_nCrosshairBar);

    // The Tracking Window of the receiving chart shows that minute's bar.
    ASSERT_TRUE(PumpUntil([&] {
        for (const CTrackingRow& row : b->GetTrackingPanel()->Rows())
            if (row.name == "Close" && !row.value.IsEmpty())
                return true;
        return false;
    }));
    int minute = 0, hour = 0, second = 0;
    FeedTimeToTimeOfDay(time, hour, minute, second);
    const int m = (hour - 9) * 60 + minute - 30;
    std::map<CString, CString> values;
    for (const CTrackingRow& row : b->GetTrackingPanel()->Rows())
        values[row.name] = row.value;
    EXPECT_EQ(101.0 + m, std::atof(values["Close"]));
    EXPECT_EQ(99.0 + m, std::atof(values["Low"]));
    EXPECT_EQ(CString(""), values["HValue"]);
    CString bars;
    bars.Format("%d", b->m_nCrosshairBar - other->GetLastVisibleBar());
    EXPECT_EQ(bars, values["# Bars"]);

    // Turned off, the chart leaves the group.
    EXPECT_FALSE(a->ToggleCrosshairs());
    EXPECT_EQ(std::vector<CChartController*>{b}, CChartController::CrosshairGroup());
}

TEST_F(ChartLayoutUiTest, SideWindowsAndTabStripsFollowTheChart)
{
    CGraphsDoc* doc = Open("IBM");
    CChartController* chart = ChartTestShell::Controller(doc);
    chart->ToggleSnapshotWindow();
    chart->ShowTrackingWindow(true);
    CSnapshotFieldPanel* snapshot = chart->GetSnapshotPanel();
    CTrackingFieldPanel* tracking = chart->GetTrackingPanel();
    ASSERT_TRUE(snapshot && tracking);
    EXPECT_EQ(CString("IBM"), snapshot->GetSymbol());
    for (CFloatingWnd* panel : {static_cast<CFloatingWnd*>(snapshot), static_cast<CFloatingWnd*>(tracking)}) {
        ASSERT_NE(nullptr, panel->GetWnd());
        EXPECT_TRUE(panel->GetWnd()->IsWindowVisible());
        EXPECT_GT(panel->GetRect().Width(), 20);
        EXPECT_GT(panel->GetRect().Height(), 8);
    }
    // The Tracking Window opened where the Snapshot Window is, and moved off it: their
    // windows, frames included, do not overlap.
    CRect snapshotFrame;
    CRect trackingFrame;
    snapshot->GetWnd()->GetWindowRect(&snapshotFrame);
    tracking->GetWnd()->GetWindowRect(&trackingFrame);
    CRect overlap;
    EXPECT_FALSE(overlap.IntersectRect(snapshotFrame, trackingFrame));
    EXPECT_EQ(snapshotFrame.bottom + 2, trackingFrame.top);
    EXPECT_EQ(doc->GetMetrics().ascent + 4, snapshot->GetRect().top);

    // A new symbol reaches the Snapshot Window and the symbol tabs.
    chart->GetPricePane()->ChangeSymbolInterval("MSFT", "5", false);
    EXPECT_EQ(CString("MSFT"), snapshot->GetSymbol());
    CSheetsWnd* symbols = chart->GetTabStrip(0);
    CSheetsWnd* intervals = chart->GetTabStrip(1);
    ASSERT_TRUE(symbols && intervals);
    EXPECT_EQ((std::vector<CString>{"IBM", "MSFT"}), symbols->GetTabNames());
    EXPECT_EQ(1, symbols->GetCurSel());
    EXPECT_EQ(CString("5 min"), intervals->GetItemText(intervals->GetCurSel()));
    // A tab chosen applies its symbol or interval.
    qobject_cast<QTabBar*>(symbols->GetWidget())->setCurrentIndex(0);
    PumpFor(10);
    EXPECT_EQ(CString("IBM"), doc->GetSymbol());
    qobject_cast<QTabBar*>(intervals->GetWidget())->setCurrentIndex(5);
    PumpFor(10);
    EXPECT_EQ(CString("D"), doc->GetInterval());

    // The tab window off hides both strips.
    chart->SetTabWindow(false);
    EXPECT_FALSE(symbols->IsWindowVisible());
    EXPECT_FALSE(intervals->IsWindowVisible());
    chart->SetTabWindow(true);
    EXPECT_TRUE(symbols->IsWindowVisible());

    // Closing them: by the menu, or by the window's own close box.
    chart->ToggleSnapshotWindow();
    EXPECT_FALSE(chart->HasSnapshotWindow());
    tracking->GetWnd()->SendMessage(WM_CLOSE);
    EXPECT_TRUE(PumpUntil([&] { return !chart->IsTrackingShown(); }, 2000));
    EXPECT_EQ(nullptr, chart->GetTrackingPanel());
}

TEST_F(ChartLayoutUiTest, PrintAndExportWaitForTheMenuToCloseAndNeverOutliveTheChart)
{
    CGraphsDoc* doc = Open("IBM");
    CGraphsView* price = ChartTestShell::Controller(doc)->GetPricePane();
    ChartResponder& ask = shell.Responder();
    const fs::path file = folder / "Charts" / "picture.bmp";
    ask.fileAnswers = {CString(file.string().c_str())};
    price->OnPaneCommand(ID_EXPORT_IMAGE);
    // Nothing at once: the menu that started it closes first.
    EXPECT_TRUE(ask.fileRequests.empty());
    ASSERT_TRUE(PumpUntil([&] { return !ask.fileRequests.empty(); }, 3000));
    const FileDialogRequest& request = ask.fileRequests[0];
    EXPECT_FALSE(request.open);
    EXPECT_EQ(CString("bmp"), request.defaultExt);
    EXPECT_EQ(CString("Bitmap Files (*.bmp)|*.bmp|PNG Files (*.png)|*.png||"), request.filter);
    EXPECT_EQ(CString((folder / "Charts").string().c_str()), request.initialDir);
    EXPECT_TRUE(fs::exists(file));
    const std::vector<BYTE> bmp = ReadFile(file);
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ('B', bmp[0]);
    EXPECT_EQ(54, bmp[10]);

    // Print: the print dialog after the wait (cancelled here: nothing printed, no message).
    price->OnPaneCommand(ID_PRINT_CHART);
    EXPECT_EQ(0, ask.printDialogs);
    ASSERT_TRUE(PumpUntil([&] { return ask.printDialogs == 1; }, 3000));
    EXPECT_TRUE(ask.boxes.empty());

    // A chart closed before the wait ends exports and prints nothing.
    CGraphsDoc* other = Open("MSFT");
    CGraphsView* pane = ChartTestShell::Controller(other)->GetPricePane();
    pane->OnPaneCommand(ID_EXPORT_IMAGE);
    pane->OnPaneCommand(ID_PRINT_CHART);
    pane->GetParentFrame()->DestroyWindow();
    PumpFor(1000);
    EXPECT_EQ(1u, ask.fileRequests.size());
    EXPECT_EQ(1, ask.printDialogs);
}

// A chart scrolled off its automatic scale, with its own bar spacing, a date range and
// three panes of set heights comes back as it was saved: from a file into a new chart,
// and through the copy into a floating frame and back into the main window.
TEST_F(ChartLayoutUiTest, OffsetSpacingDateRangeAndPaneHeightsComeBackAsSaved)
{
    CGraphsDoc* first = Open("IBM");
    ASSERT_NE(nullptr, first);
    CChartController* source = ChartTestShell::Controller(first);
    source->AddStudy(Study(kStudyVolume, -1));
    source->AddStudy(Study(kStudyRSI, -1));
    ChartTestShell::Feed(first, MinuteRows(150, Minute));
    ASSERT_EQ(3, source->GetPaneCount());
    PumpFor(20);
    ASSERT_TRUE(source->GetSplitter()->SetProportions({0.5, 0.25, 0.25}));
    source->GetPricePane()->SetAutoScale(false);
    source->GetPricePane()->SetPriceOffset(-37);
    first->SetBarSpacing(9.25);
    first->SetDateRange(3);
    const fs::path saved = folder / "offset.chl";
    ASSERT_TRUE(source->SaveLayoutFile(saved.string().c_str()));
    const std::vector<BYTE> savedBytes = ReadFile(saved);

    auto expectSame = [&](CChartController* chart, const char* name, const char* when) {
        const fs::path path = folder / name;
        ASSERT_TRUE(chart->SaveLayoutFile(path.string().c_str()));
        const std::vector<BYTE> bytes = ReadFile(path);
        EXPECT_EQ(savedBytes, bytes) << when;
        CChartLayout layout;
        layout.links = chart->GetDocument()->GetLinkState();
        LoadFromBytes(bytes, [&](CArchive& ar) { ASSERT_EQ(ELayoutError::kNone, LoadChartLayout(ar, layout)); });
        EXPECT_EQ(-37, layout.priceOffset) << when;
        EXPECT_EQ(9.25, layout.barSpacing) << when;
        EXPECT_EQ(3u, layout.dateRange) << when;
        ASSERT_EQ(3u, layout.proportions.size()) << when;
        EXPECT_NEAR(0.5, layout.proportions[0], 0.005) << when;
        EXPECT_NEAR(0.25, layout.proportions[1], 0.005) << when;
        // The panes' heights themselves, not only the numbers kept for them.
        const std::vector<double> shown = chart->GetSplitter()->GetProportions();
        ASSERT_EQ(3u, shown.size()) << when;
        EXPECT_NEAR(0.5, shown[0], 0.02) << when;
        EXPECT_NEAR(0.25, shown[2], 0.02) << when;
    };

    CGraphsDoc* second = Open("IBM");
    CChartController* target = ChartTestShell::Controller(second);
    ASSERT_TRUE(target->LoadLayoutFile(saved.string().c_str()));
    ChartTestShell::Feed(second, MinuteRows(150, Minute));
    PumpFor(20);
    expectSame(target, "loaded.chl", "loaded from the file");

    // Moves the chart into a new frame of the template (made, filled, then shown, as the
    // main window does); the chart's controller there.
    const auto moveTo = [&](CFrameWnd* from, int docTemplate) -> CChartController* {
        CFrameWnd* to = shell.app.GetDocTemplate(docTemplate)->CreateNewFrame(second, nullptr, false);
        if (!to)
            return nullptr;
        from->MoveContentTo(to);
        PumpFor(30);
        return GetChartController(to);
    };
    // Detached into a floating frame.
    CChartController* detached = moveTo(target->GetPricePane()->GetParentFrame(), 1);
    ASSERT_NE(nullptr, detached);
    expectSame(detached, "floating.chl", "in the floating frame");

    // And attached to the main window again.
    CChartController* attached = moveTo(detached->GetPricePane()->GetParentFrame(), 0);
    ASSERT_NE(nullptr, attached);
    expectSame(attached, "attached.chl", "attached again");
    EXPECT_TRUE(shell.Responder().boxes.empty());
}
