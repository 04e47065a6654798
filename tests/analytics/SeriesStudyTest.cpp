// Study series kept current record by record: after any sequence of history answers,
// trades, roll-forwards, empty bars and record changes, every value equals a computation
// of the study over the series' records as they stand.
#include "FakeSeriesServices.h"
#include "StudyReference.h"
#include "StudyTestData.h"

#include "analytics/series/CBarStore.h"
#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSeriesReadLock.h"
#include "analytics/series/CSeriesStudy.h"
#include "analytics/series/SeriesTime.h"
#include "analytics/studies/StudyCompute.h"
#include "analytics/studies/StudyTable.h"
#include "broker/session/SessionMessages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

namespace {

CHistoryRow Row(DWORD time, double c, double spread, double volume)
{
    CHistoryRow r;
    r.feedTime = time;
    r.open = c - spread / 3;
    r.high = c + spread;
    r.low = c - spread;
    r.close = c;
    r.volume = volume;
    return r;
}

// Every visible value of every output against the study computed over CopyRecords().
void ExpectValuesOfTheRecords(CPriceSeries& s, const char* step)
{
    const std::vector<CBarRecord> records = s.CopyRecords();
    studies::CStudyColumns want;
    studies::CStudyInput input;
    input.records = records.data();
    input.count = static_cast<int>(records.size());
    ASSERT_TRUE(studies::ComputeStudy(s.GetStudyType(), s.GetStudyValues()->GetParams(), input, want));
    int first = 0, last = 0;
    s.GetVisibleRange(first, last);
    std::lock_guard<CPriceSeries> lock(s);
    for (int o = 0; o < want.GetOutputCount(); ++o)
        for (int r = 0; r < s.GetRecordCount(); ++r) {
            // Visible records through their index, the warm-up ones by record number.
            const int i = r - s.GetRecordOfIndex(0);
            double expected = 0, got = 0;
            const bool has = want.Get(r, o, expected);
            const bool read = i >= first && i <= last ? s.GetValue(i, o, got) : s.ComputeValue(r, o, got);
            ASSERT_EQ(has, read) << step << ": output " << o << " record " << r;
            if (has) {
                ASSERT_NEAR(expected, got, 1e-9 * std::max(1.0, std::abs(expected)))
                    << step << ": output " << o << " record " << r;
            }
        }
}

struct Case {
    const char* key;
};

} // namespace

