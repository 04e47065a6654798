// Combo, list box, spin, splitter, tab strip and calendar controls.
#include "UiTestSupport.h"

#include "platform/ui/CButton.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CDateTimeCtrl.h"
#include "platform/ui/CProgressCtrl.h"
#include "platform/ui/CSliderCtrl.h"
#include "platform/ui/CCreateContext.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CListBox.h"
#include "platform/ui/CMonthCalCtrl.h"
#include "platform/ui/CRuntimeClass.h"
#include "platform/ui/CSpinButtonCtrl.h"
#include "platform/ui/CSplitterWnd.h"
#include "platform/ui/CTabCtrl.h"
#include "platform/ui/CView.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QImage>
#include <QKeyEvent>

namespace {

class Parent : public CWnd {
public:
    using CWnd::OnHScroll;
    std::vector<std::pair<UINT, UINT>> commands;  // id, code
    std::vector<UINT> notifies;

    bool Make() { return Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 400, 400), nullptr, 1) != FALSE; }

protected:
    BOOL OnCommand(WPARAM w, LPARAM l) override
    {
        commands.emplace_back(LOWORD(w), HIWORD(w));
        return CWnd::OnCommand(w, l);
    }
    BOOL OnNotify(WPARAM w, LPARAM l, LRESULT* r) override
    {
        notifies.push_back(reinterpret_cast<NMHDR*>(l)->code);
        return CWnd::OnNotify(w, l, r);
    }
};

class ColorCombo : public CComboBox {
public:
    std::vector<DWORD_PTR> drawn;
    void DrawItem(LPDRAWITEMSTRUCT d) override
    {
        drawn.push_back(d->itemData);
        CDC::FromHandle(d->hDC)->FillSolidRect(&d->rcItem, static_cast<COLORREF>(d->itemData));
    }
};

// A spin that decides the step itself and refuses to go below 5.
class GuardedSpin : public CSpinButtonCtrl {
public:
    int seen = 0;
    const CMessageMap& GetMessageMap() const override
    {
        static const CMessageMap map =
            MessageMapFor<GuardedSpin>(CSpinButtonCtrl::GetMessageMap()).ReflectNotify(UDN_DELTAPOS, &GuardedSpin::OnDelta).Build();
        return map;
    }

private:
    void OnDelta(NMHDR* h, LRESULT* r)
    {
        ++seen;
        auto* n = reinterpret_cast<NMUPDOWN*>(h);
        *r = n->iPos + n->iDelta < 5 ? TRUE : FALSE;
    }
};

class PaneView : public CView {};

class SymbolList : public CListBox {
public:
    std::vector<UINT> drawnItems;
    void DrawItem(LPDRAWITEMSTRUCT d) override
    {
        drawnItems.push_back(d->itemID);
        EXPECT_EQ(d->CtlType, ODT_LISTBOX);
        CDC::FromHandle(d->hDC)->FillSolidRect(&d->rcItem, (d->itemState & ODS_SELECTED) ? RGB(0, 0, 0) : RGB(250, 250, 0));
    }
    void MeasureItem(LPMEASUREITEMSTRUCT m) override { m->itemHeight = 18; }
};

}  // namespace

TEST(Controls, ComboFindsExactlyKeepsItemDataAndSorts)
{
    Parent p;
    ASSERT_TRUE(p.Make());
    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_SORT, CRect(0, 0, 100, 200), &p, 10));
    for (const char* s : {"Weekly", "daily", "Daily 2", "Monthly"})
        combo.AddString(s);
    EXPECT_EQ(combo.GetLBText(0), "daily");
    EXPECT_EQ(combo.FindStringExact(-1, "DAILY"), 0);
    EXPECT_EQ(combo.FindStringExact(-1, "Dai"), CB_ERR);
    EXPECT_EQ(combo.FindString(-1, "dai"), 0);
    EXPECT_EQ(combo.FindString(0, "dai"), 1);  // searching starts after the given item
    EXPECT_EQ(combo.FindString(1, "dai"), 0);  // and wraps
    combo.SetItemData(2, 0x1000000);
    EXPECT_EQ(combo.GetItemData(2), 0x1000000u);
    EXPECT_EQ(combo.GetItemData(9), static_cast<DWORD_PTR>(CB_ERR));
    EXPECT_EQ(combo.SetCurSel(3), 3);
    EXPECT_EQ(combo.GetWindowText(), "Weekly");
    EXPECT_TRUE(p.commands.empty());  // changes made by code send nothing
    auto* q = qobject_cast<QComboBox*>(combo.GetWidget());
    emit q->activated(1);
    ASSERT_FALSE(p.commands.empty());
    EXPECT_EQ(p.commands.front(), std::make_pair(10u, CBN_SELCHANGE));
    EXPECT_EQ(combo.DeleteString(0), 3);
    combo.ResetContent();
    EXPECT_EQ(combo.GetCount(), 0);
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
}

