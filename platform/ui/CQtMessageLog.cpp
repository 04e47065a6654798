#include "platform/ui/CQtMessageLog.h"

#include "platform/core/AppLog.h"

#include <QString>

#include <atomic>

namespace {

std::atomic<QtMessageHandler> g_previous{nullptr};

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
    if (type == QtFatalMsg)
        if (QtMessageHandler previous = g_previous.load())
            previous(type, context, text);
}

} // namespace

CQtMessageLog::CQtMessageLog()
{
    m_previous = qInstallMessageHandler(LogQtMessage);
    g_previous = m_previous;
}

CQtMessageLog::~CQtMessageLog()
{
    qInstallMessageHandler(m_previous);
}
