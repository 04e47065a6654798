#include "TempFolder.h"

#include "platform/core/CArchive.h"
#include "platform/core/CFile.h"
#include "platform/core/CSafeFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {
std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeAll(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

size_t entryCount(const TempFolder& dir)
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++n;
    return n;
}

// Lowers the file-size limit so that writes past it fail with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
};
}  // namespace

TEST(CFile, OpenModesTruncateAndKeep)
{
    TempFolder dir;
    const std::string path = dir.file("data.bin");

    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_strFileName, CString(path));

    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
    file.Write("hello world", 11);
    EXPECT_EQ(file.GetLength(), 11u);
    EXPECT_EQ(file.GetPosition(), 11u);
    file.Close();

    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite));
    EXPECT_EQ(file.GetLength(), 11u);
    EXPECT_EQ(file.SeekToEnd(), 11u);
    file.Write("!", 1);
    file.SeekToBegin();
    char buf[32] = {};
    EXPECT_EQ(file.Read(buf, sizeof buf), 12u);
    EXPECT_STREQ(buf, "hello world!");
    EXPECT_EQ(file.Seek(-6, CFile::end), 6u);
    EXPECT_EQ(file.Read(buf, 5), 5u);
    EXPECT_EQ(std::string(buf, 5), "world");
    EXPECT_THROW(file.Seek(-100, CFile::current), CFileException);
    file.SetLength(5);
    EXPECT_EQ(file.GetLength(), 5u);
    file.Flush();
    file.Close();

    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    EXPECT_EQ(file.GetLength(), 0u);
    EXPECT_EQ(file.GetFileName(), "data.bin");
    EXPECT_EQ(file.GetFileTitle(), "data");

    EXPECT_FALSE(file.Open(dir.path().c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::accessDenied);
    EXPECT_THROW(CFile(dir.file("missing").c_str(), CFile::modeRead), CFileException);
}

TEST(CFile, BackSlashesAreFolderSeparatorsRenameAndRemove)
{
    TempFolder dir;
    std::filesystem::create_directory(dir.path() / "Layouts");
    CString windowsStyle = CString(dir.path().string()) + "\\Layouts\\a.chl";
    {
        CFile file(windowsStyle, CFile::modeCreate | CFile::modeWrite);
        file.Write("x", 1);
    }
    EXPECT_EQ(readAll(dir.file("Layouts/a.chl")), "x");

    writeAll(dir.file("b"), "b");
    EXPECT_THROW(CFile::Rename(dir.file("b").c_str(), dir.file("Layouts/a.chl").c_str()), CFileException);
    EXPECT_EQ(readAll(dir.file("Layouts/a.chl")), "x");
    CFile::Rename(dir.file("b").c_str(), dir.file("c").c_str());
    EXPECT_EQ(readAll(dir.file("c")), "b");
    CFile::Remove(dir.file("c").c_str());
    try {
        CFile::Remove(dir.file("c").c_str());
        FAIL() << "removing a missing file must throw";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    }
}

TEST(CSafeFile, CommitReplacesAndKeepsPermissions)
{
    TempFolder dir;
    const std::string path = dir.file("gui.dat");
    writeAll(path, "old contents");
    chmod(path.c_str(), 0640);

    CSafeFile file;
    ASSERT_TRUE(file.Open(path.c_str()));
    file.Write("new", 3);
    EXPECT_EQ(readAll(path), "old contents");  // nothing visible before the commit
    EXPECT_EQ(entryCount(dir), 2u);
    file.Commit();
    EXPECT_EQ(readAll(path), "new");
    EXPECT_EQ(entryCount(dir), 1u);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    CSafeFile noFolder;
    CFileException error;
    EXPECT_FALSE(noFolder.Open(dir.file("none/x.dat").c_str(), CFile::modeCreate, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
}

TEST(CSafeFile, FailedWritesLeaveTheOldFileAndNoTemporary)
{
    TempFolder dir;
    const std::string path = dir.file("portfolios.dat");
    writeAll(path, "previous");

    // The writer gives up half-way.
    EXPECT_FALSE(SaveFileSafely(path.c_str(), [](CArchive& ar) {
        ar << CString("partial");
        throw CArchiveException(CArchiveException::genericException);
    }));
    EXPECT_EQ(readAll(path), "previous");
    EXPECT_EQ(entryCount(dir), 1u);

    // The disk refuses the data (file-size limit, as a full disk would).
    int osError = 0;
    {
        FileSizeLimit limit(4096);
        EXPECT_FALSE(SaveFileSafely(
            path.c_str(),
            [](CArchive& ar) {
                const std::string big(100000, 'z');
                ar << CString(big);
            },
            &osError));
    }
    EXPECT_EQ(osError, EFBIG);
    EXPECT_EQ(readAll(path), "previous");
    EXPECT_EQ(entryCount(dir), 1u);

    // A failure swallowed by an archive's destructor still stops the commit.
    {
        CSafeFile file;
        ASSERT_TRUE(file.Open(path.c_str()));
        {
            FileSizeLimit limit(16);
            CArchive ar(&file, CArchive::store);
            ar << CString("more than sixteen bytes of data");
        }
        try {
            file.Commit();
            FAIL() << "a commit after a failed write must throw";
        } catch (const CFileException& e) {
            EXPECT_EQ(e.m_cause, CFileException::diskFull);
        }
    }
    EXPECT_EQ(readAll(path), "previous");
    EXPECT_EQ(entryCount(dir), 1u);

    // A destroyed, uncommitted writer drops its temporary file.
    {
        CSafeFile file;
        ASSERT_TRUE(file.Open(path.c_str()));
        file.Write("abc", 3);
    }
    EXPECT_EQ(readAll(path), "previous");
    EXPECT_EQ(entryCount(dir), 1u);

    EXPECT_TRUE(SaveFileSafely(path.c_str(), [](CArchive& ar) { ar << static_cast<DWORD>(7); }));
    EXPECT_EQ(readAll(path), std::string("\x07\0\0\0", 4));
}
