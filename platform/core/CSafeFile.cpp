#include "platform/core/CSafeFile.h"

#include "platform/core/CArchive.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
CString folderOf(const CString& path)
{
    const int slash = path.ReverseFind('/');
    if (slash < 0)
        return ".";
    return slash == 0 ? CString("/") : path.Left(slash);
}

void syncFolder(const CString& folder)
{
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
}  // namespace

CSafeFile::~CSafeFile()
{
    CSafeFile::Abort();
}

BOOL CSafeFile::Open(const char* path, UINT, CFileException* error)
{
    Abort();
    m_writeError = 0;
    m_target = NormalizePath(path);
    const int slash = m_target.ReverseFind('/');
    CString pattern = m_target.Left(slash + 1) + "." + m_target.Mid(slash + 1) + ".XXXXXX";
    const int fd = ::mkstemp(pattern.GetBuffer(pattern.GetLength()));
    pattern.ReleaseBuffer();
    if (fd < 0) {
        if (error)
            *error = CFileException(CFileException::OsErrorToCause(errno), errno, m_target);
        m_target.Empty();
        return FALSE;
    }
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    // Keep the old file's permissions, else the usual ones for a new file.
    struct stat st {};
    mode_t mode = 0;
    if (::stat(m_target, &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    m_hFile = fd;
    SetFilePath(pattern);
    return TRUE;
}

void CSafeFile::Write(const void* buffer, UINT count)
{
    try {
        CFile::Write(buffer, count);
    } catch (const CFileException& e) {
        m_writeError = e.m_lOsError > 0 ? static_cast<int>(e.m_lOsError) : EIO;
        throw;
    }
}

void CSafeFile::Commit()
{
    if (!IsOpen())
        CFileException::ThrowOsError(EBADF, m_target);
    if (m_writeError != 0) {
        const int err = m_writeError;
        Abort();
        CFileException::ThrowOsError(err, m_target);
    }
    try {
        Flush();
        CFile::Close();
    } catch (...) {
        Abort();
        throw;
    }
    const CString temp = GetFilePath();
    if (::rename(temp, m_target) != 0) {
        const int err = errno;
        ::unlink(temp);
        CFileException::ThrowOsError(err, m_target);
    }
    syncFolder(folderOf(m_target));
    SetFilePath("");
}

void CSafeFile::Abort()
{
    const CString temp = GetFilePath();
    CFile::Abort();
    if (!temp.IsEmpty())
        ::unlink(temp);
    SetFilePath("");
}

bool SaveFileSafely(const char* path, const std::function<void(CArchive&)>& write, int* osError)
{
    if (osError)
        *osError = 0;
    CSafeFile file;
    CFileException openError;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite, &openError)) {
        if (osError)
            *osError = openError.m_lOsError;
        return false;
    }
    try {
        CArchive archive(&file, CArchive::store | CArchive::bNoFlushOnDelete);
        write(archive);
        archive.Close();
        file.Commit();
        return true;
    } catch (const CFileException& e) {
        if (osError)
            *osError = e.m_lOsError;
    } catch (const CArchiveException&) {
    }
    file.Abort();
    return false;
}
