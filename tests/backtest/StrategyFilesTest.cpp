// Strategies and backtest jobs as stored: library files, the old strategies.dat records,
// the job's archive record in each of its layouts and its XML element.
#include "backtest/CStrategyDefinition.h"
#include "backtest/CStrategySetup.h"
#include "common/services/UserFiles.h"
#include "platform/core/XmlHelpers.h"
#include "tests/backtest/StrategySamples.h"
#include "tests/support/ArchiveBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

CStrategyDefinition Sample(const char* name = "Cross a/b")
{
    CStrategyDefinition s =
        LongStrategy(name, "MovingAverage[MA,Close,3,0,D]>MovingAverage[MA,Close,5,0,D] AND Last<100 & ]]> end",
                     "MovingAverage[MA,Close,3,0,D]<MovingAverage[MA,Close,5,0,D]");
    s.m_entryName = "Fast above slow";
    s.m_exitName = "Fast below slow";
    s.m_nOverrideInterval = 1;
    s.m_exitPriceType = "Open";
    return s;
}

std::filesystem::path TempPath(const char* name)
{
    return std::filesystem::temp_directory_path() / (std::string("qx_strategy_") + std::to_string(getpid()) + name);
}

// The old layouts of the job record, written by hand: OverrideInterval from version 4, the
// trailing stop from 10, the portfolio from 14.
std::vector<BYTE> OldSetupBytes(DWORD version)
{
    ByteWriter w;
    w.Dword(1);  // strategy count
    w.Dword(250).Text("Sell Short").Text("$ Amount").Text("In").Text("Close>1").Text("Buy to Cover").Text("Out")
        .Text("Close<1").Text("5");
    if (version >= 4)
        w.Dword(0);
    w.Text("Old").Text("High").Text("Low");
    w.Text("IBM MSFT").Dword(1000).Dword(2000).Double(4.95).Dword(1).Dword(15).Dword(2);
    if (version >= 10)
        w.Dword(1).Dword(1).Double(2.5);
    if (version >= 14)
        w.Dword(1).Double(50000);
    return w.Bytes();
}

}  // namespace

TEST(StrategyFiles, LibraryFileRoundTripsEveryFieldThroughCDataAndEscapes)
{
    CStrategyDefinition s = Sample();
    s.m_entryFlag = "$ Amount";
    s.m_entryAction = "Sell <Short> & co";  // a hand-edited word with markup characters
    s.m_nOverrideInterval = 5;              // written as 1
    const CString xml = s.ToXml();
    EXPECT_EQ(0, xml.Find("<Strategy>\r\n<Version>19</Version>\r\n<Name><![CDATA[Cross a/b]]></Name>\r\n"));
    EXPECT_GE(xml.Find("<OverrideInterval>1</OverrideInterval>\r\n"), 0);
    const auto path = TempPath("round.qxs");
    CString error;
    ASSERT_TRUE(WriteStrategyFile(path.c_str(), s, error)) << error.GetString();
    CStrategyDefinition back;
    ASSERT_TRUE(ReadStrategyFile(path.c_str(), back, error)) << error.GetString();
    CStrategyDefinition expected = s;
    expected.m_nOverrideInterval = 1;
    EXPECT_EQ(expected, back);
    EXPECT_EQ(CString("Sell <Short> & co"), back.m_entryAction);
    std::filesystem::remove(path);
}

TEST(StrategyFiles, EqualityDistinguishesCaseInEveryField)
{
    const CStrategyDefinition a = Sample();
    CStrategyDefinition b = a;
    EXPECT_EQ(a, b);
    b.m_exitPriceType = "open";
    EXPECT_FALSE(a == b);
    b = a;
    b.m_nOverrideInterval = 0;
    EXPECT_FALSE(a == b);
}

