// Image stream over a growable memory block (C runtime malloc/realloc/free).
#pragma once

#include "imaging/CQxFile.h"

class CQxMemFile : public CQxFile {
public:
    // A buffer handed in is not owned (never freed) unless a write has to grow it.
    explicit CQxMemFile(BYTE* buffer = nullptr, DWORD size = 0);
    // Copies share the buffer and the free flag: at most one of them may free it.
    CQxMemFile(const CQxMemFile&) = default;
    CQxMemFile& operator=(const CQxMemFile&) = default;
    ~CQxMemFile() override;

    bool Open();
    BYTE* GetBuffer(bool bDetachBuffer = true);

    bool Close() override;
    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(int32_t offset, int origin) override;
    int32_t Tell() override;
    int32_t Size() override;
    bool Flush() override;
    bool Eof() override;
    int32_t Error() override;
    bool PutC(unsigned char c) override;
    int32_t GetC() override;

protected:
    // Grows the capacity to hold at least dwNewLen bytes; false when that fails
    // (the old buffer and its contents stay).
    bool Alloc(DWORD dwNewLen);
    void Free();

    BYTE* m_pBuffer;
    int32_t m_Size;
    bool m_bFreeOnClose;
    int32_t m_Position;
    int32_t m_Edge;
};
