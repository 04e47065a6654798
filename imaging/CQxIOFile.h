// Image stream over a C runtime FILE*.
#pragma once

#include "imaging/CQxFile.h"

#include <cstdio>

class CQxIOFile : public CQxFile {
public:
    // A file handed in is never closed by this stream.
    explicit CQxIOFile(FILE* fp = nullptr);
    // Copies share the handle and the close flag: at most one of them may close it.
    CQxIOFile(const CQxIOFile&) = default;
    CQxIOFile& operator=(const CQxIOFile&) = default;
    ~CQxIOFile() override;

    bool Open(const char* filename, const char* mode);
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
    FILE* m_fp;
    bool m_bCloseFile;
};