TEST(Controls, OwnerDrawnComboDrawsItsItems)
{
    Parent p;
    ASSERT_TRUE(p.Make());
    ColorCombo combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED, CRect(0, 0, 100, 24), &p, 11));
    combo.SetItemData(combo.AddString(""), RGB(255, 0, 0));
    combo.SetItemData(combo.AddString(""), RGB(0, 255, 0));
    combo.SetCurSel(1);
    const QImage shot = combo.GetWidget()->grab().toImage();
    ASSERT_FALSE(combo.drawn.empty());
    EXPECT_EQ(combo.drawn.back(), RGB(0, 255, 0));
    EXPECT_EQ(shot.pixelColor(shot.width() / 3, shot.height() / 2), QColor(0, 255, 0));
}

TEST(Controls, ListBoxMultiSelection)
{
    Parent p;
    ASSERT_TRUE(p.Make());
    CListBox list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_EXTENDEDSEL | LBS_SORT, CRect(0, 0, 100, 100), &p, 12));
    for (const char* s : {"MSFT", "AAPL", "IBM", "GE"})
        list.AddString(s);
    EXPECT_EQ(list.GetText(0), "AAPL");
    list.SetSel(1, TRUE);
    list.SetSel(3, TRUE);
    EXPECT_EQ(list.GetSelCount(), 2);
    int items[4] = {};
    ASSERT_EQ(list.GetSelItems(4, items), 2);
    EXPECT_EQ(items[0], 1);
    EXPECT_EQ(items[1], 3);
    list.SetSel(-1, FALSE);
    EXPECT_EQ(list.GetSelCount(), 0);
    EXPECT_EQ(list.FindStringExact(-1, "ibm"), 2);
    list.SetItemData(2, 42);
    EXPECT_EQ(list.GetItemData(2), 42u);
}

TEST(Controls, OwnerDrawnListBoxMeasuresAndDrawsItems)
{
    Parent p;
    ASSERT_TRUE(p.Make());
    SymbolList list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, CRect(0, 0, 100, 100), &p, 13));
    list.AddString("IBM");
    list.AddString("GE");
    list.SetCurSel(1);
    const QImage shot = list.GetWidget()->grab().toImage();
    ASSERT_FALSE(list.drawnItems.empty());
    CRect first;
    CRect second;
    ASSERT_NE(list.GetItemRect(0, &first), LB_ERR);
    ASSERT_NE(list.GetItemRect(1, &second), LB_ERR);
    EXPECT_EQ(first.Height(), 18);
    EXPECT_EQ(shot.pixelColor(first.CenterPoint().x, first.CenterPoint().y), QColor(250, 250, 0));
    EXPECT_EQ(shot.pixelColor(second.CenterPoint().x, second.CenterPoint().y), QColor(0, 0, 0));
    BOOL outside = TRUE;
    EXPECT_EQ(list.ItemFromPoint(second.CenterPoint(), outside), 1u);
    EXPECT_FALSE(outside);
}