TEST(SeriesStudy, ValuesFollowEveryChangeOfTheRecords)
{
    const char* const keys[] = {
        "MA(IBM,Close,6,0),1",     "MA(IBM,High,4,3),1",     "EMA(IBM,Close,3,-2),1",  "MACD(IBM,Close,3,5,2),1",
        "RSI(IBM,4),1",            "STOC(IBM,5,3,2),1",      "PSAR(IBM,0.02,0.02,0.2),1", "ADX(IBM,3,2),1",
        "TSF(IBM,Close,5,2),1",    "PRC(IBM,4,-1),1",        "SRSI2(IBM,3,4,2,2),1",   "AMA(IBM,Close,3,2,30),1",
        "COSC(IBM,2,4),1",         "OBV(IBM),1",             "CCI(IBM,5),1",           "TEMA(IBM,Close,2,0),1",
    };
    for (const char* key : keys) {
        SCOPED_TRACE(key);
        FakeSeriesServices services;
        CPriceSeries s(key, 0);
        ASSERT_TRUE(s.IsKeyValid());
        s.SetWindowMode(1);
        s.SetBarCount(120, 0);
        std::mt19937 rng(11);
        std::uniform_real_distribution<double> unit(0, 1);
        double price = 50;
        auto next = [&] {
            price = std::max(1.0, price + (unit(rng) - 0.5) * (unit(rng) < 0.1 ? 0.0 : 2.0));
            return price;
        };
        // History with gaps: every tenth minute has no row.
        std::vector<CHistoryRow> rows;
        for (int r = 0; r < s.GetRecordCount(); ++r)
            if (r % 10 != 7)
                rows.push_back(Row(CTimeToFeedTime(s.GetRecordAt(r)->m_startTime), next(), unit(rng), 100.0 * r));
        s.OnIntradayHistory(rows);
        ExpectValuesOfTheRecords(s, "history");
        // The missing minutes arrive late, from the cache.
        rows.clear();
        for (int r = 0; r < s.GetRecordCount(); r += 10)
            rows.push_back(Row(CTimeToFeedTime(s.GetRecordAt(r + 7)->m_startTime), next(), 0.5, 300));
        s.OnCachedIntradayFill(rows, 0, s.GetRecordCount() - 1);
        ExpectValuesOfTheRecords(s, "late history");
        CTime now = services.GetExchangeTime();
        auto trade = [&](double p) {
            CTradeMessage t;
            t.m_price = p;
            t.m_size = 1 + static_cast<int>(unit(rng) * 5);
            s.OnLiveData(&t, CTimeToFeedTime(now));
        };
        for (int step = 0; step < 60; ++step) {
            const double pick = unit(rng);
            if (pick < 0.45) {
                trade(next()); // inside the newest bar
            } else if (pick < 0.65) {
                // A later minute: one bar rolls in, or several with their history asked for.
                const int minutes = unit(rng) < 0.7 ? 1 : 3;
                now = CTime(now.GetTime() + 60 * minutes);
                {
                    std::lock_guard<std::mutex> g(services.lock);
                    services.now = now;
                }
                trade(next());
                if (s.GetOutstandingRequests()) {
                    std::vector<CHistoryRow> answer;
                    for (int r = s.GetRecordCount() - minutes; r < s.GetRecordCount() - 1; ++r)
                        answer.push_back(Row(CTimeToFeedTime(s.GetRecordAt(r)->m_startTime), next(), 0.3, 50));
                    s.OnIntradayHistory(answer);
                }
            } else if (pick < 0.8) {
                // A record changed, or emptied, by its owner.
                int first = 0, last = 0;
                s.GetVisibleRange(first, last);
                const int i = first + static_cast<int>(unit(rng) * (last - first + 1));
                CBarRecord rec;
                ASSERT_TRUE(s.GetRecord(i, rec));
                rec.m_fields[kBarClose] = next();
                rec.m_fields[kBarHigh] = std::max(rec.m_fields[kBarHigh], price);
                rec.m_bValid = unit(rng) < 0.8 ? 1 : 0;
                ASSERT_TRUE(s.SetRecord(i, rec));
            } else if (pick < 0.9) {
                s.AddEmptyBars(unit(rng) < 0.5 ? -2 : 1, 0);
            } else {
                s.InvalidateValues(1, static_cast<int>(unit(rng) * s.GetRecordCount()), s.GetRecordCount() - 1);
            }
            ExpectValuesOfTheRecords(s, ("step " + std::to_string(step)).c_str());
        }
    }
}

TEST(SeriesStudy, RollsPastHalfTheRecordsKeepEveryValue)
{
    // A series with empty bars rolled forward in steps until its packed copy has moved to
    // the front more than once; studies with and without a displacement, read after each roll
    // against the study computed over the records as they stand.
    constexpr int kCount = 3000;
    CBarStore store;
    store.Assign(kCount);
    auto fill = [&store](int r, int minute) {
        const double close = 50 + (minute * 7919 % 1013) / 50.0;
        store.SetField(r, kBarOpen, close - 0.1);
        store.SetField(r, kBarHigh, close + 0.5);
        store.SetField(r, kBarLow, close - 0.5);
        store.SetField(r, kBarClose, close);
        store.SetField(r, kBarVolume, 100 + minute % 7);
        store.SetValid(r, minute % 7 != 3 && minute % 101 != 0);
    };
    for (int r = 0; r < kCount; ++r)
        fill(r, r);
    const double ma[4] = {3, 9, 4, 0}, back[4] = {3, 5, -3, 0}, stoc[4] = {5, 3, 3, 0};
    CSeriesStudy studies[] = {{studies::kMA, ma, store}, {studies::kEMA, back, store}, {studies::kSTOC, stoc, store}};
    const double* params[] = {ma, back, stoc};
    int minute = kCount, rolls = 0;
    for (int step : {1, 7, 400, 1, 900, 1300, 2, 1700, 3}) {
        store.PopFront(step);
        store.InsertBack(step);
        for (int r = kCount - step; r < kCount; ++r)
            fill(r, minute++);
        ++rolls;
        std::vector<CBarRecord> records;
        for (int r = 0; r < kCount; ++r)
            records.push_back(store.Get(r));
        for (size_t k = 0; k < std::size(studies); ++k) {
            CSeriesStudy& study = studies[k];
            study.FrontRemoved(step);
            study.RecordsChanged(kCount - step);
            studies::CStudyColumns want;
            studies::CStudyInput input;
            input.records = records.data();
            input.count = kCount;
            ASSERT_TRUE(studies::ComputeStudy(study.GetType(), params[k], input, want));
            for (int o = 0; o < study.GetOutputCount(); ++o) {
                int values = 0;
                for (int r = 0; r < kCount; ++r) {
                    double expected = 0, got = 0;
                    const bool has = want.Get(r, o, expected);
                    ASSERT_EQ(has, study.Value(r, o, got)) << "roll " << rolls << " study " << k << " record " << r;
                    if (has) {
                        ASSERT_NEAR(expected, got, 1e-9 * std::max(1.0, std::abs(expected)))
                            << "roll " << rolls << " study " << k << " record " << r;
                        ++values;
                    }
                }
                EXPECT_GT(values, kCount / 2);
            }
        }
    }
}

