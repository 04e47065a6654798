#include "platform/ui/CQtMessageLog.h"

#include "platform/core/AppLog.h"

#include <QString>

#include <atomic>

namespace {

// The handler before ours, for a fatal message; and the same for the others unless it is
// Qt's default, which would print them.
std::atomic<QtMessageHandler> g_previous{nullptr};
std::atomic<QtMessageHandler> g_installed{nullptr};

const char* KindName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return "debug";
    case QtInfoMsg: return "info";
    case QtWarningMsg: return "warning";
    case QtCriticalMsg: return "critical";
    case QtFatalMsg: return "fatal";
    }
    return "message";
}

void LogQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    AppLog("Qt %s: %s", KindName(type), text.toUtf8().constData());
    const QtMessageHandler next = type == QtFatalMsg ? g_previous.load() : g_installed.load();
    if (next)
        next(type, context, text);
}

} // namespace

CQtMessageLog::CQtMessageLog()
{
    // With no handler installed Qt returns its default one, so the second call tells
    // whether the first found one of somebody else's.
    m_previous = qInstallMessageHandler(nullptr);
    const QtMessageHandler fallback = qInstallMessageHandler(LogQtMessage);
    g_previous = m_previous;
    g_installed = m_previous == fallback ? nullptr : m_previous;
}

CQtMessageLog::~CQtMessageLog()
{
    qInstallMessageHandler(m_previous);
}
