#include "FakeSeriesServices.h"
#include "StudyTestData.h"

#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSeriesListener.h"
#include "analytics/series/SeriesTime.h"
#include "analytics/studies/StudyCompute.h"
#include "analytics/studies/StudyTable.h"
#include "broker/session/CHistoryCoverage.h"
#include "broker/session/SessionMessages.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace {

CTime T(int y, int mo, int d, int h, int mi, int s = 0)
{
    return CTime(y, mo, d, h, mi, s);
}

DWORD F(int y, int mo, int d, int h, int mi, int s = 0)
{
    return CTimeToFeedTime(T(y, mo, d, h, mi, s));
}

CTradeMessage Trade(double price, int size, std::vector<int> more = {})
{
    CTradeMessage t;
    t.m_price = price;
    t.m_size = size;
    t.m_moreSizes = std::move(more);
    t.m_exchange = "NASD";
    return t;
}

CHistoryRow Row(DWORD time, double o, double h, double l, double c, double v)
{
    CHistoryRow r;
    r.feedTime = time;
    r.open = o;
    r.high = h;
    r.low = l;
    r.close = c;
    r.volume = v;
    return r;
}

// The field of the bar (the caller holds the lock); none when the bar has no value there.
// A window of five IBM,30 bars, 10:00 to 12:00 of Wednesday (now 12:07), answered with
// closes 20 to 24; returns the answer's rows.
std::vector<CHistoryRow> AnswerFiveHalfHours(CPriceSeries& s)
{
    s.SetWindowMode(1);
    s.SetBarCount(5, 0);
    std::vector<CHistoryRow> rows;
    for (int r = 0; r < 5; ++r)
        rows.push_back(Row(CTimeToFeedTime(s.GetRecordAt(r)->m_startTime), 20, 21, 19, 20 + r, 100));
    s.OnIntradayHistory(rows);
    return rows;
}

std::optional<double> ValueAt(CPriceSeries& s, int bar, int field)
{
    double v = 0;
    if (!s.GetValue(bar, field, v))
        return std::nullopt;
    return v;
}

// A quote of IBM on the NYSE at noon on 4 March 2026: 20 open, 22 high, 19 low, 21 last,
// 1000 shares.
CSeriesQuote IbmNoonQuote()
{
    CSeriesQuote quote;
    quote.pending = false;
    quote.exchange = "NYSE";
    quote.open = 20;
    quote.high = 22;
    quote.low = 19;
    quote.last = 21;
    quote.volume = 1000;
    quote.tradeFeedTime = F(2026, 3, 4, 12, 0);
    return quote;
}

void Live(CPriceSeries& s, const CTradeMessage& t, DWORD time)
{
    s.OnLiveData(&t, time);
}

struct CountingListener : CSeriesListener {
    void OnValuesChanged(CPriceSeries*, int m, int f, int l) override
    {
        ++changes;
        mode = m;
        first = f;
        last = l;
    }
    void OnDataStateChanged(CPriceSeries*) override { ++states; }
    int changes = 0, mode = -1, first = 0, last = 0, states = 0;
};

} // namespace

TEST(SeriesKey, PlainKeysAndSuffixes)
{
    FakeSeriesServices services;
    CPriceSeries a("ibm,5", 0);
    EXPECT_EQ(CString("IBM"), a.GetSymbol());
    EXPECT_EQ(CString("5"), a.GetInterval());
    EXPECT_FALSE(a.HasCurrentDayBar());
    CPriceSeries b("IBM,", 0);
    EXPECT_EQ(CString("0"), b.GetInterval());
    CPriceSeries c("NYSE:ibm,d", 0);
    EXPECT_EQ(CString("IBM"), c.GetSymbol());
    EXPECT_EQ(CString("D"), c.GetInterval());
    EXPECT_TRUE(c.HasCurrentDayBar());
    EXPECT_EQ(1, CPriceSeries("IBM,5:255", 0).IsExtendedSession());
    EXPECT_EQ(0, CPriceSeries("IBM,D:255", 0).IsExtendedSession());
    EXPECT_EQ(43200u, c.GetBarSpan());
    EXPECT_EQ(150u, a.GetBarSpan());
    EXPECT_EQ(0, c.GetPeriodCode());
    EXPECT_EQ(3, a.GetPeriodCode());
    // Field names are case-sensitive; unknown names are refused.
    EXPECT_EQ(3, a.FindField("Close"));
    EXPECT_EQ(-1, a.FindField("close"));
    EXPECT_EQ(7, a.FindField("Exchange"));
    double v = 1;
    EXPECT_FALSE(a.GetValue(0, 3, v));
    EXPECT_EQ(0.0, v);
}

TEST(SeriesKey, StudyCallsAndRefusedParameters)
{
    FakeSeriesServices services;
    CPriceSeries rsi("RSI(IBM,14),5", 0);
    ASSERT_TRUE(rsi.IsKeyValid());
    EXPECT_EQ(studies::kRSI, rsi.GetStudyType());
    EXPECT_EQ(CString("5"), rsi.GetInterval());
    EXPECT_EQ(0, rsi.FindField("RSI"));
    EXPECT_EQ(2, rsi.FindField("LAVG"));
    EXPECT_EQ(-1, rsi.FindField("Close")); // not an output of the study
    CPriceSeries ma("MA(msft,Volume,20,-3),D:255", 0);
    ASSERT_TRUE(ma.IsKeyValid());
    EXPECT_EQ(CString("MSFT"), ma.GetSymbol());
    EXPECT_EQ(CString("D"), ma.GetInterval());
    EXPECT_EQ(4.0, ma.GetStudyValues()->GetParam(0));
    EXPECT_EQ(-3.0, ma.GetStudyValues()->GetParam(2));
    EXPECT_EQ(1, ma.GetFieldKind(0)); // volume source
    // A key beginning "Bar(" is a plain key.
    CPriceSeries bar("Bar(IBM,5)", 0);
    EXPECT_EQ(-1, bar.GetStudyType());
    // Refused: no price field of that name, lengths out of range, missing parameters.
    EXPECT_FALSE(CPriceSeries("MA(IBM,close,20,0),5", 0).IsKeyValid());
    EXPECT_FALSE(CPriceSeries("RSI(IBM,0),5", 0).IsKeyValid());
    EXPECT_FALSE(CPriceSeries("RSI(IBM,2000000000),5", 0).IsKeyValid());
    EXPECT_FALSE(CPriceSeries("EMA(IBM,Close),5", 0).IsKeyValid());
    // The warm-up: RSI 14 over 100 bars holds 268 records.
    rsi.SetBarCount(100, 0);
    EXPECT_EQ(268, rsi.GetRecordCount());
}

