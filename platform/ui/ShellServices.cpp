#include "platform/ui/ShellServices.h"

#include "platform/ui/CUiResponder.h"
#include "platform/ui/QtConvert.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

#include <optional>

BOOL SetClipboardText(const CString& text)
{
    QClipboard* c = QGuiApplication::clipboard();
    if (!c)
        return FALSE;
    c->setText(ToQString(text));
    return TRUE;
}

CString GetClipboardText()
{
    QClipboard* c = QGuiApplication::clipboard();
    return c ? FromQString(c->text()) : CString();
}

namespace {

// The text as an http:// or https:// URL with a host; none when it is not one.
std::optional<QUrl> WebLinkOf(const CString& url)
{
    const QString t = ToQString(url).trimmed();
    if (t.isEmpty())
        return std::nullopt;
    QUrl address(t, QUrl::StrictMode);
    const QString scheme = address.scheme().toLower();
    if ((scheme != QLatin1String("http") && scheme != QLatin1String("https")) || !address.isValid() ||
        address.host().isEmpty())
        return std::nullopt;
    return address;
}

}  // namespace

bool IsWebLink(const CString& url)
{
    return WebLinkOf(url).has_value();
}

BOOL ShellOpenLink(const CString& url)
{
    const std::optional<QUrl> address = WebLinkOf(url);
    if (!address)
        return FALSE;
    return CUiResponder::Current().OpenExternal(FromQString(address->toString())) ? TRUE : FALSE;
}

BOOL ShellOpenFile(const CString& path)
{
    const QString t = ToQString(path).trimmed();
    if (t.isEmpty() || QUrl(t).scheme().size() > 1)  // a URL, not a path ("C:" is a drive)
        return FALSE;
    const QFileInfo info(t);
    if (!info.exists() || !info.isFile())
        return FALSE;
    return CUiResponder::Current().OpenExternal(FromQString(info.absoluteFilePath())) ? TRUE : FALSE;
}
