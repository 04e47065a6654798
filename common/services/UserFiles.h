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
    kFailed,   // unreadable or too new: the file is kept and never written over
    kDamaged,  // opened but its records are broken
};

// Opens path, reads its version DWORD, refuses 20 and above, then calls read with the
// archive and the version. A missing file is kMissing; broken records are kDamaged, any
// other failure kFailed, both with the message for the user in *error.
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

// Renames a damaged user file out of the way, to "NAME.damaged-YYYYMMDD-HHMMSS" (local
// time; "-2", "-3"... added when taken), so that the program can write a fresh one.
// Returns the new file name, or an empty text when the file could not be renamed.
CString SetAsideDamagedFile(const CString& path);
// The message for a damaged file set aside: which file, the name it is kept under, what
// the program starts with instead ("default settings", "no alerts"...).
CString DamagedFileMessage(const CString& fileName, const CString& keptAs, const char* instead);

// Removes the temporary files that an interrupted save left in folder (".NAME.XXXXXX"
// beside the file it was to replace); returns how many went.
int RemoveLeftoverTempFiles(const CString& folder);
