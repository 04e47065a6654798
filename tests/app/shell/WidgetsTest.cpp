// The shared widgets and small dialogs: colour combo, splitter and tab strip records,
// the export range check, symbol lists and column sorting.
#include "ShellTestSupport.h"

#include "common/windows/CColorCombo.h"
#include "common/windows/CColumnListCtrl.h"
#include "common/windows/CExportRangeDlg.h"
#include "common/windows/CPaneSplitterWnd.h"
#include "common/windows/CSheetsWnd.h"
#include "common/windows/CSymbolsDlg.h"
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "platform/ui/CDateTimeCtrl.h"
#include "platform/ui/CDialog.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CRuntimeClass.h"
#include "platform/ui/CView.h"
#include "platform/ui/WinCtrl.h"
#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>

namespace {

class PaneView : public CView {};

struct Host {
    CWnd wnd;
    Host() { EXPECT_TRUE(wnd.Create(nullptr, "host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 600, 500), nullptr, 0)); }
    ~Host() { wnd.DestroyWindow(); }
};

template <class Fill>
void Store(CMemFile& mem, Fill fill)
{
    CArchive ar(&mem, CArchive::store);
    fill(ar);
    ar.Close();
    mem.SeekToBegin();
}

}  // namespace

TEST(ShellWidgets, ColorComboHoldsTheColourTheTwentySevenMixesAndOther)
{
    Host host;
    CColorCombo combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED, CRect(0, 0, 120, 200),
                             &host.wnd, 500));
    combo.FillColors(RGB(10, 20, 30));
    ASSERT_EQ(combo.GetCount(), 29);
    EXPECT_EQ(combo.GetCurSel(), 0);
    EXPECT_EQ(combo.GetItemData(0), RGB(10, 20, 30));
    std::set<COLORREF> mixes;
    for (int i = 1; i <= 27; ++i) {
        const COLORREF c = static_cast<COLORREF>(combo.GetItemData(i));
        for (BYTE part : {GetRValue(c), GetGValue(c), GetBValue(c)})
            EXPECT_TRUE(part == 1 || part == 128 || part == 255) << i;
        mixes.insert(c);
    }
    EXPECT_EQ(mixes.size(), 27u);
    EXPECT_EQ(combo.GetItemData(28), CColorCombo::kOtherColor);
    EXPECT_EQ(combo.GetLBText(28), "Other...");
    COLORREF chosen = 0;
    ASSERT_TRUE(combo.GetSelectedColor(chosen));
    EXPECT_EQ(chosen, RGB(10, 20, 30));
    combo.SetCurSel(28);
    EXPECT_FALSE(combo.GetSelectedColor(chosen));
    // Filling again starts over.
    combo.FillColors(RGB(255, 255, 255));
    EXPECT_EQ(combo.GetCount(), 29);

