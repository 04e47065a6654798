#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "platform/core/FileVersion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace {
std::vector<BYTE> store(const std::function<void(CArchive&)>& write)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        write(ar);
        ar.Close();
    }
    return file.Detach();
}

CMemFile loadFile(const std::vector<BYTE>& bytes)
{
    return CMemFile(bytes.data(), bytes.size());
}

int archiveCause(const std::function<void()>& action)
{
    try {
        action();
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return CArchiveException::none;
}
}  // namespace

TEST(CArchive, NumbersAreLittleEndianAndRoundTrip)
{
    const auto bytes = store([](CArchive& ar) {
        ar << static_cast<BYTE>(0xAB) << static_cast<WORD>(0x1234) << static_cast<DWORD>(0x89ABCDEF)
           << static_cast<LONG>(-2) << static_cast<short>(-3) << 1.5f << -2.25 << true
           << static_cast<int64_t>(-5);
    });
    ASSERT_EQ(bytes.size(), 1u + 2 + 4 + 4 + 2 + 4 + 8 + 1 + 8);
    EXPECT_EQ(bytes[1], 0x34);
    EXPECT_EQ(bytes[2], 0x12);
    EXPECT_EQ(bytes[3], 0xEF);
    EXPECT_EQ(bytes[6], 0x89);
    EXPECT_EQ(bytes[7], 0xFE);
    EXPECT_EQ(bytes[10], 0xFF);

    CMemFile file = loadFile(bytes);
    CArchive ar(&file, CArchive::load);
    BYTE b = 0;
    WORD w = 0;
    DWORD d = 0;
    LONG l = 0;
    short s = 0;
    float f = 0;
    double x = 0;
    bool flag = false;
    int64_t big = 0;
    ar >> b >> w >> d >> l >> s >> f >> x >> flag >> big;
    EXPECT_EQ(b, 0xAB);
    EXPECT_EQ(w, 0x1234);
    EXPECT_EQ(d, 0x89ABCDEFu);
    EXPECT_EQ(l, -2);
    EXPECT_EQ(s, -3);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(x, -2.25);
    EXPECT_TRUE(flag);
    EXPECT_EQ(big, -5);
    EXPECT_EQ(ar.GetRemaining(), 0u);
}

TEST(CArchive, NonFiniteDoublesKeepTheirBits)
{
    const double values[] = {std::numeric_limits<double>::infinity(), -0.0,
                             std::numeric_limits<double>::denorm_min()};
    const auto bytes = store([&](CArchive& ar) {
        for (double v : values)
            ar << v;
        ar << std::numeric_limits<double>::quiet_NaN();
    });
    CMemFile file = loadFile(bytes);
    CArchive ar(&file, CArchive::load);
    for (double v : values) {
        double got = 1;
        ar >> got;
        EXPECT_EQ(std::signbit(got), std::signbit(v));
        EXPECT_EQ(got, v);
    }
    double nan = 0;
    ar >> nan;
    EXPECT_TRUE(std::isnan(nan));
}

