// What the workstation gives its charts: the custom studies of the settings as the
// charts' custom-study table (menus of the panes and of the chart frame), the column
// wizard's limit on custom studies, and the chart font of a chart's "&Fonts..." command
// measured again by every open chart.
#include "ShellBrokerFixture.h"

#include "app/shell/CMainFrame.h"
#include "app/shell/CWorkstationApp.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "common/services/CAppSettings.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CBitmap.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CFont.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMenu.h"
#include "studies/ICustomStudyTable.h"
#include "views/CCustomColumn.h"
#include "views/ui/CColumnWizardDlg.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

class ChartShell : public ShellBrokerFixture {};

class FontResponder : public RecordingResponder {
public:
    using RecordingResponder::RecordingResponder;
    bool ChooseFont(CWnd*, LOGFONT& font, COLORREF& color) override
    {
        ++asked;
        offered = font;
        offeredColor = color;
        if (!answer)
            return false;
        font = LOGFONT();
        font.lfHeight = -24;
        font.lfWeight = 700;
        std::snprintf(font.lfFaceName, sizeof(font.lfFaceName), "%s", "DejaVu Sans");
        color = RGB(0, 0, 160);
        return true;
    }
    int asked = 0;
    bool answer = true;
    LOGFONT offered{};
    COLORREF offeredColor = 0xFFFFFFFF;
};

CCustomColumn Definition(const char* name, const char* formula)
{
    CCustomColumn column;
    column.m_name = name;
    column.m_text = formula;
    return column;
}

CGraphsView* PricePane(CDocument* doc)
{
    return doc ? dynamic_cast<CGraphsView*>(doc->GetFirstView()) : nullptr;
}

// Width of the price axis' sample in a font, measured here.
int SampleWidth(const CFontInfo& info)
{
    CFont font;
    font.CreateFont(-std::abs(info.height), 0, 0, 0, info.weight, info.italic ? 1 : 0, 0, 0, 0, 0, 0, 0, 0, info.face);
    CBitmap bitmap; // outlives the context painting on it
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    bitmap.CreateCompatibleBitmap(&dc, 4, 4);
    dc.SelectObject(&bitmap);
    dc.SelectObject(&font);
    return dc.GetTextExtent("000000000").cx;
}

} // namespace

TEST_F(ChartShell, TheSettingsCustomStudiesFillTheChartsMenusAndTheWizardStopsAt150)
{
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&m_boxes));
    {
        CWorkstationApp app;
        app.m_arguments = {"--home", m_home.Path(), "--user", "demo", "--password", "demo"};
        ASSERT_TRUE(app.InitInstance());
        ICustomStudyTable* table = GetCustomStudyTable();
        ASSERT_NE(nullptr, table);
        EXPECT_EQ(0, table->GetCustomStudyCount());

        CCustomColumnLists lists;
        lists[kCustomFields] = {Definition("Spread", "Ask-Bid")};
        lists[kCustomStudies] = {Definition("Range", "(Bar[High,D]-Bar[Low,D])*2"),
                                 Definition("Mid", "(Bar[High,D]+Bar[Low,D])/2")};
        StoreCustomColumns(app.Settings(), lists);
        ASSERT_EQ(2, table->GetCustomStudyCount());
        CCustomStudyRow row;
        ASSERT_TRUE(table->GetCustomStudy(1, row));
        EXPECT_EQ(CString("Mid"), row.name);
        EXPECT_EQ(CString("(Bar[High,D]+Bar[Low,D])/2"), row.formula);
        EXPECT_FALSE(table->GetCustomStudy(2, row));
        EXPECT_FALSE(table->GetCustomStudy(-1, row));

        // The pane's menu and the chart frame's "Add Custom Study" list them.
        CDocument* doc = app.OpenWindowOfKind(kKindChart, false);
        CGraphsView* pane = PricePane(doc);
        ASSERT_NE(nullptr, pane);
        CMenu menu;
        menu.CreatePopupMenu();
        pane->BuildContextMenu(menu);
        CString text;
        menu.GetMenuString(ID_FIRST_CUSTOM_STUDY + 1, text, MF_BYCOMMAND);
        EXPECT_EQ(CString("Mid"), text);
        CFrameWnd* frame = pane->GetParentFrame();
        ASSERT_NE(nullptr, frame->GetMenu());
        frame->GetMenu()->UpdateCommandUI(frame, false);
        frame->GetMenu()->GetMenuString(ID_FIRST_CUSTOM_STUDY, text, MF_BYCOMMAND);
        EXPECT_EQ(CString("Range"), text);
        frame->GetMenu()->GetMenuString(ID_FIRST_CUSTOM_STUDY + 1, text, MF_BYCOMMAND);
        EXPECT_EQ(CString("Mid"), text);

        // With 150 custom studies the wizard refuses another one and keeps the list.
        lists[kCustomStudies].resize(kMaxCustomStudies, Definition("Close", "Bar[Close,D]"));
        StoreCustomColumns(app.Settings(), lists);
        EXPECT_EQ(kMaxCustomStudies, table->GetCustomStudyCount());
        m_boxes.clear();
        {
            CColumnWizardDlg wizard(kCustomStudies, app.MainFrame());
            wizard.OnNew();
            EXPECT_EQ(static_cast<size_t>(kMaxCustomStudies), wizard.Definitions().size());
        }
        ASSERT_EQ(1u, m_boxes.size());
        EXPECT_EQ(CString("Could not add a new custom study object"), m_boxes[0].text);
        EXPECT_EQ(kMaxCustomStudies, table->GetCustomStudyCount());

        // Damaged records give no rows; the file's bytes are not the table's to mend.
        app.Settings().m_columns.body = {7, 0, 0, 0, 1};
        EXPECT_EQ(0, table->GetCustomStudyCount());
        app.Settings().m_columns.body.clear();
        CloseAndExit(app);
    }
    EXPECT_EQ(nullptr, GetCustomStudyTable());
}