TEST(SeriesKey, SymbolsWithCharactersNoSymbolUsesAreRefused)
{
    FakeSeriesServices services;
    // Suffixes in the wrong place, separators and misspelt study calls are not symbols.
    for (const char* key : {"IBM&EndETime=1,5", "IBM=1", "IB M", "IBM~X", "IBM;X", "NYSE:IBM:X,5",
                            " RSI(IBM,14),5", "rsi(IBM,14),5", ",5", "", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456,D"}) {
        CSeriesKey parsed;
        EXPECT_FALSE(ParseSeriesKey(key, parsed)) << key;
        EXPECT_FALSE(CPriceSeries(key, 0).IsKeyValid()) << key;
    }
    // What real symbols look like.
    for (const char* key : {"IBM,5", "nyse:brk.b,D", "$SPX,1", "+IBM_012026C150,D", "BRK/B,W", "ES#,5",
                            "MSFT-W,M", " ibm ,5"}) {
        CSeriesKey parsed;
        EXPECT_TRUE(ParseSeriesKey(key, parsed)) << key;
    }
}

TEST(SeriesKey, StudyCallsTakeExactlyTheirParameters)
{
    FakeSeriesServices services;
    // Empty parameters and symbols, parameters missing before ")" (the interval is not one
    // of them), and more parameters than the study takes.
    for (const char* key : {"RSI(,14),5", "RSI(IBM,),5", "RSI(IBM),5", "MA(IBM,Close,20),5", "RSI(IBM,14,3),5",
                            "MA(IBM,Close,20,0,1),5", "MA(IBM,,20,0),5", "RSI( ,14),5", "RSI(I;BM,14),5",
                            "RSI(IBM,14)5", "RSI(IBM,14"}) {
        CSeriesKey parsed;
        EXPECT_FALSE(ParseSeriesKey(key, parsed)) << key;
        CString symbol, interval;
        double params[4] = {0, 0, 0, 0};
        const int type = FindStudyCallType(key, true);
        if (type >= 0) {
            EXPECT_FALSE(ParseStudyCallText(key, type, symbol, params, interval)) << key;
        }
    }
    CSeriesKey parsed;
    ASSERT_TRUE(ParseSeriesKey("MA(IBM,High,20,-2),5:255&EndETime=7", parsed));
    EXPECT_EQ(studies::kMA, parsed.studyType);
    EXPECT_EQ(CString("IBM"), parsed.symbol);
    EXPECT_EQ(CString("5"), parsed.interval);
    EXPECT_EQ(1, parsed.extendedSession);
    EXPECT_EQ(7u, parsed.endFeedTime);
    EXPECT_EQ(1.0, parsed.params[0]);
    EXPECT_EQ(20.0, parsed.params[1]);
    EXPECT_EQ(-2.0, parsed.params[2]);
    ASSERT_TRUE(ParseSeriesKey("OBV(IBM),D", parsed)); // the interval is its only parameter
    EXPECT_EQ(studies::kOBV, parsed.studyType);
    EXPECT_EQ(CString("D"), parsed.interval);
    ASSERT_TRUE(ParseSeriesKey("SRSI2(IBM,14,14,3,3),W", parsed));
    EXPECT_EQ(3.0, parsed.params[3]);
}

TEST(SeriesKey, TickFilterBoundsAndEndTime)
{
    FakeSeriesServices services;
    CSeriesKey key;
    ASSERT_TRUE(ParseSeriesKey("IBM,0&FilterMinPrice=10&FilterExg=nasd&FilterTrade=1&EndETime=123456&x", key));
    ASSERT_TRUE(key.filter.has_value());
    EXPECT_EQ(123456u, key.endFeedTime);
    const CTickFilter& f = *key.filter;
    // Only the minimum is set: no upper bound.
    EXPECT_FALSE(f.Drops(0, 50.0, 100, "NASD  "));
    EXPECT_TRUE(f.Drops(0, 9.99, 100, "NASD"));
    EXPECT_TRUE(f.Drops(0, 50.0, 100, "NYSE"));
    EXPECT_TRUE(f.Drops(1, 50.0, 100, "NASD")); // bids not passed
    ASSERT_TRUE(ParseSeriesKey("IBM,0&FilterVolume=500&FilterMaxPrice=20", key));
    EXPECT_TRUE(key.filter->Drops(0, 10, 400, "X"));
    EXPECT_FALSE(key.filter->Drops(0, 10, 500, "X"));
    EXPECT_TRUE(key.filter->Drops(0, 20.5, 500, "X"));
}

TEST(PriceSeries, LaysOutBarsAndRequestsInChunks)
{
    FakeSeriesServices services;
    CPriceSeries s("IBM,30", 0);
    s.SetWindowMode(1);
    ASSERT_TRUE(s.SetBarCount(20, 0));
    ASSERT_EQ(20, s.GetRecordCount());
    // Newest bar: the one holding 12:07 on Wednesday 2026-03-04.
    EXPECT_EQ(T(2026, 3, 4, 12, 0), s.GetRecordAt(19)->m_startTime);
    EXPECT_EQ(T(2026, 3, 4, 12, 30), s.GetRecordAt(19)->m_endTime);
    // Five bars back from 12:00 is 09:30, then Tuesday's last bar.
    EXPECT_EQ(T(2026, 3, 4, 9, 30), s.GetRecordAt(14)->m_startTime);
    EXPECT_EQ(T(2026, 3, 3, 15, 30), s.GetRecordAt(13)->m_startTime);
    ASSERT_EQ(1u, services.requests.size());
    EXPECT_EQ(CTimeToFeedTime(s.GetRecordAt(0)->m_startTime), services.requests[0].start);
    EXPECT_EQ(F(2026, 3, 4, 12, 30), services.requests[0].end);
    EXPECT_EQ(1, s.GetOutstandingRequests());
    EXPECT_TRUE(s.IsWaitingForData());

    services.requests.clear();
    CPriceSeries big("IBM,1", 0);
    big.SetBarCount(60000, 0);
    ASSERT_EQ(3u, services.requests.size());
    EXPECT_EQ(CTimeToFeedTime(big.GetRecordAt(0)->m_startTime), services.requests[0].start);
    EXPECT_EQ(CTimeToFeedTime(big.GetRecordAt(24999)->m_endTime), services.requests[0].end);
    EXPECT_EQ(CTimeToFeedTime(big.GetRecordAt(25000)->m_startTime), services.requests[1].start);
    EXPECT_EQ(CTimeToFeedTime(big.GetRecordAt(50000)->m_startTime), services.requests[2].start);
    EXPECT_EQ(3, big.GetOutstandingRequests());

    services.requests.clear();
    CPriceSeries exact("IBM,1", 0);
    exact.SetBarCount(25000, 0);
    EXPECT_EQ(1u, services.requests.size());
}

// Services whose broker answers a request before RequestHistory returns, as one on
// another thread may: the answer holds a row for the first bar asked for.
class AnsweringSeriesServices : public FakeSeriesServices {
public:
    int RequestHistory(CPriceSeries* series, DWORD start, DWORD end) override
    {
        const int made = FakeSeriesServices::RequestHistory(series, start, end);
        series->OnIntradayHistory({Row(start, 10, 11, 9, 10.5, 100)});
        return made;
    }
};

TEST(PriceSeries, AnAnswerThatComesBeforeTheRequestReturnsEndsTheWait)
{
    AnsweringSeriesServices services;
    CPriceSeries s("IBM,30", 0);
    s.SetWindowMode(1);
    ASSERT_TRUE(s.SetBarCount(20, 0));
    ASSERT_EQ(1u, services.requests.size());
    EXPECT_TRUE(s.GetRecordAt(0)->m_bValid);
    EXPECT_EQ(0, s.GetOutstandingRequests());
    EXPECT_FALSE(s.IsWaitingForData());
    // The same for the bars asked for again when the stream is back: the series never waits,
    // but a reader can tell that its data were thrown away and filled anew meanwhile.
    services.now = T(2026, 3, 4, 12, 21);
    const int resets = s.GetDataResets();
    s.OnStreamRestored();
    ASSERT_EQ(2u, services.requests.size());
    EXPECT_EQ(0, s.GetOutstandingRequests());
    EXPECT_FALSE(s.IsWaitingForData());
    EXPECT_EQ(resets + 1, s.GetDataResets());
}

TEST(PriceSeries, MergesOneMinuteHistoryRows)
{
    FakeSeriesServices services;
    CPriceSeries s("IBM,30", 0);
    CountingListener listener;
    s.SetListener(&listener);
    s.SetWindowMode(1);
    s.SetBarCount(4, 0); // 10:30, 11:00, 11:30, 12:00
    ASSERT_EQ(T(2026, 3, 4, 10, 30), s.GetRecordAt(0)->m_startTime);
    std::vector<CHistoryRow> rows = {
        Row(F(2026, 3, 4, 10, 29), 1, 1, 1, 1, 5),      // before the first record: skipped
        Row(F(2026, 3, 4, 10, 30), 10, 12, 9, 11, 100), // first row of record 0
        Row(F(2026, 3, 4, 10, 59), 11, 13, 10, 12, 50), // 60 s before record 1: record 0
        Row(F(2026, 3, 4, 11, 0), 20, 21, 19, 20, 7),   // at record 0's end: record 1
    };
    s.OnIntradayHistory(rows);
    EXPECT_EQ(0, s.GetOutstandingRequests());
    EXPECT_FALSE(s.IsWaitingForData());
    double v;
    s.Lock();
    EXPECT_EQ(10, ValueAt(s, 0, kBarOpen));
    EXPECT_EQ(13, ValueAt(s, 0, kBarHigh));
    EXPECT_EQ(12, ValueAt(s, 0, kBarClose));
    EXPECT_EQ(150, ValueAt(s, 0, kBarVolume));
    EXPECT_EQ(20, ValueAt(s, 1, kBarClose));
    EXPECT_FALSE(s.GetValue(2, kBarClose, v)); // no row: still empty
    s.Unlock();
    EXPECT_GE(listener.changes, 1);
    EXPECT_EQ(1, listener.mode);
    EXPECT_EQ(0, listener.first);
    EXPECT_EQ(1, listener.last);
    // A later answer does not change records that are already valid.
    s.OnIntradayHistory({Row(F(2026, 3, 4, 10, 45), 99, 99, 99, 99, 99)});
    s.Lock();
    EXPECT_EQ(12, ValueAt(s, 0, kBarClose));
    s.Unlock();
}

TEST(PriceSeries, RowsAcrossGapsFillTheBarsTheyFallIn)
{
    // Five-minute bars up to Wednesday 2026-03-04 12:05 (the fake clock): 78 a day, so
    // 600 bars reach back into the week before. One-minute rows of some days only (with
    // days and hours missing, and rows outside the session), answered newest half first.
    FakeSeriesServices services;
    CPriceSeries s("IBM,5", 0);
    s.SetWindowMode(1);
    s.SetBarCount(600, 0);
    const int n = s.GetRecordCount();
    ASSERT_EQ(600, n);
    std::vector<CHistoryRow> older, newer;
    int k = 0;
    for (int d = 23; d <= 35; ++d) {
        const int month = d <= 28 ? 2 : 3, day = d <= 28 ? d : d - 28;
        if (d == 25 || d == 30)
            continue; // days without an answer
        for (int m = 8 * 60; m < 17 * 60; ++m, ++k) {
            if (m >= 11 * 60 && m < 13 * 60 && d % 2 == 0)
                continue; // a gap of two hours
            const double c = 100 + (k % 97) * 0.25;
            const CHistoryRow row = Row(F(2026, month, day, m / 60, m % 60), c - 0.5, c + 1, c - 1, c, 10 + k % 7);
            (d < 31 ? older : newer).push_back(row);
        }
    }
    // Plainly: a row lands in the bar whose start .. end holds its minute.
    struct Bar {
        bool valid = false;
        double open = 0, high = 0, low = 0, close = 0, volume = 0;
    };
    std::vector<Bar> expected(static_cast<size_t>(n));
    std::vector<CBarRecord> records;
    for (int r = 0; r < n; ++r)
        records.push_back(*s.GetRecordAt(r));
    for (const std::vector<CHistoryRow>* rows : {&newer, &older})
        for (const CHistoryRow& row : *rows) {
            const CTime t = FeedTimeToRecordTime(row.feedTime);
            for (int r = 0; r < n; ++r) {
                const CBarRecord& rec = records[static_cast<size_t>(r)];
                if (t < rec.m_startTime || t >= rec.m_endTime)
                    continue;
                Bar& b = expected[static_cast<size_t>(r)];
                if (!b.valid)
                    b = {true, row.open, row.high, row.low, row.close, row.volume};
                else
                    b = {true, b.open, std::max(b.high, row.high), std::min(b.low, row.low), row.close,
                         b.volume + row.volume};
            }
        }
    s.OnIntradayHistory(newer);
    s.OnIntradayHistory(older);
    int filled = 0;
    for (int r = 0; r < n; ++r) {
        const CBarRecord rec = *s.GetRecordAt(r);
        const Bar& b = expected[static_cast<size_t>(r)];
        ASSERT_EQ(b.valid, rec.m_bValid) << r;
        if (!b.valid)
            continue;
        ++filled;
        EXPECT_EQ(b.open, rec.Open()) << r;
        EXPECT_EQ(b.high, rec.High()) << r;
        EXPECT_EQ(b.low, rec.Low()) << r;
        EXPECT_EQ(b.close, rec.Close()) << r;
        EXPECT_EQ(b.volume, rec.Volume()) << r;
    }
    // By hand: 02-23, 02-27 and 03-03 whole (78 each), 02-24 and 02-26 less the gap
    // (54 each), 03-04 up to 11:00 (18); 02-20 and 03-02 have no rows.
    EXPECT_EQ(78 * 3 + 54 * 2 + 18, filled);
}

TEST(PriceSeries, TradesUpdateTheLastBarAndRollForward)
{
    FakeSeriesServices services;
    CPriceSeries s("IBM,5", 0);
    s.SetWindowMode(1);
    s.SetBarCount(10, 0);
    s.OnIntradayHistory({});
    ASSERT_EQ(0, s.GetOutstandingRequests());
    // 12:05 bar is the newest; a trade of 3 lots (then one of 3 plus 2 more) makes it.
    Live(s, Trade(50.25, 3), F(2026, 3, 4, 12, 7));
    double v;
    s.Lock();
    ASSERT_TRUE(s.GetValue(9, kBarVolume, v));
    EXPECT_EQ(300, v); // size 3 is 300 shares
    s.Unlock();
    Live(s, Trade(50.5, 3, {2}), F(2026, 3, 4, 12, 8));
    // Trades older than the layout are ignored.
    Live(s, Trade(99, 3), F(2026, 3, 4, 12, 6));
    s.Lock();
    EXPECT_EQ(300 + 500, ValueAt(s, 9, kBarVolume));
    EXPECT_EQ(50.5, ValueAt(s, 9, kBarHigh));
    EXPECT_EQ(50.25, ValueAt(s, 9, kBarOpen));
    s.Unlock();
    // A trade in the next bar rolls one bar forward; the count stays.
    services.now = T(2026, 3, 4, 12, 11);
    Live(s, Trade(51, 1), F(2026, 3, 4, 12, 11));
    EXPECT_EQ(10, s.GetRecordCount());
    EXPECT_EQ(T(2026, 3, 4, 12, 10), s.GetRecordAt(9)->m_startTime);
    s.Lock();
    EXPECT_EQ(51, ValueAt(s, 9, kBarClose));
    EXPECT_EQ(50.5, ValueAt(s, 8, kBarClose));
    s.Unlock();
    EXPECT_TRUE(services.requests.size() == 1u); // one bar rolled: nothing requested
    // Rolling several bars asks for the rolled range.
    services.now = T(2026, 3, 4, 12, 31);
    Live(s, Trade(52, 1), F(2026, 3, 4, 12, 31));
    EXPECT_EQ(T(2026, 3, 4, 12, 30), s.GetRecordAt(9)->m_startTime);
    EXPECT_EQ(2u, services.requests.size());
    // A trade stamped years ahead of the clock changes nothing.
    const CTime before = s.GetRecordAt(9)->m_startTime;
    Live(s, Trade(53, 1), F(2031, 1, 1, 10, 0));
    EXPECT_EQ(before, s.GetRecordAt(9)->m_startTime);
    EXPECT_EQ(10, s.GetRecordCount());
}

TEST(PriceSeries, TradeAfterAGapLongerThanTheSeriesLaysItOutAfresh)
{
    FakeSeriesServices services;
    CPriceSeries s("IBM,5", 0);
    CountingListener listener;
    s.SetListener(&listener);
    s.SetBarCount(10, 0); // window byte clear: index 0 is the newest bar, 12:05 Wednesday
    s.OnIntradayHistory({Row(F(2026, 3, 4, 12, 5), 40, 41, 39, 40, 100)});
    ASSERT_EQ(0, s.GetOutstandingRequests());
    services.requests.clear();
    // The next trade of an illiquid symbol comes the next morning, 54 bars later.
    services.now = T(2026, 3, 5, 10, 7);
    Live(s, Trade(45, 2), F(2026, 3, 5, 10, 6));
    EXPECT_EQ(10, s.GetRecordCount());
    EXPECT_EQ(T(2026, 3, 5, 10, 5), s.GetRecordAt(9)->m_startTime);
    EXPECT_EQ(T(2026, 3, 5, 9, 30), s.GetRecordAt(2)->m_startTime);
    EXPECT_EQ(T(2026, 3, 4, 15, 55), s.GetRecordAt(1)->m_startTime);
    int first = 0, last = 0;
    s.GetVisibleRange(first, last);
    EXPECT_EQ(54, last); // the old newest bar keeps index 0
    double v = 0;
    s.Lock();
    EXPECT_EQ(45, ValueAt(s, last, kBarClose));
    EXPECT_EQ(200, ValueAt(s, last, kBarVolume));
    EXPECT_FALSE(s.GetValue(last - 1, kBarClose, v)); // to come from history
    s.Unlock();
    EXPECT_EQ(0, listener.mode);
    // The history of the records before it is asked for in one request.
    ASSERT_EQ(1u, services.requests.size());
    EXPECT_EQ(F(2026, 3, 4, 15, 50), services.requests[0].start);
    EXPECT_EQ(F(2026, 3, 5, 10, 5), services.requests[0].end);
    EXPECT_EQ(1, s.GetOutstandingRequests());
    // Once it is answered the series follows the trades again.
    s.OnIntradayHistory({Row(F(2026, 3, 5, 10, 0), 44, 44, 43, 44, 300)});
    Live(s, Trade(46, 1), F(2026, 3, 5, 10, 7));
    s.Lock();
    EXPECT_EQ(46, ValueAt(s, last, kBarHigh));
    EXPECT_EQ(44, ValueAt(s, last - 1, kBarClose));
    s.Unlock();
}

TEST(PriceSeries, StreamBackAfterALongOutageAsksForTheWholeSeriesUpToNow)
{
    FakeSeriesServices services;
    CPriceSeries s("IBM,5", 0);
    s.SetWindowMode(1);
    s.SetBarCount(10, 0);
    std::vector<CHistoryRow> rows;
    for (int r = 0; r < 10; ++r)
        rows.push_back(Row(CTimeToFeedTime(s.GetRecordAt(r)->m_startTime), 40, 41, 39, 40 + r, 100));
    s.OnIntradayHistory(rows);
    services.requests.clear();
    // A short outage: the bars since the newest with data are asked for again.
    services.now = T(2026, 3, 4, 12, 21);
    s.OnStreamRestored();
    EXPECT_EQ(T(2026, 3, 4, 12, 20), s.GetRecordAt(9)->m_startTime);
    EXPECT_TRUE(s.GetRecordAt(5)->m_bValid);
    EXPECT_FALSE(s.GetRecordAt(6)->m_bValid); // the 12:05 bar, newest with data, again
    ASSERT_EQ(1u, services.requests.size());
    EXPECT_EQ(F(2026, 3, 4, 12, 5), services.requests[0].start);
    s.OnIntradayHistory({});
    // Back the next morning: the series ends at now, all of it asked for.
    services.requests.clear();
    services.now = T(2026, 3, 5, 10, 2);
    s.OnStreamRestored();
    EXPECT_EQ(T(2026, 3, 5, 10, 0), s.GetRecordAt(9)->m_startTime);
    for (int r = 0; r < 10; ++r)
        EXPECT_FALSE(s.GetRecordAt(r)->m_bValid) << r;
    ASSERT_EQ(1u, services.requests.size());
    EXPECT_EQ(CTimeToFeedTime(s.GetRecordAt(0)->m_startTime), services.requests[0].start);
}

TEST(PriceSeries, StreamBackAsksAgainForASeriesWhoseAnswersHeldNoTrade)
{
    FakeSeriesServices services;
    CPriceSeries s("IBM,5", 0);
    s.SetWindowMode(1);
    s.SetBarCount(10, 0); // 11:20 .. 12:05, now 12:07
    s.OnIntradayHistory({}); // the symbol has not traded
    ASSERT_EQ(0, s.GetOutstandingRequests());
    services.requests.clear();
    // Its first trade was made while the stream was down: only the history can bring it.
    services.now = T(2026, 3, 4, 12, 9);
    s.OnStreamRestored();
    ASSERT_EQ(1u, services.requests.size());
    EXPECT_EQ(F(2026, 3, 4, 11, 20), services.requests[0].start);
    EXPECT_EQ(F(2026, 3, 4, 12, 10), services.requests[0].end);
    EXPECT_EQ(1, s.GetOutstandingRequests());
    s.OnIntradayHistory({Row(F(2026, 3, 4, 12, 8), 50, 51, 49, 50.5, 700)});
    EXPECT_EQ(0, s.GetOutstandingRequests());
    const auto newest = s.GetRecordAt(9);
    ASSERT_TRUE(newest);
    EXPECT_EQ(T(2026, 3, 4, 12, 5), newest->m_startTime);
    EXPECT_TRUE(newest->m_bValid);
    EXPECT_EQ(700, newest->Volume());
    EXPECT_EQ(50.5, newest->Close());
}

// Services that let a test look at the series whenever it reads the clock or asks for
// history, as a reader on another thread may at any moment.
class WatchedSeriesServices : public FakeSeriesServices {
public:
    CTime GetExchangeTime() override
    {
        if (look)
            look();
        return FakeSeriesServices::GetExchangeTime();
    }
    int RequestHistory(CPriceSeries* series, DWORD start, DWORD end) override
    {
        if (look)
            look();
        return FakeSeriesServices::RequestHistory(series, start, end);
    }
    std::function<void()> look;
};

TEST(PriceSeries, ASeriesDoneWaitingHoldsItsAnswersAndKeptTrades)
{
    WatchedSeriesServices services;
    CPriceSeries s("IBM,1", 0);
    s.SetWindowMode(1);
    s.SetBarCount(10, 0); // 11:58 .. 12:07, now 12:07
    CTradeMessage kept = Trade(50.5, 3);
    kept.m_sequence = 41;
    Live(s, kept, F(2026, 3, 4, 12, 7, 10)); // waits for the answer
    // The answer holds trades up to number 40, 200 shares in the bar; the kept trade adds 300.
    // Whenever the series no longer waits, the 12:07 bar holds both.
    std::vector<double> wrong;
    services.look = [&] {
        std::lock_guard<CPriceSeries> lock(s);
        const double volume = s.GetRecordAt(9)->Volume();
        if (!s.IsWaitingForData() && volume != 500)
            wrong.push_back(volume);
    };
    s.OnIntradayHistory({Row(F(2026, 3, 4, 12, 7), 50, 50, 50, 50, 200)}, 40);
    EXPECT_FALSE(s.IsWaitingForData());
    EXPECT_EQ(500, s.GetRecordAt(9)->Volume());

    // An outage while the bars are asked for anew: the answer on its way may be older than the
    // outage, so once it is in the bars are asked for again. The series waits throughout.
    services.look = nullptr;
    s.SetBarCount(10, 0);
    s.OnStreamRestored();
    services.requests.clear();
    services.look = [&] {
        std::lock_guard<CPriceSeries> lock(s);
        if (!s.IsWaitingForData())
            wrong.push_back(s.GetRecordAt(9)->Volume());
    };
    s.OnIntradayHistory({Row(F(2026, 3, 4, 12, 7), 50, 50.5, 50, 50.5, 500)}, 41);
    EXPECT_EQ(1u, services.requests.size());
    EXPECT_TRUE(s.IsWaitingForData());
    services.look = nullptr;
    s.OnIntradayHistory({Row(F(2026, 3, 4, 12, 7), 50, 50.5, 50, 50.5, 800)}, 44);
    EXPECT_FALSE(s.IsWaitingForData());
    EXPECT_EQ(800, s.GetRecordAt(9)->Volume());
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " looks found the series done before it was";
}

TEST(PriceSeries, BarsLaidOutAnewLeaveTheSeriesWaitingUntilTheyAreAskedFor)
{
    WatchedSeriesServices services;
    CPriceSeries s("ABC,5", 0);
    s.SetWindowMode(1);
    s.SetBarCount(10, 0); // 11:20 .. 12:05
    const CHistoryRow row = Row(F(2026, 3, 4, 12, 5), 1, 1, 1, 1, 100);
    s.OnIntradayHistory({row});
    ASSERT_TRUE(s.GetRecordAt(9)->m_bValid);
    // The answers always hold the newest bar: a series done waiting without it is wrong.
    int looks = 0;
    std::vector<int> wrong;
    services.look = [&] {
        std::lock_guard<CPriceSeries> lock(s);
        ++looks;
        if (!s.IsWaitingForData() && !s.GetRecordAt(9)->m_bValid)
            wrong.push_back(looks);
    };
    // The owner lays the bars out again.
    s.SetBarCount(10, 0);
    EXPECT_TRUE(s.IsWaitingForData());
    s.OnIntradayHistory({row});
    EXPECT_FALSE(s.IsWaitingForData());
    // The quote names another exchange than the one guessed: the bars are laid out on its rules.
    CSeriesQuote quote;
    quote.pending = false;
    quote.exchange = "NASD";
    services.quotes["ABC"] = quote;
    s.OnExchangeCheck();
    EXPECT_TRUE(s.IsWaitingForData());
    s.OnIntradayHistory({row});
    services.look = nullptr;
    EXPECT_FALSE(s.IsWaitingForData());
    EXPECT_EQ(100, s.GetRecordAt(9)->Volume());
    EXPECT_GE(looks, 4);
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " of " << looks << " looks found empty bars and nothing asked for";
}

TEST(PriceSeries, HistoricalSeriesIgnoresTrades)
{
    FakeSeriesServices services;
    CString key;
    key.Format("IBM,5&EndETime=%u", F(2026, 3, 3, 15, 0));
    CPriceSeries s(key, 0);
    s.SetBarCount(5, 0);
    EXPECT_TRUE(s.IsHistorical());
    s.OnIntradayHistory({});
    EXPECT_EQ(T(2026, 3, 3, 15, 0), s.GetRecordAt(4)->m_startTime);
    Live(s, Trade(10, 1), F(2026, 3, 4, 12, 8));
    for (int r = 0; r < 5; ++r)
        EXPECT_FALSE(s.GetRecordAt(r)->m_bValid);
}

TEST(PriceSeries, ExchangeCheckRequestsAgainForAWrongGuess)
{
    FakeSeriesServices services;
    CPriceSeries s("ABC,5", 0);
    CountingListener listener;
    s.SetListener(&listener);
    s.SetBarCount(10, 0);
    EXPECT_TRUE(s.IsPending());
    s.OnIntradayHistory({Row(F(2026, 3, 4, 12, 5), 1, 1, 1, 1, 1)});
    EXPECT_TRUE(s.GetRecordAt(9)->m_bValid);
    CSeriesQuote quote;
    quote.pending = false;
    quote.exchange = "NASD";
    services.quotes["ABC"] = quote;
    services.requests.clear();
    s.OnExchangeCheck();
    EXPECT_FALSE(s.IsPending());
    EXPECT_EQ(1, listener.states);
    EXPECT_FALSE(s.GetRecordAt(9)->m_bValid); // emptied
    EXPECT_EQ(1u, services.requests.size());  // and asked for again
    EXPECT_EQ(1, s.GetOutstandingRequests());
    // A second check does nothing.
    s.OnExchangeCheck();
    EXPECT_EQ(1, listener.states);
}

TEST(PriceSeries, DailyBarsTakeHistoryAndTheCurrentDay)
{
    FakeSeriesServices services;
    services.quotes["IBM"] = IbmNoonQuote();
    CPriceSeries d("IBM,D", 0);
    d.SetWindowMode(1);
    d.SetBarCount(3, 0);
    EXPECT_EQ(T(2026, 3, 4, 9, 30), d.GetRecordAt(2)->m_startTime);
    d.OnDailyHistory({Row(F(2026, 3, 2, 0, 0), 1, 2, 0.5, 1.5, 10), Row(F(2026, 3, 3, 0, 0), 2, 3, 1, 2.5, 20)});
    EXPECT_FALSE(d.HasCurrentDayBar());
    d.Lock();
    EXPECT_EQ(1.5, ValueAt(d, 0, kBarClose));
    EXPECT_EQ(21, ValueAt(d, 2, kBarClose)); // today from the quote
    EXPECT_EQ(1000, ValueAt(d, 2, kBarVolume));
    d.Unlock();

    // Weekly bars take every daily row of their week.
    CPriceSeries w("IBM,W", 0);
    w.SetWindowMode(1);
    w.SetBarCount(2, 0);
    w.OnDailyHistory({Row(F(2026, 2, 23, 0, 0), 5, 6, 4, 5.5, 1), Row(F(2026, 2, 24, 0, 0), 5.5, 8, 5, 7, 2),
                      Row(F(2026, 2, 27, 0, 0), 7, 7.5, 3, 6, 4)});
    w.Lock();
    EXPECT_EQ(5, ValueAt(w, 0, kBarOpen));
    EXPECT_EQ(8, ValueAt(w, 0, kBarHigh));
    EXPECT_EQ(3, ValueAt(w, 0, kBarLow));
    EXPECT_EQ(6, ValueAt(w, 0, kBarClose));
    EXPECT_EQ(7, ValueAt(w, 0, kBarVolume));
    w.Unlock();
}

TEST(PriceSeries, TodaysDailyBarComesFromTheQuoteAgainWheneverItIsEmptied)
{
    FakeSeriesServices services;
    services.quotes["IBM"] = IbmNoonQuote();
    const std::vector<CHistoryRow> days{Row(F(2026, 3, 2, 0, 0), 1, 2, 0.5, 1.5, 10),
                                        Row(F(2026, 3, 3, 0, 0), 2, 3, 1, 2.5, 20)};
    auto newest = [](CPriceSeries& s) { return *s.GetRecordAt(s.GetRecordCount() - 1); };
    CPriceSeries d("IBM,D", 0);
    d.SetWindowMode(1);
    d.SetBarCount(3, 0);
    d.OnDailyHistory(days);
    EXPECT_EQ(1000, newest(d).Volume());

    // Laid out again: today's bar is the quote's once more, and only once.
    services.quotes["IBM"].volume = 1500;
    d.SetBarCount(3, 0);
    EXPECT_TRUE(d.HasCurrentDayBar());
    d.OnDailyHistory(days);
    EXPECT_FALSE(d.HasCurrentDayBar());
    EXPECT_EQ(1500, newest(d).Volume());
    Live(d, Trade(21.5, 2), F(2026, 3, 4, 12, 8));
    EXPECT_EQ(1700, newest(d).Volume());

    // After an outage the bar waits for the quote the stream brings anew, whichever comes first.
    for (bool answerFirst : {true, false}) {
        SCOPED_TRACE(answerFirst ? "answer first" : "quote first");
        d.OnStreamRestored();
        EXPECT_FALSE(newest(d).m_bValid);
        Live(d, Trade(21.7, 3), F(2026, 3, 4, 12, 9)); // the quote will hold it
        services.quotes["IBM"].volume += 300;
        if (answerFirst) {
            d.OnDailyHistory({});
            EXPECT_FALSE(newest(d).m_bValid);
            d.OnExchangeCheck();
        } else {
            d.OnExchangeCheck();
            EXPECT_FALSE(newest(d).m_bValid);
            d.OnDailyHistory({});
        }
        EXPECT_EQ(services.quotes["IBM"].volume, newest(d).Volume());
        EXPECT_EQ(21, newest(d).Close());
        EXPECT_EQ(2.5, d.GetRecordAt(1)->Close()); // the days before stay
    }

    // The weekly bar holds the days before today from history and today from the quote.
    CPriceSeries w("IBM,W", 0);
    w.SetWindowMode(1);
    w.SetBarCount(2, 0);
    w.OnDailyHistory(days);
    EXPECT_EQ(30 + services.quotes["IBM"].volume, newest(w).Volume());
    EXPECT_EQ(22, newest(w).High());
    EXPECT_EQ(0.5, newest(w).Low());
    w.OnStreamRestored();
    w.OnExchangeCheck();
    w.OnDailyHistory(days);
    EXPECT_EQ(30 + services.quotes["IBM"].volume, newest(w).Volume());
}

TEST(PriceSeries, CachedRowsFillOnlyTheBarsTheyAreCompleteFor)
{
    FakeSeriesServices services;
    CPriceSeries s("IBM,5", 0);
    s.SetWindowMode(1);
    s.SetBarCount(4, 0); // 11:50 to 12:05
    ASSERT_EQ(T(2026, 3, 4, 11, 50), s.GetRecordAt(0)->m_startTime);
    std::vector<CHistoryRow> rows;
    for (int m = 0; m < 17; ++m)
        rows.push_back(Row(F(2026, 3, 4, 11, 50 + m), 10, 11, 9, 10, 100));
    // Complete from 11:52 to the newest row, 12:06, which may be the minute in progress.
    CHistoryCoverage complete;
    complete.Add(F(2026, 3, 4, 11, 52), F(2026, 3, 4, 12, 6));
    s.OnCachedIntradayFill(rows, 0, 3, &complete);
    EXPECT_FALSE(s.GetRecordAt(0)->m_bValid); // begins before the rows do
    EXPECT_TRUE(s.GetRecordAt(1)->m_bValid);
    EXPECT_EQ(500, s.GetRecordAt(1)->Volume());
    EXPECT_TRUE(s.GetRecordAt(2)->m_bValid);
    EXPECT_FALSE(s.GetRecordAt(3)->m_bValid); // reaches past them

    CPriceSeries w("IBM,W", 0);
    w.SetWindowMode(1);
    w.SetBarCount(2, 0);
    const std::vector<CHistoryRow> days{Row(F(2026, 2, 23, 0, 0), 1, 2, 1, 2, 10), Row(F(2026, 2, 24, 0, 0), 2, 3, 2, 3, 20),
                                        Row(F(2026, 3, 2, 0, 0), 3, 4, 3, 4, 30), Row(F(2026, 3, 3, 0, 0), 4, 5, 4, 5, 40)};
    CHistoryCoverage days24On;
    days24On.Add(F(2026, 2, 24, 0, 0), F(2026, 3, 4, 0, 0));
    w.OnCachedDailyFill(days, 0, 1, &days24On);
    EXPECT_FALSE(w.GetRecordAt(0)->m_bValid); // the week began before the span
    EXPECT_FALSE(w.GetRecordAt(1)->m_bValid); // today's week goes on past it
    CHistoryCoverage weeks;
    weeks.Add(F(2026, 2, 22, 0, 0), F(2026, 3, 8, 0, 0));
    w.OnCachedDailyFill(days, 0, 1, &weeks);
    EXPECT_EQ(30, w.GetRecordAt(0)->Volume());
    EXPECT_EQ(70, w.GetRecordAt(1)->Volume());
}

TEST(PriceSeries, WindowModesAndBarTimes)
{
    FakeSeriesServices services;
    CPriceSeries s("IBM,30", 0);
    s.SetBarCount(5, 0);
    int first = 0, last = 0;
    // Window byte clear: index 0 is the newest bar, older ones negative.
    EXPECT_EQ(5, s.GetVisibleRange(first, last));
    EXPECT_EQ(-4, first);
    EXPECT_EQ(0, last);
    DWORD t = 0;
    ASSERT_TRUE(s.GetBarTime(0, 0, t));
    EXPECT_EQ(F(2026, 3, 4, 12, 0), t);
    ASSERT_TRUE(s.GetBarTime(0, 1, t));
    EXPECT_EQ(F(2026, 3, 4, 12, 30), t);
    s.SetWindowMode(1);
    EXPECT_EQ(5, s.GetVisibleRange(first, last));
    EXPECT_EQ(0, first);
    EXPECT_EQ(4, last);
    ASSERT_TRUE(s.GetBarTime(4, 0, t));
    EXPECT_EQ(F(2026, 3, 4, 12, 0), t);
    // Beyond the records the bar period steps on.
    ASSERT_TRUE(s.GetBarTime(6, 0, t));
    EXPECT_EQ(F(2026, 3, 4, 13, 0), t);
    ASSERT_TRUE(s.GetBarTime(-1, 0, t));
    EXPECT_EQ(F(2026, 3, 4, 9, 30), t);
    EXPECT_EQ(4, s.FindBarByTime(F(2026, 3, 4, 12, 0), 0));
    EXPECT_EQ(4, s.FindBarByTime(F(2026, 3, 4, 12, 30), 1));
    EXPECT_EQ(6, s.FindBarByTime(F(2026, 3, 4, 13, 10), 0));
    EXPECT_EQ(-2, s.FindBarByTime(F(2026, 3, 3, 15, 40), 0));
    // A time between sessions: the bar before it on the start side, the one after on the end side.
    EXPECT_EQ(-2, s.FindBarByTime(F(2026, 3, 3, 17, 0), 0));
    EXPECT_EQ(-1, s.FindBarByTime(F(2026, 3, 3, 17, 0), 1));
    EXPECT_EQ(11, s.FindBarByTime(F(2026, 3, 4, 17, 0), 0)); // 15:30
    EXPECT_EQ(12, s.FindBarByTime(F(2026, 3, 4, 17, 0), 1)); // 9:30 of the next day
    EXPECT_EQ(F(2026, 3, 4, 12, 30), s.GetLastBarTime());
    s.AddEmptyBars(-2, 0);
    EXPECT_EQ(7, s.GetRecordCount());
    EXPECT_EQ(2, s.GetFrontCount());
    EXPECT_EQ(T(2026, 3, 3, 15, 30), s.GetRecordAt(0)->m_startTime);
}

TEST(PriceSeries, BarsAddedAtEitherEndAreAskedForWhenTheyHaveBegun)
{
    FakeSeriesServices services;
    CPriceSeries s("IBM,30", 0);
    const std::vector<CHistoryRow> rows = AnswerFiveHalfHours(s);
    ASSERT_FALSE(s.IsWaitingForData());
    services.requests.clear();

    // One older bar: 9:30, asked for by its own span; the window still ends at 12:00.
    EXPECT_EQ(1, s.ExtendBars(-1, 1));
    ASSERT_EQ(6, s.GetRecordCount());
    EXPECT_EQ(T(2026, 3, 4, 9, 30), s.GetRecordAt(0)->m_startTime);
    ASSERT_EQ(1u, services.requests.size());
    EXPECT_EQ(F(2026, 3, 4, 9, 30), services.requests[0].start);
    EXPECT_EQ(F(2026, 3, 4, 10, 0), services.requests[0].end);
    EXPECT_TRUE(s.IsWaitingForData());
    s.OnIntradayHistory({Row(F(2026, 3, 4, 9, 30), 18, 19, 17, 18.5, 300)});
    EXPECT_FALSE(s.IsWaitingForData());
    double v = 0;
    s.Lock();
    EXPECT_TRUE(s.GetValue(-1, kBarClose, v)); // in front of the window
    EXPECT_DOUBLE_EQ(18.5, v);
    EXPECT_TRUE(s.GetValue(4, kBarClose, v));
    EXPECT_DOUBLE_EQ(24, v);
    s.Unlock();

    // One newer bar: 12:30 has not begun, so nothing is asked for; it ends the window.
    EXPECT_EQ(1, s.ExtendBars(1, 1));
    ASSERT_EQ(7, s.GetRecordCount());
    EXPECT_EQ(1u, services.requests.size());
    EXPECT_FALSE(s.IsWaitingForData());
    DWORD t = 0;
    ASSERT_TRUE(s.GetBarTime(4, 0, t));
    EXPECT_EQ(F(2026, 3, 4, 12, 30), t);
    s.Lock();
    EXPECT_FALSE(s.GetValue(4, kBarClose, v));
    s.Unlock();
}

TEST(PriceSeries, BarsPrependedAreAskedForOnlyWhereTheOwnerShowsThem)
{
    FakeSeriesServices services;
    CPriceSeries s("IBM,30", 0);
    const std::vector<CHistoryRow> rows = AnswerFiveHalfHours(s);
    services.requests.clear();

    // Four older bars: Tuesday 14:30, 15:00, 15:30 and Wednesday 9:30, none asked for yet;
    // the series waits until its owner asks.
    ASSERT_EQ(4, s.PrependBars(-4));
    ASSERT_EQ(9, s.GetRecordCount());
    EXPECT_EQ(T(2026, 3, 3, 14, 30), s.GetRecordAt(0)->m_startTime);
    EXPECT_TRUE(services.requests.empty());
    EXPECT_TRUE(s.IsWaitingForData());

    // Shown: 9:30 alone (visible index -1). Only it is asked for.
    s.AskRecords(-1, -1);
    ASSERT_EQ(1u, services.requests.size());
    EXPECT_EQ(F(2026, 3, 4, 9, 30), services.requests[0].start);
    EXPECT_EQ(F(2026, 3, 4, 10, 0), services.requests[0].end);
    s.OnIntradayHistory({Row(F(2026, 3, 4, 9, 30), 18, 19, 17, 18.5, 300)});
    EXPECT_FALSE(s.IsWaitingForData());
    s.AskRecords(-1, 4);
    EXPECT_EQ(1u, services.requests.size()); // asked for once

    // Then 14:30 and 15:00, and at last the rest: 15:30.
    s.AskRecords(-4, -3);
    ASSERT_EQ(2u, services.requests.size());
    EXPECT_EQ(F(2026, 3, 3, 14, 30), services.requests[1].start);
    EXPECT_EQ(F(2026, 3, 3, 15, 30), services.requests[1].end);
    s.AskRecords(-20, 20);
    ASSERT_EQ(3u, services.requests.size());
    EXPECT_EQ(F(2026, 3, 3, 15, 30), services.requests[2].start);
    EXPECT_EQ(F(2026, 3, 3, 16, 0), services.requests[2].end);
    s.AskRecords(-20, 20);
    EXPECT_EQ(3u, services.requests.size());

    // Laid out anew: nothing prepended waits any more.
    ASSERT_EQ(2, s.PrependBars(-2));
    s.SetBarCount(5, 0);
    s.OnIntradayHistory(rows);
    EXPECT_FALSE(s.IsWaitingForData());
}

TEST(PriceSeries, StudySeriesComputesOverItsOwnBars)
{
    FakeSeriesServices services;
    CPriceSeries s("MA(IBM,Close,3,0),5", 0);
    s.SetWindowMode(1);
    s.SetBarCount(10, 0); // 10 + warm-up 3
    ASSERT_EQ(13, s.GetRecordCount());
    std::vector<CHistoryRow> rows;
    for (int r = 0; r < 13; ++r) {
        const DWORD t = CTimeToFeedTime(s.GetRecordAt(r)->m_startTime);
        rows.push_back(Row(t, 10 + r, 11 + r, 9 + r, 10 + r, 100));
    }
    s.OnIntradayHistory(rows);
    double v;
    s.Lock();
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(s.GetValue(i, 0, v));
        EXPECT_DOUBLE_EQ(10 + (i + 3) - 1, v); // mean of the three closes ending at record i + 3
    }
    EXPECT_FALSE(s.GetValue(0, 5, v)); // no such output
    s.Unlock();
    // A trade changes the newest bar and its average.
    Live(s, Trade(40, 1), F(2026, 3, 4, 12, 8));
    s.Lock();
    ASSERT_TRUE(s.GetValue(9, 0, v));
    EXPECT_DOUBLE_EQ((20 + 21 + 40) / 3.0, v);
    s.Unlock();
}

