// Qt's messages go to the application log, on to a handler installed before the log
// (a test's watcher), and not to the terminal.
#include "platform/core/AppLog.h"
#include "platform/core/CRotatingLog.h"
#include "platform/core/CString.h"
#include "platform/ui/CQtMessageLog.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

#include <QString>
#include <QtGlobal>

#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_recorded;

void Record(QtMsgType, const QMessageLogContext&, const QString& text)
{
    g_recorded.push_back(text.toStdString());
}

bool Has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Standard error goes to a file while it lives.
class StderrToFile {
public:
    explicit StderrToFile(const std::string& path) : m_saved(dup(STDERR_FILENO))
    {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, STDERR_FILENO);
        close(fd);
    }
    ~StderrToFile()
    {
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
    }
    StderrToFile(const StderrToFile&) = delete;
    StderrToFile& operator=(const StderrToFile&) = delete;

private:
    const int m_saved;
};

// The application log writes to a file of the folder while it lives.
class AppLogIn {
public:
    explicit AppLogIn(const TempFolder& folder)
        : m_previous(InstallAppLog(std::make_shared<CRotatingLog>(CString(folder.file("app.log")))))
    {
    }
    ~AppLogIn() { InstallAppLog(m_previous); }
    AppLogIn(const AppLogIn&) = delete;
    AppLogIn& operator=(const AppLogIn&) = delete;

private:
    const std::shared_ptr<CRotatingLog> m_previous;
};

TEST(QtMessageLog, PassesMessagesOnToTheHandlerBeforeItAndGivesItBackAtTheEnd)
{
    TempFolder folder;
    AppLogIn appLog(folder);
    g_recorded.clear();
    const QtMessageHandler outer = qInstallMessageHandler(Record);
    {
        CQtMessageLog log;
        qWarning("drawing surface lost %d", 1);
        qDebug("a debug line");
        EXPECT_EQ(g_recorded, (std::vector<std::string>{"drawing surface lost 1", "a debug line"}));
        EXPECT_TRUE(Has(folder.read("app.log"), "Qt warning: drawing surface lost 1"));
        EXPECT_TRUE(Has(folder.read("app.log"), "Qt debug: a debug line"));
    }
    qWarning("after the log");
    EXPECT_EQ(g_recorded.back(), "after the log");
    EXPECT_FALSE(Has(folder.read("app.log"), "after the log"));
    EXPECT_EQ(qInstallMessageHandler(outer), &Record);
}

TEST(QtMessageLog, KeepsTheTerminalQuietWhenNoHandlerWasThereBefore)
{
    TempFolder folder;
    AppLogIn appLog(folder);
    const QtMessageHandler outer = qInstallMessageHandler(nullptr);
    {
        StderrToFile stderrFile(folder.file("stderr"));
        CQtMessageLog log;
        qWarning("nobody else listens");
    }
    qInstallMessageHandler(outer);
    EXPECT_TRUE(Has(folder.read("app.log"), "Qt warning: nobody else listens"));
    EXPECT_EQ(folder.read("stderr"), "");
}

} // namespace
