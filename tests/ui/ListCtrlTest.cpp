// The report list: rows, columns, states, sorting, owner drawing and notifications.
#include "UiTestSupport.h"

#include "platform/ui/CBitmap.h"
#include "platform/ui/CListCtrl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeView>

#include <numeric>
#include <random>

namespace {

constexpr UINT kListId = 1293;

class ListHost : public CWnd {
public:
    std::vector<int> columnClicks;
    std::vector<std::pair<int, UINT>> changes;  // item, new state
    std::vector<DWORD_PTR> deleted;
    int headerRightClicks = 0;
    int beginEdits = 0;
    std::vector<CString> endEdits;
    BOOL acceptEdit = TRUE;
    std::vector<std::pair<UINT, int>> clicks;  // code, item
    std::vector<int> drags;

    const CMessageMap& GetMessageMap() const override
    {
        static const CMessageMap map = MessageMapFor<ListHost>(CWnd::GetMessageMap())
                                           .Notify(LVN_COLUMNCLICK, kListId, &ListHost::OnColumnClick)
                                           .Notify(LVN_ITEMCHANGED, kListId, &ListHost::OnItemChanged)
                                           .Notify(LVN_DELETEITEM, kListId, &ListHost::OnDeleteItem)
                                           .Notify(LVN_BEGINLABELEDIT, kListId, &ListHost::OnBeginEdit)
                                           .Notify(LVN_ENDLABELEDIT, kListId, &ListHost::OnEndEdit)
                                           .Notify(NM_RCLICK, 0, &ListHost::OnHeaderRightClick)
                                           .Notify(NM_CLICK, kListId, &ListHost::OnClick)
                                           .Notify(NM_DBLCLK, kListId, &ListHost::OnClick)
                                           .Notify(NM_RCLICK, kListId, &ListHost::OnClick)
                                           .Notify(LVN_BEGINDRAG, kListId, &ListHost::OnBeginDrag)
                                           .Build();
        return map;
    }

private:
    void OnColumnClick(NMHDR* h, LRESULT*) { columnClicks.push_back(reinterpret_cast<NMLISTVIEW*>(h)->iSubItem); }
    void OnItemChanged(NMHDR* h, LRESULT*)
    {
        auto* n = reinterpret_cast<NMLISTVIEW*>(h);
        changes.emplace_back(n->iItem, n->uNewState);
    }
    void OnDeleteItem(NMHDR* h, LRESULT*) { deleted.push_back(static_cast<DWORD_PTR>(reinterpret_cast<NMLISTVIEW*>(h)->lParam)); }
    void OnBeginEdit(NMHDR*, LRESULT* r)
    {
        ++beginEdits;
        *r = FALSE;
    }
    void OnEndEdit(NMHDR* h, LRESULT* r)
    {
        auto* info = reinterpret_cast<NMLVDISPINFO*>(h);
        endEdits.emplace_back(info->item.pszText ? info->item.pszText : "<cancel>");
        *r = acceptEdit;
    }
    void OnHeaderRightClick(NMHDR*, LRESULT*) { ++headerRightClicks; }
    void OnClick(NMHDR* h, LRESULT*) { clicks.emplace_back(h->code, reinterpret_cast<NMITEMACTIVATE*>(h)->iItem); }
    void OnBeginDrag(NMHDR* h, LRESULT*) { drags.push_back(reinterpret_cast<NMLISTVIEW*>(h)->iItem); }
};

class PaintedList : public CListCtrl {
public:
    std::vector<DRAWITEMSTRUCT> drawn;
    UINT rowHeight = 21;
    void MeasureItem(LPMEASUREITEMSTRUCT m) override { m->itemHeight = rowHeight; }
    void DrawItem(LPDRAWITEMSTRUCT d) override
    {
        drawn.push_back(*d);
        CDC* dc = CDC::FromHandle(d->hDC);
        dc->FillSolidRect(&d->rcItem, RGB(0, 0, 200));
    }
};

struct Fixture {
    ListHost host;
    Fixture() { EXPECT_TRUE(host.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 500, 400), nullptr, 1)); }
    bool MakeList(CListCtrl& list, DWORD style = 0)
    {
        return list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | style, CRect(0, 0, 480, 380), &host, kListId) &&
               list.InsertColumn(0, "Symbol", LVCFMT_LEFT, 80) == 0 &&
               list.InsertColumn(1, "Last", LVCFMT_RIGHT, 60) == 1 && list.InsertColumn(2, "Volume", LVCFMT_RIGHT, 70) == 2;
    }
};