TEST(SeriesStudy, PackedCopyHoldsTheValidRecordsWhereverTheEmptyOnesLie)
{
    // Studies reading one to four fields over records empty at the front, in runs, one by
    // one and at the end, then with every record empty and with two valid records apart:
    // each against the study computed over the records as they stand.
    constexpr int kCount = 700;
    CBarStore store;
    store.Assign(kCount);
    for (int r = 0; r < kCount; ++r) {
        const double close = 40 + (r * 613 % 211) / 20.0;
        store.SetField(r, kBarOpen, close + 0.2);
        store.SetField(r, kBarHigh, close + 0.7 + (r % 3) / 10.0);
        store.SetField(r, kBarLow, close - 0.6);
        store.SetField(r, kBarClose, close);
        store.SetField(r, kBarVolume, 100 + r % 13);
    }
    const double ma[4] = {3, 6, 0, 0}, prc[4] = {9, 0, 0, 0}, stoc[4] = {5, 3, 3, 0}, mfi[4] = {6, 0, 0, 0};
    const double* params[] = {ma, prc, stoc, mfi};
    const int types[] = {studies::kMA, studies::kPRC, studies::kSTOC, studies::kMFI};
    auto expectValues = [&](const char* layout, int least) {
        std::vector<CBarRecord> records;
        for (int r = 0; r < kCount; ++r)
            records.push_back(store.Get(r));
        for (size_t k = 0; k < std::size(types); ++k) {
            CSeriesStudy study(types[k], params[k], store);
            studies::CStudyColumns want;
            studies::CStudyInput input;
            input.records = records.data();
            input.count = kCount;
            ASSERT_TRUE(studies::ComputeStudy(types[k], params[k], input, want));
            int values = 0;
            for (int o = 0; o < study.GetOutputCount(); ++o)
                for (int r = 0; r < kCount; ++r) {
                    double expected = 0, got = 0;
                    const bool has = want.Get(r, o, expected);
                    ASSERT_EQ(has, study.Value(r, o, got)) << layout << " study " << k << " record " << r;
                    if (has) {
                        ASSERT_EQ(expected, got) << layout << " study " << k << " record " << r;
                        ++values;
                    }
                }
            EXPECT_GE(values, least) << layout << " study " << k;
        }
    };
    for (int r = 0; r < kCount; ++r)
        store.SetValid(r, r >= 30 && r < kCount - 25 && (r < 200 || r >= 260) && r % 17 != 5);
    expectValues("gaps", kCount / 2);
    for (int r = 0; r < kCount; ++r)
        store.SetValid(r, false);
    expectValues("all empty", 0);
    store.SetValid(kCount / 2, true);
    store.SetValid(kCount / 2 + 2, true);
    expectValues("two valid", 0);
}