TEST(PriceSeries, TickSeriesAppendsFilteredTicksWithFlags)
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
    CPriceSeries s("ABCD,0&FilterMinPrice=9", 0);
    s.SetWindowMode(1);
    s.SetBarCount(4, 0);
    s.OnIntradayHistory({});
    const DWORD t = F(2026, 3, 4, 12, 8);
    Live(s, Trade(12, 2), t);        // at the day's high
    Live(s, Trade(8.5, 1), t);       // below the filter's minimum: dropped
    Live(s, Trade(9.5, 1, {4}), t);  // at the bid, twice (a further size)
    EXPECT_EQ(4, s.GetRecordCount());
    s.Lock();
    EXPECT_EQ(12, ValueAt(s, 1, kTickPrice));
    EXPECT_EQ(32, ValueAt(s, 1, kTickFlags));
    EXPECT_EQ(100, ValueAt(s, 2, kTickSize));
    EXPECT_EQ(400, ValueAt(s, 3, kTickSize));
    EXPECT_EQ(4096, ValueAt(s, 3, kTickFlags));
    s.Unlock();
    char text[64];
    ASSERT_TRUE(s.FormatTickField(3, 0, text, sizeof text));
    EXPECT_STREQ("Trade", text);
    ASSERT_TRUE(s.FormatTickField(3, 3, text, sizeof text));
    EXPECT_STREQ("9.50", text);
    ASSERT_TRUE(s.FormatTickField(1, 7, text, sizeof text));
    EXPECT_STREQ("NASD", text);
    EXPECT_FALSE(s.FormatTickField(0, 3, text, sizeof text)); // empty slot
    EXPECT_STREQ("", text);
    EXPECT_EQ(CString("ABCD:NASD"), s.GetQualifiedSymbol());
}

