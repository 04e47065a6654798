#include "platform/ui/CSliderCtrl.h"

#include "platform/ui/QxWindowHost.h"

#include <QSlider>

namespace {
QSlider* Slider(QWidget* w)
{
    return qobject_cast<QSlider*>(w);
}
}  // namespace

BOOL CSliderCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, "", style, rect, parent, id);
}

QWidget* CSliderCtrl::CreateWidget(QWidget* parent)
{
    auto* s = new QxWindowHost<QSlider>(this, (m_style & TBS_VERT) ? Qt::Vertical : Qt::Horizontal, parent);
    s->setRange(0, 100);
    QObject::connect(s, &QSlider::actionTriggered, [s](int) {
        CWnd* self = CWnd::FromWidget(s);
        CWnd* parentWnd = self ? self->GetParent() : nullptr;
        if (!parentWnd)
            return;
        const UINT message = s->orientation() == Qt::Vertical ? WM_VSCROLL : WM_HSCROLL;
        parentWnd->SendMessage(message, MAKEWPARAM(SB_THUMBTRACK, static_cast<WORD>(s->sliderPosition() & 0xFFFF)),
                               static_cast<LPARAM>(self->m_hWnd.Value()));
    });
    return s;
}

void CSliderCtrl::SetRange(int minPos, int maxPos, BOOL)
{
    if (QSlider* s = Slider(GetWidget())) {
        QSignalBlocker block(s);
        s->setRange(minPos, maxPos);
    }
}

void CSliderCtrl::GetRange(int& minPos, int& maxPos) const
{
    QSlider* s = Slider(GetWidget());
    minPos = s ? s->minimum() : 0;
    maxPos = s ? s->maximum() : 0;
}

void CSliderCtrl::SetPos(int pos)
{
    if (QSlider* s = Slider(GetWidget())) {
        QSignalBlocker block(s);
        s->setValue(pos);
    }
}

int CSliderCtrl::GetPos() const
{
    QSlider* s = Slider(GetWidget());
    return s ? s->value() : 0;
}

void CSliderCtrl::SetTicFreq(int frequency)
{
    if (QSlider* s = Slider(GetWidget())) {
        s->setTickPosition(frequency > 0 ? QSlider::TicksBelow : QSlider::NoTicks);
        s->setTickInterval(frequency);
    }
}

int CSliderCtrl::SetPageSize(int size)
{
    QSlider* s = Slider(GetWidget());
    if (!s)
        return 0;
    const int old = s->pageStep();
    s->setPageStep(size);
    return old;
}

int CSliderCtrl::SetLineSize(int size)
{
    QSlider* s = Slider(GetWidget());
    if (!s)
        return 0;
    const int old = s->singleStep();
    s->setSingleStep(size);
    return old;
}
