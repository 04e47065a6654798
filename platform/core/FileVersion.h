// Version rules and message texts of the user data files.
#pragma once

#include "platform/core/CString.h"

// Readers refuse files of this version and above.
inline constexpr DWORD kFirstUnsupportedFileVersion = 20;

inline bool IsSupportedFileVersion(DWORD version)
{
    return version < kFirstUnsupportedFileVersion;
}

// "Error reading file <name>: incompatible version (v<version>)." with the upgrade hint.
CString IncompatibleVersionMessage(const char* fileName, DWORD version);
// "Error writing file "<name>" (<code>)".
CString WriteErrorMessage(const char* fileName, int code);
