#include "platform/ui/CTabCtrl.h"

#include "platform/ui/QtConvert.h"
#include "platform/ui/QxWindowHost.h"

#include <QTabBar>

namespace {
QTabBar* Bar(QWidget* w)
{
    return qobject_cast<QTabBar*>(w);
}
}  // namespace

BOOL CTabCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, "", style, rect, parent, id);
}

QWidget* CTabCtrl::CreateWidget(QWidget* parent)
{
    auto* bar = new QxWindowHost<QTabBar>(this, parent);
    bar->setExpanding(false);
    bar->setDrawBase(true);
    QObject::connect(bar, &QTabBar::tabBarClicked, [bar](int index) {
        if (index >= 0 && index != bar->currentIndex())
            if (CWnd* self = CWnd::FromWidget(bar))
                self->NotifyParent(TCN_SELCHANGING);
    });
    QObject::connect(bar, &QTabBar::currentChanged, [bar] {
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
    return b ? b->currentIndex() : -1;
}

int CTabCtrl::SetCurSel(int index)
{
    QTabBar* b = Bar(GetWidget());
    if (!b || index < 0 || index >= b->count())
        return -1;
    const int old = b->currentIndex();
    QSignalBlocker block(b);
    b->setCurrentIndex(index);
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
