#include "app/services/UserFiles.h"

#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CFile.h"
#include "platform/core/CFileException.h"
#include "platform/core/CSafeFile.h"
#include "platform/core/FileVersion.h"

#include <sys/stat.h>

CString FileNameOf(const CString& path)
{
    const int slash = path.ReverseFind('/');
    return slash < 0 ? path : path.Mid(slash + 1);
}

EUserFileState ReadUserFile(const CString& path, const std::function<void(CArchive&, DWORD)>& read,
                            CString* error)
{
    struct stat info {};
    if (::stat(path, &info) != 0)
        return EUserFileState::kMissing;
    CFile file;
    CFileException fileError;
    if (!file.Open(path, CFile::modeRead, &fileError)) {
        if (error)
            error->Format("Error reading file %s: it cannot be opened.", FileNameOf(path).GetString());
        return EUserFileState::kFailed;
    }
    try {
        CArchive ar(&file, CArchive::load);
        DWORD version = 0;
        ar >> version;
        if (!IsSupportedFileVersion(version)) {
            if (error)
                *error = IncompatibleVersionMessage(FileNameOf(path), version);
            return EUserFileState::kFailed;
        }
        read(ar, version);
    } catch (CException&) {
        if (error)
            error->Format("Error reading file %s: the file is damaged. It is kept unchanged; the program uses "
                          "default settings instead.",
                          FileNameOf(path).GetString());
        return EUserFileState::kFailed;
    }
    return EUserFileState::kLoaded;
}

bool WriteUserFile(const CString& path, const std::function<void(CArchive&)>& write, CString* error,
                   DWORD version)
{
    int osError = 0;
    const bool ok = SaveFileSafely(
        path,
        [&](CArchive& ar) {
            ar << version;
            write(ar);
        },
        &osError);
    if (!ok && error)
        *error = WriteErrorMessage(FileNameOf(path), osError);
    return ok;
}

void CKeptRecords::ReadRest(CArchive& ar, DWORD fileVersion)
{
    version = fileVersion;
    const ULONGLONG rest = ar.GetRemaining();
    if (rest > 256u * 1024u * 1024u)
        throw CArchiveException(CArchiveException::badIndex);
    body.resize(static_cast<size_t>(rest));
    if (!body.empty())
        ar.ReadExact(body.data(), static_cast<UINT>(body.size()));
}

void CKeptRecords::WriteBody(CArchive& ar, const std::vector<BYTE>& emptyBody) const
{
    const std::vector<BYTE>& out = body.empty() ? emptyBody : body;
    if (!out.empty())
        ar.Write(out.data(), static_cast<UINT>(out.size()));
}
