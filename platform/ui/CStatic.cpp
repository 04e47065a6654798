#include "platform/ui/CStatic.h"

#include "platform/ui/CBitmap.h"
#include "platform/ui/QtConvert.h"
#include "platform/ui/QxWindowHost.h"
#include "platform/ui/WinCtrl.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>

BOOL CStatic::Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create(nullptr, text, style, rect, parent, id);
}

QWidget* CStatic::CreateWidget(QWidget* parent)
{
    auto* label = new QxWindowHost<QLabel>(this, parent);
    const DWORD align = m_style & 0x3;
    label->setAlignment((align == SS_CENTER ? Qt::AlignHCenter : align == SS_RIGHT ? Qt::AlignRight : Qt::AlignLeft) |
                        Qt::AlignTop);
    label->setWordWrap(align != SS_RIGHT);
    if (m_style & SS_SUNKEN)
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

void CStatic::SetTextOfWidget(const CString& text)
{
    if (auto* l = qobject_cast<QLabel*>(GetWidget()))
        l->setText(ToQString(text));
}

CString CStatic::GetTextOfWidget() const
{
    auto* l = qobject_cast<QLabel*>(GetWidget());
    return l ? FromQString(l->text()) : CString();
}

void CStatic::SetBitmap(const CBitmap* bitmap)
{
    if (auto* l = qobject_cast<QLabel*>(GetWidget())) {
        if (bitmap && bitmap->Image())
            l->setPixmap(QPixmap::fromImage(*bitmap->Image()));
        else
            l->clear();
    }
}

void CStatic::SetTextColor(COLORREF color)
{
    if (QWidget* w = GetWidget()) {
        QPalette p = w->palette();
        p.setColor(QPalette::WindowText, ToQColor(color));
        w->setPalette(p);
    }
}
