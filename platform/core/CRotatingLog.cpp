#include "platform/core/CRotatingLog.h"

#include "platform/core/LogRedaction.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string TimeStamp()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const int millis = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d ", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, millis);
    return text;
}

bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

CRotatingLog::CRotatingLog(const CString& path, size_t maxBytes, int keep)
    : m_path(path), m_nMaxBytes(std::max<size_t>(maxBytes, 1024)), m_nKeep(std::max(keep, 0))
{
    std::lock_guard<std::mutex> lock(m_lock);
    OpenFile();
}

CRotatingLog::~CRotatingLog()
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CRotatingLog::IsOpen() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_fd >= 0;
}

void CRotatingLog::OpenFile()
{
    m_fd = ::open(m_path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    m_nSize = 0;
    struct stat st {};
    if (m_fd >= 0 && ::fstat(m_fd, &st) == 0)
        m_nSize = static_cast<size_t>(st.st_size);
}

void CRotatingLog::Rotate()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (m_nKeep == 0) {
        ::unlink(m_path);
    } else {
        CString oldest;
        oldest.Format("%s.%d", m_path.GetString(), m_nKeep);
        ::unlink(oldest);
        for (int n = m_nKeep - 1; n >= 1; --n) {
            CString from, to;
            from.Format("%s.%d", m_path.GetString(), n);
            to.Format("%s.%d", m_path.GetString(), n + 1);
            ::rename(from, to);
        }
        ::rename(m_path, m_path + ".1");
    }
    OpenFile();
}

void CRotatingLog::Write(std::string_view entry)
{
    while (!entry.empty() && (entry.back() == '\n' || entry.back() == '\r'))
        entry.remove_suffix(1);
    std::string text = RedactSecrets(entry.substr(0, kMaxEntryBytes));
    if (entry.size() > kMaxEntryBytes)
        text += " [cut]";
    text = TimeStamp() + text + "\n";
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_fd < 0)
        return;
    if (m_nSize > 0 && m_nSize + text.size() > m_nMaxBytes)
        Rotate();
    if (m_fd >= 0 && WriteAll(m_fd, text))
        m_nSize += text.size();
}