TEST(StrategyFiles, MissingElementsLeaveFieldsAndDamagedFilesFailCleanly)
{
    CStrategyDefinition s;
    s.m_nOverrideInterval = 1;
    s.m_entryPriceType = "High";
    CString error;
    ASSERT_TRUE(ParseStrategyText("<Strategy><Name>N</Name><EntryQuantity>12abc</EntryQuantity>"
                                  "<EntryFormula><Name>E</Name></EntryFormula></Strategy>",
                                  s, error));
    // A fresh record is filled: fields without an element keep the fresh values.
    EXPECT_EQ(CString("N"), s.m_name);
    EXPECT_EQ(12, s.m_nEntryQuantity);
    EXPECT_EQ(CString("E"), s.m_entryName);
    EXPECT_EQ(0, s.m_nOverrideInterval);
    EXPECT_TRUE(s.m_entryPriceType.IsEmpty());

    CStrategyDefinition kept = Sample();
    EXPECT_FALSE(ParseStrategyText("<Strategy><Name>cut", kept, error));
    EXPECT_EQ(0, error.Find("Error parsing strategy: "));
    EXPECT_FALSE(ParseStrategyText("<Formula><Name>x</Name></Formula>", kept, error));
    EXPECT_EQ(0, error.Find("Error parsing strategy: "));
    EXPECT_EQ(Sample(), kept);

    EXPECT_FALSE(ReadStrategyFile("/nonexistent/x.qxs", kept, error));
    EXPECT_EQ(CString("Error openning file /nonexistent/x.qxs"), error);
    EXPECT_FALSE(ReadStrategyFile("/nonexistent/x.qxs", kept, error, EStrategyFileReader::kTrading));
    EXPECT_EQ(CString("Error opening file /nonexistent/x.qxs"), error);
    const auto big = TempPath("big.qxs");
    {
        std::ofstream out(big);
        out << std::string(kMaxStrategyFileBytes + 1, ' ');
    }
    EXPECT_FALSE(ReadStrategyFile(big.c_str(), kept, error));
    EXPECT_EQ(0, error.Find("Error reading file "));
    std::filesystem::remove(big);
    EXPECT_FALSE(WriteStrategyFile("/nonexistent/dir/x.qxs", kept, error));
    EXPECT_EQ(CString("Error opening file /nonexistent/dir/x.qxs for writing"), error);
}

TEST(StrategyFiles, OldStoreRecordsBecomeLibraryTexts)
{
    std::vector<CStrategyDefinition> old = {Sample("One"), Sample("a/b:c")};
    for (auto& s : old) {
        s.m_nOverrideInterval = 0;  // not in the old record
        s.m_entryPriceType.Empty();
        s.m_exitPriceType.Empty();
    }
    const auto bytes = StoreToBytes([&](CArchive& ar) { WriteOldStrategies(ar, old); });
    std::vector<CStrategyDefinition> back;
    EXPECT_EQ(0u, LoadFromBytes(bytes, [&](CArchive& ar) { back = ReadOldStrategies(ar); }));
    EXPECT_EQ(old, back);

    // The settings convert the store into library files named by the sanitiser.
    const auto folder = TempPath("home");
    std::filesystem::create_directories(folder);
    CAppSettings settings;
    settings.SetWorkingDirectory(folder.c_str());
    InstallStrategyReader(settings);
    CString error;
    ASSERT_TRUE(WriteUserFile(settings.GetFilePath("strategies.dat"), [&](CArchive& ar) { WriteOldStrategies(ar, old); },
                              &error));
    EXPECT_EQ(2, settings.ConvertStrategies());
    CStrategyDefinition converted;
    ASSERT_TRUE(ReadStrategyFile((folder / "Strategies" / "a-b-c.qxs").c_str(), converted, error)) << error.GetString();
    EXPECT_EQ(old[1], converted);
    EXPECT_TRUE(std::filesystem::exists(folder / "Strategies" / "One.qxs"));
    std::filesystem::remove_all(folder);
    // A count the file cannot hold is refused before anything is made.
    ByteWriter lying;
    lying.Dword(1000000).Text("x");
    EXPECT_THROW(LoadFromBytes(lying.Bytes(), [&](CArchive& ar) { ReadOldStrategies(ar); }), CArchiveException);
    // A record cut short throws as well.
    std::vector<BYTE> cut(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() / 2));
    EXPECT_THROW(LoadFromBytes(cut, [&](CArchive& ar) { ReadOldStrategies(ar); }), CArchiveException);
}

TEST(StrategySetup, ArchiveRoundTripsAndCopiesDeeply)
{
    CStrategySetup setup;
    setup.AddStrategy(Sample("A"));
    setup.AddStrategy(Sample("B"));
    setup.m_symbols = "IBM MSFT";
    setup.m_startTime = 1000;
    setup.m_endTime = 0xF0000000u;
    setup.m_comission = 9.99;
    setup.m_nIntraday = 1;
    setup.m_nMinuteBars = 15;
    setup.m_nUntilNow = 0;
    setup.m_nExitAtEnd = 1;
    setup.m_nTStop = 1;
    setup.m_nTStopType = 1;
    setup.m_tStopParam = 5;
    setup.m_nPortfolio = 1;
    setup.m_capital = 100000;
    const auto bytes = StoreToBytes([&](CArchive& ar) { setup.Store(ar); });
    CStrategySetup back;
    EXPECT_EQ(0u, LoadFromBytes(bytes, [&](CArchive& ar) {
                  int count = 0;
                  ar >> count;
                  back.Load(ar, count, CStrategySetup::kArchiveVersion);
              }));
    ASSERT_EQ(2, back.GetStrategyCount());
    EXPECT_EQ(setup.GetStrategy(1), back.GetStrategy(1));
    EXPECT_EQ(StoreToBytes([&](CArchive& ar) { back.Store(ar); }), bytes);

    CStrategySetup copy(setup);
    copy.GetStrategy(0).m_name = "Changed";
    EXPECT_EQ(CString("A"), setup.GetStrategy(0).m_name);
    EXPECT_EQ(std::vector<CString>({"IBM", "MSFT"}), CStrategySetup(setup).GetSymbolList());
}