// Rows of the text "row", each with its index plus 10 as its data.
void AddRows(CListCtrl& list, int count)
{
    for (int i = 0; i < count; ++i)
        list.InsertItem(LVIF_TEXT | LVIF_PARAM, i, "row", 0, 0, -1, 10 + i);
}

int CompareData(LPARAM a, LPARAM b, LPARAM descending)
{
    const int r = (a > b) - (a < b);
    return descending ? -r : r;
}

}  // namespace

TEST(ListCtrl, SortsTenThousandRowsWithAThreeWayCompare)
{
    Fixture f;
    CListCtrl list;
    ASSERT_TRUE(f.MakeList(list));
    std::vector<int> values(10000);
    std::iota(values.begin(), values.end(), 0);
    std::shuffle(values.begin(), values.end(), std::mt19937(7));
    QElapsedTimer timer;
    timer.start();
    list.SetItemCount(10000);
    for (int i = 0; i < 10000; ++i) {
        CString text;
        text.Format("S%05d", values[static_cast<size_t>(i)]);
        const int at = list.InsertItem(LVIF_TEXT | LVIF_PARAM, i, text, 0, 0, -1, values[static_cast<size_t>(i)]);
        ASSERT_EQ(at, i);
        text.Format("%d", i);
        list.SetItemText(at, 1, text);
    }
    const qint64 insertMs = timer.restart();
    ASSERT_EQ(list.GetItemCount(), 10000);
    const int marked = 1234;
    const int markedValue = values[marked];
    list.SetItemState(marked, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

    ASSERT_TRUE(list.SortItems(CompareData, 0));
    const qint64 sortMs = timer.restart();
    for (int i = 0; i < 10000; ++i) {
        ASSERT_EQ(list.GetItemData(i), static_cast<DWORD_PTR>(i));
        CString expected;
        expected.Format("S%05d", i);
        ASSERT_EQ(list.GetItemText(i, 0), expected);
    }
    // The selection and focus followed their row.
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), markedValue);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), markedValue);
    EXPECT_EQ(list.GetSelectedCount(), 1u);

    ASSERT_TRUE(list.SortItems(CompareData, 1));
    EXPECT_EQ(list.GetItemData(0), 9999u);
    EXPECT_EQ(list.GetItemData(9999), 0u);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 9999 - markedValue);
    std::cout << "[ measured ] insert 10000 rows: " << insertMs << " ms, sort: " << sortMs << " ms\n";
    EXPECT_LT(sortMs, 2000);
}

TEST(ListCtrl, SortIsStableForEqualKeys)
{
    Fixture f;
    CListCtrl list;
    ASSERT_TRUE(f.MakeList(list));
    for (int i = 0; i < 300; ++i) {
        CString text;
        text.Format("%d", i);
        list.InsertItem(LVIF_TEXT | LVIF_PARAM, i, text, 0, 0, -1, i % 3);
    }
    list.SortItems([](DWORD_PTR a, DWORD_PTR b) { return (a > b) - (a < b); });
    int previousKey = -1;
    int previousOriginal = -1;
    for (int i = 0; i < 300; ++i) {
        const int key = static_cast<int>(list.GetItemData(i));
        const int original = std::atoi(list.GetItemText(i, 0));
        if (key == previousKey) {
            ASSERT_GT(original, previousOriginal);
        }
        previousKey = key;
        previousOriginal = original;
    }
}

