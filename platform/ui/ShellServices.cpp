#include "platform/ui/ShellServices.h"

#include "platform/ui/CUiResponder.h"
#include "platform/ui/QtConvert.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

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

bool IsWebLink(const CString& url)
{
    const QString t = ToQString(url).trimmed();
    if (t.isEmpty())
        return false;
    const QUrl address(t, QUrl::StrictMode);
    const QString scheme = address.scheme().toLower();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && address.isValid() &&
           !address.host().isEmpty();
}

BOOL ShellOpenLink(const CString& url)
{
    if (!IsWebLink(url))
        return FALSE;
    const QUrl address(ToQString(url).trimmed(), QUrl::StrictMode);
    return CUiResponder::Current().OpenExternal(FromQString(address.toString())) ? TRUE : FALSE;
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
