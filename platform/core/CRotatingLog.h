// A log file of bounded size: each entry is redacted (LogRedaction.h), stamped with the
// local time and appended; when the file would grow past its limit it becomes NAME.1,
// the older ones move up to NAME.2 ... and the oldest kept is dropped.
#pragma once

#include "platform/core/CString.h"

#include <cstddef>
#include <mutex>
#include <string_view>

class CRotatingLog {
public:
    static constexpr size_t kDefaultMaxBytes = 1024 * 1024;
    static constexpr int kDefaultKeep = 3;
    // Longer entries are cut to this many bytes and marked.
    static constexpr size_t kMaxEntryBytes = 16 * 1024;

    // Opens (creates) path for appending, readable by its owner only. keep old files
    // stay beside it as path.1 to path.keep.
    explicit CRotatingLog(const CString& path, size_t maxBytes = kDefaultMaxBytes, int keep = kDefaultKeep);
    ~CRotatingLog();
    CRotatingLog(const CRotatingLog&) = delete;
    CRotatingLog& operator=(const CRotatingLog&) = delete;

    // False when the file could not be opened (entries are then dropped).
    bool IsOpen() const;
    const CString& GetPath() const { return m_path; }
    // Any thread.
    void Write(std::string_view entry);

private:
    void OpenFile();
    void Rotate();

    const CString m_path;
    const size_t m_nMaxBytes;
    const int m_nKeep;
    mutable std::mutex m_lock;
    int m_fd = -1;
    size_t m_nSize = 0;
};