TEST(Controls, SpinSendsDeltaFirstAndHonoursARefusal)
{
    Parent p;
    ASSERT_TRUE(p.Make());
    CEdit buddy;
    ASSERT_TRUE(buddy.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 60, 20), &p, 20));
    GuardedSpin spin;
    ASSERT_TRUE(spin.Create(WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_NOTHOUSANDS, CRect(60, 0, 76, 20), &p, 21));
    spin.SetBuddy(&buddy);
    spin.SetRange32(0, 100000000);
    spin.SetPos32(6);
    EXPECT_EQ(buddy.GetWindowText(), "6");
    spin.Step(-1);
    EXPECT_EQ(spin.GetPos32(), 5);
    spin.Step(-1);  // refused by the reflected handler
    EXPECT_EQ(spin.GetPos32(), 5);
    EXPECT_EQ(spin.seen, 2);
    // Reflected notifications do not reach the parent.
    EXPECT_TRUE(std::find(p.notifies.begin(), p.notifies.end(), UDN_DELTAPOS) == p.notifies.end());
    buddy.SetWindowText("99999999");
    spin.Step(1);
    EXPECT_EQ(spin.GetPos32(), 100000000);  // 32-bit range
    spin.Step(1);
    EXPECT_EQ(spin.GetPos32(), 100000000);  // stops at the end without wrap
}

TEST(Controls, StaticSplitterHoldsUpToSixteenRows)
{
    Parent p;
    ASSERT_TRUE(p.Make());
    CSplitterWnd splitter;
    ASSERT_TRUE(splitter.CreateStatic(&p, 16, 1));
    EXPECT_FALSE(CSplitterWnd().CreateStatic(&p, 17, 1));
    CCreateContext context;
    ASSERT_TRUE(splitter.CreateView(0, 0, RuntimeClassOf<PaneView>(), SIZE{0, 100}, &context));
    for (int i = 1; i < 16; ++i)
        ASSERT_TRUE(splitter.InsertRow(i, RuntimeClassOf<PaneView>(), 20, &context)) << i;
    EXPECT_EQ(splitter.GetRowCount(), 16);
    EXPECT_FALSE(splitter.InsertRow(3, RuntimeClassOf<PaneView>(), 20, &context));
    CWnd* third = splitter.GetPane(3, 0);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->GetDlgCtrlID(), splitter.IdFromRowCol(3, 0));
    CWnd* fifth = splitter.GetPane(5, 0);
    ASSERT_TRUE(splitter.DeleteRow(4));
    PumpFor(5);
    EXPECT_EQ(splitter.GetRowCount(), 15);
    EXPECT_EQ(splitter.GetPane(4, 0), fifth);
    EXPECT_EQ(fifth->GetDlgCtrlID(), splitter.IdFromRowCol(4, 0));
    int row = -1;
    EXPECT_TRUE(splitter.IsChildPane(fifth, &row, nullptr));
    EXPECT_EQ(row, 4);
    splitter.GetOuterWidget()->resize(200, 1600);
    splitter.SetPaneSizes(std::vector<int>(15, 100));
    int current = 0;
    int minimum = 0;
    splitter.GetRowInfo(2, current, minimum);
    EXPECT_GT(current, 50);
}

TEST(Controls, TabStripAndCalendar)
{
    Parent p;
    ASSERT_TRUE(p.Make());
    CTabCtrl tabs;
    ASSERT_TRUE(tabs.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 24), &p, 30));
    tabs.InsertItem(0, "Sheet 1");
    tabs.InsertItem(1, "Sheet 2");
    EXPECT_EQ(tabs.GetItemCount(), 2);
    EXPECT_EQ(tabs.SetCurSel(1), 0);
    EXPECT_EQ(tabs.GetCurSel(), 1);
    EXPECT_EQ(tabs.GetItemText(1), "Sheet 2");
    EXPECT_TRUE(tabs.DeleteItem(0));
    EXPECT_EQ(tabs.GetItemCount(), 1);

    CMonthCalCtrl cal;
    ASSERT_TRUE(cal.Create(WS_CHILD | WS_VISIBLE, CRect(0, 30, 250, 200), &p, 31));
    ASSERT_TRUE(cal.SetCurSel(CTime(2026, 12, 7, 15, 0, 0)));
    CTime chosen;
    ASSERT_TRUE(cal.GetCurSel(chosen));
    EXPECT_EQ(chosen.GetYear(), 2026);
    EXPECT_EQ(chosen.GetMonth(), 12);
    EXPECT_EQ(chosen.GetDay(), 7);
    EXPECT_EQ(chosen.GetHour(), 0);
}