TEST_F(ChartShell, AChartsFontsCommandMeasuresEveryChartAgainAndIsKept)
{
    auto owned = std::make_unique<FontResponder>(&m_boxes);
    FontResponder* dialogs = owned.get();
    CScopedUiResponder responder(std::move(owned));
    {
        CWorkstationApp app;
        app.m_arguments = {"--home", m_home.Path(), "--user", "demo", "--password", "demo"};
        ASSERT_TRUE(app.InitInstance());
        CAppSettings& settings = app.Settings();
        CGraphsView* mdi = PricePane(app.OpenWindowOfKind(kKindChart, false));
        CGraphsView* floating = PricePane(app.OpenWindowOfKind(kKindChart, true));
        ASSERT_NE(nullptr, mdi);
        ASSERT_NE(nullptr, floating);
        for (CGraphsView* pane : {mdi, floating})
            pane->ChangeSymbolInterval("IBM", "D", false);
        ASSERT_TRUE(PumpUntil([&] { return mdi->IsInitialised() && floating->IsInitialised(); }));
        const CFontInfo oldFont = settings.m_chartFont;
        const int oldWidth = mdi->GetGraphsDoc()->GetMetrics().labelWidth;
        EXPECT_EQ(SampleWidth(oldFont) + 2, oldWidth);

        // Cancel changes nothing; the dialog offers the chart font and text colour.
        dialogs->answer = false;
        mdi->OnPaneCommand(ID_CHART_FONTS);
        ASSERT_TRUE(PumpUntil([&] { return dialogs->asked == 1; }));
        EXPECT_EQ(CString(dialogs->offered.lfFaceName), oldFont.face);
        EXPECT_EQ(dialogs->offered.lfHeight, -oldFont.height);
        EXPECT_EQ(dialogs->offeredColor, settings.m_chartColors[kChartColorText]);
        EXPECT_EQ(oldFont, settings.m_chartFont);
        EXPECT_EQ(oldWidth, mdi->GetGraphsDoc()->GetMetrics().labelWidth);

        // OK: both charts, the floating one included, measure the new font; their panes
        // give the price axis the new width and fit their bars to the rest.
        dialogs->answer = true;
        floating->OnPaneCommand(ID_CHART_FONTS);
        ASSERT_TRUE(PumpUntil([&] { return dialogs->asked == 2; }));
        PumpFor(20);
        EXPECT_EQ(CString("DejaVu Sans"), settings.m_chartFont.face);
        EXPECT_EQ(24, settings.m_chartFont.height);
        EXPECT_EQ(RGB(0, 0, 160), settings.m_chartColors[kChartColorText]);
        const int width = SampleWidth(settings.m_chartFont) + 2;
        EXPECT_GT(width, oldWidth);
        for (CGraphsView* pane : {mdi, floating}) {
            const CGraphsDoc* doc = pane->GetGraphsDoc();
            EXPECT_EQ(width, doc->GetMetrics().labelWidth);
            CRect client;
            pane->GetClientRect(&client);
            EXPECT_EQ(client.right - width, pane->GetPlotRect().right);
            EXPECT_EQ(static_cast<int>(pane->GetPlotRect().Width() / doc->GetBarSpacing()), doc->GetVisibleBarCount());
        }
        // A chart opened afterwards starts with it.
        CGraphsView* later = PricePane(app.OpenWindowOfKind(kKindChart, false));
        ASSERT_NE(nullptr, later);
        EXPECT_EQ(width, later->GetGraphsDoc()->GetMetrics().labelWidth);
        CloseAndExit(app);
    }
    CAppSettings reread;
    reread.SetWorkingDirectory(m_home.Path());
    reread.LoadAll();
    EXPECT_EQ(CString("DejaVu Sans"), reread.m_chartFont.face);
    EXPECT_EQ(24, reread.m_chartFont.height);
}
