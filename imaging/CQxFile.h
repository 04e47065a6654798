// Abstract byte stream that every codec reads and writes through.
#pragma once

#include "imaging/QxTypes.h"

#include <cstddef>
#include <cstdint>

class CQxFile {
public:
    CQxFile() = default;
    CQxFile(const CQxFile&) = default;
    CQxFile& operator=(const CQxFile&) = default;
    virtual ~CQxFile() = default;

    virtual bool Close() = 0;
    // Number of whole elements read / written.
    virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
    // origin: 0 from the start (SEEK_SET), 1 from the position, 2 from the end.
    virtual bool Seek(int32_t offset, int origin) = 0;
    virtual int32_t Tell() = 0;
    virtual int32_t Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual int32_t Error() = 0;
    virtual bool PutC(unsigned char c);
    virtual int32_t GetC() = 0;
};
