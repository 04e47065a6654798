#include "platform/core/FileVersion.h"

CString IncompatibleVersionMessage(const char* fileName, DWORD version)
{
    CString message;
    message.Format("Error reading file %s: incompatible version (v%d).\nPlease upgrade to the latest version of Quorvantelix.",
                   fileName ? fileName : "", static_cast<int>(version));
    return message;
}

CString WriteErrorMessage(const char* fileName, int code)
{
    CString message;
    message.Format("Error writing file \"%s\" (%d)", fileName ? fileName : "", code);
    return message;
}
