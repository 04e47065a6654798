#include "common/services/TextFiles.h"

#include "platform/core/CException.h"
#include "platform/core/CFile.h"
#include "platform/core/CSafeFile.h"

bool ReadBoundedTextFile(const char* path, size_t maxBytes, std::string& text, CString& error,
                         const char* openMessage)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead)) {
        error = CString(openMessage) + path;
        return false;
    }
    try {
        const ULONGLONG length = file.GetLength();
        if (length > maxBytes) {
            error = CString("Error reading file ") + path;
            return false;
        }
        text.resize(static_cast<size_t>(length));
        const UINT got = length ? file.Read(text.data(), static_cast<UINT>(length)) : 0;
        if (got != length) {
            error = CString("Error reading file ") + path;
            return false;
        }
    } catch (CException&) {
        error = CString("Error reading file ") + path;
        return false;
    }
    return true;
}

bool WriteTextFileSafely(const char* path, const CString& text, CString& error, const char* writeMessage)
{
    CSafeFile file;
    if (!file.Open(path)) {
        error = CString("Error opening file ") + path + " for writing";
        return false;
    }
    try {
        file.Write(text.GetString(), static_cast<UINT>(text.GetLength()));
        file.Commit();
    } catch (CException&) {
        error = writeMessage ? CString(writeMessage) + path : CString("Error opening file ") + path + " for writing";
        return false;
    }
    return true;
}
