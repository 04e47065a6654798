// While it lives, Qt's own messages (warnings, debug lines) go to the application log
// instead of standard error, and on to a handler installed before it (a test's watcher);
// Qt's default handler, which prints them, gets only a fatal message, which still ends the
// program as Qt does.
#pragma once

#include <QtGlobal>

class CQtMessageLog {
public:
    CQtMessageLog();
    ~CQtMessageLog();
    CQtMessageLog(const CQtMessageLog&) = delete;
    CQtMessageLog& operator=(const CQtMessageLog&) = delete;

private:
    QtMessageHandler m_previous = nullptr;
};
