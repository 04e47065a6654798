// The time and sales and bar lists without a display: filters and request keys, column
// layouts and their files (damaged ones too), the rows and colours of ticks and bars, the
// workspace records and the exports of a range.
#include "ArchiveBytes.h"
#include "tests/support/ArchiveBytes.h"

#include "analytics/series/CPriceSeries.h"
#include "analytics/series/SeriesKey.h"
#include "analytics/series/SeriesTime.h"
#include "broker/session/SessionMessages.h"
#include "common/services/CLinkState.h"
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "tests/analytics/FakeSeriesServices.h"
#include "views/ListExport.h"
#include "views/ListLayout.h"
#include "views/ListWorkspace.h"
#include "views/TickRows.h"
#include "views/TimeSalesKeys.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

DWORD F(int y, int mo, int d, int h, int mi, int s = 0)
{
    return CTimeToFeedTime(CTime(y, mo, d, h, mi, s));
}

CHistoryRow Tick(DWORD time, double price, double size)
{
    CHistoryRow row;
    row.feedTime = time;
    row.open = row.high = row.low = row.close = price;
    row.volume = size;
    return row;
}

class ScratchDir {
public:
    ScratchDir()
    {
        static int n = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("qx-timesales-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        std::filesystem::create_directories(m_path);
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    CString Path(const char* name) const { return CString((m_path / name).string()); }
    std::string Read(const char* name) const
    {
        std::ifstream in((m_path / name).string(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Write(const char* name, const std::string& bytes) const
    {
        std::ofstream((m_path / name).string(), std::ios::binary) << bytes;
    }
    size_t Files() const
    {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(m_path),
                                                 std::filesystem::directory_iterator()));
    }

private:
    std::filesystem::path m_path;
};

// Answers the series' history requests with rows from a function of the record number and
// keeps every series it made alive until the end of the test.
class AnsweringMaker {
public:
    explicit AnsweringMaker(FakeSeriesServices& services) : m_services(services) {}
    ~AnsweringMaker()
    {
        m_done = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    // rowOf(record start) gives the row of a record, or none for a record left empty.
    void Answer(std::function<std::optional<CHistoryRow>(DWORD start)> rowOf)
    {
        m_rowOf = std::move(rowOf);
        m_thread = std::thread([this] {
            while (!m_done) {
                std::vector<FakeSeriesServices::Request> requests;
                {
                    std::lock_guard<std::mutex> lock(m_services.lock);
                    requests.swap(m_services.requests);
                }
                for (const auto& request : requests) {
                    std::vector<CHistoryRow> rows;
                    for (int r = 0; r < request.series->GetRecordCount(); ++r) {
                        const DWORD start = CTimeToFeedTime(request.series->GetRecordAt(r)->m_startTime);
                        if (start >= request.start && start <= request.end)
                            if (auto row = m_rowOf(start))
                                rows.push_back(*row);
                    }
                    request.series->OnIntradayHistory(rows);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }
    CSeriesMaker Maker()
    {
        CSeriesMaker maker;
        maker.make = [this](const CString& key) {
            m_keys.push_back(key);
            m_series.push_back(std::make_unique<CPriceSeries>(key, 0));
            return m_series.back().get();
        };
        maker.drop = [](CPriceSeries*) {};
        return maker;
    }
    std::vector<CString> m_keys;

private:
    FakeSeriesServices& m_services;
    std::function<std::optional<CHistoryRow>(DWORD)> m_rowOf;
    std::vector<std::unique_ptr<CPriceSeries>> m_series;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

} // namespace

TEST(TimeSalesKeys, FiltersMakeTheirSuffixes)
{
    const CTimeSalesFilter volume = MakeTimeSalesFilter(false, 0, 0, true, 500, "kept");
    EXPECT_EQ(volume.flags, 0x40);
    EXPECT_EQ(volume.suffix, "&FilterVolume=500");
    EXPECT_EQ(volume.text, "kept");
    const CTimeSalesFilter both = MakeTimeSalesFilter(true, 20, 30, true, 500, "");
    EXPECT_EQ(both.flags, 0x60);
    EXPECT_EQ(TimeSalesKey("MSFT", false, 0, both.suffix),
              "MSFT,0&FilterMinPrice=20.000000&FilterMaxPrice=30.000000&FilterVolume=500");
    EXPECT_EQ(TimeSalesKey("MSFT", true, 12345, ""), "MSFT,0:255&EndETime=12345");
    EXPECT_TRUE(FilterSuffix(MakeTimeSalesFilter(false, 1, 2, false, 9, "")).IsEmpty());

    CSeriesKey key;
    ASSERT_TRUE(ParseSeriesKey(TimeSalesKey("MSFT", false, 777, both.suffix), key));
    EXPECT_EQ(key.interval, "0");
    EXPECT_EQ(key.endFeedTime, 777u);
    ASSERT_TRUE(key.filter);
    EXPECT_EQ(key.filter->m_nMinSize, 500u);
    EXPECT_DOUBLE_EQ(key.filter->m_maxPrice, 30.0);
}

TEST(TimeSalesKeys, BarKeysNameTheirIntervalByItsCode)
{
    EXPECT_EQ(BarIntervalCode("1 minute"), "1");
    EXPECT_EQ(BarIntervalCode("15 minutes"), "15");
    EXPECT_EQ(BarIntervalCode("30"), "30");
    EXPECT_EQ(BarIntervalCode("Daily"), "D");
    EXPECT_EQ(BarIntervalCode(""), "D");
    EXPECT_EQ(BarIntervalCode("Weekly"), "W");
    EXPECT_EQ(BarIntervalCode("m"), "M");
    EXPECT_EQ(BarIntervalCode("banana"), "D");
    EXPECT_EQ(BarIntervalCode("5 hours"), "D");
    EXPECT_EQ(BarIntervalCode("0"), "D");
    // The first interval of a new bar window is a key the series takes.
    EXPECT_EQ(BarKey("MSFT", "1 minute", false, 0), "MSFT,1");
    CSeriesKey key;
    ASSERT_TRUE(ParseSeriesKey(BarKey("MSFT", "1 minute", false, 0), key));
    EXPECT_EQ(key.interval, "1");
    EXPECT_EQ(BarKey("IBM", "5 minutes", true, 99), "IBM,5:255&EndETime=99");

    EXPECT_TRUE(IsRequestSymbol("MSFT"));
    EXPECT_TRUE(IsRequestSymbol("+MSFT260116C00300000"));
    EXPECT_FALSE(IsRequestSymbol(""));
    EXPECT_FALSE(IsRequestSymbol("MSFT,D"));
    EXPECT_FALSE(IsRequestSymbol("MSFT&EndETime=5"));
    EXPECT_FALSE(IsRequestSymbol("NYSE:IBM"));
}

TEST(ListLayouts, TextsGiveEachKindOnceInOrder)
{
    using Columns = std::vector<CListColumn>;
    EXPECT_EQ(ParseListLayout("6|45|0|60", 8), (Columns{{6, 45}, {0, 60}}));
    EXPECT_TRUE(ParseListLayout("9|50", 8).empty());
    EXPECT_EQ(ParseListLayout("0|60|1|60|2|50|3|50|6|45", 8), (Columns{{0, 60}, {1, 60}, {2, 50}, {3, 50}, {6, 45}}));
    EXPECT_EQ(ParseListLayout("2|50|7|40|1|30", 7), (Columns{{2, 50}})); // kind 7 ends a bar layout
    EXPECT_EQ(ParseListLayout("2|50|7|40", 8), (Columns{{2, 50}, {7, 40}}));
    EXPECT_EQ(ParseListLayout("0|60|0|70|2|50", 8), (Columns{{0, 60}, {2, 50}})); // named twice, shown once
    EXPECT_EQ(ParseListLayout("3|abc|1|30", 8), Columns{});
    EXPECT_EQ(ParseListLayout("3|50|1", 8), (Columns{{3, 50}}));
    EXPECT_EQ(ParseListLayout("3|50||", 8), (Columns{{3, 50}}));
    EXPECT_EQ(ParseListLayout("1|999999|2|-5", 8), (Columns{{1, kMaxColumnWidth}, {2, 0}}));
    // Numbers are read by value: leading zeros and any count of digits.
    EXPECT_EQ(ParseListLayout("0|0000075|3|50", 8), (Columns{{0, 75}, {3, 50}}));
    EXPECT_EQ(ParseListLayout("0000000006|000000000000045|-0|7", 8), (Columns{{6, 45}, {0, 7}}));
    EXPECT_EQ(ParseListLayout("1|99999999999|2|40", 8), (Columns{{1, kMaxColumnWidth}, {2, 40}}));
    EXPECT_EQ(ParseListLayout("99999999999|40|1|30", 8), Columns{});
    EXPECT_EQ(ParseListLayout("-0000000001|40", 8), Columns{});
    EXPECT_EQ(ParseListLayout("", 8), Columns{});
    EXPECT_EQ(ParseListLayout(nullptr, 8), Columns{});
    const Columns all = DefaultListLayout(8);
    ASSERT_EQ(all.size(), 8u);
    EXPECT_EQ(all[7], (CListColumn{7, 50}));
    EXPECT_EQ(FormatListLayout({{0, 60}, {1, 60}, {2, 50}, {3, 50}, {6, 45}}), "0|60|1|60|2|50|3|50|6|45");
    EXPECT_EQ(ParseListLayout(FormatListLayout(all), 8), all);
}

TEST(ListLayouts, FilesRoundTripAndDamagedOnesAreTold)
{
    ScratchDir dir;
    CString text;
    EXPECT_EQ(ReadListLayoutFile(dir.Path("default.tsl"), text), ELayoutFile::kMissing);
    CString error;
    ASSERT_TRUE(WriteListLayoutFile(dir.Path("default.tsl"), "6|45|0|60", error)) << error.str();
    EXPECT_EQ(dir.Read("default.tsl"), "6|45|0|60\n");
    EXPECT_EQ(dir.Files(), 1u); // no temporary file left
    ASSERT_EQ(ReadListLayoutFile(dir.Path("default.tsl"), text), ELayoutFile::kRead);
    EXPECT_EQ(text, "6|45|0|60");

    dir.Write("crlf.bl", "2|50|3|60 \r\nignored\n");
    ASSERT_EQ(ReadListLayoutFile(dir.Path("crlf.bl"), text), ELayoutFile::kRead);
    EXPECT_EQ(text, "2|50|3|60");
    dir.Write("long.bl", std::string(kMaxLayoutLine + 1, '1'));
    EXPECT_EQ(ReadListLayoutFile(dir.Path("long.bl"), text), ELayoutFile::kDamaged);
    dir.Write("nul.bl", std::string("2|50\0|3", 7));
    EXPECT_EQ(ReadListLayoutFile(dir.Path("nul.bl"), text), ELayoutFile::kDamaged);
    dir.Write("empty.bl", "");
    ASSERT_EQ(ReadListLayoutFile(dir.Path("empty.bl"), text), ELayoutFile::kRead);
    EXPECT_TRUE(ParseListLayout(text, 7).empty());

    EXPECT_FALSE(WriteListLayoutFile(dir.Path("missing/default.bl"), "0|50", error));
    EXPECT_NE(error.Find("default.bl"), -1) << error.str();
}

TEST(TickRows, TicksFromHistoryAndTradesReadAsTrades)
{
    FakeSeriesServices services;
    CSeriesQuote quote;
    quote.pending = false;
    quote.high = 12;
    quote.low = 8;
    quote.bid = 9.5;
    quote.ask = 10.5;
    quote.exchange = "NASD";
    services.quotes["ABCD"] = quote;
    CPriceSeries series("ABCD,0", 0);
    series.SetWindowMode(1);
    series.SetBarCount(6, 0);
    const DWORD newest = CTimeToFeedTime(series.GetRecordAt(5)->m_startTime);
    // History: a tick in the newest slot and two in the one before (they add up).
    series.OnIntradayHistory({Tick(newest - 1, 10.0, 100), Tick(newest - 1, 10.25, 1400), Tick(newest, 9.75, 300)});
    CListRow row;
    ASSERT_TRUE(BuildTickRow(series, 5, row));
    EXPECT_EQ(row.texts[6], "Trade");
    EXPECT_EQ(row.texts[2], "9.75");
    EXPECT_EQ(row.texts[3], "300");
    EXPECT_EQ(row.texts[4], "");
    EXPECT_EQ(row.texts[0], "3/4/2026");
    EXPECT_EQ(row.feedTime, newest);
    ASSERT_TRUE(BuildTickRow(series, 4, row));
    EXPECT_EQ(row.texts[2], "10.25");
    EXPECT_EQ(row.texts[3], "1,500");
    EXPECT_EQ(row.texts[5], "0");
    ASSERT_TRUE(BuildTickRow(series, 0, row)); // an empty slot: a time and no texts
    EXPECT_EQ(row.texts[6], "");
    EXPECT_EQ(row.texts[2], "");

    // A live trade at the bid comes last with its mark.
    CTradeMessage trade;
    trade.m_price = 9.5f;
    trade.m_size = 2;
    trade.m_exchange = "ARCA";
    series.OnLiveData(&trade, CTimeToFeedTime(services.now) + 1);
    ASSERT_TRUE(BuildTickRow(series, 5, row));
    EXPECT_EQ(row.texts[6], "Trade");
    EXPECT_EQ(row.texts[3], "200");
    EXPECT_EQ(row.texts[4], "ARCA");
    EXPECT_EQ(row.flags, kTickFlagAtBid);
    EXPECT_EQ(row.texts[1], RowTimeText(CTimeToFeedTime(services.now) + 1));
}

TEST(TickRows, DatesTimesColoursAndBars)
{
    EXPECT_EQ(RowDateText(F(2011, 3, 7, 9, 5, 2)), "3/7/2011");
    EXPECT_EQ(RowTimeText(F(2011, 3, 7, 9, 5, 2)), "09:05:02");
    EXPECT_EQ(RowTimeText(F(2011, 12, 17, 15, 59, 58)), "15:59:58");
    EXPECT_STREQ(ListColumnTitle(true, 6), "Type");
    EXPECT_STREQ(ListColumnTitle(false, 6), "Volume");
    EXPECT_STREQ(ListColumnTitle(false, 7), "");

    EXPECT_EQ(TickBackgroundIndex(0x20 | 0x1), 7);
    EXPECT_EQ(TickBackgroundIndex(0x2 | 0x40), 6);
    EXPECT_EQ(TickBackgroundIndex(0x20), 2);
    EXPECT_EQ(TickBackgroundIndex(0x40 | 0x1000), 3);
    EXPECT_EQ(TickBackgroundIndex(0x1000 | 0x2000), 4);
    EXPECT_EQ(TickBackgroundIndex(0x2000), 5);
    EXPECT_EQ(TickBackgroundIndex(0x400), 0);
    EXPECT_EQ(TickTextIndex(0x800), 9);
    EXPECT_EQ(TickTextIndex(0x400 | 0x800), 8);
    EXPECT_EQ(TickTextIndex(0x4000), 10);
    EXPECT_EQ(TickTextIndex(0x20), -1);
    EXPECT_TRUE(TickStruckOut(0x800));
    EXPECT_FALSE(TickStruckOut(0x4000));

    FakeSeriesServices services;
    CPriceSeries bars("ABCD,5", 0);
    bars.SetWindowMode(1);
    bars.SetBarCount(2, 0);
    const DWORD start = CTimeToFeedTime(bars.GetRecordAt(1)->m_startTime);
    CHistoryRow row = Tick(start, 10, 123456);
    row.high = 11;
    row.low = 9.5;
    row.close = 10.75;
    bars.OnIntradayHistory({row});
    CListRow bar;
    ASSERT_TRUE(BuildBarRow(bars, 1, bar));
    EXPECT_EQ(bar.texts[2], "10.00");
    EXPECT_EQ(bar.texts[3], "11.00");
    EXPECT_EQ(bar.texts[4], "9.50");
    EXPECT_EQ(bar.texts[5], "10.75");
    EXPECT_EQ(bar.texts[6], "123,456");
    EXPECT_EQ(bar.texts[7], "");
    EXPECT_EQ(bar.texts[1], RowTimeText(start));
}

TEST(ListWorkspaces, RecordsRoundTripAndOlderOnesKeepTheirDefaults)
{
    CLinkState links;
    links.SetButtons(true, true);
    links.SetSymbolGroup(3);
    links.SetIntervalGroup(5);
    CTimeSalesRecord ts;
    ts.layout = "6|45|0|60";
    ts.symbol = "MSFT";
    ts.extended = 1;
    ts.filter = MakeTimeSalesFilter(true, 20, 30.5f, true, 500, "note");
    ts.goToTime = 1700000000;
    ts.historical = 1;
    ts.grid = 0;
    const std::string bytes = StoreToString([&](CArchive& ar) { ASSERT_TRUE(WriteTimeSalesRecord(ar, ts, links)); });
    CTimeSalesRecord back;
    CLinkState backLinks;
    backLinks.SetButtons(true, true);
    LoadFromString(bytes, [&](CArchive& ar) { ASSERT_TRUE(ReadTimeSalesRecord(ar, 19, back, backLinks)); });
    EXPECT_EQ(back, ts);
    EXPECT_EQ(backLinks.GetSymbolGroup(), 3);
    EXPECT_EQ(backLinks.GetIntervalGroup(), 5);

    // Version 9: no grid flag; it stays on.
    CTimeSalesRecord old;
    LoadFromString(bytes.substr(0, bytes.size() - 4), [&](CArchive& ar) { ASSERT_TRUE(ReadTimeSalesRecord(ar, 9, old, backLinks)); });
    EXPECT_EQ(old.grid, 1);
    EXPECT_EQ(old.symbol, "MSFT");

    // A stored suffix is made anew from the filter, never taken as it is.
    CTimeSalesRecord hostile = ts;
    hostile.filter.suffix = ",&EndETime=1";
    const std::string forged = StoreToString([&](CArchive& ar) { WriteTimeSalesRecord(ar, hostile, links); });
    LoadFromString(forged, [&](CArchive& ar) { ASSERT_TRUE(ReadTimeSalesRecord(ar, 19, back, backLinks)); });
    EXPECT_EQ(back.filter.suffix, ts.filter.suffix);

    // A cut record throws and leaves the record as it was.
    CTimeSalesRecord untouched;
    EXPECT_THROW(LoadFromString(bytes.substr(0, 20), [&](CArchive& ar) { ReadTimeSalesRecord(ar, 19, untouched, backLinks); }),
                 CArchiveException);
    EXPECT_EQ(untouched, CTimeSalesRecord{});

    CBarViewRecord bars{"2|50|3|50", "IBM", "5 minutes", 0, 0};
    const std::string barBytes = StoreToString([&](CArchive& ar) { ASSERT_TRUE(WriteBarViewRecord(ar, bars, links)); });
    CBarViewRecord barsBack;
    LoadFromString(barBytes, [&](CArchive& ar) { ASSERT_TRUE(ReadBarViewRecord(ar, 10, barsBack, backLinks)); });
    EXPECT_EQ(barsBack, bars);

    CLevel2Record l2{"INET:MSFT", 3, 1};
    CLinkState symbolOnly;
    symbolOnly.SetButtons(true, false);
    const std::string l2Bytes = StoreToString([&](CArchive& ar) { ASSERT_TRUE(WriteLevel2Record(ar, l2, symbolOnly)); });
    CLevel2Record l2Back;
    LoadFromString(l2Bytes, [&](CArchive& ar) { ASSERT_TRUE(ReadLevel2Record(ar, 19, l2Back, symbolOnly)); });
    EXPECT_EQ(l2Back, l2);
    // Version 3: symbol, source and links; the log hidden.
    LoadFromString(l2Bytes.substr(0, l2Bytes.size() - 4), [&](CArchive& ar) { ASSERT_TRUE(ReadLevel2Record(ar, 3, l2Back, symbolOnly)); });
    EXPECT_EQ(l2Back.logShown, 0);
    EXPECT_EQ(l2Back.source, 3);
    // A source choice outside the four is Auto.
    CLevel2Record odd{"MSFT", 7, 5};
    const std::string oddBytes = StoreToString([&](CArchive& ar) { WriteLevel2Record(ar, odd, symbolOnly); });
    LoadFromString(oddBytes, [&](CArchive& ar) { ASSERT_TRUE(ReadLevel2Record(ar, 19, l2Back, symbolOnly)); });
    EXPECT_EQ(l2Back.source, 1);
    EXPECT_EQ(l2Back.logShown, 0);
}

TEST(ListExports, TicksOfARangeNewestFirstInRfc4180Text)
{
    ScratchDir dir;
    FakeSeriesServices services;
    AnsweringMaker answers(services);
    // A tick every four seconds, priced by its feed time; one of 1,500 shares.
    const DWORD end = F(2026, 3, 4, 12, 0, 0);
    const DWORD start = F(2026, 3, 4, 11, 59, 0);
    answers.Answer([&](DWORD t) -> std::optional<CHistoryRow> {
        const long long back = static_cast<long long>(end) - static_cast<long long>(t);
        if (back % 2 != 0)
            return std::nullopt; // every other two-second slot
        return Tick(t, 10 + (static_cast<double>(t) - start) * 0.01, back == 2 ? 1500 : 100);
    });
    CListExportJob job;
    job.tickMode = true;
    job.key = TimeSalesKey("ABCD", false, end, "");
    job.kinds = {1, 2, 3, 6};
    job.path = dir.Path("ticks.csv");
    job.separator = ',';
    job.startFeedTime = start;
    job.endFeedTime = end;
    const std::atomic<bool> stop{false};
    const CListExportResult result = RunListExport(job, answers.Maker(), stop, {}, 10000);
    ASSERT_TRUE(result.ok) << result.message.str();
    const std::string text = dir.Read("ticks.csv");
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "Time,Price,Size,Type");
    std::getline(lines, line);
    EXPECT_EQ(line, "12:00:00,10.30,100,Trade");
    std::getline(lines, line);
    EXPECT_EQ(line, "11:59:56,10.28,\"1,500\",Trade");
    int rows = 3;
    std::string last = line;
    while (std::getline(lines, line)) {
        ++rows;
        last = line;
    }
    EXPECT_EQ(last, "11:59:00,10.00,100,Trade");
    EXPECT_EQ(rows - 1, result.rows);
    EXPECT_EQ(result.rows, 16); // 11:59:00 to 12:00:00, every fourth second
    EXPECT_EQ(dir.Files(), 1u);
}

TEST(ListExports, BarsOldestFirstAndWhatGoesWrongIsTold)
{
    ScratchDir dir;
    FakeSeriesServices services;
    AnsweringMaker answers(services);
    answers.Answer([](DWORD t) -> std::optional<CHistoryRow> {
        CHistoryRow row = Tick(t, 20, 1000);
        row.high = 21;
        row.low = 19;
        row.close = 20.5;
        row.open = 20;
        row.volume = 1000;
        return row;
    });
    CListExportJob job;
    job.tickMode = false;
    job.key = BarKey("ABCD", "5 minutes", false, F(2026, 3, 4, 11, 0));
    job.kinds = {0, 1, 2, 5, 6};
    job.path = dir.Path("bars.prn");
    job.separator = ' ';
    job.startFeedTime = F(2026, 3, 4, 10, 0);
    job.endFeedTime = F(2026, 3, 4, 11, 0);
    const std::atomic<bool> stop{false};
    const CListExportResult result = RunListExport(job, answers.Maker(), stop, {}, 10000);
    ASSERT_TRUE(result.ok) << result.message.str();
    std::istringstream lines(dir.Read("bars.prn"));
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "Date Time Open Close Volume");
    std::getline(lines, line);
    EXPECT_EQ(line.substr(0, 9), "3/4/2026 ");
    EXPECT_NE(line.find(" 20.00 20.50 1,000"), std::string::npos) << line; // blank-separated: no quotes needed
    EXPECT_EQ(result.rows, 13); // 10:00 to 11:00

    // A range that ends before it starts holds no bars: refused, no file.
    CListExportJob backwards = job;
    backwards.path = dir.Path("none.csv");
    std::swap(backwards.startFeedTime, backwards.endFeedTime);
    const CListExportResult none = RunListExport(backwards, answers.Maker(), stop, {}, 1000);
    EXPECT_FALSE(none.ok);
    EXPECT_FALSE(none.message.IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(backwards.path.GetString()));

    // A file that cannot be written is told by name.
    CListExportJob blocked = job;
    blocked.path = dir.Path("no-such-folder/bars.csv");
    const CListExportResult denied = RunListExport(blocked, answers.Maker(), stop, {}, 10000);
    EXPECT_FALSE(denied.ok);
    EXPECT_NE(denied.message.Find("bars.csv"), -1) << denied.message.str();
}

// Exports bars of 5 minutes from..to and gives the Date and Time texts of its lines.
std::vector<std::string> ExportedBarTimes(DWORD from, DWORD to)
{
    ScratchDir dir;
    FakeSeriesServices services;
    AnsweringMaker answers(services);
    answers.Answer([](DWORD t) -> std::optional<CHistoryRow> { return Tick(t, 20, 1000); });
    CListExportJob job;
    job.tickMode = false;
    job.key = BarKey("ABCD", "5 minutes", false, to);
    job.kinds = {0, 1};
    job.path = dir.Path("bars.csv");
    job.separator = ',';
    job.startFeedTime = from;
    job.endFeedTime = to;
    const std::atomic<bool> stop{false};
    const CListExportResult result = RunListExport(job, answers.Maker(), stop, {}, 10000);
    EXPECT_TRUE(result.ok) << result.message.str();
    std::istringstream lines(dir.Read("bars.csv"));
    std::vector<std::string> times;
    std::string line;
    std::getline(lines, line); // the titles
    while (std::getline(lines, line))
        times.push_back(line);
    EXPECT_EQ(static_cast<int>(times.size()), result.rows);
    return times;
}

TEST(ListExports, BarsAreThoseStartingInsideTheRange)
{
    // From inside the 15:00 bar, To after the close (sessions 9:30 to 16:00): 15:05 to 15:55.
    std::vector<std::string> times = ExportedBarTimes(F(2026, 3, 3, 15, 2), F(2026, 3, 3, 17, 0));
    ASSERT_EQ(times.size(), 11u);
    EXPECT_EQ(times.front(), "3/3/2026,15:05:00");
    EXPECT_EQ(times.back(), "3/3/2026,15:55:00");
    // From in the night before, To inside the 9:40 bar: 9:30, 9:35 and 9:40 of the next day.
    times = ExportedBarTimes(F(2026, 3, 2, 17, 0), F(2026, 3, 3, 9, 42));
    EXPECT_EQ(times, (std::vector<std::string>{"3/3/2026,09:30:00", "3/3/2026,09:35:00", "3/3/2026,09:40:00"}));
}

TEST(ListExports, DataThatNeverComesEndsTheExport)
{
    ScratchDir dir;
    FakeSeriesServices services;
    AnsweringMaker silent(services); // never answers
    CListExportJob job;
    job.tickMode = true;
    job.key = TimeSalesKey("ABCD", false, F(2026, 3, 4, 12, 0), "");
    job.kinds = {0, 1};
    job.path = dir.Path("ticks.txt");
    job.separator = '\t';
    job.startFeedTime = F(2026, 3, 4, 11, 0);
    job.endFeedTime = F(2026, 3, 4, 12, 0);
    const std::atomic<bool> stop{false};
    const CListExportResult result = RunListExport(job, silent.Maker(), stop, {}, 200);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, "Error exporting data");
    EXPECT_EQ(dir.Files(), 0u);
    // Stopped while waiting: no file and nothing to tell.
    const std::atomic<bool> stopped{true};
    const CListExportResult quiet = RunListExport(job, silent.Maker(), stopped, {}, 10000);
    EXPECT_FALSE(quiet.ok);
    EXPECT_TRUE(quiet.message.IsEmpty());
}