    // A dialog without the control: the subclassing fails.
    CColorCombo missing;
    EXPECT_FALSE(missing.SubclassDlgItem(4711, &host.wnd));
}

TEST(ShellWidgets, PaneSplitterKeepsRowProportionsAndItsLimit)
{
    Host host;
    CPaneSplitterWnd splitter;
    splitter.MeasureMinHeight(10);
    ASSERT_TRUE(splitter.CreateStatic(&host.wnd, 16, 1));
    ASSERT_TRUE(splitter.CreateView(0, 0, RuntimeClassOf<PaneView>(), SIZE{100, 100}, nullptr));
    EXPECT_EQ(splitter.GetRowCount(), 1);
    ASSERT_TRUE(splitter.InsertRow(RuntimeClassOf<PaneView>(), 1));
    ASSERT_TRUE(splitter.InsertRow(RuntimeClassOf<PaneView>(), 2));
    ASSERT_EQ(splitter.GetRowCount(), 3);
    splitter.MoveWindow(0, 0, 400, 400);
    splitter.SetPaneSizes({200, 100, 100});
    const std::vector<double> before = splitter.GetProportions();

    CMemFile mem;
    Store(mem, [&](CArchive& ar) { ASSERT_TRUE(splitter.SaveProportions(ar)); });
    EXPECT_EQ(mem.GetLength(), 4u + 3u * 8u);
    splitter.SetPaneSizes({100, 100, 200});
    {
        CArchive ar(&mem, CArchive::load);
        ASSERT_TRUE(splitter.LoadProportions(ar));
    }
    const std::vector<double> after = splitter.GetProportions();
    ASSERT_EQ(after.size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(after[i], before[i], 0.02) << i;

    // A record for another number of rows is read whole (what follows it stays in its
    // place) and changes nothing; a cut record fails; a bad fraction changes nothing.
    const std::vector<double> kept = splitter.GetProportions();
    CMemFile other;
    Store(other, [](CArchive& ar) { ar << DWORD(2) << 0.5 << 0.5 << DWORD(77); });
    {
        CArchive ar(&other, CArchive::load);
        EXPECT_TRUE(splitter.LoadProportions(ar));
        DWORD next = 0;
        ar >> next;
        EXPECT_EQ(77u, next);
    }
    EXPECT_EQ(kept, splitter.GetProportions());
    CMemFile cut;
    Store(cut, [](CArchive& ar) { ar << DWORD(3) << 0.5; });
    {
        CArchive ar(&cut, CArchive::load);
        EXPECT_FALSE(splitter.LoadProportions(ar));
    }
    CMemFile bad;
    Store(bad, [](CArchive& ar) { ar << DWORD(3) << 0.5 << std::nan("") << 0.2; });
    {
        CArchive ar(&bad, CArchive::load);
        EXPECT_TRUE(splitter.LoadProportions(ar));
        EXPECT_EQ(0u, ar.GetRemaining());
    }
    EXPECT_EQ(kept, splitter.GetProportions());

    ASSERT_TRUE(splitter.DeleteRow(1));
    EXPECT_EQ(splitter.GetRowCount(), 2);
    EXPECT_FALSE(splitter.DeleteRow(5));
    while (splitter.GetRowCount() < 16)
        ASSERT_TRUE(splitter.InsertRow(RuntimeClassOf<PaneView>(), splitter.GetRowCount()));
    EXPECT_FALSE(splitter.InsertRow(RuntimeClassOf<PaneView>(), 3));
    splitter.DestroyWindow();
}

TEST(ShellWidgets, SheetsKeepTheirTabsAndSelection)
{
    CFrameWnd* frame = new CFrameWnd;  // owns itself once its window exists
    ASSERT_TRUE(frame->LoadFrame(0, WS_OVERLAPPEDWINDOW));
    CSheetsWnd sheets;
    ASSERT_TRUE(sheets.Create(frame, TRUE, RGB(240, 240, 240)));
    for (const char* name : {"Tech", "Banks", "Energy"})
        sheets.AddTab(name);
    ASSERT_TRUE(sheets.SelectTab("Energy"));
    EXPECT_FALSE(sheets.SelectTab("Nothing"));
    EXPECT_EQ(sheets.GetCurSel(), 2);

    CMemFile mem;
    Store(mem, [&](CArchive& ar) { ASSERT_TRUE(sheets.SaveTabs(ar)); });
    CSheetsWnd copy;
    ASSERT_TRUE(copy.Create(frame, FALSE, RGB(240, 240, 240)));
    copy.AddTab("old");
    {
        CArchive ar(&mem, CArchive::load);
        ASSERT_TRUE(copy.LoadTabs(ar));
    }
    EXPECT_EQ(copy.GetTabNames(), (std::vector<CString>{"Tech", "Banks", "Energy"}));
    EXPECT_EQ(copy.GetCurSel(), 2);

    // A selection outside the tabs is refused and the tabs stay.
    CMemFile bad;
    Store(bad, [](CArchive& ar) { ar << DWORD(1) << CString("One") << DWORD(4); });
    {
        CArchive ar(&bad, CArchive::load);
        EXPECT_FALSE(copy.LoadTabs(ar));
    }
    EXPECT_EQ(copy.GetItemCount(), 3);
    copy.Attach(TRUE, frame);
    EXPECT_TRUE(copy.IsAttached());
    copy.Attach(FALSE, frame);
    EXPECT_FALSE(copy.IsAttached());
    frame->DestroyWindow();
    PumpFor(5);
}

TEST(ShellWidgets, ExportRangeRefusesAnEndNotAfterTheStart)
{
    std::vector<RecordedBox> boxes;
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&boxes));
    const SYSTEMTIME start{2024, 3, 2, 5, 10, 0, 0, 0};
    CExportRangeDlg dlg(start, start);
    ASSERT_TRUE(dlg.Create(155, nullptr));
    dlg.OnOK();  // equal: refused
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "The end of the range must be after its start.");
    EXPECT_TRUE(dlg.m_hWnd);
    auto* toTime = dynamic_cast<CDateTimeCtrl*>(dlg.GetDlgItem(1053));
    ASSERT_NE(toTime, nullptr);
    SYSTEMTIME earlier = start;
    earlier.wHour = 9;
    earlier.wMinute = 30;
    toTime->SetTime(&earlier);
    dlg.OnOK();  // earlier: refused
    EXPECT_EQ(boxes.size(), 2u);
    auto* toDate = dynamic_cast<CDateTimeCtrl*>(dlg.GetDlgItem(1052));
    ASSERT_NE(toDate, nullptr);
    SYSTEMTIME nextDay = earlier;
    nextDay.wDay = 6;
    toDate->SetTime(&nextDay);
    dlg.OnOK();  // the next day, earlier in the day: accepted
    EXPECT_EQ(boxes.size(), 2u);
    SYSTEMTIME from{}, to{};
    dlg.GetRange(from, to);
    EXPECT_EQ(std::tuple(from.wYear, from.wMonth, from.wDay, from.wHour, from.wMinute, from.wSecond),
              std::tuple(2024, 3, 5, 10, 0, 0));
    EXPECT_EQ(std::tuple(to.wYear, to.wMonth, to.wDay, to.wHour, to.wMinute, to.wSecond), std::tuple(2024, 3, 6, 9, 30, 0));
    if (dlg.m_hWnd)
        dlg.DestroyWindow();
}

