// Drawing tools on a chart pane offscreen: a trend line placed and moved by the mouse,
// drawn on its anchors' pixels, stored with the chart's studies, made into an alert
// formula; a note asking for its text after the button is up; clones; retracement
// alerts.
#include "ChartTestShell.h"
#include "ModalHelpers.h"

#include "alerts/CAlertBook.h"
#include "alerts/CPriceAlert.h"
#include "chart/ui/CNoteTool.h"
#include "chart/ui/CRetracementTool.h"
#include "chart/ui/CTrendLineTool.h"
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "platform/ui/CPropertyPage.h"
#include "platform/ui/CPropertySheet.h"
#include "studies/StudyFactory.h"
#include "studies/plots/CPriceScale.h"
#include "tests/analytics/FakeSeriesServices.h"
#include "tests/studies/plots/PlotTestSupport.h"

#include <gtest/gtest.h>

namespace {

BarValues Minute(int m)
{
    return BarValues{100.0 + m, 102.0 + m, 99.0 + m, 101.0 + m, 1000.0};
}

class DrawingToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        doc = shell.OpenChart("IBM", "1");
        ASSERT_NE(doc, nullptr);
        chart = ChartTestShell::Controller(doc);
        pane = chart->GetPricePane();
        ChartTestShell::Feed(doc, MinuteRows(158, Minute));
        ChartTestShell::Paint(pane); // lays out the scale the mouse works on
    }
    // The pixel of a bar and a price on the pane as painted.
    CPoint At(int bar, double price)
    {
        const CToolGeometry g = pane->GetToolGeometry();
        return CPoint(BarIndexToX(g.spacing, bar, g.firstBar, g.plot.left), pane->MakeScale().PriceToY(price));
    }
    DWORD StartOf(int bar)
    {
        DWORD t = 0;
        pane->GetPricePlot()->GetBarTime(bar, CStudyPlot::kBarStart, t);
        return t;
    }

    FakeSeriesServices services;
    ChartTestShell shell;
    CGraphsDoc* doc = nullptr;
    CChartController* chart = nullptr;
    CGraphsView* pane = nullptr;
};

} // namespace

TEST_F(DrawingToolTest, TrendLinePlacedMovedAndDrawn)
{
    pane->OnPaneCommand(kCmdSegment);
    EXPECT_EQ(static_cast<UINT>(kCmdSegment), doc->GetToolCommand());
    const CPoint from = At(-40, 220), to = At(-10, 250);
    pane->OnLButtonDown(0, from);
    pane->OnMouseMove(0, to);
    pane->OnLButtonUp(0, to);
    ASSERT_EQ(1u, pane->CurrentTools().size());
    CDrawingTool* tool = pane->CurrentTools()[0].get();
    EXPECT_EQ(kTagSegment, tool->GetTag());
    EXPECT_EQ(static_cast<DWORD>(kToolNormal), tool->m_nState);
    EXPECT_EQ(StartOf(-40), tool->m_anchor1.time);
    EXPECT_EQ(StartOf(-10), tool->m_anchor2.time);
    EXPECT_NEAR(220.0, tool->m_anchor1.price, 0.5);
    EXPECT_NEAR(250.0, tool->m_anchor2.price, 0.5);
    // Drawn in the segment colour along its anchors' pixels.
    QImage image = ChartTestShell::Paint(pane);
    const COLORREF green = shell.settings.m_drawingDefaults.segment.color;
    const CPoint mid((from.x + to.x) / 2, (from.y + to.y) / 2);
    bool onLine = false;
    for (int dy = -1; dy <= 1; ++dy)
        onLine = onLine || ChartTestShell::Pixel(image, mid.x, mid.y + dy) == green;
    EXPECT_TRUE(onLine);
    // With the pointer, a press on the line selects it for a whole move: 3 bars right and
    // 5 price units up.
    pane->OnPaneCommand(kCmdPointer);
    const double price1 = tool->m_anchor1.price;
    pane->OnLButtonDown(0, mid);
    EXPECT_EQ(static_cast<DWORD>(kToolSelected), tool->m_nState);
    const CPoint moved(mid.x + 18, pane->MakeScale().PriceToY(pane->MakeScale().YToPrice(mid.y) + 5));
    pane->OnMouseMove(0, moved);
    pane->OnLButtonUp(0, moved);
    EXPECT_EQ(static_cast<DWORD>(kToolNormal), tool->m_nState);
    EXPECT_EQ(StartOf(-37), tool->m_anchor1.time);
    EXPECT_EQ(StartOf(-7), tool->m_anchor2.time);
    EXPECT_NEAR(price1 + 5, tool->m_anchor1.price, 0.5);
    // Grabbing an anchor moves that anchor alone.
    const CPoint end = At(-7, tool->m_anchor2.price);
    pane->OnLButtonDown(0, end);
    EXPECT_EQ(static_cast<DWORD>(kToolPlacing), tool->m_nState);
    EXPECT_EQ(0u, tool->m_nFollowing);
    pane->OnMouseMove(0, At(-2, 240));
    pane->OnLButtonUp(0, At(-2, 240));
    EXPECT_EQ(StartOf(-2), tool->m_anchor2.time);
    EXPECT_EQ(StartOf(-37), tool->m_anchor1.time);
}

