// Reading and writing the versioned binary user files (portfolios.dat, gui.dat, ...).
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <functional>
#include <vector>

class CArchive;

// Version the program writes.
inline constexpr DWORD kUserFileVersion = 19;

enum class EUserFileState {
    kMissing,  // no file: defaults
    kLoaded,
    kFailed,   // unreadable: the file is kept and never written over
};

// Opens path, reads its version DWORD, refuses 20 and above, then calls read with the
// archive and the version. A missing file is kMissing; any failure is kFailed with the
// message for the user in *error.
EUserFileState ReadUserFile(const CString& path, const std::function<void(CArchive&, DWORD)>& read,
                            CString* error);

// Writes the version and then write's records through a temporary file that replaces
// path only when everything was written. On failure *error holds the message.
bool WriteUserFile(const CString& path, const std::function<void(CArchive&)>& write, CString* error,
                   DWORD version = kUserFileVersion);

// Records of a file whose owner keeps them as they were read: the version and the
// bytes after it, written back unchanged under their own version.
struct CKeptRecords {
    DWORD version = kUserFileVersion;
    std::vector<BYTE> body;

    void ReadRest(CArchive& ar, DWORD fileVersion);
    void WriteBody(CArchive& ar, const std::vector<BYTE>& emptyBody) const;
};

// The file name part of a path (after the last slash).
CString FileNameOf(const CString& path);