// The range is a wall clock (the exchange's): an hour this computer's zone skips shows and
// comes back as it stands.
TEST(ShellWidgets, ExportRangeShowsAndGivesBackAWallClockTheLocalZoneSkips)
{
    const ScopedTimeZone berlin("Europe/Berlin");
    std::vector<RecordedBox> boxes;
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&boxes));
    const SYSTEMTIME start{2026, 3, 0, 29, 2, 30, 15, 0};
    const SYSTEMTIME end{2026, 3, 0, 29, 2, 59, 59, 0};
    CExportRangeDlg dlg(start, end);
    ASSERT_TRUE(dlg.Create(155, nullptr));
    EXPECT_EQ(dlg.GetDlgItem(1050)->GetWindowText(), "3/29/2026");
    EXPECT_EQ(dlg.GetDlgItem(1051)->GetWindowText(), "2:30:15 AM");
    EXPECT_EQ(dlg.GetDlgItem(1053)->GetWindowText(), "2:59:59 AM");
    dlg.OnOK();
    EXPECT_TRUE(boxes.empty()) << boxes.front().text.str();
    SYSTEMTIME from{}, to{};
    dlg.GetRange(from, to);
    EXPECT_EQ(std::tuple(from.wYear, from.wMonth, from.wDay, from.wHour, from.wMinute, from.wSecond),
              std::tuple(2026, 3, 29, 2, 30, 15));
    EXPECT_EQ(std::tuple(to.wHour, to.wMinute, to.wSecond), std::tuple(2, 59, 59));
    if (dlg.m_hWnd)
        dlg.DestroyWindow();
}

TEST(ShellWidgets, SymbolListsSplitAtBlanksCommasAndLines)
{
    EXPECT_EQ(SplitSymbols(" ibm, msft\r\n\n$spx\t+ibm_011725c150 ,,"),
              (std::vector<CString>{"IBM", "MSFT", "$SPX", "+IBM_011725C150"}));
    EXPECT_TRUE(SplitSymbols(" , \n").empty());
}

TEST(ShellWidgets, ColumnListSortsNumbersAsNumbersBothWays)
{
    Host host;
    CColumnListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 300, 200), &host.wnd, 600));
    list.InsertColumn(0, "Symbol");
    list.InsertColumn(1, "Last");
    const char* rows[][2] = {{"msft", "100.5"}, {"IBM", "9.25"}, {"aapl", "1,200"}, {"GE", "-3"}};
    for (int i = 0; i < 4; ++i) {
        list.InsertItem(i, rows[i][0]);
        list.SetItemText(i, 1, rows[i][1]);
    }
    list.SortByColumn(1, true);
    EXPECT_EQ(list.GetItemText(0, 0), "GE");
    EXPECT_EQ(list.GetItemText(1, 0), "IBM");
    EXPECT_EQ(list.GetItemText(3, 0), "aapl");
    list.SortByColumn(0, false);
    EXPECT_EQ(list.GetItemText(0, 0), "msft");
    EXPECT_EQ(list.GetItemText(3, 0), "aapl");
    std::vector<int> order;
    list.GetColumnOrder(order);
    EXPECT_EQ(order, (std::vector<int>{0, 1}));
    list.DestroyWindow();
}