TEST(ListCtrl, ColumnsKeepOrderWidthsAndSendHeaderNotifications)
{
    Fixture f;
    CListCtrl list;
    ASSERT_TRUE(f.MakeList(list));
    EXPECT_EQ(list.GetColumnCount(), 3);
    EXPECT_EQ(list.GetColumnWidth(1), 60);
    const int order[] = {2, 0, 1};
    ASSERT_TRUE(list.SetColumnOrderArray(3, order));
    int back[3] = {};
    ASSERT_TRUE(list.GetColumnOrderArray(back, 3));
    EXPECT_EQ(std::vector<int>(back, back + 3), std::vector<int>(order, order + 3));
    const int bad[] = {0, 0, 1};
    EXPECT_FALSE(list.SetColumnOrderArray(3, bad));
    ASSERT_TRUE(list.SetColumnWidth(2, 100));
    EXPECT_EQ(list.GetColumnWidth(2), 100);
    char buffer[32] = {};
    LVCOLUMN col;
    col.mask = LVCF_TEXT | LVCF_FMT | LVCF_ORDER;
    col.pszText = buffer;
    col.cchTextMax = sizeof(buffer);
    ASSERT_TRUE(list.GetColumn(2, &col));
    EXPECT_STREQ(buffer, "Volume");
    EXPECT_EQ(col.fmt, LVCFMT_RIGHT);
    EXPECT_EQ(col.iOrder, 0);

    CBitmap arrow;
    arrow.CreateBitmap(8, 8, 1, 32, nullptr);
    EXPECT_TRUE(list.SetHeaderBitmap(1, &arrow));
    auto* tree = qobject_cast<QTreeView*>(list.GetWidget());
    ASSERT_NE(tree, nullptr);
    EXPECT_FALSE(tree->model()->headerData(1, Qt::Horizontal, Qt::DecorationRole).isNull());
    EXPECT_TRUE(list.SetHeaderBitmap(1, nullptr));
    EXPECT_TRUE(tree->model()->headerData(1, Qt::Horizontal, Qt::DecorationRole).isNull());

    emit tree->header()->sectionClicked(1);
    EXPECT_EQ(f.host.columnClicks, std::vector<int>{1});
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::RightButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(tree->header(), &release);
    EXPECT_EQ(f.host.headerRightClicks, 1);
    ASSERT_NE(list.GetHeaderCtrl(), nullptr);
    EXPECT_EQ(list.GetHeaderCtrl()->GetItemCount(), 3);
}

TEST(ListCtrl, StatesHitTestsAndChangeNotifications)
{
    Fixture f;
    CListCtrl list;
    ASSERT_TRUE(f.MakeList(list));
    for (int i = 0; i < 20; ++i)
        list.InsertItem(i, "row");
    f.host.changes.clear();
    list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(5, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetSelectedCount(), 2u);
    POSITION pos = list.GetFirstSelectedItemPosition();
    EXPECT_EQ(list.GetNextSelectedItem(pos), 3);
    EXPECT_EQ(list.GetNextSelectedItem(pos), 5);
    EXPECT_EQ(pos, nullptr);
    ASSERT_EQ(f.host.changes.size(), 2u);
    EXPECT_EQ(f.host.changes[0], std::make_pair(3, LVIS_SELECTED));
    list.SetItemState(-1, 0, LVIS_SELECTED);
    EXPECT_EQ(list.GetSelectedCount(), 0u);
    list.SetItemState(4, LVIS_CUT, LVIS_CUT);
    EXPECT_EQ(list.GetItemState(4, LVIS_CUT), LVIS_CUT);

    list.GetWidget()->resize(480, 380);
    CRect row;
    ASSERT_TRUE(list.GetItemRect(2, &row, LVIR_BOUNDS));
    UINT flags = 0;
    EXPECT_EQ(list.HitTest(row.CenterPoint(), &flags), 2);
    EXPECT_EQ(flags, LVHT_ONITEMLABEL);
    CRect cell;
    ASSERT_TRUE(list.GetSubItemRect(2, 1, LVIR_BOUNDS, cell));
    LVHITTESTINFO hit;
    hit.pt = cell.CenterPoint();
    EXPECT_EQ(list.SubItemHitTest(&hit), 2);
    EXPECT_EQ(hit.iSubItem, 1);
    EXPECT_EQ(list.HitTest(CPoint(10, 379)), -1);

    LVFINDINFO find;
    find.flags = LVFI_PARAM;
    list.SetItemData(7, 77);
    find.lParam = 77;
    EXPECT_EQ(list.FindItem(&find), 7);
}

