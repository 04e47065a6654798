// The program's diagnostic log: the file the application installs, else standard error.
// Every line is redacted first (LogRedaction.h).
#pragma once

#include <memory>
#include <string_view>

class CRotatingLog;

// Any thread.
void AppLogLine(std::string_view line);
void AppLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Where lines go from now on (none: standard error); returns the log it replaces.
std::shared_ptr<CRotatingLog> InstallAppLog(std::shared_ptr<CRotatingLog> log);
std::shared_ptr<CRotatingLog> GetAppLog();
