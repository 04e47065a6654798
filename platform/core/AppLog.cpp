#include "platform/core/AppLog.h"

#include "platform/core/CRotatingLog.h"
#include "platform/core/LogRedaction.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

std::mutex g_lock;
std::shared_ptr<CRotatingLog> g_log;

} // namespace

void AppLogLine(std::string_view line)
{
    std::shared_ptr<CRotatingLog> log = GetAppLog();
    if (log) {
        log->Write(line);
        return;
    }
    const std::string text = RedactSecrets(line);
    std::fprintf(stderr, "%s\n", text.c_str());
}

void AppLog(const char* format, ...)
{
    char line[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    AppLogLine(line);
}

std::shared_ptr<CRotatingLog> InstallAppLog(std::shared_ptr<CRotatingLog> log)
{
    std::lock_guard<std::mutex> lock(g_lock);
    g_log.swap(log);
    return log;
}

std::shared_ptr<CRotatingLog> GetAppLog()
{
    std::lock_guard<std::mutex> lock(g_lock);
    return g_log;
}