// An owner scrolled back keeps the records from the one at its top row down while trades come
// in. Of the newer records the newest stay, as many as the series held (8); once twice that
// many are newer, the older ones go. Back at the newest it holds what a series that kept
// nothing holds.
TEST(PriceSeries, RecordsKeptForAnOwnerStayAndOnlyTheNewestTradesWithThem)
{
    FakeSeriesServices services; // 12:07:00
    CPriceSeries kept("IBM,0", 0), live("IBM,0", 0);
    for (CPriceSeries* s : {&kept, &live}) {
        s->SetWindowMode(1);
        s->SetBarCount(8, 0);
        s->OnIntradayHistory({});
    }
    // Trade i: price i, i lots.
    auto trade = [&](int i) {
        for (CPriceSeries* s : {&kept, &live})
            Live(*s, Trade(i, i), F(2026, 3, 4, 12, 7, 10));
    };
    auto priceAt = [](CPriceSeries& s, int record) { return s.GetRecordAt(record)->m_fields[kTickPrice]; };
    for (int i = 1; i <= 8; ++i)
        trade(i);
    // The top row shows visible index 5, the trade at 6: records 0..5 stay. Scrolled down to
    // index 3 after that, they still do.
    kept.KeepThrough(5);
    kept.KeepThrough(3);
    EXPECT_TRUE(kept.IsKeeping());
    const int appends = kept.GetLiveAppends();
    int most = 0;
    for (int i = 9; i <= 40; ++i) {
        trade(i);
        most = std::max(most, kept.GetRecordCount());
    }
    // 6 kept and 2 newer; the newer reach 17 with the trades at 23 and at 32, and go back to
    // the newest 8 each time; 8 more come after: 6 + 16.
    EXPECT_EQ(22, most);
    ASSERT_EQ(22, kept.GetRecordCount());
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(r + 1, priceAt(kept, r)) << r;
    for (int r = 6; r < 22; ++r)
        EXPECT_EQ(r + 19, priceAt(kept, r)) << r; // 25 .. 40
    // 32 trades came in and 18 went between: the trade at 6 is 14 indexes further on.
    EXPECT_EQ(14, kept.GetLiveAppends() - appends);
    CBarRecord record;
    ASSERT_TRUE(kept.GetRecord(5 - 14, record));
    EXPECT_EQ(6, record.m_fields[kTickPrice]);
    EXPECT_EQ(600, record.m_fields[kTickSize]);
    EXPECT_EQ(8, live.GetRecordCount());

    // Back at the newest: the newest 8, as the series that kept nothing holds them.
    kept.StopKeeping();
    EXPECT_FALSE(kept.IsKeeping());
    ASSERT_EQ(8, kept.GetRecordCount());
    for (int r = 0; r < 8; ++r) {
        const CBarRecord a = *kept.GetRecordAt(r), b = *live.GetRecordAt(r);
        EXPECT_EQ(33 + r, a.m_fields[kTickPrice]) << r;
        EXPECT_EQ(b.m_fields[kTickPrice], a.m_fields[kTickPrice]) << r;
        EXPECT_EQ(b.m_fields[kTickSize], a.m_fields[kTickSize]) << r;
        EXPECT_EQ(b.m_startTime, a.m_startTime) << r;
    }
    // A trade then replaces the oldest, as in the other.
    trade(41);
    ASSERT_EQ(8, kept.GetRecordCount());
    EXPECT_EQ(34, priceAt(kept, 0));
    EXPECT_EQ(41, priceAt(kept, 7));

    // Records scrolled in at the older end while keeping stay once back at the newest, as
    // those of a list that scrolled them in and stayed there would.
    kept.KeepThrough(7);
    ASSERT_EQ(2, kept.ExtendBars(-2, 1));
    trade(42);
    ASSERT_EQ(11, kept.GetRecordCount());
    kept.StopKeeping();
    ASSERT_EQ(10, kept.GetRecordCount());
    // The older slot scrolled in went for the trade at 42, as the oldest goes for each trade.
    EXPECT_FALSE(kept.GetRecordAt(0)->m_bValid);
    EXPECT_EQ(34, priceAt(kept, 1));
    EXPECT_EQ(42, priceAt(kept, 9));
}