TEST_F(DrawingToolTest, AReleaseNearTheFixedAnchorKeepsFollowingUntilTheNextClick)
{
    pane->OnPaneCommand(kCmdLine);
    const CPoint p = At(-20, 230);
    pane->OnLButtonDown(0, p);
    pane->OnLButtonUp(0, CPoint(p.x + 3, p.y));
    CDrawingTool* tool = pane->CurrentTools()[0].get();
    EXPECT_EQ(static_cast<DWORD>(kToolPlacing), tool->m_nState);
    pane->OnMouseMove(0, At(-5, 245));
    EXPECT_EQ(StartOf(-5), tool->m_anchor2.time);
    pane->OnLButtonDown(0, At(-5, 245));
    EXPECT_EQ(static_cast<DWORD>(kToolNormal), tool->m_nState);
    EXPECT_EQ(1u, pane->CurrentTools().size());
}

TEST_F(DrawingToolTest, ToolsAreStoredWithTheStudies)
{
    chart->AddStudy(CreateStudyById(kStudyRSI, CString()));
    auto line = CreateToolForCommand(kCmdRay);
    line->m_anchor1 = {StartOf(-30), 231.5};
    line->m_anchor2 = {StartOf(-3), 260.25};
    line->m_nState = kToolNormal;
    auto note = CreateToolForCommand(kCmdNote);
    auto* n = dynamic_cast<CNoteTool*>(note.get());
    n->m_settings = {RGB(1, 2, 3), true, "Earnings \"soon\""};
    n->m_anchor1 = {40, 50};
    n->m_anchor2 = {140, 70};
    pane->AddTool(std::move(line));
    pane->AddTool(std::move(note));

    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        ar << static_cast<DWORD>(chart->GetStudyCount());
        for (int i = 0; i < chart->GetStudyCount(); ++i)
            StoreStudy(ar, *chart->GetStudy(i));
        StoreToolList(ar, pane->CurrentTools());
        ar.Close();
    }
    const std::vector<BYTE> bytes = file.Detach();
    CMemFile in(bytes.data(), bytes.size());
    CArchive ar(&in, CArchive::load);
    DWORD count = 0;
    ar >> count;
    ASSERT_EQ(1u, count);
    auto study = LoadStudy(ar, 19);
    ASSERT_TRUE(study);
    EXPECT_TRUE(study->IsEqual(*chart->GetStudy(0)));
    CToolVector tools;
    LoadToolList(ar, tools);
    ASSERT_EQ(2u, tools.size());
    EXPECT_EQ(kTagRay, tools[0]->GetTag());
    EXPECT_EQ(pane->CurrentTools()[0]->m_anchor1, tools[0]->m_anchor1);
    EXPECT_EQ(pane->CurrentTools()[0]->m_anchor2, tools[0]->m_anchor2);
    EXPECT_EQ(static_cast<DWORD>(kToolNormal), tools[0]->m_nState);
    EXPECT_EQ(shell.settings.m_drawingDefaults.ray.color, tools[0]->GetColor());
    const auto* back = dynamic_cast<CNoteTool*>(tools[1].get());
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(n->m_settings, back->m_settings);
    EXPECT_EQ(209u, back->GetContextMenuId());
    EXPECT_TRUE(in.GetPosition() == in.GetLength());

    // An unknown tag, or more tools than the bytes can hold, ends the load.
    std::vector<BYTE> bad = {1, 0, 0, 0, 9, 0, 0, 0};
    bad.resize(bad.size() + 40);
    CMemFile badFile(bad.data(), bad.size());
    CArchive badArchive(&badFile, CArchive::load);
    CToolVector none;
    EXPECT_THROW(LoadToolList(badArchive, none), CArchiveException);
    const BYTE huge[] = {0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0};
    CMemFile hugeFile(huge, sizeof huge);
    CArchive hugeArchive(&hugeFile, CArchive::load);
    EXPECT_THROW(LoadToolList(hugeArchive, none), CArchiveException);
    EXPECT_TRUE(none.empty());
}