TEST(CArchive, StringLengthPrefixAtEveryBoundary)
{
    struct Case {
        int length;
        size_t prefix;
    };
    const Case cases[] = {{0, 1}, {1, 1}, {254, 1}, {255, 3}, {65533, 3}, {65534, 7}, {65535, 7}, {65536, 7},
                          {200000, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        CString text;
        for (int i = 0; i < c.length; ++i)
            text += static_cast<char>('a' + i % 26);
        const auto bytes = store([&](CArchive& ar) { ar << text << static_cast<BYTE>(0x5A); });
        ASSERT_EQ(bytes.size(), c.prefix + static_cast<size_t>(c.length) + 1);
        if (c.prefix == 1) {
            EXPECT_EQ(bytes[0], c.length);
        } else {
            EXPECT_EQ(bytes[0], 0xFF);
            const WORD w = static_cast<WORD>(bytes[1] | (bytes[2] << 8));
            if (c.prefix == 3) {
                EXPECT_EQ(w, c.length);
            } else {
                EXPECT_EQ(w, 0xFFFF);
                const DWORD d = bytes[3] | (bytes[4] << 8) | (bytes[5] << 16) | (static_cast<DWORD>(bytes[6]) << 24);
                EXPECT_EQ(d, static_cast<DWORD>(c.length));
            }
        }
        CMemFile file = loadFile(bytes);
        CArchive ar(&file, CArchive::load, 512);
        CString back("old");
        BYTE tail = 0;
        ar >> back >> tail;
        EXPECT_EQ(back, text);
        EXPECT_EQ(tail, 0x5A);
    }
}

TEST(CArchive, ShortReadsThrowEndOfFile)
{
    const std::vector<BYTE> three = {1, 2, 3};
    auto readAs = [&](auto value) {
        return archiveCause([&] {
            CMemFile file = loadFile(three);
            CArchive ar(&file, CArchive::load);
            ar >> value;
        });
    };
    EXPECT_EQ(readAs(DWORD{}), CArchiveException::endOfFile);
    EXPECT_EQ(readAs(double{}), CArchiveException::endOfFile);
    EXPECT_EQ(readAs(float{}), CArchiveException::endOfFile);
    EXPECT_EQ(readAs(int64_t{}), CArchiveException::endOfFile);
    EXPECT_EQ(readAs(WORD{}), CArchiveException::none);

    // Empty file: even a byte fails.
    EXPECT_EQ(archiveCause([] {
                  CMemFile file;
                  CArchive ar(&file, CArchive::load);
                  BYTE b;
                  ar >> b;
              }),
              CArchiveException::endOfFile);

    // Raw Read reports the short count instead of throwing.
    CMemFile file = loadFile(three);
    CArchive ar(&file, CArchive::load);
    BYTE buf[8];
    EXPECT_EQ(ar.Read(buf, 8), 3u);
    EXPECT_EQ(ar.Read(buf, 8), 0u);
}

TEST(CArchive, StringLengthsBeyondTheDataAreRefusedBeforeAllocating)
{
    auto readString = [](std::vector<BYTE> bytes) {
        return archiveCause([&] {
            CMemFile file = loadFile(bytes);
            CArchive ar(&file, CArchive::load);
            CString s;
            ar >> s;
        });
    };
    EXPECT_EQ(readString({5, 'a', 'b'}), CArchiveException::endOfFile);
    EXPECT_EQ(readString({0xFF, 0x00, 0x10, 'x'}), CArchiveException::endOfFile);
    EXPECT_EQ(readString({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}), CArchiveException::endOfFile);
    EXPECT_EQ(readString({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), CArchiveException::badSchema);
    EXPECT_EQ(readString({0xFF, 0xFE, 0xFF, 0x01, 'a'}), CArchiveException::badSchema);
    EXPECT_EQ(readString({0xFF, 0x01}), CArchiveException::endOfFile);
    EXPECT_EQ(readString({2, 'o', 'k'}), CArchiveException::none);
}

TEST(CArchive, BoundedCountsAndWrongDirection)
{
    const auto bytes = store([](CArchive& ar) {
        ar << static_cast<DWORD>(3) << 1.0 << 2.0 << 3.0;
        ar << static_cast<DWORD>(3) << 1.0;
    });
    CMemFile file = loadFile(bytes);
    CArchive ar(&file, CArchive::load);
    EXPECT_EQ(ar.ReadBoundedCount(8), 3u);
    double v = 0;
    ar >> v >> v >> v;
    EXPECT_EQ(v, 3.0);
    EXPECT_EQ(archiveCause([&] { ar.ReadBoundedCount(8); }), CArchiveException::badIndex);
    EXPECT_EQ(archiveCause([&] { ar << static_cast<BYTE>(1); }), CArchiveException::readOnly);

    CMemFile out;
    CArchive writer(&out, CArchive::store);
    EXPECT_EQ(archiveCause([&] {
                  DWORD d;
                  writer >> d;
              }),
              CArchiveException::writeOnly);
}

TEST(CArchive, LoadingStartsAtTheFilePositionAndBigBlocksBypassTheBuffer)
{
    std::vector<BYTE> payload(10000);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<BYTE>(i * 7);
    CMemFile file;
    file.Write("HDR", 3);
    {
        CArchive ar(&file, CArchive::store, 256);
        ar << CString("name");
        ar.Write(payload.data(), static_cast<UINT>(payload.size()));
        ar << static_cast<DWORD>(42);
    }  // the destructor writes the buffer out
    file.Seek(3, CFile::begin);
    CArchive ar(&file, CArchive::load, 256);
    CString name;
    ar >> name;
    std::vector<BYTE> back(payload.size());
    ar.ReadExact(back.data(), static_cast<UINT>(back.size()));
    DWORD tail = 0;
    ar >> tail;
    EXPECT_EQ(name, "name");
    EXPECT_EQ(back, payload);
    EXPECT_EQ(tail, 42u);
}

TEST(FileVersion, RefusesTwentyAndAboveWithTheMessage)
{
    EXPECT_TRUE(IsSupportedFileVersion(19));
    EXPECT_FALSE(IsSupportedFileVersion(20));
    EXPECT_FALSE(IsSupportedFileVersion(0xFFFFFFFFu));
    EXPECT_EQ(IncompatibleVersionMessage("gui.dat", 21),
              "Error reading file gui.dat: incompatible version (v21).\n"
              "Please upgrade to the latest version of Quorvantelix.");
    EXPECT_EQ(WriteErrorMessage("/x/gui.dat", 28), "Error writing file \"/x/gui.dat\" (28)");
}

TEST(CMemFile, SeekPastTheEndWritesZerosAndDetachEmpties)
{
    CMemFile file(16);
    file.Write("ab", 2);
    EXPECT_EQ(file.Seek(5, CFile::begin), 5u);
    BYTE byte = 0;
    EXPECT_EQ(file.Read(&byte, 1), 0u);
    file.Write("z", 1);
    EXPECT_EQ(file.GetLength(), 6u);
    const std::vector<BYTE> expected = {'a', 'b', 0, 0, 0, 'z'};
    EXPECT_EQ(std::vector<BYTE>(file.GetData(), file.GetData() + 6), expected);
    EXPECT_THROW(file.Seek(-7, CFile::end), CFileException);
    file.SetLength(1);
    EXPECT_EQ(file.GetPosition(), 1u);
    EXPECT_EQ(file.Detach(), std::vector<BYTE>{'a'});
    EXPECT_EQ(file.GetLength(), 0u);
    EXPECT_FALSE(file.Open("x", CFile::modeRead));
}

TEST(CException, MessageIsCopiedWithinTheBuffer)
{
    const CArchiveException e(CArchiveException::endOfFile, "gui.dat");
    char small[8];
    EXPECT_TRUE(e.GetErrorMessage(small, sizeof small));
    EXPECT_STREQ(small, "gui.dat");
    EXPECT_FALSE(e.GetErrorMessage(small, 0));
    EXPECT_EQ(CString(e.what()), e.GetErrorMessage());
    EXPECT_NE(e.GetErrorMessage().Find("end of file"), -1);
}