// A tab strip told to select none shows every tab as it looks unselected, reports none,
// and a click on any tab, the one current before included, chooses it.
TEST(Controls, ATabStripWithNoneSelectedShowsEveryTabUnselected)
{
    Parent p;
    ASSERT_TRUE(p.Make());
    CTabCtrl tabs;
    ASSERT_TRUE(tabs.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 24), &p, 30));
    for (const char* name : {"1 min", "5 min", "Daily"})
        tabs.InsertItem(tabs.GetItemCount(), name);
    QWidget* bar = tabs.GetWidget();
    const auto look = [&](int index) {
        CRect r;
        tabs.GetItemRect(index, &r);
        // Inside the tab, clear of the edges a selected neighbour may overlap.
        return bar->grab().toImage().copy(QRect(r.left + 4, r.top + 4, r.Width() - 8, r.Height() - 8));
    };
    tabs.SetCurSel(0);
    const QImage secondUnselected = look(1);
    tabs.SetCurSel(1);
    const QImage firstUnselected = look(0);
    const QImage secondSelected = look(1);
    ASSERT_NE(secondSelected, secondUnselected) << "the style shows no selection";

    EXPECT_EQ(tabs.SetCurSel(-1), 1);
    EXPECT_EQ(tabs.GetCurSel(), -1);
    EXPECT_EQ(look(0), firstUnselected);
    EXPECT_EQ(look(1), secondUnselected);

    // The tab current before, clicked, is chosen and told.
    p.notifies.clear();
    CRect r;
    tabs.GetItemRect(1, &r);
    MouseClick(bar, QPoint(r.CenterPoint().x, r.CenterPoint().y));
    EXPECT_EQ(tabs.GetCurSel(), 1);
    EXPECT_EQ(p.notifies, (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE}));
    EXPECT_EQ(look(1), secondSelected);
}

// Digits typed into a calendar leave the date alone, and a calendar destroyed right after
// typing leaves nothing behind (the leak check of the sanitizer build watches this).
TEST(Controls, CalendarsIgnoreTypedDigitsAndDieCleanRightAfterTyping)
{
    const auto type = [](QCalendarWidget* cal, Qt::Key key, const QString& text) {
        QWidget* target = cal->focusProxy() ? cal->focusProxy() : cal;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
    };
    Parent p;
    ASSERT_TRUE(p.Make());
    auto cal = std::make_unique<CMonthCalCtrl>();
    ASSERT_TRUE(cal->Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 250, 200), &p, 31));
    ASSERT_TRUE(cal->SetCurSel(CTime(2026, 12, 7, 0, 0, 0)));
    auto* month = qobject_cast<QCalendarWidget*>(cal->GetWidget());
    ASSERT_NE(month, nullptr);
    type(month, Qt::Key_1, QStringLiteral("1"));
    type(month, Qt::Key_Return, QString());
    CTime chosen;
    ASSERT_TRUE(cal->GetCurSel(chosen));
    EXPECT_EQ(chosen.GetMonth(), 12);
    EXPECT_EQ(chosen.GetDay(), 7);
    type(month, Qt::Key_2, QStringLiteral("2"));
    cal.reset();

    auto when = std::make_unique<CDateTimeCtrl>();
    ASSERT_TRUE(when->Create(WS_CHILD | WS_VISIBLE | DTS_SHORTDATEFORMAT, CRect(0, 210, 120, 230), &p, 32));
    auto* edit = qobject_cast<QDateTimeEdit*>(when->GetWidget());
    ASSERT_NE(edit, nullptr);
    QCalendarWidget* drop = edit->calendarWidget();
    ASSERT_NE(drop, nullptr);
    ASSERT_TRUE(when->SetTime(CTime(2026, 12, 7, 9, 30, 0)));
    type(drop, Qt::Key_1, QStringLiteral("1"));
    type(drop, Qt::Key_Return, QString());
    CTime picked;
    ASSERT_EQ(when->GetTime(picked), GDT_VALID);
    EXPECT_EQ(picked.GetMonth(), 12);
    EXPECT_EQ(picked.GetDay(), 7);
    type(drop, Qt::Key_2, QStringLiteral("2"));
    when.reset();
}