TEST(StrategySetup, OldLayoutsLoadByVersion)
{
    const auto load = [](DWORD version, CStrategySetup& into) {
        EXPECT_EQ(0u, LoadFromBytes(OldSetupBytes(version), [&](CArchive& ar) {
                      int count = 0;
                      ar >> count;
                      into.Load(ar, count, version);
                  }));
    };
    CStrategySetup v3;
    load(3, v3);
    ASSERT_EQ(1, v3.GetStrategyCount());
    EXPECT_EQ(1, v3.GetStrategy(0).m_nOverrideInterval);
    EXPECT_EQ(CString("Old"), v3.GetStrategy(0).m_name);
    EXPECT_EQ(CString("$ Amount"), v3.GetStrategy(0).m_entryFlag);
    EXPECT_EQ(0, v3.m_nTStop);
    EXPECT_EQ(0, v3.m_nUntilNow);  // bit 0 clear
    EXPECT_EQ(1, v3.m_nExitAtEnd);  // bit 1 set
    EXPECT_EQ(15, v3.m_nMinuteBars);

    CStrategySetup v9;
    v9.m_nTStop = 1;
    v9.m_tStopParam = 7;
    load(9, v9);
    EXPECT_EQ(0, v9.GetStrategy(0).m_nOverrideInterval);
    EXPECT_EQ(1, v9.m_nTStop);
    EXPECT_EQ(7, v9.m_tStopParam);

    CStrategySetup v13;
    load(13, v13);
    EXPECT_EQ(2.5, v13.m_tStopParam);
    EXPECT_EQ(0, v13.m_nPortfolio);

    CStrategySetup v14;
    load(14, v14);
    EXPECT_EQ(1, v14.m_nPortfolio);
    EXPECT_EQ(50000, v14.m_capital);
}

TEST(StrategySetup, DamagedArchivesThrowAndLeaveTheJob)
{
    CStrategySetup job;
    job.AddStrategy(Sample("Kept"));
    const auto whole = OldSetupBytes(19);
    const std::vector<BYTE> bytes(whole.begin(), whole.begin() + static_cast<long>(whole.size() - 5));
    EXPECT_THROW(LoadFromBytes(bytes, [&](CArchive& ar) {
                     int count = 0;
                     ar >> count;
                     job.Load(ar, count, 19);
                 }),
                 CArchiveException);
    ASSERT_EQ(1, job.GetStrategyCount());
    EXPECT_EQ(CString("Kept"), job.GetStrategy(0).m_name);
    // A count past what the archive holds is refused without reading on.
    EXPECT_THROW(LoadFromBytes(OldSetupBytes(19), [&](CArchive& ar) { job.Load(ar, 100000000, 19); }),
                 CArchiveException);
    EXPECT_THROW(LoadFromBytes(OldSetupBytes(19), [&](CArchive& ar) { job.Load(ar, -2, 19); }), CArchiveException);
}

TEST(StrategySetup, XmlElementRoundTripsWithoutExitAtEnd)
{
    CStrategySetup setup;
    setup.AddStrategy(Sample("A"));
    setup.m_symbols = "IBM <MSFT>";
    setup.m_startTime = 123;
    setup.m_endTime = 0x90000000u;  // written as a negative decimal
    setup.m_comission = 1.5;
    setup.m_nExitAtEnd = 1;
    setup.m_nTStop = 1;
    setup.m_tStopParam = 2.25;
    setup.m_nPortfolio = 1;
    setup.m_capital = 2500.5;
    const CString xml = setup.ToXml();
    EXPECT_EQ(xml.GetLength() - 16, xml.Find("</StrategySetup>"));
    TiXmlDocument doc;
    ASSERT_TRUE(ParseXml(doc, xml.view()));
    CStrategySetup back;
    back.AddStrategy(Sample("Replaced"));
    back.FromXml(doc.RootElement());
    EXPECT_EQ(setup.m_symbols, back.m_symbols);
    EXPECT_EQ(setup.m_endTime, back.m_endTime);
    EXPECT_EQ(setup.m_tStopParam, back.m_tStopParam);
    EXPECT_EQ(setup.m_capital, back.m_capital);
    EXPECT_EQ(0, back.m_nExitAtEnd);
    ASSERT_EQ(1, back.GetStrategyCount());
    EXPECT_EQ(setup.GetStrategy(0), back.GetStrategy(0));

    // No Strategy children: the list empties; missing fields stay.
    TiXmlDocument empty;
    ASSERT_TRUE(ParseXml(empty, "<StrategySetup><Comission>x</Comission></StrategySetup>"));
    back.FromXml(empty.RootElement());
    EXPECT_EQ(0, back.GetStrategyCount());
    EXPECT_EQ(0.0, back.m_comission);
    EXPECT_EQ(setup.m_capital, back.m_capital);
}
