// A failed archive operation, for example a read past the end of the data.
#pragma once

#include "platform/core/CException.h"

class CArchiveException : public CException {
public:
    enum {
        none = 0,
        genericException,
        readOnly,
        endOfFile,
        writeOnly,
        badIndex,
        badClass,
        badSchema,
    };

    explicit CArchiveException(int cause = none, const char* fileName = nullptr);

    int m_cause;
    CString m_strFileName;
};
