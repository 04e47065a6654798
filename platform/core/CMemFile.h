// A file held in memory; it grows in steps of growBytes as data is written.
#pragma once

#include "platform/core/CFile.h"

#include <vector>

class CMemFile : public CFile {
public:
    explicit CMemFile(UINT growBytes = 1024);
    // A file holding a copy of size bytes of data, positioned at the start.
    CMemFile(const BYTE* data, size_t size, UINT growBytes = 0);

    BOOL Open(const char* path, UINT openFlags, CFileException* error = nullptr) override;
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    ULONGLONG GetLength() const override { return m_data.size(); }
    void SetLength(ULONGLONG length) override;
    ULONGLONG GetPosition() const override { return m_position; }
    void Flush() override {}
    void Close() override;
    void Abort() override { Close(); }

    const BYTE* GetData() const { return m_data.data(); }
    // Hands the contents over and leaves the file empty.
    std::vector<BYTE> Detach();
    void Attach(const BYTE* data, size_t size);

private:
    void Reserve(size_t size);

    std::vector<BYTE> m_data;
    size_t m_position = 0;
    UINT m_growBytes;
};
