// While it lives, Qt's own messages (warnings, debug lines) go to the application log
// instead of standard error; a fatal message still ends the program as Qt does.
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