// One-minute history rows in a tick series: each row is one trade in the two-second slot it
// starts in, whether it came with the first answer, with the answer for a slot scrolled in
// at either end, or from the cache; the other slots of its minute hold no trade, so the
// sizes shown add up to the minutes' volumes.
TEST(PriceSeries, TickSlotsShowAMinuteRowOnceInTheSlotItStartsIn)
{
    FakeSeriesServices services; // 12:07:00
    CPriceSeries s("IBM,0", 0);
    s.SetWindowMode(1);
    s.SetBarCount(4, 0);
    ASSERT_EQ(4, s.GetRecordCount());
    ASSERT_EQ(T(2026, 3, 4, 12, 6, 54), s.GetRecordAt(0)->m_startTime);
    ASSERT_EQ(T(2026, 3, 4, 12, 7, 0), s.GetRecordAt(3)->m_startTime);
    const CHistoryRow m1205 = Row(F(2026, 3, 4, 12, 5), 9, 10, 8, 9.5, 500);
    const CHistoryRow m1206 = Row(F(2026, 3, 4, 12, 6), 10, 11, 9, 10.5, 600);
    const CHistoryRow m1207 = Row(F(2026, 3, 4, 12, 7), 11, 12, 10, 11.5, 700);
    // The minute a slot lies in, as a server or the cache holding whole minutes gives it.
    auto minuteOf = [&](CTime start) { return start.GetMinute() == 5 ? m1205 : start.GetMinute() == 6 ? m1206 : m1207; };
    s.OnIntradayHistory({m1206, m1207});
    // Older slots one at a time, back to 12:04:58: each answered with the minute it lies in,
    // half of them by the history and half from the cache.
    for (int line = 0; line < 58; ++line) {
        ASSERT_EQ(1, s.ExtendBars(-1, 1));
        const std::vector<CHistoryRow> rows{minuteOf(s.GetRecordAt(0)->m_startTime)};
        if (line % 2)
            s.OnIntradayHistory(rows);
        else
            s.OnCachedIntradayFill(rows, 0, 0);
    }
    ASSERT_EQ(T(2026, 3, 4, 12, 4, 58), s.GetRecordAt(0)->m_startTime);
    // Newer slots after 12:07:00, answered the same way.
    for (int line = 0; line < 3; ++line) {
        ASSERT_EQ(1, s.ExtendBars(1, 1));
        s.OnIntradayHistory({m1207});
    }
    const int n = s.GetRecordCount();
    ASSERT_EQ(65, n);
    std::map<int, std::pair<double, double>> trades; // seconds after 12:00 -> price, size
    double shownSize = 0;
    for (int r = 0; r < n; ++r) {
        const CBarRecord rec = *s.GetRecordAt(r);
        if (!rec.m_bValid)
            continue;
        const int at = static_cast<int>(rec.m_startTime.GetTime() - T(2026, 3, 4, 12, 0).GetTime());
        trades[at] = {rec.m_fields[kTickPrice], rec.m_fields[kTickSize]};
        shownSize += rec.m_fields[kTickSize];
    }
    const std::map<int, std::pair<double, double>> expected{{300, {9.5, 500}}, {360, {10.5, 600}}, {420, {11.5, 700}}};
    EXPECT_EQ(expected, trades);
    EXPECT_EQ(500 + 600 + 700, shownSize);
    char text[64];
    // The list's rows: the slot before 12:06:00 and the one after it show no trade.
    const int slot1206 = s.FindBarByTime(F(2026, 3, 4, 12, 6), 0);
    EXPECT_FALSE(s.FormatTickField(slot1206 - 1, 0, text, sizeof text));
    ASSERT_TRUE(s.FormatTickField(slot1206, 0, text, sizeof text));
    EXPECT_STREQ("Trade", text);
    ASSERT_TRUE(s.FormatTickField(slot1206, 4, text, sizeof text));
    EXPECT_STREQ("600", text);
    EXPECT_FALSE(s.FormatTickField(slot1206 + 1, 0, text, sizeof text));
}

