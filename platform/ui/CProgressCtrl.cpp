#include "platform/ui/CProgressCtrl.h"

#include "platform/ui/QxWindowHost.h"

#include <QProgressBar>

namespace {
QProgressBar* Bar(QWidget* w)
{
    return qobject_cast<QProgressBar*>(w);
}
}  // namespace

BOOL CProgressCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, "", style, rect, parent, id);
}

QWidget* CProgressCtrl::CreateWidget(QWidget* parent)
{
    auto* bar = new QxWindowHost<QProgressBar>(this, parent);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

void CProgressCtrl::SetRange32(int lower, int upper)
{
    if (QProgressBar* b = Bar(GetWidget()))
        b->setRange(lower, upper);
}

void CProgressCtrl::GetRange(int& lower, int& upper) const
{
    QProgressBar* b = Bar(GetWidget());
    lower = b ? b->minimum() : 0;
    upper = b ? b->maximum() : 0;
}

int CProgressCtrl::SetPos(int pos)
{
    QProgressBar* b = Bar(GetWidget());
    if (!b)
        return 0;
    const int old = b->value();
    b->setValue(std::clamp(pos, b->minimum(), b->maximum()));
    return old;
}

int CProgressCtrl::GetPos() const
{
    QProgressBar* b = Bar(GetWidget());
    return b ? b->value() : 0;
}

int CProgressCtrl::OffsetPos(int delta)
{
    return SetPos(GetPos() + delta);
}

int CProgressCtrl::SetStep(int step)
{
    const int old = m_step;
    m_step = step;
    return old;
}

int CProgressCtrl::StepIt()
{
    QProgressBar* b = Bar(GetWidget());
    if (!b)
        return 0;
    const int old = b->value();
    int next = old + m_step;
    if (next > b->maximum())
        next = b->minimum() + (next - b->maximum());  // wraps like the classic control
    b->setValue(next);
    return old;
}