TEST(BarStore, RecordsKeepEveryFieldThroughRollsAndInsertions)
{
    CBarStore store;
    store.Assign(3);
    const int results = store.AttachColumn(-1.0);
    CBarRecord tick;
    tick.m_startTime = tick.m_endTime = CTime(2026, 3, 4, 12, 0, 1); // an odd second
    tick.m_fields[kTickPrice] = 10.25;
    tick.m_fields[kTickSize] = 300;
    tick.m_fields[kTickPriceType] = 2;
    tick.m_fields[kTickFlags] = 4096;
    tick.m_exchange = "NASD";
    tick.m_bValid = 1;
    store.Set(1, tick);
    store.Attached(results)[1] = 7;
    const CBarRecord back = store.Get(1);
    EXPECT_EQ(tick.m_startTime, back.m_startTime);
    for (int f = 0; f < 7; ++f)
        EXPECT_EQ(tick.m_fields[f], back.m_fields[f]) << f;
    EXPECT_EQ(CString("NASD"), back.m_exchange);
    EXPECT_EQ(CString(""), store.Exchange(0));
    EXPECT_EQ(1, store.ValidCount());
    EXPECT_EQ(1, store.FirstValid());
    // Many rolls: the record moves to the front and out, the attached column with it.
    store.PopFront(1);
    store.InsertBack(1);
    EXPECT_EQ(10.25, store.Field(0, kTickPrice));
    EXPECT_EQ(7, store.Attached(results)[0]);
    EXPECT_EQ(-1, store.Attached(results)[2]); // a new record takes the fill
    store.InsertFront(2);
    EXPECT_EQ(5, store.Size());
    EXPECT_EQ(2, store.FirstValid());
    EXPECT_EQ(CString("NASD"), store.Exchange(2));
    for (int i = 0; i < 1000; ++i) {
        store.PopFront(1);
        store.InsertBack(1);
        store.SetField(4, kBarClose, i);
        store.SetValid(4, true);
    }
    EXPECT_EQ(5, store.Size());
    EXPECT_EQ(5, store.ValidCount());
    EXPECT_TRUE(store.ValidRecordsAdjacent());
    EXPECT_EQ(999, store.Field(4, kBarClose));
    EXPECT_EQ(995, store.Field(0, kBarClose));
    store.SetValid(2, false);
    EXPECT_FALSE(store.ValidRecordsAdjacent());
    EXPECT_EQ(0, store.FirstValid());
    EXPECT_EQ(4, store.LastValid());
    // A bar series without ticks' texts or spare fields takes 57 bytes and the slack.
    CBarStore bars;
    bars.Assign(1000000);
    EXPECT_LE(bars.MemoryBytes(), 1000000u * 58);
}

TEST(SeriesReadLock, BlocksOfValuesEqualValuesReadOneByOne)
{
    FakeSeriesServices services;
    for (const char* key : {"IBM,5", "RSI(IBM,3),5", "MA(IBM,Close,4,2),5"}) {
        SCOPED_TRACE(key);
        CPriceSeries s(key, 0);
        s.SetBarCount(40, 0); // window byte clear: indexes up to 0
        std::vector<CHistoryRow> rows;
        for (int r = 0; r < s.GetRecordCount(); ++r)
            if (r % 7 != 3 || r >= s.GetRecordCount() - 5)
                rows.push_back(Row(CTimeToFeedTime(s.GetRecordAt(r)->m_startTime), 50 + (r * 13) % 11, 1, 100));
        s.OnIntradayHistory(rows);
        const int first = -60, count = 80;
        for (int field = -1; field < 8; ++field) {
            std::vector<double> values(count);
            std::vector<BYTE> ok(count);
            bool all = false, any = false;
            {
                CSeriesReadLock pass(s);
                all = pass.ReadValues(first, count, field, values.data(), ok.data());
                for (int k = 0; k < count; ++k) {
                    double v = 0;
                    const bool has = pass.GetValue(first + k, field, v);
                    ASSERT_EQ(has, ok[k] != 0) << "field " << field << " index " << first + k;
                    if (has) {
                        EXPECT_EQ(v, values[k]);
                    }
                    any |= has;
                }
            }
            EXPECT_FALSE(all); // the block reaches before the records
            if (field >= 0 && field < 3) {
                EXPECT_TRUE(any) << field;
            }
        }
        // The newest records have no gaps: every value is there.
        CSeriesReadLock pass(s);
        double v[3];
        BYTE ok[3];
        EXPECT_TRUE(pass.ReadValues(-2, 3, 0, v, ok));
    }
}