TEST(Controls, EditsKeepLineEndsSelectionsAndNotifyChanges)
{
    Parent p;
    ASSERT_TRUE(p.Make());
    CEdit multi;
    ASSERT_TRUE(multi.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN, CRect(0, 0, 200, 80), &p, 40));
    multi.SetWindowText("line one\r\nline two");
    EXPECT_EQ(multi.GetWindowText(), "line one\r\nline two");
    EXPECT_EQ(multi.GetLineCount(), 2);
    CEdit single;
    ASSERT_TRUE(single.Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, CRect(0, 90, 200, 110), &p, 41));
    p.commands.clear();
    single.SetWindowText("Close > 100");
    EXPECT_EQ(std::count(p.commands.begin(), p.commands.end(), std::make_pair(41u, EN_CHANGE)), 1);
    single.SetSel(6, 7);
    int start = 0;
    int end = 0;
    single.GetSel(start, end);
    EXPECT_EQ(start, 6);
    EXPECT_EQ(end, 7);
    single.ReplaceSel("<");
    EXPECT_EQ(single.GetWindowText(), "Close < 100");
    single.SetLimitText(5);
    single.SetWindowText("123456789");
    EXPECT_EQ(single.GetWindowTextLength(), 5);
    EXPECT_TRUE(single.SetReadOnly(TRUE));
    EXPECT_TRUE(single.GetStyle() & ES_READONLY);
}

TEST(Controls, ButtonsCheckThreeStatesAndReportClicks)
{
    Parent p;
    ASSERT_TRUE(p.Make());
    CButton tri;
    ASSERT_TRUE(tri.Create("Ext. session", WS_CHILD | WS_VISIBLE | BS_AUTO3STATE, CRect(0, 0, 100, 20), &p, 50));
    tri.SetCheck(BST_INDETERMINATE);
    EXPECT_EQ(tri.GetCheck(), BST_INDETERMINATE);
    tri.SetCheck(BST_CHECKED);
    EXPECT_EQ(p.IsDlgButtonChecked(50), static_cast<UINT>(BST_CHECKED));
    CButton push;
    ASSERT_TRUE(push.Create("&Apply", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, CRect(0, 30, 80, 50), &p, 51));
    EXPECT_EQ(push.GetWindowText(), "&Apply");
    p.commands.clear();
    static_cast<QAbstractButton*>(push.GetWidget())->click();
    ASSERT_EQ(p.commands.size(), 1u);
    EXPECT_EQ(p.commands[0], std::make_pair(51u, BN_CLICKED));
    CButton group;
    ASSERT_TRUE(group.Create("Settings", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, CRect(0, 60, 100, 120), &p, 52));
    EXPECT_EQ(group.GetWindowText(), "Settings");
    EXPECT_EQ(group.GetButtonStyle(), BS_GROUPBOX);
}

