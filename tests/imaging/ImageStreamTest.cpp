#include "imaging/CQxIOFile.h"
#include "imaging/CQxMemFile.h"
#include "tests/imaging/ImageTestUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using qx_imaging_test::TempDir;

namespace {
// Exposes the capacity of a memory stream.
class ProbeMemFile : public CQxMemFile {
public:
    using CQxMemFile::CQxMemFile;
    int32_t Capacity() const { return m_Edge; }
    bool Owns() const { return m_bFreeOnClose; }
};
}  // namespace

TEST(ImageMemFile, GrowsInPagesAndTracksSizeAndPosition)
{
    ProbeMemFile f;
    ASSERT_TRUE(f.Open());
    EXPECT_FALSE(f.Open());  // already has a buffer
    EXPECT_EQ(f.Capacity(), 0);
    const BYTE one = 7;
    EXPECT_EQ(f.Write(&one, 1, 1), 1u);
    EXPECT_EQ(f.Capacity(), 4096);
    std::vector<BYTE> page(4096, 0x5A);
    EXPECT_EQ(f.Write(page.data(), 1, page.size()), page.size());
    EXPECT_EQ(f.Capacity(), 8192);
    EXPECT_EQ(f.Size(), 4097);
    EXPECT_EQ(f.Tell(), 4097);
    EXPECT_TRUE(f.Eof());
    EXPECT_EQ(f.GetC(), -1);
    EXPECT_TRUE(f.Seek(0, SEEK_SET));
    EXPECT_EQ(f.GetC(), 7);
    EXPECT_EQ(f.GetC(), 0x5A);
}

TEST(ImageMemFile, ReadReturnsWholeElementsAndMovesByAllBytes)
{
    BYTE data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    CQxMemFile f(data, sizeof(data));
    EXPECT_TRUE(f.Seek(3, SEEK_SET));
    DWORD out[4] = {};
    EXPECT_EQ(f.Read(out, 4, 4), 1u);  // 7 bytes left: one whole element
    EXPECT_EQ(f.Tell(), 10);           // the partial element was copied too
    EXPECT_EQ(f.Read(out, 1, 1), 0u);
    EXPECT_EQ(f.Read(nullptr, 1, 1), 0u);
}

TEST(ImageMemFile, SeekClampsBelowZeroAndRefusesUnknownOrigin)
{
    BYTE data[4] = {1, 2, 3, 4};
    CQxMemFile f(data, sizeof(data));
    EXPECT_TRUE(f.Seek(-10, SEEK_SET));
    EXPECT_EQ(f.Tell(), 0);
    EXPECT_FALSE(f.Seek(0, 3));
    EXPECT_TRUE(f.Seek(-1, SEEK_END));
    EXPECT_EQ(f.GetC(), 4);
    EXPECT_TRUE(f.Seek(6, SEEK_SET));  // past the end stands
    EXPECT_EQ(f.Error(), 1);
    EXPECT_TRUE(f.Eof());
}

TEST(ImageMemFile, WriteAfterSeekPastEndZeroFillsTheGap)
{
    CQxMemFile f;
    ASSERT_TRUE(f.Open());
    ASSERT_TRUE(f.Seek(5, SEEK_SET));
    ASSERT_TRUE(f.PutC(9));
    EXPECT_EQ(f.Size(), 6);
    f.Seek(0, SEEK_SET);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(f.GetC(), 0);
    EXPECT_EQ(f.GetC(), 9);
}

TEST(ImageMemFile, CallerBufferIsNeverFreedOrReallocated)
{
    // A stack buffer would crash on realloc or free: the stream must copy instead.
    BYTE data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    {
        ProbeMemFile f(data, sizeof(data));
        EXPECT_FALSE(f.Owns());
        f.Seek(0, SEEK_END);
        std::vector<BYTE> more(5000, 3);
        EXPECT_EQ(f.Write(more.data(), 1, more.size()), more.size());
        EXPECT_TRUE(f.Owns());  // the grown copy belongs to the stream
        EXPECT_EQ(f.Size(), 5008);
        f.Seek(0, SEEK_SET);
        EXPECT_EQ(f.GetC(), 1);
        EXPECT_TRUE(f.Close());
    }
    EXPECT_EQ(data[0], 1);
    EXPECT_EQ(data[7], 8);
}

TEST(ImageMemFile, DetachedBufferBelongsToTheCaller)
{
    BYTE* p = nullptr;
    {
        CQxMemFile f;
        ASSERT_TRUE(f.Open());
        f.Write("abc", 1, 3);
        p = f.GetBuffer(true);
    }
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::memcmp(p, "abc", 3), 0);
    CQxImage::FreeMemory(p);
}

TEST(ImageMemFile, WithoutBufferEveryCallFailsQuietly)
{
    CQxMemFile f;
    BYTE b = 0;
    EXPECT_EQ(f.Read(&b, 1, 1), 0u);
    EXPECT_EQ(f.Write(&b, 1, 1), 0u);
    EXPECT_FALSE(f.Seek(0, SEEK_SET));
    EXPECT_EQ(f.Tell(), -1);
    EXPECT_EQ(f.Size(), -1);
    EXPECT_FALSE(f.Flush());
    EXPECT_TRUE(f.Eof());
    EXPECT_EQ(f.Error(), -1);
    EXPECT_FALSE(f.PutC(1));
    EXPECT_EQ(f.GetC(), -1);
    EXPECT_TRUE(f.Close());
}

TEST(ImageIOFile, HandedInFileIsNotClosed)
{
    TempDir dir;
    const std::string path = dir.file("io.bin");
    FILE* fp = std::fopen(path.c_str(), "w+b");
    ASSERT_NE(fp, nullptr);
    {
        CQxIOFile f(fp);
        EXPECT_FALSE(f.Open(path.c_str(), "rb"));
        EXPECT_TRUE(f.PutC('x'));
        EXPECT_EQ(f.Write("yz", 1, 2), 2u);
        EXPECT_EQ(f.Size(), 3);
        EXPECT_EQ(f.Tell(), 3);  // Size keeps the position
        EXPECT_TRUE(f.Close());
    }
    // Still open: writing through the caller's handle works.
    EXPECT_EQ(std::fputc('!', fp), '!');
    EXPECT_EQ(std::fclose(fp), 0);
    EXPECT_EQ(qx_imaging_test::ReadFileBytes(path).size(), 4u);
}

TEST(ImageIOFile, OpenReadSeekAndDefaultsWithoutHandle)
{
    TempDir dir;
    const std::string path = dir.file("r.bin");
    ASSERT_TRUE(qx_imaging_test::WriteFileBytes(path, {10, 20, 30}));
    CQxIOFile f;
    EXPECT_EQ(f.Tell(), 0);
    EXPECT_EQ(f.Size(), -1);
    EXPECT_EQ(f.Error(), -1);
    EXPECT_TRUE(f.Eof());
    EXPECT_EQ(f.GetC(), -1);
    EXPECT_FALSE(f.Open((dir.file("missing/x")).c_str(), "rb"));
    ASSERT_TRUE(f.Open(path.c_str(), "rb"));
    EXPECT_TRUE(f.Seek(1, SEEK_SET));
    EXPECT_EQ(f.GetC(), 20);
    BYTE buf[4];
    EXPECT_EQ(f.Read(buf, 1, 4), 1u);
    EXPECT_TRUE(f.Close());
    EXPECT_EQ(f.GetC(), -1);  // detached
}
