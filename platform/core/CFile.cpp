#include "platform/core/CFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CFile::CFile(const char* path, UINT openFlags)
{
    CFileException error;
    if (!Open(path, openFlags, &error))
        throw error;
}

CFile::~CFile()
{
    if (IsOpen())
        Abort();
}

BOOL CFile::Open(const char* path, UINT openFlags, CFileException* error)
{
    if (IsOpen())
        Abort();
    const CString normal = NormalizePath(path);
    int flags = O_CLOEXEC;
    switch (openFlags & 0x3) {
    case modeWrite: flags |= O_WRONLY; break;
    case modeReadWrite: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
    }
    if (openFlags & modeCreate) {
        flags |= O_CREAT;
        if (!(openFlags & modeNoTruncate))
            flags |= O_TRUNC;
    }
    auto fail = [&](int err) {
        if (error)
            *error = CFileException(CFileException::OsErrorToCause(err), err, normal);
        return FALSE;
    };
    if (normal.IsEmpty())
        return fail(ENOENT);
    const int fd = ::open(normal, flags, 0666);
    if (fd < 0)
        return fail(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        return fail(err);
    }
    m_hFile = fd;
    SetFilePath(normal);
    return TRUE;
}

void CFile::ThrowErrno() const
{
    CFileException::ThrowOsError(errno, m_strFileName);
}

UINT CFile::Read(void* buffer, UINT count)
{
    if (!IsOpen())
        CFileException::ThrowOsError(EBADF, m_strFileName);
    auto* out = static_cast<char*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t n = ::read(m_hFile, out + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno();
        }
        if (n == 0)
            break;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CFile::Write(const void* buffer, UINT count)
{
    if (!IsOpen())
        CFileException::ThrowOsError(EBADF, m_strFileName);
    const auto* in = static_cast<const char*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_hFile, in + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno();
        }
        if (n == 0)
            CFileException::ThrowOsError(ENOSPC, m_strFileName);
        done += static_cast<UINT>(n);
    }
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from)
{
    const int whence = from == end ? SEEK_END : (from == current ? SEEK_CUR : SEEK_SET);
    const off_t pos = ::lseek(m_hFile, static_cast<off_t>(offset), whence);
    if (pos < 0)
        throw CFileException(CFileException::badSeek, errno, m_strFileName);
    return static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetLength() const
{
    struct stat st {};
    if (::fstat(m_hFile, &st) != 0)
        ThrowErrno();
    return static_cast<ULONGLONG>(st.st_size);
}

void CFile::SetLength(ULONGLONG length)
{
    if (::ftruncate(m_hFile, static_cast<off_t>(length)) != 0)
        ThrowErrno();
}

ULONGLONG CFile::GetPosition() const
{
    const off_t pos = ::lseek(m_hFile, 0, SEEK_CUR);
    if (pos < 0)
        ThrowErrno();
    return static_cast<ULONGLONG>(pos);
}

void CFile::Flush()
{
    if (IsOpen() && ::fsync(m_hFile) != 0 && errno != EINVAL && errno != EROFS)
        ThrowErrno();
}

void CFile::Close()
{
    if (!IsOpen())
        return;
    const int fd = m_hFile;
    m_hFile = hFileNull;
    if (::close(fd) != 0 && errno != EINTR)
        ThrowErrno();
}

void CFile::Abort()
{
    if (IsOpen()) {
        ::close(m_hFile);
        m_hFile = hFileNull;
    }
}

CString CFile::GetFileName() const
{
    const int slash = m_strFileName.ReverseFind('/');
    return m_strFileName.Mid(slash + 1);
}

CString CFile::GetFileTitle() const
{
    CString name = GetFileName();
    const int dot = name.ReverseFind('.');
    return dot > 0 ? name.Left(dot) : name;
}

void CFile::Remove(const char* path)
{
    const CString normal = NormalizePath(path);
    if (::unlink(normal) != 0)
        CFileException::ThrowOsError(errno, normal);
}

void CFile::Rename(const char* oldPath, const char* newPath)
{
    const CString from = NormalizePath(oldPath);
    const CString to = NormalizePath(newPath);
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return;
    if (errno != EINVAL && errno != ENOSYS)
        CFileException::ThrowOsError(errno, from);
    // File systems without the no-replace form: check, then rename.
    struct stat st {};
    if (::lstat(to, &st) == 0)
        CFileException::ThrowOsError(EEXIST, to);
    if (::rename(from, to) != 0)
        CFileException::ThrowOsError(errno, from);
}

CString CFile::NormalizePath(const char* path)
{
    CString out(path);
    out.Replace('\\', '/');
    return out;
}
