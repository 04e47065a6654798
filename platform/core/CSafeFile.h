// Writes a file through a temporary file in the same folder. Commit flushes it to
// disk and renames it over the target; until then, and whenever writing fails,
// the previous file stays as it was and the temporary file is removed.
#pragma once

#include "platform/core/CFile.h"

#include <functional>

class CArchive;

class CSafeFile : public CFile {
public:
    CSafeFile() = default;
    ~CSafeFile() override;

    // Creates the temporary file for path; flags other than the target path are ignored.
    BOOL Open(const char* path, UINT openFlags = modeCreate | modeWrite,
              CFileException* error = nullptr) override;
    // Remembers a failed write, so that a later Commit refuses to replace the target
    // even when the error was swallowed on the way (an archive's destructor, say).
    void Write(const void* buffer, UINT count) override;
    // Flushes, closes and replaces the target. Throws CFileException, and does not
    // replace the target, if any write failed.
    void Commit();
    // Drops the temporary file; the target is untouched.
    void Abort() override;
    void Close() override { Abort(); }

    CString GetTargetPath() const { return m_target; }
    CString GetTempPath() const { return GetFilePath(); }

private:
    CString m_target;
    int m_writeError = 0;
};

// Stores a whole file through an archive: write(archive) fills it, then the file
// replaces path. On failure returns false, leaves the old file, and sets *osError
// to the system error number (0 when the writer itself threw an archive error).
bool SaveFileSafely(const char* path, const std::function<void(CArchive&)>& write, int* osError = nullptr);