namespace {

// A tick series of IBM whose history ends at 12:07:00: four two-second slots up to it.
std::unique_ptr<CPriceSeries> TicksUpTo1207()
{
    CString key;
    key.Format("IBM,0&EndETime=%u", F(2026, 3, 4, 12, 7));
    auto s = std::make_unique<CPriceSeries>(key, 0);
    s->SetWindowMode(1);
    s->SetBarCount(4, 0);
    return s;
}

} // namespace

// Ticks gone to a time that is now: slots added after the newest have not begun, so
// nothing is asked for them yet; once they have (a later line added, a trade of the symbol),
// they are asked for and take the history as the others did.
TEST(PriceSeries, NewerSlotsOfAFixedHistoryAreAskedForOnceTheyHaveBegun)
{
    FakeSeriesServices services; // 12:07:00
    const std::unique_ptr<CPriceSeries> series = TicksUpTo1207();
    CPriceSeries& s = *series;
    ASSERT_EQ(T(2026, 3, 4, 12, 7, 0), s.GetRecordAt(3)->m_startTime);
    s.OnIntradayHistory({Row(F(2026, 3, 4, 12, 7), 11, 11, 11, 11, 300)});
    services.requests.clear();
    for (int line = 0; line < 31; ++line)
        ASSERT_EQ(1, s.ExtendBars(1, 1)); // 12:07:02 to 12:08:02
    EXPECT_TRUE(services.requests.empty());
    EXPECT_FALSE(s.IsWaitingForData());

    // 12:07:30: one line more asks for the slots begun by then.
    services.now = T(2026, 3, 4, 12, 7, 30);
    ASSERT_EQ(1, s.ExtendBars(1, 1)); // 12:08:04
    ASSERT_EQ(1u, services.requests.size());
    EXPECT_EQ(F(2026, 3, 4, 12, 7, 2), services.requests[0].start);
    EXPECT_EQ(F(2026, 3, 4, 12, 7, 32), services.requests[0].end);
    s.OnIntradayHistory({});

    // A trade at 12:08:04: the rest up to it, whose history holds the 12:08 minute.
    services.now = T(2026, 3, 4, 12, 8, 5);
    Live(s, Trade(12.5, 1), F(2026, 3, 4, 12, 8, 4));
    ASSERT_EQ(2u, services.requests.size());
    EXPECT_EQ(F(2026, 3, 4, 12, 7, 32), services.requests[1].start);
    EXPECT_EQ(F(2026, 3, 4, 12, 8, 6), services.requests[1].end);
    EXPECT_TRUE(s.IsWaitingForData());
    s.OnIntradayHistory({Row(F(2026, 3, 4, 12, 8), 12, 12.5, 12, 12.25, 400)});
    EXPECT_FALSE(s.IsWaitingForData());
    std::map<int, std::pair<double, double>> trades; // seconds after 12:00 -> price, size
    for (int r = 0; r < s.GetRecordCount(); ++r)
        if (const CBarRecord rec = *s.GetRecordAt(r); rec.m_bValid)
            trades[static_cast<int>(rec.m_startTime.GetTime() - T(2026, 3, 4, 12, 0).GetTime())] = {
                rec.m_fields[kTickPrice], rec.m_fields[kTickSize]};
    const std::map<int, std::pair<double, double>> expected{{420, {11, 300}}, {480, {12.25, 400}}};
    EXPECT_EQ(expected, trades);
    // Nothing newer is left to ask for.
    Live(s, Trade(12.5, 1), F(2026, 3, 4, 12, 8, 30));
    EXPECT_EQ(2u, services.requests.size());
}

