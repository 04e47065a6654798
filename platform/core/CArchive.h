// Buffered binary reader or writer over a CFile. Numbers are little-endian;
// a CString is a length prefix (one byte, or 0xFF and a WORD, or 0xFF, 0xFFFF
// and a DWORD) followed by its bytes. Reading past the end throws CArchiveException.
#pragma once

#include "platform/core/CArchiveException.h"
#include "platform/core/CFile.h"
#include "platform/core/CString.h"

#include <vector>

class CArchive {
public:
    enum Mode : UINT { store = 0, load = 1, bNoFlushOnDelete = 2 };

    CArchive(CFile* file, UINT mode, int bufferSize = 4096, void* buffer = nullptr);
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;
    // A storing archive that was not closed writes its buffer out here; errors are lost.
    ~CArchive();

    bool IsLoading() const { return m_loading; }
    bool IsStoring() const { return !m_loading; }
    bool IsBufferEmpty() const { return m_loading ? m_cur == m_end : m_buffer.empty(); }
    CFile* GetFile() const { return m_file; }

    // Raw bytes. Read returns how many it got (fewer only at the end of the file).
    UINT Read(void* buffer, UINT count);
    void Write(const void* buffer, UINT count);
    // Reads exactly count bytes or throws endOfFile.
    void ReadExact(void* buffer, UINT count);

    // Bytes left to read (buffered plus the rest of the file).
    ULONGLONG GetRemaining() const;
    // Reads a DWORD count and throws badIndex unless count * minBytesPerItem fits in the
    // rest of the file.
    DWORD ReadBoundedCount(UINT minBytesPerItem = 1);

    void Flush();
    void Close();
    void Abort();

    CArchive& operator<<(BYTE v);
    CArchive& operator<<(char v) { return *this << static_cast<BYTE>(v); }
    CArchive& operator<<(signed char v) { return *this << static_cast<BYTE>(v); }
    CArchive& operator<<(bool v) { return *this << static_cast<BYTE>(v ? 1 : 0); }
    CArchive& operator<<(WORD v);
    CArchive& operator<<(short v) { return *this << static_cast<WORD>(v); }
    CArchive& operator<<(DWORD v);
    CArchive& operator<<(int v) { return *this << static_cast<DWORD>(v); }
    CArchive& operator<<(uint64_t v);
    CArchive& operator<<(int64_t v) { return *this << static_cast<uint64_t>(v); }
    CArchive& operator<<(float v);
    CArchive& operator<<(double v);
    CArchive& operator<<(const CString& s);
    CArchive& operator<<(const char* s) { return *this << CString(s); }

    CArchive& operator>>(BYTE& v);
    CArchive& operator>>(char& v);
    CArchive& operator>>(signed char& v);
    CArchive& operator>>(bool& v);
    CArchive& operator>>(WORD& v);
    CArchive& operator>>(short& v);
    CArchive& operator>>(DWORD& v);
    CArchive& operator>>(int& v);
    CArchive& operator>>(uint64_t& v);
    CArchive& operator>>(int64_t& v);
    CArchive& operator>>(float& v);
    CArchive& operator>>(double& v);
    CArchive& operator>>(CString& s);

    // Longest string the reader accepts, and the longest the writer can store.
    static constexpr DWORD kMaxStringLength = 0xFFFFFFFEu;

private:
    void FillBuffer();
    void StoreBytes(const void* data, size_t count);
    [[noreturn]] void Fail(int cause) const;
    template <typename T>
    T LoadLittleEndian();
    template <typename T>
    void StoreLittleEndian(T value);

    CFile* m_file;
    bool m_loading;
    bool m_flushOnDelete;
    bool m_closed = false;
    size_t m_bufferSize;
    std::vector<BYTE> m_buffer;
    size_t m_cur = 0;
    size_t m_end = 0;
    ULONGLONG m_fileEnd = 0;
    ULONGLONG m_filePos = 0;
};
