// The chart controller: studies placed in panes up to the 16-pane limit, removed with
// their panes, edited through the settings dialog and merged from the Study Manager.
#include "ChartTestShell.h"
#include "ModalHelpers.h"

#include "common/windows/CPaneSplitterWnd.h"
#include "studies/CBollingerStudy.h"
#include "studies/CRSIStudy.h"
#include "studies/StudyFactory.h"
#include "studies/ui/CStudyManagerDlg.h"
#include "studies/ui/CStudySettingsDlg.h"
#include "tests/analytics/FakeSeriesServices.h"

#include <gtest/gtest.h>

namespace {

class ChartControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        doc = shell.OpenChart("IBM", "1");
        ASSERT_NE(doc, nullptr);
        chart = ChartTestShell::Controller(doc);
    }
    std::unique_ptr<CStudyDefinition> Rsi(int pane = -1)
    {
        auto study = CreateStudyById(kStudyRSI, CString());
        study->SetPaneIndex(pane);
        return study;
    }
    std::vector<CString> Boxes()
    {
        std::vector<CString> texts;
        for (const RecordedBox& box : shell.Responder().boxes)
            texts.push_back(box.text);
        return texts;
    }

    FakeSeriesServices services;
    ChartTestShell shell;
    CGraphsDoc* doc = nullptr;
    CChartController* chart = nullptr;
};

} // namespace

TEST_F(ChartControllerTest, SixteenPanesAtMost)
{
    for (int i = 0; i < 15; ++i)
        chart->AddStudy(Rsi());
    ASSERT_EQ(16, chart->GetPaneCount());
    ASSERT_EQ(15, chart->GetStudyCount());
    EXPECT_TRUE(Boxes().empty());
    for (int i = 1; i < 16; ++i) {
        EXPECT_EQ(i, chart->GetStudy(i - 1)->GetPaneIndex());
        EXPECT_EQ(0, chart->GetStudy(i - 1)->GetPlotIndex());
        EXPECT_EQ(i == 15, chart->GetPane(i)->ShowsTimeAxis());
    }
    EXPECT_FALSE(chart->GetPane(0)->ShowsTimeAxis());
    // A further pane study is refused with the message; nothing changes.
    chart->AddStudyById(kStudyRSI, -1);
    ASSERT_EQ(1u, Boxes().size());
    EXPECT_EQ(CString("The limit for the number of panes (16) has been reached.  Remove a study that uses a "
                      "separate pane and try again."),
              Boxes()[0]);
    EXPECT_EQ(16, chart->GetPaneCount());
    EXPECT_EQ(15, chart->GetStudyCount());
    // The backtest's path refuses silently; a price-pane study still fits.
    chart->AddStudy(Rsi());
    EXPECT_EQ(1u, Boxes().size());
    chart->AddStudy(CreateStudyById(kStudyBollinger, CString()));
    EXPECT_EQ(16, chart->GetStudyCount());
    EXPECT_EQ(2, chart->GetPricePane()->GetPlotCount());
    // A price-pane study whose stored pane is not there needs a new pane: refused by name.
    auto stray = CreateStudyById(kStudyBollinger, CString());
    stray->SetPaneIndex(40);
    chart->AddStudy(std::move(stray));
    EXPECT_EQ(16, chart->GetStudyCount());
    ASSERT_EQ(2u, Boxes().size());
    EXPECT_EQ(CString("Cannot add study Bollinger Bands (Close,20,2), because the maximum number of panes (16) has "
                      "been reached.  Remove some study(ies) to free up a pane and try again."),
              Boxes()[1]);
    // Removing a pane study makes room again.
    chart->RemoveStudy(0, true);
    EXPECT_EQ(15, chart->GetPaneCount());
    chart->AddStudy(Rsi());
    EXPECT_EQ(16, chart->GetPaneCount());
}

