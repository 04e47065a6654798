// A failed file operation: the cause, the system error number and the file.
#pragma once

#include "platform/core/CException.h"

class CFileException : public CException {
public:
    enum {
        none = 0,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    explicit CFileException(int cause = none, LONG osError = -1, const char* fileName = nullptr);

    // Cause for a system error number (errno).
    static int OsErrorToCause(int osError);
    // Throws the exception for errno value osError.
    [[noreturn]] static void ThrowOsError(int osError, const char* fileName = nullptr);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};