TEST(ListCtrl, SingleSelectionListsKeepOneSelectedItem)
{
    Fixture f;
    CListCtrl list;
    ASSERT_TRUE(f.MakeList(list, LVS_SINGLESEL));
    for (int i = 0; i < 5; ++i)
        list.InsertItem(i, "row");
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetSelectedCount(), 1u);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 3);
    list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetSelectedCount(), 1u);
}

TEST(ListCtrl, DeletingItemsLetsTheOwnerFreeTheirData)
{
    Fixture f;
    CListCtrl list;
    ASSERT_TRUE(f.MakeList(list));
    for (int i = 0; i < 5; ++i)
        list.InsertItem(LVIF_TEXT | LVIF_PARAM, i, "x", 0, 0, -1, 100 + i);
    EXPECT_TRUE(list.DeleteItem(1));
    EXPECT_EQ(f.host.deleted, std::vector<DWORD_PTR>{101});
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(f.host.deleted.size(), 5u);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_FALSE(list.DeleteItem(0));
}

TEST(ListCtrl, OwnerDrawGetsWholeRows)
{
    Fixture f;
    PaintedList list;
    ASSERT_TRUE(f.MakeList(list, LVS_OWNERDRAWFIXED));
    AddRows(list, 3);
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    const QImage shot = list.GetWidget()->grab().toImage();
    ASSERT_FALSE(list.drawn.empty());
    bool sawSelected = false;
    for (const DRAWITEMSTRUCT& d : list.drawn) {
        EXPECT_EQ(d.CtlType, ODT_LISTVIEW);
        EXPECT_EQ(d.CtlID, kListId);
        EXPECT_EQ(d.itemData, 10 + d.itemID);
        EXPECT_GE(d.rcItem.right - d.rcItem.left, 80 + 60 + 70);
        sawSelected = sawSelected || (d.itemID == 1 && (d.itemState & ODS_SELECTED));
    }
    EXPECT_TRUE(sawSelected);
    CRect row;
    list.GetItemRect(0, &row, LVIR_BOUNDS);
    EXPECT_EQ(row.Height(), 21);
    const QColor c = shot.pixelColor(150, row.CenterPoint().y);
    EXPECT_EQ(c, QColor(0, 0, 200));
    // The column keeps the parameter word its owner gave it.
    EXPECT_EQ(list.InsertColumn(3, "Custom", LVCFMT_LEFT, 50, 77), 3);
    LVCOLUMN col;
    col.mask = LVCF_SUBITEM;
    ASSERT_TRUE(list.GetColumn(3, &col));
    EXPECT_EQ(col.iSubItem, 77);
}

// One paint draws each row once, over the columns only; grid lines still part the cells.
TEST(ListCtrl, OwnerDrawPaintsEachRowOnceUnderItsColumns)
{
    Fixture f;
    PaintedList list;
    ASSERT_TRUE(f.MakeList(list, LVS_OWNERDRAWFIXED));
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    AddRows(list, 4);
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    list.drawn.clear();
    auto* tree = qobject_cast<QTreeView*>(list.GetWidget());
    ASSERT_NE(tree, nullptr);
    const QImage shot = tree->viewport()->grab().toImage();
    std::vector<int> times(4, 0);
    for (const DRAWITEMSTRUCT& d : list.drawn) {
        ASSERT_LT(d.itemID, 4u);
        ++times[d.itemID];
        EXPECT_EQ((d.itemState & ODS_SELECTED) != 0, d.itemID == 2) << d.itemID;
    }
    EXPECT_EQ(times, (std::vector<int>{1, 1, 1, 1}));

    // Columns of 80, 60 and 70 pixels: the fill stops at 210, lines stand at 79 and 139.
    const QRect row = tree->visualRect(tree->model()->index(1, 0));
    const int y = row.center().y();
    EXPECT_EQ(shot.pixelColor(40, y), QColor(0, 0, 200));
    EXPECT_EQ(shot.pixelColor(205, y), QColor(0, 0, 200));
    EXPECT_NE(shot.pixelColor(215, y), QColor(0, 0, 200));
    EXPECT_EQ(shot.pixelColor(79, y), QColor(208, 208, 208));
    EXPECT_EQ(shot.pixelColor(139, y), QColor(208, 208, 208));
    EXPECT_EQ(shot.pixelColor(40, row.bottom()), QColor(208, 208, 208));
}