TEST_F(ChartControllerTest, AStoredPaneBeyondThePanesGetsANewPane)
{
    chart->AddStudy(Rsi());
    // Pane 5 of a chart with two panes: the study gets pane 2, a new one.
    chart->AddStudy(Rsi(5));
    ASSERT_EQ(2, chart->GetStudyCount());
    EXPECT_EQ(2, chart->GetStudy(1)->GetPaneIndex());
    EXPECT_EQ(3, chart->GetPaneCount());
    // Pane 2 exists now: a study naming it joins it.
    chart->AddStudy(Rsi(2));
    EXPECT_EQ(2, chart->GetStudy(2)->GetPaneIndex());
    EXPECT_EQ(1, chart->GetStudy(2)->GetPlotIndex());
    EXPECT_EQ(3, chart->GetPaneCount());
}

TEST_F(ChartControllerTest, RemovingStudiesCollapsesPanesAndRenumbers)
{
    chart->AddStudy(Rsi());
    chart->AddStudy(CreateStudyById(kStudyMACD, CString()));
    ASSERT_EQ(3, chart->GetPaneCount());
    CStudyDefinition* rsi = chart->GetStudy(0);
    CStudyDefinition* macd = chart->GetStudy(1);
    // An overlay in the RSI pane.
    auto line = CreateStudyById(kStudyHorizontalLine, CString());
    line->SetPaneIndex(1);
    chart->AddStudy(std::move(line));
    CStudyDefinition* level = chart->GetStudy(2);
    EXPECT_EQ(1, level->GetPaneIndex());
    EXPECT_EQ(1, level->GetPlotIndex());
    EXPECT_EQ(2, chart->GetPane(1)->GetPlotCount());
    // Removing the RSI keeps the pane (the line stays) and renumbers the line's plot.
    EXPECT_EQ(0, chart->DeleteStudy(rsi));
    EXPECT_EQ(3, chart->GetPaneCount());
    EXPECT_EQ(0, level->GetPlotIndex());
    EXPECT_EQ(1, level->GetPaneIndex());
    EXPECT_EQ(-1, chart->DeleteStudy(rsi)); // not on the chart any more
    // Removing the line, alone in its pane, removes the pane: MACD moves up.
    EXPECT_EQ(0, chart->DeleteStudy(level));
    EXPECT_EQ(2, chart->GetPaneCount());
    EXPECT_EQ(1, macd->GetPaneIndex());
    EXPECT_TRUE(chart->GetPane(1)->ShowsTimeAxis());
    // The last pane goes: the price pane shows the time axis again.
    chart->RemoveAllStudies();
    EXPECT_EQ(1, chart->GetPaneCount());
    EXPECT_EQ(0, chart->GetStudyCount());
    EXPECT_TRUE(chart->GetPricePane()->ShowsTimeAxis());
}

TEST_F(ChartControllerTest, EditingReplacesTheStudyOnlyWhenItChanged)
{
    chart->AddStudy(Rsi());
    CStudyDefinition* rsi = chart->GetStudy(0);
    // OK without a change: the chart keeps its study.
    WhenModal<CStudySettingsDlg>([](CStudySettingsDlg& dlg) { dlg.OnOK(); });
    EXPECT_EQ(0, chart->EditStudy(rsi));
    EXPECT_EQ(rsi, chart->GetStudy(0));
    // A new length replaces it at the same index and in the same pane.
    WhenModal<CStudySettingsDlg>([](CStudySettingsDlg& dlg) {
        dlg.SetDlgItemText(1014, "21");
        dlg.OnOK();
    });
    EXPECT_EQ(0, chart->EditStudy(rsi));
    ASSERT_EQ(1, chart->GetStudyCount());
    CStudyDefinition* edited = chart->GetStudy(0);
    EXPECT_NE(rsi, edited);
    EXPECT_EQ(CString("RSI (21)"), edited->GetDisplayName());
    EXPECT_EQ(1, edited->GetPaneIndex());
    EXPECT_EQ(2, chart->GetPaneCount());
    EXPECT_EQ(edited, chart->GetPane(1)->GetPlot(0)->GetStudy());
    // Cancel leaves everything.
    WhenModal<CStudySettingsDlg>([](CStudySettingsDlg& dlg) { dlg.OnCancel(); });
    EXPECT_EQ(0, chart->EditStudy(edited));
    EXPECT_EQ(edited, chart->GetStudy(0));
}