TEST_F(DrawingToolTest, LineAlertFormulaCoversTheBarsFromNowOn)
{
    // Room for future bars on the right.
    pane->OnKeyDown(VK_RIGHT, 10, 0);
    auto tool = CreateToolForCommand(kCmdSegment);
    tool->SetPricePlot(pane->GetPricePlot());
    tool->m_anchor1 = {StartOf(-20), 250};
    tool->m_anchor2 = {StartOf(4), 258.5};
    tool->m_nState = kToolNormal;
    auto* line = dynamic_cast<CTrendLineTool*>(tool.get());
    const CPriceScale scale = pane->MakeScale();
    CString formula;
    ASSERT_TRUE(line->BuildAlert(pane->GetToolGeometry(), &scale, formula));
    // Bars 0 (now, 12:07) to 4 (12:11): five clauses, the last bar first, each with the
    // bar's end time; the line lies above the last price (258): a close above it fires.
    int clauses = 1;
    for (int at = formula.Find(" OR \r\n"); at >= 0; at = formula.Find(" OR \r\n", at + 1))
        ++clauses;
    EXPECT_EQ(5, clauses);
    EXPECT_EQ(0, formula.Find("(Bar[Year,1] = 2026 AND Bar[Month,1] = 3 AND Bar[Day,1] = 4 AND Bar[Hour,1] = 12 AND "
                              "Bar[Minute,1] = 12 AND Bar[Close,1] > "));
    EXPECT_NE(-1, formula.Find("Bar[Minute,1] = 8 AND Bar[Close,1] > "));
    EXPECT_EQ(-1, formula.Find("Bar[Minute,1] = 7 AND"));
    // A line wholly in the past makes no alert.
    tool->m_anchor2 = {StartOf(-2), 258.5};
    EXPECT_FALSE(line->BuildAlert(pane->GetToolGeometry(), &scale, formula));
}

