// A binary file on disk. Failures throw CFileException, except Open, which reports them.
// Back slashes in paths are taken as folder separators.
#pragma once

#include "platform/core/CFileException.h"
#include "platform/core/CString.h"

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };
    static constexpr int hFileNull = -1;

    CFile() = default;
    // Opens or throws CFileException.
    CFile(const char* path, UINT openFlags);
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    virtual ~CFile();

    virtual BOOL Open(const char* path, UINT openFlags, CFileException* error = nullptr);
    virtual UINT Read(void* buffer, UINT count);
    virtual void Write(const void* buffer, UINT count);
    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG length);
    virtual ULONGLONG GetPosition() const;
    // Writes the file's data through to the disk.
    virtual void Flush();
    virtual void Close();
    // Closes without reporting errors.
    virtual void Abort();

    ULONGLONG SeekToEnd() { return Seek(0, end); }
    void SeekToBegin() { Seek(0, begin); }
    bool IsOpen() const { return m_hFile != hFileNull; }

    CString GetFilePath() const { return m_strFileName; }
    CString GetFileName() const;
    CString GetFileTitle() const;

    // Both throw CFileException. Rename does not replace an existing file.
    static void Remove(const char* path);
    static void Rename(const char* oldPath, const char* newPath);
    // Path with back slashes turned into slashes.
    static CString NormalizePath(const char* path);

    int m_hFile = hFileNull;

protected:
    void SetFilePath(const char* path) { m_strFileName = path; }
    [[noreturn]] void ThrowErrno() const;

private:
    CString m_strFileName;
};
