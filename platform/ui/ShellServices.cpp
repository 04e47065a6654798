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

BOOL ShellOpen(const CString& target)
{
    const QString t = ToQString(target).trimmed();
    if (t.isEmpty())
        return FALSE;
    const QUrl url(t, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
        if (!url.isValid() || url.host().isEmpty())
            return FALSE;
        return CUiResponder::Current().OpenExternal(FromQString(url.toString())) ? TRUE : FALSE;
    }
    // A local file: a plain path, or a file: URL.
    const QString path = scheme == QLatin1String("file") ? url.toLocalFile() : t;
    if (scheme.size() > 1 && scheme != QLatin1String("file"))
        return FALSE;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return FALSE;
    return CUiResponder::Current().OpenExternal(FromQString(info.absoluteFilePath())) ? TRUE : FALSE;
}