// The exchange clock may lag the feed: a trade at 12:07:30 read at 12:07:27 shows that the
// slots up to the one starting at 12:07:30 have begun, and they are asked for in one span.
TEST(PriceSeries, ATradeAheadOfTheClockShowsTheSlotsUpToItHaveBegun)
{
    FakeSeriesServices services; // 12:07:00
    const std::unique_ptr<CPriceSeries> series = TicksUpTo1207();
    CPriceSeries& s = *series;
    s.OnIntradayHistory({Row(F(2026, 3, 4, 12, 7), 11, 11, 11, 11, 300)});
    services.requests.clear();
    for (int line = 0; line < 31; ++line)
        ASSERT_EQ(1, s.ExtendBars(1, 1)); // 12:07:02 to 12:08:02, none begun
    ASSERT_TRUE(services.requests.empty());

    services.now = T(2026, 3, 4, 12, 7, 27);
    Live(s, Trade(12.5, 1), F(2026, 3, 4, 12, 7, 30));
    ASSERT_EQ(1u, services.requests.size());
    EXPECT_EQ(F(2026, 3, 4, 12, 7, 2), services.requests[0].start);
    EXPECT_EQ(F(2026, 3, 4, 12, 7, 32), services.requests[0].end); // the 12:07:30 slot's end
    // The clock reaching the trade's time finds nothing more begun; a line added then asks
    // for none of the slots asked for already.
    services.now = T(2026, 3, 4, 12, 7, 31);
    ASSERT_EQ(1, s.ExtendBars(1, 1)); // 12:08:04
    EXPECT_EQ(1u, services.requests.size());
    // The next trade: from 12:07:32 on.
    Live(s, Trade(12.5, 1), F(2026, 3, 4, 12, 7, 34));
    ASSERT_EQ(2u, services.requests.size());
    EXPECT_EQ(F(2026, 3, 4, 12, 7, 32), services.requests[1].start);
    EXPECT_EQ(F(2026, 3, 4, 12, 7, 36), services.requests[1].end);
}