TEST_F(ChartControllerTest, StudyManagerMergesOnlyOnOk)
{
    chart->AddStudy(Rsi());
    // Add Bollinger Bands through the manager, then Close: merged.
    WhenModal<CStudyManagerDlg>([this](CStudyManagerDlg& dlg) {
        WhenModal<CStudySettingsDlg>([](CStudySettingsDlg& settings) { settings.OnOK(); });
        shell.Responder().menuChoices = {kStudyBollinger};
        dlg.OnAdd();
        dlg.OnCloseButton();
    });
    chart->OnStudyManager();
    ASSERT_EQ(2, chart->GetStudyCount());
    EXPECT_EQ(kStudyBollinger, chart->GetStudy(1)->GetTypeId());
    EXPECT_EQ(0, chart->GetStudy(1)->GetPaneIndex());
    EXPECT_EQ(2, chart->GetPricePane()->GetPlotCount());
    CStudyDefinition* rsi = chart->GetStudy(0);
    // Removing the RSI and then cancelling changes nothing.
    WhenModal<CStudyManagerDlg>([](CStudyManagerDlg& dlg) {
        dlg.SendMessage(WM_COMMAND, IDCANCEL);
    });
    chart->OnStudyManager();
    EXPECT_EQ(2, chart->GetStudyCount());
    EXPECT_EQ(rsi, chart->GetStudy(0));
    EXPECT_EQ(2, chart->GetPaneCount());
}

// In a chart 350 pixels high, a new study pane holds at least three price labels (a plot
// of n rows of 1.2 text heights shows n labels) and its time axis; the price pane keeps
// the larger part, and a second study pane gets the same room.
TEST_F(ChartControllerTest, ANewStudyPaneGetsRoomForItsPriceLabels)
{
    QWidget* splitter = chart->GetSplitter()->GetWidget();
    QWidget* main = shell.main->GetOuterWidget();
    for (int i = 0; i < 4 && splitter->height() != 350; ++i) {
        main->resize(main->width(), main->height() + 350 - splitter->height());
        PumpFor(20);
    }
    ASSERT_EQ(350, splitter->height());
    const int row = static_cast<int>(doc->GetMetrics().sampleHeight * 1.2);
    ASSERT_GT(row, 0);
    auto labels = [&](int pane) { return chart->GetPane(pane)->GetPlotRect().Height() / row; };
    auto height = [&](int pane) { return chart->GetPane(pane)->GetOuterWidget()->height(); };

    chart->AddStudy(Rsi());
    PumpFor(20);
    ASSERT_EQ(2, chart->GetPaneCount());
    EXPECT_GE(labels(1), 3) << height(1) << " px";
    EXPECT_TRUE(chart->GetPane(1)->ShowsTimeAxis());
    EXPECT_FALSE(chart->GetPane(1)->IsTimeAxisSuppressed());
    EXPECT_GT(height(0), 2 * height(1));
    EXPECT_GE(labels(0), 3);

    chart->AddStudy(Rsi());
    PumpFor(20);
    ASSERT_EQ(3, chart->GetPaneCount());
    EXPECT_GE(labels(2), 3) << height(2) << " px";
    EXPECT_FALSE(chart->GetPane(2)->IsTimeAxisSuppressed());
    // The pane above lost its time axis, not its labels.
    EXPECT_GE(labels(1), 3) << height(1) << " px";
    EXPECT_GT(height(0), height(1));
    EXPECT_GE(labels(0), 3);
}