namespace {

// Types the text into the picker key by key, as the keyboard sends it.
void TypeInto(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        const int key = c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A') : c.unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

// Sets the picker to 2026-12-08 9:30, types the text from its first section on and reads
// what it holds.
CTime TypedFrom(CDateTimeCtrl& picker, QDateTimeEdit::Section first, const char* text)
{
    EXPECT_TRUE(picker.SetTime(CTime(2026, 12, 8, 9, 30, 0)));
    auto* edit = qobject_cast<QDateTimeEdit*>(picker.GetWidget());
    edit->setSelectedSection(first);
    TypeInto(edit, QString::fromLatin1(text));
    CTime read;
    EXPECT_EQ(picker.GetTime(read), GDT_VALID) << text;
    return read;
}

// A text typed and the three numbers it should give (year, month, day or hour, minute,
// second).
struct Typed {
    const char* text;
    int first, second, third;
};

}  // namespace

TEST(Controls, DatesAndTimesTypedWithTheirSeparatorsReadAsTyped)
{
    Parent p;
    ASSERT_TRUE(p.Make());
    CDateTimeCtrl date;
    ASSERT_TRUE(date.Create(WS_CHILD | WS_VISIBLE | DTS_SHORTDATEFORMAT, CRect(0, 0, 120, 20), &p, 64));
    ASSERT_NE(qobject_cast<QDateTimeEdit*>(date.GetWidget()), nullptr);
    // A field the digits fill, one that waits for its separator, and a field left as it was.
    for (const Typed& t : {Typed{"12/7/2026", 2026, 12, 7}, Typed{"1/15/2027", 2027, 1, 15},
                           Typed{"3/31/2025", 2025, 3, 31}, Typed{"10/1/2024", 2024, 10, 1}}) {
        const CTime read = TypedFrom(date, QDateTimeEdit::MonthSection, t.text);
        EXPECT_EQ(std::tuple(read.GetYear(), read.GetMonth(), read.GetDay()), std::tuple(t.first, t.second, t.third))
            << t.text << " shows " << date.GetWindowText().GetString();
    }

    CDateTimeCtrl time;
    ASSERT_TRUE(time.Create(WS_CHILD | WS_VISIBLE | DTS_TIMEFORMAT, CRect(0, 30, 120, 50), &p, 65));
    ASSERT_NE(qobject_cast<QDateTimeEdit*>(time.GetWidget()), nullptr);
    for (const Typed& t : {Typed{"3:29:00 PM", 15, 29, 0}, Typed{"11:05:47 AM", 11, 5, 47},
                           Typed{"12:00:09 PM", 12, 0, 9}, Typed{"1:7:5 PM", 13, 7, 5}}) {
        const CTime read = TypedFrom(time, QDateTimeEdit::HourSection, t.text);
        EXPECT_EQ(std::tuple(read.GetHour(), read.GetMinute(), read.GetSecond()), std::tuple(t.first, t.second, t.third))
            << t.text << " shows " << time.GetWindowText().GetString();
    }
}

TEST(Controls, DateTimeProgressAndSlider)
{
    Parent p;
    ASSERT_TRUE(p.Make());
    CDateTimeCtrl when;
    ASSERT_TRUE(when.Create(WS_CHILD | WS_VISIBLE | DTS_TIMEFORMAT, CRect(0, 0, 120, 20), &p, 60));
    ASSERT_TRUE(when.SetFormat("hh':'mm tt"));
    SYSTEMTIME st{};
    st.wYear = 2026;
    st.wMonth = 12;
    st.wDay = 7;
    st.wHour = 9;
    st.wMinute = 30;
    p.notifies.clear();
    ASSERT_TRUE(when.SetTime(&st));
    EXPECT_TRUE(p.notifies.empty());  // set by code: no notification
    SYSTEMTIME back{};
    EXPECT_EQ(when.GetTime(&back), GDT_VALID);
    EXPECT_EQ(back.wHour, 9);
    EXPECT_EQ(back.wMinute, 30);
    EXPECT_EQ(back.wDay, 7);
    EXPECT_EQ(when.GetWindowText(), "09:30 AM");

    CProgressCtrl progress;
    ASSERT_TRUE(progress.Create(WS_CHILD | WS_VISIBLE, CRect(0, 30, 120, 40), &p, 61));
    progress.SetRange32(0, 100);
    progress.SetStep(40);
    progress.StepIt();
    progress.StepIt();
    EXPECT_EQ(progress.GetPos(), 80);
    progress.StepIt();  // wraps past the end
    EXPECT_EQ(progress.GetPos(), 20);
    EXPECT_EQ(progress.SetPos(500), 20);
    EXPECT_EQ(progress.GetPos(), 100);

    CSliderCtrl slider;
    ASSERT_TRUE(slider.Create(WS_CHILD | WS_VISIBLE, CRect(0, 50, 120, 70), &p, 62));
    slider.SetRange(0, 10);
    slider.SetPos(4);
    EXPECT_EQ(slider.GetPos(), 4);
    struct Scroller : Parent {
        std::vector<UINT> positions;
        void OnHScroll(UINT, UINT pos, CWnd* bar) override
        {
            if (bar)
                positions.push_back(pos);
        }
    };
    Scroller s;
    ASSERT_TRUE(s.Make());
    CSliderCtrl second;
    ASSERT_TRUE(second.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 120, 20), &s, 63));
    static_cast<QAbstractSlider*>(second.GetWidget())->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    ASSERT_EQ(s.positions.size(), 1u);
    EXPECT_EQ(s.positions[0], 1u);
}