// A sort that moves the rows of a shown owner-drawn list, repainted as its owner then asks,
// paints each row once, with the data now in its place; a sort that moves nothing paints
// nothing.
TEST(ListCtrl, ASortThatMovesRowsPaintsEachRowOnce)
{
    Fixture f;
    PaintedList list;
    ASSERT_TRUE(f.MakeList(list, LVS_OWNERDRAWFIXED));
    AddRows(list, 6);
    DeliverPosted();
    ASSERT_FALSE(list.drawn.empty()) << "the list is shown";
    auto sortAndRepaint = [&](LPARAM descending) {
        list.drawn.clear();
        EXPECT_TRUE(list.SortItems(CompareData, descending));
        list.Invalidate();
        DeliverPosted();
        std::vector<int> times(6, 0);
        for (const DRAWITEMSTRUCT& d : list.drawn) {
            EXPECT_LT(d.itemID, 6u);
            if (d.itemID < 6u)
                ++times[d.itemID];
            EXPECT_EQ(d.itemData, descending ? 15 - d.itemID : 10 + d.itemID) << d.itemID;
        }
        return times;
    };
    EXPECT_EQ(sortAndRepaint(1), std::vector<int>(6, 1)) << "rows reversed";
    EXPECT_EQ(sortAndRepaint(0), std::vector<int>(6, 1)) << "rows back in order";
    list.drawn.clear();
    EXPECT_TRUE(list.SortItems(CompareData, 0));
    DeliverPosted();
    EXPECT_TRUE(list.drawn.empty()) << "a sort that moved nothing";
}

TEST(ListCtrl, LabelEditingAsksTheOwner)
{
    Fixture f;
    CListCtrl list;
    ASSERT_TRUE(f.MakeList(list, LVS_EDITLABELS));
    list.InsertItem(0, "IBM");
    list.InsertItem(1, "MSFT");
    f.host.ShowWindow(SW_SHOW);
    ASSERT_TRUE(list.EditLabel(1));
    EXPECT_EQ(f.host.beginEdits, 1);
    auto* editor = list.GetWidget()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("AAPL");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    PumpFor(10);
    ASSERT_EQ(f.host.endEdits.size(), 1u);
    EXPECT_EQ(f.host.endEdits[0], "AAPL");
    EXPECT_EQ(list.GetItemText(1, 0), "AAPL");

    f.host.acceptEdit = FALSE;
    ASSERT_TRUE(list.EditLabel(0));
    editor = list.GetWidget()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("REFUSED");
    QApplication::sendEvent(editor, &enter);
    PumpFor(10);
    EXPECT_EQ(list.GetItemText(0, 0), "IBM");
}

