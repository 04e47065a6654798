#include "platform/ui/CMonthCalCtrl.h"

#include "platform/ui/QxWindowHost.h"
#include "platform/ui/TimeConvert.h"

#include <QCalendarWidget>

namespace {
QCalendarWidget* Calendar(QWidget* w)
{
    return qobject_cast<QCalendarWidget*>(w);
}
}  // namespace

BOOL CMonthCalCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, "", style, rect, parent, id);
}

QWidget* CMonthCalCtrl::CreateWidget(QWidget* parent)
{
    auto* cal = new QxWindowHost<QCalendarWidget>(this, parent);
    cal->setGridVisible(false);
    cal->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    // Qt's typed-date box leaks when the calendar dies while a typed date is pending.
    cal->setDateEditEnabled(false);
    QObject::connect(cal, &QCalendarWidget::selectionChanged, [cal] {
        if (CWnd* self = CWnd::FromWidget(cal))
            self->NotifyParent(MCN_SELCHANGE);
    });
    QObject::connect(cal, &QCalendarWidget::activated, [cal] {
        if (CWnd* self = CWnd::FromWidget(cal))
            self->NotifyParent(MCN_SELECT);
    });
    return cal;
}

BOOL CMonthCalCtrl::SetCurSel(const CTime& time)
{
    QCalendarWidget* c = Calendar(GetWidget());
    if (!c)
        return FALSE;
    QSignalBlocker block(c);
    c->setSelectedDate(ToQDateTime(time).date());
    return TRUE;
}

BOOL CMonthCalCtrl::GetCurSel(CTime& time) const
{
    QCalendarWidget* c = Calendar(GetWidget());
    if (!c)
        return FALSE;
    const QDate d = c->selectedDate();
    time = CTime(d.year(), d.month(), d.day(), 0, 0, 0);
    return TRUE;
}

BOOL CMonthCalCtrl::GetCurSel(SYSTEMTIME* time) const
{
    QCalendarWidget* c = Calendar(GetWidget());
    if (!c || !time)
        return FALSE;
    *time = ToSystemTime(QDateTime(c->selectedDate(), QTime(0, 0)));
    return TRUE;
}

BOOL CMonthCalCtrl::SetRange(const CTime* minTime, const CTime* maxTime)
{
    QCalendarWidget* c = Calendar(GetWidget());
    if (!c)
        return FALSE;
    QSignalBlocker block(c);
    c->setMinimumDate(minTime ? ToQDateTime(*minTime).date() : QDate(100, 1, 1));
    c->setMaximumDate(maxTime ? ToQDateTime(*maxTime).date() : QDate(9999, 12, 31));
    return TRUE;
}

void CMonthCalCtrl::SetToday(const CTime& time)
{
    // The calendar marks the system's today; the selection moves to the given day.
    SetCurSel(time);
}
