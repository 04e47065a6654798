#include "platform/ui/CTrayIcon.h"

#include "platform/ui/CBitmap.h"
#include "platform/ui/CMessageQueue.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/QtConvert.h"
#include "platform/ui/WinUser.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

struct CTrayIcon::Impl {
    std::unique_ptr<QSystemTrayIcon> icon;
    HWND notify;
    UINT message = 0;
    UINT id = 1;
};

namespace {

QIcon IconOf(const CBitmap* bitmap)
{
    if (bitmap && bitmap->Image())
        return QIcon(QPixmap::fromImage(*bitmap->Image()));
    if (!QApplication::windowIcon().isNull())
        return QApplication::windowIcon();
    QPixmap p(16, 16);
    p.fill(QColor(0, 84, 160));
    QPainter painter(&p);
    painter.setPen(Qt::white);
    painter.drawText(p.rect(), Qt::AlignCenter, QStringLiteral("Q"));
    return QIcon(p);
}

}  // namespace

CTrayIcon::CTrayIcon() : m_impl(std::make_unique<Impl>()) {}

CTrayIcon::~CTrayIcon()
{
    Remove();
}

BOOL CTrayIcon::Create(CWnd* notify, UINT callbackMessage, const char* toolTip, const CBitmap* icon, UINT id)
{
    Remove();
    m_impl->notify = notify ? notify->m_hWnd : HWND();
    m_impl->message = callbackMessage;
    m_impl->id = id;
    m_impl->icon = std::make_unique<QSystemTrayIcon>(IconOf(icon));
    m_impl->icon->setToolTip(ToQString(toolTip));
    Impl* impl = m_impl.get();
    QObject::connect(m_impl->icon.get(), &QSystemTrayIcon::activated, [impl](QSystemTrayIcon::ActivationReason r) {
        LPARAM what = WM_LBUTTONDOWN;
        switch (r) {
        case QSystemTrayIcon::DoubleClick: what = WM_LBUTTONDBLCLK; break;
        case QSystemTrayIcon::Context: what = WM_RBUTTONUP; break;
        case QSystemTrayIcon::MiddleClick: what = WM_MBUTTONDOWN; break;
        default: break;
        }
        if (impl->message)
            PostMessage(impl->notify, impl->message, impl->id, what);
    });
    QObject::connect(m_impl->icon.get(), &QSystemTrayIcon::messageClicked, [impl] {
        if (impl->message)
            PostMessage(impl->notify, impl->message, impl->id, NIN_BALLOONUSERCLICK);
    });
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_impl->icon->show();
    return TRUE;
}

void CTrayIcon::Remove()
{
    if (m_impl->icon) {
        m_impl->icon->hide();
        m_impl->icon.reset();
    }
}

BOOL CTrayIcon::SetToolTip(const char* text)
{
    if (!m_impl->icon)
        return FALSE;
    m_impl->icon->setToolTip(ToQString(text));
    return TRUE;
}

BOOL CTrayIcon::SetIcon(const CBitmap* icon)
{
    if (!m_impl->icon)
        return FALSE;
    m_impl->icon->setIcon(IconOf(icon));
    return TRUE;
}

BOOL CTrayIcon::ShowBalloon(const char* title, const char* text, UINT iconKind, UINT timeoutMs)
{
    if (!m_impl->icon)
        return FALSE;
    m_lastBalloon = text ? text : "";
    QSystemTrayIcon::MessageIcon kind = QSystemTrayIcon::NoIcon;
    switch (iconKind) {
    case NIIF_INFO: kind = QSystemTrayIcon::Information; break;
    case NIIF_WARNING: kind = QSystemTrayIcon::Warning; break;
    case NIIF_ERROR: kind = QSystemTrayIcon::Critical; break;
    default: break;
    }
    if (QSystemTrayIcon::supportsMessages() && m_impl->icon->isVisible())
        m_impl->icon->showMessage(ToQString(title), ToQString(text), kind, static_cast<int>(timeoutMs));
    return TRUE;
}

bool CTrayIcon::IsCreated() const
{
    return m_impl->icon != nullptr;
}

bool CTrayIcon::IsTrayAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

CString CTrayIcon::GetToolTip() const
{
    return m_impl->icon ? FromQString(m_impl->icon->toolTip()) : CString();
}