// Once stepping, a clock that moves on by two seconds each time it is read.
struct SteppingServices : FakeSeriesServices {
    CTime GetExchangeTime() override
    {
        std::lock_guard<std::mutex> g(lock);
        const CTime read = now;
        if (stepping)
            now += CTimeSpan(0, 0, 0, 2);
        return read;
    }
    bool stepping = false;
};

// A slot added just before it begins, on a clock that moves on meanwhile: it is asked for
// once a trade shows it has begun, never taken as asked for already.
TEST(PriceSeries, ANewerSlotBegunWhileBeingAddedIsAskedForOnTheNextTrade)
{
    SteppingServices services;
    const std::unique_ptr<CPriceSeries> series = TicksUpTo1207();
    CPriceSeries& s = *series;
    ASSERT_EQ(T(2026, 3, 4, 12, 7, 0), s.GetRecordAt(3)->m_startTime);
    s.OnIntradayHistory({Row(F(2026, 3, 4, 12, 7), 11, 11, 11, 11, 300)});
    {
        std::lock_guard<std::mutex> g(services.lock);
        services.now = T(2026, 3, 4, 12, 7, 1);
        services.stepping = true;
        services.requests.clear();
    }
    ASSERT_EQ(1, s.ExtendBars(1, 1)); // 12:07:02, not begun at 12:07:01
    EXPECT_TRUE(services.requests.empty());
    Live(s, Trade(12.5, 1), F(2026, 3, 4, 12, 7, 2));
    ASSERT_EQ(1u, services.requests.size());
    EXPECT_EQ(F(2026, 3, 4, 12, 7, 2), services.requests[0].start);
    EXPECT_EQ(F(2026, 3, 4, 12, 7, 4), services.requests[0].end);
}

TEST(PriceSeries, InvalidationMapsRecordsToVisibleIndexes)
{
    FakeSeriesServices services;
    CPriceSeries s("EMA(IBM,Close,2,0),5", 0);
    CountingListener listener;
    s.SetListener(&listener);
    s.SetWindowMode(1);
    s.SetBarCount(10, 0); // warm-up int(4 x 2 x 1.5) = 12
    ASSERT_EQ(22, s.GetRecordCount());
    std::vector<CHistoryRow> rows;
    for (int r = 0; r < 22; ++r)
        rows.push_back(Row(CTimeToFeedTime(s.GetRecordAt(r)->m_startTime), r, r, r, r, 1));
    s.OnIntradayHistory(rows);
    EXPECT_EQ(0, listener.first); // records 0..21 seen as rows 0..9
    EXPECT_EQ(9, listener.last);
    double before;
    s.Lock();
    ASSERT_TRUE(s.GetValue(9, 0, before));
    s.Unlock();
    // SetRecord clears that row's cached value: the new close changes the average.
    CBarRecord rec;
    ASSERT_TRUE(s.GetRecord(9, rec));
    rec.m_fields[kBarClose] = 100;
    ASSERT_TRUE(s.SetRecord(9, rec));
    double after;
    s.Lock();
    ASSERT_TRUE(s.GetValue(9, 0, after));
    s.Unlock();
    EXPECT_GT(after, before + 10);
    s.InvalidateValues(1, 20, 21);
    EXPECT_EQ(1, listener.mode);
    EXPECT_EQ(8, listener.first);
    EXPECT_EQ(9, listener.last);
}

TEST(PriceSeries, QuarterlyBarsMergeDailyRows)
{
    FakeSeriesServices services;
    CPriceSeries q("IBM,Q", 0);
    q.SetWindowMode(1);
    q.SetBarCount(2, 0); // 2025 Q4 and 2026 Q1
    EXPECT_EQ(T(2026, 1, 1, 0, 0), q.GetRecordAt(1)->m_startTime);
    EXPECT_EQ(T(2025, 10, 1, 0, 0), q.GetRecordAt(0)->m_startTime);
    q.OnDailyHistory({Row(F(2025, 10, 1, 0, 0), 10, 11, 9, 10.5, 5), Row(F(2025, 12, 31, 0, 0), 10.5, 15, 10, 14, 6),
                      Row(F(2026, 1, 2, 0, 0), 14, 14.5, 13, 13.5, 7)});
    q.Lock();
    EXPECT_EQ(15, ValueAt(q, 0, kBarHigh));
    EXPECT_EQ(14, ValueAt(q, 0, kBarClose));
    EXPECT_EQ(11, ValueAt(q, 0, kBarVolume));
    EXPECT_EQ(14, ValueAt(q, 1, kBarOpen));
    q.Unlock();
}

TEST(PriceSeries, LateHistoryRefreshesTheStudyValuesAfterIt)
{
    FakeSeriesServices services;
    CPriceSeries s("MA(IBM,Close,2,0),5", 0);
    s.SetWindowMode(1);
    s.SetBarCount(4, 0); // 4 + warm-up 1
    ASSERT_EQ(5, s.GetRecordCount());
    auto row = [&](int r, double c) { return Row(CTimeToFeedTime(s.GetRecordAt(r)->m_startTime), c, c, c, c, 1); };
    // Record 2 is missing in the first answer.
    s.OnIntradayHistory({row(0, 10), row(1, 11), row(3, 13), row(4, 14)});
    double v;
    s.Lock();
    ASSERT_TRUE(s.GetValue(2, 0, v)); // records 1 and 3: (11 + 13) / 2
    EXPECT_DOUBLE_EQ(12, v);
    s.Unlock();
    // It arrives later: the average of record 3 (and after) now takes it.
    s.OnCachedIntradayFill({row(2, 20)}, 0, 4);
    s.Lock();
    ASSERT_TRUE(s.GetValue(2, 0, v));
    EXPECT_DOUBLE_EQ((20 + 13) / 2.0, v);
    ASSERT_TRUE(s.GetValue(3, 0, v));
    EXPECT_DOUBLE_EQ((13 + 14) / 2.0, v);
    ASSERT_TRUE(s.GetValue(1, 0, v));
    EXPECT_DOUBLE_EQ((11 + 20) / 2.0, v);
    s.Unlock();
}
