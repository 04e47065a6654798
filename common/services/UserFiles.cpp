#include "common/services/UserFiles.h"

#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CFile.h"
#include "platform/core/CFileException.h"
#include "platform/core/CSafeFile.h"
#include "platform/core/FileVersion.h"

#include <cctype>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

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
        return EUserFileState::kDamaged;
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

CString SetAsideDamagedFile(const CString& path)
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof(stamp), "%Y%m%d-%H%M%S", &local);
    const CString base = path + ".damaged-" + stamp;
    for (int n = 1; n <= 99; ++n) {
        CString target = base;
        if (n > 1)
            target.AppendFormat("-%d", n);
        struct stat info {};
        if (::stat(target, &info) == 0)
            continue;
        // link + unlink: never over a file that appeared meanwhile.
        if (::link(path, target) != 0)
            return std::rename(path, target) == 0 ? FileNameOf(target) : CString();
        ::unlink(path);
        return FileNameOf(target);
    }
    return CString();
}

CString DamagedFileMessage(const CString& fileName, const CString& keptAs, const char* instead)
{
    CString message;
    message.Format("Error reading file %s: the file is damaged. It is kept as %s; the program starts with %s "
                   "and saves a new %s.",
                   fileName.GetString(), keptAs.GetString(), instead, fileName.GetString());
    return message;
}

int RemoveLeftoverTempFiles(const CString& folder)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    int removed = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder.GetString(), ec)) {
        const std::string name = entry.path().filename().string();
        // CSafeFile's temporary names: "." + target name + "." + six random characters.
        if (name.size() < 9 || name[0] != '.' || name[name.size() - 7] != '.')
            continue;
        const std::string target = name.substr(1, name.size() - 8);
        const std::string suffix = name.substr(name.size() - 6);
        const fs::path ext = fs::path(target).extension();
        bool random = true;
        for (char c : suffix)
            random = random && std::isalnum(static_cast<unsigned char>(c));
        if (!random || (ext != ".dat" && ext != ".xml" && ext != ".ini" && ext != ".swp") ||
            !entry.is_regular_file(ec))
            continue;
        if (fs::remove(entry.path(), ec))
            ++removed;
    }
    return removed;
}