TEST(SeriesReadLock, StartTimesAreTheRecordsBarTimes)
{
    FakeSeriesServices services;
    CPriceSeries s("IBM,5", 0);
    s.SetBarCount(40, 0);
    const int first = -60, count = 80;
    std::vector<int64_t> seconds(count);
    std::vector<BYTE> ok(count, 7);
    std::vector<CHistoryRow> rows;
    for (int r = 0; r < s.GetRecordCount(); ++r)
        rows.push_back(Row(CTimeToFeedTime(s.GetRecordAt(r)->m_startTime), 50, 1, 100));
    s.OnIntradayHistory(rows);
    {
        CSeriesReadLock pass(s);
        pass.ReadStartTimes(first, count, seconds.data(), ok.data());
    }
    int records = 0;
    for (int k = 0; k < count; ++k) {
        const int r = s.GetRecordOfIndex(first + k);
        const bool onRecord = r >= 0 && r < s.GetRecordCount();
        ASSERT_EQ(onRecord, ok[k] != 0) << first + k;
        if (onRecord) {
            ++records;
            EXPECT_EQ(s.GetRecordAt(r)->m_startTime.GetTime(), seconds[k]) << first + k;
            DWORD t = 0;
            ASSERT_TRUE(s.GetBarTime(first + k, 0, t));
            EXPECT_EQ(t, CTimeToFeedTime(CTime(seconds[k]))) << first + k;
        }
    }
    EXPECT_EQ(s.GetRecordCount(), records); // the block reaches past both ends of the records
}

TEST(SeriesStudy, RsiAndMfiSkipTheEmptyRecordsThemselves)
{
    // RSI and MFI read the records of a series with empty ones directly, skipping those: every
    // output at every record against the plain implementation, computed whole and then from
    // records changed, emptied and filled again at random, windows reaching back over runs
    // of empty records longer than themselves.
    constexpr int kCount = 1500;
    std::vector<CBarRecord> records = testdata::RandomWalk(kCount, 17, 0.05);
    for (int r = 0; r < kCount; ++r) {
        const bool run = r < 12 || (r >= 400 && r < 560) || (r >= 900 && r < 903) || r >= kCount - 4;
        if (run)
            records[static_cast<size_t>(r)].m_bValid = 0;
    }
    CBarStore store;
    store.Assign(kCount);
    for (int r = 0; r < kCount; ++r)
        store.Set(r, records[static_cast<size_t>(r)]);
    const std::vector<std::vector<double>> cases = {{studies::kRSI, 14}, {studies::kRSI, 3}, {studies::kRSI, 1},
                                                    {studies::kMFI, 14}, {studies::kMFI, 4}, {studies::kMFI, 1}};
    std::mt19937 rng(23);
    for (const auto& c : cases) {
        const int type = static_cast<int>(c[0]);
        const double params[4] = {c[1], 0, 0, 0};
        SCOPED_TRACE(std::string(studies::GetStudyRow(type)->name) + " " + std::to_string(c[1]));
        CSeriesStudy study(type, params, store);
        auto expectReference = [&](const char* step) {
            const reference::Series series{records, nullptr, {}};
            int values = 0;
            for (int o = 0; o < study.GetOutputCount(); ++o)
                for (int r = 0; r < kCount; ++r) {
                    const auto want = reference::Compute(type, params, o, series, r);
                    double got = 0;
                    ASSERT_EQ(want.has_value(), study.Value(r, o, got)) << step << " output " << o << " record " << r;
                    if (want) {
                        ASSERT_NEAR(*want, got, 1e-9 * std::max(1.0, std::abs(*want)))
                            << step << " output " << o << " record " << r;
                        ++values;
                    }
                }
            EXPECT_GT(values, kCount / 4) << step; // MFI 1 has a value at falling records only
        };
        expectReference("whole");
        for (int step = 0; step < 6; ++step) {
            // A few records changed: some emptied, some filled again, the others moved.
            int first = kCount;
            for (int k = 0; k < 3; ++k) {
                const int r = static_cast<int>(rng() % kCount);
                CBarRecord& rec = records[static_cast<size_t>(r)];
                const int kind = static_cast<int>(rng() % 3);
                if (kind == 0)
                    rec.m_bValid = 0;
                else if (kind == 1)
                    rec.m_bValid = 1;
                rec.m_fields[kBarClose] = std::clamp(rec.m_fields[kBarClose] + 0.25, rec.Low(), rec.High());
                store.Set(r, rec);
                first = std::min(first, r);
            }
            study.RecordsChanged(first);
            expectReference(("step " + std::to_string(step)).c_str());
        }
    }
}