TEST_F(DrawingToolTest, ANewNoteAsksForItsTextAfterTheButtonIsUp)
{
    pane->OnPaneCommand(kCmdNote);
    WhenModal<CPropertySheet>([](CPropertySheet& sheet) {
        sheet.GetPage(0)->SetDlgItemText(1023, "Watch the open");
        sheet.PressOK();
    });
    pane->OnLButtonDown(0, CPoint(50, 60));
    EXPECT_EQ(static_cast<DWORD>(kToolPlacing), pane->CurrentTools()[0]->m_nState);
    pane->OnLButtonUp(0, CPoint(50, 60));
    auto* note = dynamic_cast<CNoteTool*>(pane->CurrentTools()[0].get());
    ASSERT_NE(nullptr, note);
    EXPECT_EQ(static_cast<DWORD>(kToolNormal), note->m_nState);
    EXPECT_EQ(CString("Watch the open"), note->m_settings.text);
    // At the centre of the bar under the press, 100 x 20 pixels.
    const CRect box = note->GetBox();
    EXPECT_NEAR(50, box.left, 3);
    EXPECT_EQ(60, box.top);
    EXPECT_EQ(100, box.Width());
    EXPECT_EQ(20, box.Height());
    // A note left without text goes with the next paint.
    WhenModal<CPropertySheet>([](CPropertySheet& sheet) { sheet.PressOK(); });
    pane->OnLButtonDown(0, CPoint(200, 60));
    pane->OnLButtonUp(0, CPoint(200, 60));
    ASSERT_EQ(2u, pane->CurrentTools().size());
    EXPECT_EQ(static_cast<DWORD>(kToolRemoved), pane->CurrentTools()[1]->m_nState);
    ChartTestShell::Paint(pane);
    EXPECT_EQ(1u, pane->CurrentTools().size());
}

TEST_F(DrawingToolTest, CloningAHorizontalLine)
{
    auto tool = CreateToolForCommand(kCmdSegment);
    tool->m_anchor1 = {StartOf(-30), 240};
    tool->m_anchor2 = {StartOf(-10), 240};
    tool->m_nState = kToolNormal;
    CDrawingTool* original = pane->AddTool(std::move(tool));
    shell.Responder().menuChoices = {ID_TOOL_CLONE};
    pane->OnRButtonUp(0, At(-20, 240));
    ASSERT_EQ(2u, pane->CurrentTools().size());
    CDrawingTool* copy = pane->CurrentTools()[1].get();
    EXPECT_EQ(static_cast<DWORD>(kToolNormal), original->m_nState);
    EXPECT_EQ(static_cast<DWORD>(kToolSelected), copy->m_nState);
    // 20 pixels right and 20 down: the same slope (none), shifted.
    CPoint a1, a2, c1, c2;
    const CPriceScale scale = pane->MakeScale();
    original->AnchorsToPixels(a1, a2, pane->GetToolGeometry(), &scale);
    copy->AnchorsToPixels(c1, c2, pane->GetToolGeometry(), &scale);
    EXPECT_NEAR(a1.x + 20, c1.x, 3);
    EXPECT_NEAR(a1.y + 20, c1.y, 1);
    EXPECT_EQ(c1.y, c2.y);
}

TEST_F(DrawingToolTest, RetracementLevelsAtOrBelowZeroGetNoAlert)
{
    shell.settings.SetAlertBook(std::make_unique<CAlertBook>(shell.settings));
    auto tool = CreateToolForCommand(kCmdRetracement);
    tool->SetPricePlot(pane->GetPricePlot());
    // A rise from 210 to 250: the 261.8% level lies at 250 - 40 x 2.618 < 150 but above 0;
    // from 100 to 250 it falls below 0.
    tool->m_anchor1 = {StartOf(-40), 100};
    tool->m_anchor2 = {StartOf(-5), 250};
    tool->m_nState = kToolNormal;
    const CPriceScale scale(false, -400, 300, 10, 710);
    const int made = tool->AddAlerts(pane->GetToolGeometry(), &scale);
    CAlertBook* book = CAlertBook::Instance();
    ASSERT_NE(nullptr, book);
    EXPECT_EQ(7, made);
    ASSERT_EQ(7u, book->Count());
    auto* first = dynamic_cast<CPriceAlert*>(book->At(0));
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(CString("IBM"), first->m_symbol);
    EXPECT_EQ(3, first->m_nColumn);
    // 38.2% of 150 below 250 (within a pixel's price), the last close 258 above it.
    EXPECT_NEAR(250 - 150 * 0.382, first->m_target, 1.0);
    EXPECT_EQ(1, first->m_nDirection);
    book->ForEach([](CAlert& alert) { EXPECT_GT(dynamic_cast<CPriceAlert*>(&alert)->m_target, 0); });
    shell.settings.SetAlertBook(nullptr);
}
