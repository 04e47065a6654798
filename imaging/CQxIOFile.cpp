#include "imaging/CQxIOFile.h"

CQxIOFile::CQxIOFile(FILE* fp) : m_fp(fp), m_bCloseFile(fp == nullptr) {}

CQxIOFile::~CQxIOFile()
{
    Close();
}

bool CQxIOFile::Open(const char* filename, const char* mode)
{
    if (m_fp != nullptr || filename == nullptr || mode == nullptr)
        return false;
    m_fp = std::fopen(filename, mode);
    if (m_fp == nullptr)
        return false;
    m_bCloseFile = true;
    return true;
}

bool CQxIOFile::Close()
{
    if (m_fp == nullptr || !m_bCloseFile)
        return true;
    const int rc = std::fclose(m_fp);
    m_fp = nullptr;
    return rc == 0;
}

size_t CQxIOFile::Read(void* buffer, size_t size, size_t count)
{
    if (m_fp == nullptr || buffer == nullptr)
        return 0;
    return std::fread(buffer, size, count, m_fp);
}

size_t CQxIOFile::Write(const void* buffer, size_t size, size_t count)
{
    if (m_fp == nullptr || buffer == nullptr)
        return 0;
    return std::fwrite(buffer, size, count, m_fp);
}

bool CQxIOFile::Seek(int32_t offset, int origin)
{
    if (m_fp == nullptr)
        return false;
    return std::fseek(m_fp, offset, origin) == 0;
}

int32_t CQxIOFile::Tell()
{
    if (m_fp == nullptr)
        return 0;
    return static_cast<int32_t>(std::ftell(m_fp));
}

int32_t CQxIOFile::Size()
{
    if (m_fp == nullptr)
        return -1;
    const long pos = std::ftell(m_fp);
    std::fseek(m_fp, 0, SEEK_END);
    const long size = std::ftell(m_fp);
    std::fseek(m_fp, pos, SEEK_SET);
    return static_cast<int32_t>(size);
}

bool CQxIOFile::Flush()
{
    if (m_fp == nullptr)
        return false;
    return std::fflush(m_fp) == 0;
}

bool CQxIOFile::Eof()
{
    if (m_fp == nullptr)
        return true;
    return std::feof(m_fp) != 0;
}

int32_t CQxIOFile::Error()
{
    if (m_fp == nullptr)
        return -1;
    return std::ferror(m_fp);
}

bool CQxIOFile::PutC(unsigned char c)
{
    if (m_fp == nullptr)
        return false;
    return std::fputc(c, m_fp) == c;
}

int32_t CQxIOFile::GetC()
{
    if (m_fp == nullptr)
        return -1;
    return std::getc(m_fp);
}