TEST(ListCtrl, ClicksDoubleClicksAndDragsBecomeNotifications)
{
    Fixture f;
    CListCtrl list;
    ASSERT_TRUE(f.MakeList(list));
    for (int i = 0; i < 10; ++i)
        list.InsertItem(i, "row");
    f.host.ShowWindow(SW_SHOW);
    auto* tree = qobject_cast<QTreeView*>(list.GetWidget());
    QWidget* vp = tree->viewport();
    const QRect cell = tree->visualRect(tree->model()->index(3, 0));
    const QPointF at = cell.center();
    auto send = [vp](QEvent::Type type, QPointF p, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent e(type, p, vp->mapToGlobal(p), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(vp, &e);
    };
    send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    send(QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
    ASSERT_GE(f.host.clicks.size(), 3u);
    EXPECT_EQ(f.host.clicks[0], std::make_pair(NM_CLICK, 3));
    EXPECT_EQ(f.host.clicks[1], std::make_pair(NM_DBLCLK, 3));
    EXPECT_EQ(f.host.clicks.back(), std::make_pair(NM_RCLICK, 3));
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 3);

    send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, at + QPointF(2, 0), Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(f.host.drags.empty());  // not yet past the drag distance
    send(QEvent::MouseMove, at + QPointF(40, 0), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, at + QPointF(60, 0), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(f.host.drags, std::vector<int>{3});
}

namespace {

// Records whether each selection change was the user's; on a user's change it inserts
// a row and deletes the one after the selected row, as a careless handler might.
class UserChangeHost : public CWnd {
public:
    CListCtrl* list = nullptr;
    std::vector<std::pair<int, bool>> selected;  // item, made by the user
    bool feedBack = false;                       // a deleted row brings a new one
    int deletes = 0;

    const CMessageMap& GetMessageMap() const override
    {
        static const CMessageMap map = MessageMapFor<UserChangeHost>(CWnd::GetMessageMap())
                                           .Notify(LVN_ITEMCHANGED, kListId, &UserChangeHost::OnItemChanged)
                                           .Notify(LVN_DELETEITEM, kListId, &UserChangeHost::OnDeleteItem)
                                           .Build();
        return map;
    }

private:
    void OnItemChanged(NMHDR* h, LRESULT*)
    {
        auto* n = reinterpret_cast<NMLISTVIEW*>(h);
        if (!(n->uNewState & LVIS_SELECTED))
            return;
        const bool user = list->IsUserChange();
        selected.emplace_back(n->iItem, user);
        if (user && n->iItem + 1 < list->GetItemCount())
            list->DeleteItem(n->iItem + 1);  // the program's change inside the user's
    }
    void OnDeleteItem(NMHDR*, LRESULT*)
    {
        ++deletes;
        if (feedBack && deletes < 1000)
            list->InsertItem(list->GetItemCount(), "again");
    }
};

}  // namespace

TEST(ListCtrl, ASelectionIsTheUsersOnlyWhenHisClickOrKeyMadeIt)
{
    UserChangeHost host;
    ASSERT_TRUE(host.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 500, 400), nullptr, 1));
    CListCtrl list;
    host.list = &list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, CRect(0, 0, 480, 380), &host, kListId));
    list.InsertColumn(0, "Symbol", LVCFMT_LEFT, 80);
    for (int i = 0; i < 6; ++i)
        list.InsertItem(i, "row");
    host.ShowWindow(SW_SHOW);
    PumpFor(10);
    // The program's selection.
    list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ASSERT_EQ(host.selected.size(), 1u);
    EXPECT_FALSE(host.selected.back().second);
    // Removing the selected row moves the selection: the program's too.
    list.DeleteItem(0);
    for (const auto& [item, user] : host.selected)
        EXPECT_FALSE(user) << item;
    // A click.
    auto* tree = qobject_cast<QTreeView*>(list.GetWidget());
    MouseClick(tree->viewport(), tree->visualRect(tree->model()->index(2, 0)).center());
    ASSERT_FALSE(host.selected.empty());
    EXPECT_EQ(host.selected.back(), std::make_pair(2, true));
    EXPECT_EQ(list.GetItemCount(), 4);  // the handler's deletion happened, as the program's
    // A key that moves the selection.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(tree, &down);
    EXPECT_EQ(host.selected.back(), std::make_pair(3, true));
    // Sorting outside any input event.
    const size_t before = host.selected.size();
    list.SortItems([](DWORD_PTR, DWORD_PTR) { return 0; });
    for (size_t i = before; i < host.selected.size(); ++i)
        EXPECT_FALSE(host.selected[i].second);
}

TEST(ListCtrl, DeletingEveryRowEndsThoughAHandlerAddsRows)
{
    UserChangeHost host;
    ASSERT_TRUE(host.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 500, 400), nullptr, 1));
    CListCtrl list;
    host.list = &list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 480, 380), &host, kListId));
    list.InsertColumn(0, "Symbol", LVCFMT_LEFT, 80);
    for (int i = 0; i < 5; ++i)
        list.InsertItem(i, "row");
    host.feedBack = true;
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
    // Every row present at the start and every row added meanwhile was told once.
    EXPECT_EQ(host.deletes, 10);
}
