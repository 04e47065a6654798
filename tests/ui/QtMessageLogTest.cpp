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

TEST(QtMessageLog, PassesMessagesOnToTheHandlerBeforeItAndKeepsTheTerminalQuietWithoutOne)
{
    TempFolder folder;
    const auto appLog = InstallAppLog(std::make_shared<CRotatingLog>(CString(folder.file("app.log"))));
    const QtMessageHandler outer = qInstallMessageHandler(Record);
    {
        CQtMessageLog log;
        qWarning("drawing surface lost %d", 1);
        qDebug("a debug line");
    }
    EXPECT_EQ(g_recorded, (std::vector<std::string>{"drawing surface lost 1", "a debug line"}));
    qWarning("after the log");
    EXPECT_EQ(g_recorded.back(), "after the log");

    // With no handler before it, nothing reaches standard error.
    qInstallMessageHandler(nullptr);
    const int savedStderr = dup(STDERR_FILENO);
    const int file = open(folder.file("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(file, STDERR_FILENO);
    close(file);
    {
        CQtMessageLog log;
        qWarning("nobody else listens");
    }
    dup2(savedStderr, STDERR_FILENO);
    close(savedStderr);
    qInstallMessageHandler(outer);
    InstallAppLog(appLog);

    const std::string logged = folder.read("app.log");
    EXPECT_NE(logged.find("Qt warning: drawing surface lost 1"), std::string::npos);
    EXPECT_NE(logged.find("Qt debug: a debug line"), std::string::npos);
    EXPECT_NE(logged.find("Qt warning: nobody else listens"), std::string::npos);
    EXPECT_EQ(logged.find("after the log"), std::string::npos);
    EXPECT_EQ(folder.read("stderr"), "");
}

} // namespace
