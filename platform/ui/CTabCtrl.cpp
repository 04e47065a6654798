#include "platform/ui/CTabCtrl.h"

#include "platform/ui/QtConvert.h"
#include "platform/ui/QxWindowHost.h"

#include <QStyle>
#include <QStyleOptionTab>
#include <QTabBar>

namespace {

// A tab bar that can show no tab selected, as a tab control told to select none does:
// every tab is drawn unselected and the current one is not reported.
class QxTabBar : public QxWindowHost<QTabBar> {
public:
    using QxWindowHost<QTabBar>::QxWindowHost;

    bool noSelection = false;

protected:
    void initStyleOption(QStyleOptionTab* option, int tabIndex) const override
    {
        QxWindowHost<QTabBar>::initStyleOption(option, tabIndex);
        if (noSelection)
            option->state &= ~QStyle::State_Selected;
    }
};

QTabBar* Bar(QWidget* w)
{
    return qobject_cast<QTabBar*>(w);
}

QxTabBar* TabBar(QWidget* w)
{
    return dynamic_cast<QxTabBar*>(w);
}

}  // namespace

BOOL CTabCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, "", style, rect, parent, id);
}

QWidget* CTabCtrl::CreateWidget(QWidget* parent)
{
    auto* bar = new QxTabBar(this, parent);
    bar->setExpanding(false);
    bar->setDrawBase(true);
    QObject::connect(bar, &QTabBar::tabBarClicked, [bar](int index) {
        CWnd* self = CWnd::FromWidget(bar);
        if (index < 0 || !self)
            return;
        // With none shown selected, the current tab clicked is a new choice too.
        const bool chosenAgain = bar->noSelection && index == bar->currentIndex();
        if (bar->noSelection) {
            bar->noSelection = false;
            bar->update();
        }
        if (index != bar->currentIndex() || chosenAgain)
            self->NotifyParent(TCN_SELCHANGING);
        if (chosenAgain)
            self->NotifyParent(TCN_SELCHANGE);
    });
    QObject::connect(bar, &QTabBar::currentChanged, [bar] {
        if (bar->noSelection) {
            bar->noSelection = false;
            bar->update();
        }
        if (CWnd* self = CWnd::FromWidget(bar))
            self->NotifyParent(TCN_SELCHANGE);
    });
    return bar;
}

int CTabCtrl::InsertItem(int index, const char* text)
{
    QTabBar* b = Bar(GetWidget());
    if (!b || index < 0)
        return -1;
    QSignalBlocker block(b);
    return b->insertTab(std::min(index, b->count()), ToQString(text));
}

BOOL CTabCtrl::DeleteItem(int index)
{
    QTabBar* b = Bar(GetWidget());
    if (!b || index < 0 || index >= b->count())
        return FALSE;
    QSignalBlocker block(b);
    b->removeTab(index);
    return TRUE;
}

BOOL CTabCtrl::DeleteAllItems()
{
    QTabBar* b = Bar(GetWidget());
    if (!b)
        return FALSE;
    QSignalBlocker block(b);
    while (b->count() > 0)
        b->removeTab(0);
    return TRUE;
}

int CTabCtrl::GetItemCount() const
{
    QTabBar* b = Bar(GetWidget());
    return b ? b->count() : 0;
}

int CTabCtrl::GetCurSel() const
{
    QTabBar* b = Bar(GetWidget());
    const QxTabBar* tabs = TabBar(GetWidget());
    return b && !(tabs && tabs->noSelection) ? b->currentIndex() : -1;
}

int CTabCtrl::SetCurSel(int index)
{
    QTabBar* b = Bar(GetWidget());
    QxTabBar* tabs = TabBar(GetWidget());
    // -1 selects no tab.
    if (!b || index < -1 || index >= b->count() || (index == -1 && !tabs))
        return -1;
    const int old = GetCurSel();
    if (tabs && tabs->noSelection != (index == -1)) {
        tabs->noSelection = index == -1;
        tabs->update();
    }
    if (index >= 0) {
        QSignalBlocker block(b);
        b->setCurrentIndex(index);
    }
    return old;
}

CString CTabCtrl::GetItemText(int index) const
{
    QTabBar* b = Bar(GetWidget());
    return b && index >= 0 && index < b->count() ? FromQString(b->tabText(index)) : CString();
}

BOOL CTabCtrl::SetItemText(int index, const char* text)
{
    QTabBar* b = Bar(GetWidget());
    if (!b || index < 0 || index >= b->count())
        return FALSE;
    b->setTabText(index, ToQString(text));
    return TRUE;
}

BOOL CTabCtrl::GetItemRect(int index, LPRECT rect) const
{
    QTabBar* b = Bar(GetWidget());
    if (!b || !rect || index < 0 || index >= b->count())
        return FALSE;
    *rect = FromQRect(b->tabRect(index));
    return TRUE;
}

int CTabCtrl::HitTest(CPoint point) const
{
    QTabBar* b = Bar(GetWidget());
    return b ? b->tabAt(ToQPoint(point)) : -1;
}
