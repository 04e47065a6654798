#include "platform/core/CFileException.h"

#include <cerrno>
#include <cstring>

namespace {
const char* causeText(int cause)
{
    switch (cause) {
    case CFileException::none: return "no error";
    case CFileException::fileNotFound: return "file not found";
    case CFileException::badPath: return "bad path";
    case CFileException::tooManyOpenFiles: return "too many open files";
    case CFileException::accessDenied: return "access denied";
    case CFileException::invalidFile: return "invalid file";
    case CFileException::removeCurrentDir: return "cannot remove the current folder";
    case CFileException::directoryFull: return "folder full";
    case CFileException::badSeek: return "bad seek";
    case CFileException::hardIO: return "hardware I/O error";
    case CFileException::sharingViolation: return "sharing violation";
    case CFileException::lockViolation: return "lock violation";
    case CFileException::diskFull: return "disk full";
    case CFileException::endOfFile: return "end of file";
    default: return "file error";
    }
}
}  // namespace

CFileException::CFileException(int cause, LONG osError, const char* fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName)
{
    CString message;
    message.Format("%s: %s", m_strFileName.IsEmpty() ? "(unnamed file)" : m_strFileName.GetString(),
                   causeText(cause));
    if (osError > 0)
        message.AppendFormat(" (%s)", std::strerror(osError));
    SetMessage(message);
}

int CFileException::OsErrorToCause(int osError)
{
    switch (osError) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return badPath;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST: return accessDenied;
    case EBADF:
    case EINVAL: return invalidFile;
    case EBUSY: return sharingViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return diskFull;
    case EIO: return hardIO;
    case ESPIPE: return badSeek;
    default: return genericException;
    }
}

void CFileException::ThrowOsError(int osError, const char* fileName)
{
    throw CFileException(OsErrorToCause(osError), osError, fileName);
}
