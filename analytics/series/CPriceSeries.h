// The series of one symbol at one interval: bar or tick records kept up to date from
// history and live trades, optionally computing one built-in study over its own bars.
// Readers hold the series' lock while they read (CSeriesReadLock for a pass of reads);
// the dispatcher thread changes records under it. SetBarCount, the history callbacks and
// live data must be called without the lock held: the series never calls the broker's
// stores while holding its own lock.
#pragma once

#include "analytics/series/CBackfillGate.h"
#include "analytics/series/CBarStore.h"
#include "analytics/series/CTickFilter.h"
#include "analytics/series/SeriesKey.h"
#include "analytics/studies/CBarRecord.h"
#include "analytics/studies/CEquityRecord.h"
#include "analytics/studies/CStudyValues.h"
#include "platform/core/CString.h"
#include "platform/core/CTime.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class CHistoryCoverage;
class CSeriesListener;
class CSeriesReadLock;
class CSeriesStudy;
class CTradeMessage;
struct CHistoryRow;
struct CSessionRules;
struct CSeriesQuote;

class CPriceSeries {
public:
    // A span of history, in feed times.
    struct Span {
        DWORD start;
        DWORD end;
    };
    // Records a series may hold at most; larger bar counts are cut to it.
    static constexpr int kMaxRecords = 4000000;
    // Records per history request.
    static constexpr int kRequestChunk = 25000;

    CPriceSeries(const char* key, DWORD context);
    ~CPriceSeries();
    CPriceSeries(const CPriceSeries&) = delete;
    CPriceSeries& operator=(const CPriceSeries&) = delete;

    // False when the key was refused (a study call with a missing or bad parameter).
    bool IsKeyValid() const { return m_bKeyValid; }

    void Lock() const { m_lock.lock(); }
    void Unlock() const { m_lock.unlock(); }
    // BasicLockable, for scoped locks.
    void lock() const { Lock(); }
    void unlock() const { Unlock(); }

    const CString& GetSymbol() const { return m_symbol; }
    const CString& GetInterval() const { return m_interval; }
    int IsExtendedSession() const { return m_bExtended; }
    DWORD GetContext() const { return m_context; }
    int GetStudyType() const { return m_pStudy ? m_pStudy->GetType() : -1; }
    // The study's parameters (its values live with the records, see CSeriesStudy).
    const CStudyValues* GetStudyValues() const { return m_pStudy.get(); }
    void SetListener(CSeriesListener* listener);

    // Owners. `before`: records laid out ahead of the first of the `count` shown ones, as a
    // study's warm-up is.
    bool SetBarCount(int count, DWORD endFeedTime, int before = 0);
    void SetWindowMode(int on);
    int GetWindowMode() const { return m_bWindow; }
    bool IsWaitingForData();
    // How many times the bars' data were thrown away to be fetched anew (laid out again, or
    // cleared after an outage): a reader whose count changed read data in between.
    int GetDataResets() const;
    int GetVisibleRange(int& first, int& last) const;
    bool GetValue(int index, int field, double& value);
    int GetValueInt(int index, int field);
    bool ComputeValue(int record, int field, double& value);
    bool GetRecord(int index, CBarRecord& out) const;
    bool SetRecord(int index, const CBarRecord& record);
    int FindField(const char* name) const;
    int GetFieldKind(int field) const;
    DWORD GetBarSpan() const;
    int GetPeriodCode() const;
    bool FormatTickField(int index, int field, char* buffer, int size) const;
    DWORD GetLastBarTime() const;
    CString GetSymbolTitle();
    CString GetQualifiedSymbol();
    CString GetSymbolExchange();
    void SetEquityValue(const CEquityRecordArray* records);
    void InvalidateValues(int mode, int first, int last);
    int FindBarByTime(DWORD feedTime, int side);
    // side 0: the bar's start, otherwise its end.
    bool GetBarTime(int index, int side, DWORD& feedTime);
    // |n| empty records: n < 0 in front of the first record, n > 0 after the last.
    void AddEmptyBars(int n, int side);
    // AddEmptyBars, then the added records asked for from history. Returns how many were added.
    int ExtendBars(int n, int side);
    // |n| empty records in front of the first, filled from the history cache, and asked for
    // from history only by AskRecords: an owner that shows them a moment asks for those it
    // stops at. The series is waiting for data until AskRecords. Returns how many were added.
    int PrependBars(int n);
    // Asks history for the records of visible indexes first .. last that PrependBars added
    // and no call asked for yet; the others it added stay to be asked for by a later call
    // whose range holds them.
    void AskRecords(int first, int last);

    // The session's components. asOf: the newest trade of the symbol an answer's rows hold,
    // when the server named it. complete: the spans cached rows are complete for; a record
    // outside them is left to a request (none: the rows cover every record).
    void OnIntradayHistory(const std::vector<CHistoryRow>& rows, std::optional<uint64_t> asOf = std::nullopt);
    void OnCachedIntradayFill(const std::vector<CHistoryRow>& rows, int first, int last,
                              const CHistoryCoverage* complete = nullptr);
    void OnDailyHistory(const std::vector<CHistoryRow>& rows, std::optional<uint64_t> asOf = std::nullopt);
    void OnCachedDailyFill(const std::vector<CHistoryRow>& rows, int first, int last,
                           const CHistoryCoverage* complete = nullptr);
    // The history download of a span (feed times) for this series failed; its (empty)
    // answer follows.
    void OnHistoryFailed(DWORD startFeedTime, DWORD endFeedTime);
    void OnLiveData(const CTradeMessage* trade, DWORD feedTime);
    void OnExchangeCheck();
    // The live trades stopped for a while: the bars since the newest one with data (all of them
    // when none has any) are asked for anew, as a new series asks for its own.
    void OnStreamRestored();

    // Records live data has added after the newest since the series was made (ticks, bars
    // rolled forward), less the ones it has since dropped between the kept records and the
    // newest (see KeepThrough): a record shown at index i, and kept, is found that many
    // indexes further on.
    int GetLiveAppends() const
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        return m_nLiveAppends;
    }
    // An owner shows older records (a list scrolled back): the records from the oldest up to
    // the one at visible index `index` stay as ticks come in, and of the newer ones the newest
    // stay, as many as the series held when keeping began (with those added at either end
    // since). Newer ones beyond that go, in batches, once twice that many are held. Called
    // again as the owner scrolls; what was kept stays kept until StopKeeping.
    void KeepThrough(int index);
    // The owner shows the newest again: the series holds the newest records, as many as it
    // would hold had it never kept any.
    void StopKeeping();
    bool IsKeeping() const
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        return m_bKeeping;
    }

    // State, for owners and tests.
    int GetRecordCount() const { return m_bars.Size(); }
    int GetWantedCount() const { return m_nWanted; }
    int GetEndOffset() const { return m_nEndOffset; }
    int GetFrontCount() const { return m_nFrontCount; }
    int GetOutstandingRequests() const
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        return m_nOutstanding;
    }
    bool IsLoaded() const { return m_bLoaded != 0; }
    bool IsPending() const { return m_bPending != 0; }
    bool IsHistorical() const { return m_bHistorical != 0; }
    bool HasCurrentDayBar() const { return m_bCurrentDayBar != 0; }
    // The spans whose download failed since the records were last laid out.
    std::vector<Span> GetFailedHistory() const
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        return m_failedHistory;
    }
    // A copy of record r (a record number, not a visible index), none outside.
    std::optional<CBarRecord> GetRecordAt(int record) const;
    // Record number of a visible index (may lie outside the records).
    int GetRecordOfIndex(int index) const;
    // A copy of the records 0..upTo (all when upTo < 0), taken under the lock.
    std::vector<CBarRecord> CopyRecords(int upTo = -1) const;
    const CEquityRecordArray* GetEquity() const { return m_pEquity; }
    // Bytes the records, the study's values and its working memory take.
    size_t GetMemoryBytes() const;

private:
    friend class CSeriesReadLock;
    friend class CSeriesReadLocks;
    // Takes back, as it goes, one count of m_nSettling that its maker added under the lock
    // together with the change readers must wait out.
    class SettlingScope {
    public:
        explicit SettlingScope(CPriceSeries& series) : m_series(series) {}
        ~SettlingScope();
        SettlingScope(const SettlingScope&) = delete;
        SettlingScope& operator=(const SettlingScope&) = delete;

    private:
        CPriceSeries& m_series;
    };
    int RecordOfIndex(int index) const { return index + (m_bars.Size() - m_nEndOffset - m_nWanted); }
    // The lock is held by the caller.
    bool GetValueLocked(int index, int field, double& value);
    bool ComputeValueLocked(int record, int field, double& value);
    // Values of visible indexes [first, first + count): see CSeriesReadLock::ReadValues.
    // With `view`, values lying on records in one array are not copied: *view points at
    // them (else at `values`), and ok is filled only when some value is missing.
    bool ReadValuesLocked(int first, int count, int field, double* values, BYTE* ok,
                          const double** view = nullptr);
    bool IsTickSeries() const { return m_interval == "0"; }
    // `count` empty records with the times of the bars up to the end time.
    void LayOutLocked(const CSessionRules* rules, int count);
    // Calls `take` for each other live series of the symbol whose records could be taken as
    // this series' own (see CanLendBarsLocked: laid out alike and fully answered), under its
    // lock, until `take` returns true; returns that.
    bool VisitLendersLocked(const std::function<bool(const CPriceSeries&)>& take);
    // The state of records laid out anew (by a layout or a borrow).
    void NewRecordsLocked();
    // Instead of a layout: the `count` records come as they are from another live series
    // that could lend them (see TakeFromTwinLocked) and holds all of them, sharing its
    // columns until either series writes. False when none holds them all.
    bool BorrowFromTwinLocked(const CSessionRules* rules, int count);
    // After a layout: the newest records take the bars of another live series whose records
    // came whole from history for the same symbol, interval, session and fixed end time and
    // lie at the same times. Returns how many records were taken (from the back).
    int TakeFromTwinLocked();
    // This series may take its records from a twin: a fixed history of bars shorter than a
    // day, neither ticks nor filtered.
    bool MayTakeFromTwinLocked() const;
    // This series' records may be taken as they are: a fixed history, fully answered,
    // neither edited nor given records no one asked for. Its lock is held.
    bool CanLendBarsLocked() const;
    // AddEmptyBars under the lock: the number of records added.
    int AddEmptyBarsLocked(const CSessionRules* rules, int n);
    // Of a fixed history: asks for the records added after its newest that have not been
    // asked for and have begun by now, or by `seen` (the time of a trade, which shows that
    // every record starting by then has begun). Each such record is asked for once.
    void RequestNewerRecords(CTime seen = CTime());
    // Asks for the records first .. last that have begun by now.
    void RequestRange(int first, int last);
    // Records [first, last] whose starts lie in the span of record starts (inclusive).
    bool RecordsStartingIn(int64_t from, int64_t to, int& first, int& last) const;
    void CollectRunSpans(int first, int last, CTime now, std::vector<Span>& spans);
    // Asks for the spans, which the caller counted as outstanding when it collected them under
    // the lock (so no reader finds emptied bars with nothing asked for, and an answer may arrive
    // before RequestHistory returns); spans not asked for are taken off the count.
    void RequestSpans(const std::vector<Span>& spans);
    void ApplyIntradayRows(const std::vector<CHistoryRow>& rows, int first, int last, bool answer,
                           std::optional<uint64_t> asOf = std::nullopt, const CHistoryCoverage* complete = nullptr);
    void ApplyDailyRows(const std::vector<CHistoryRow>& rows, int first, int last, bool answer,
                        std::optional<uint64_t> asOf = std::nullopt, const CHistoryCoverage* complete = nullptr);
    // A bar took rows of an answer.
    void NoteFilledLocked(int record, bool answer, std::optional<uint64_t> asOf);
    // After an answer, which counted itself in m_nSettling: once none is on its way, the kept
    // live trades are applied (or the bars of a deferred outage asked for anew), then the
    // answer's count is taken back.
    void FinishBackfill();
    void ApplyKeptOrRestore();
    int CompareRecordPeriod(int record, CTime time) const;
    // A bar takes a price: the first one opens it, later ones widen it.
    void TakeTrade(int record, double price, double size);
    void CurrentDayFill();
    void CurrentDayFillLocked(const CSeriesQuote& quote);
    void UpdateBar(const CBackfillGate::Trade& trade, CTime clock);
    // Lays the bars forward to the one holding `time`: empty bars come in at the back and the
    // oldest go; when that would take more bars than the series holds it is laid out afresh
    // ending there (laidOut). Returns the number of bars stepped.
    int RollForwardLocked(CTime time, CTime clock, const CSessionRules* rules, bool& laidOut);
    void AppendTicks(const CTradeMessage& trade, CTime time);
    // Records removed at the front (the kept ones among them no longer kept).
    void PopFrontLocked(int k);
    // While keeping: the newer records beyond the newest that stay go once there are twice
    // as many.
    void DropUnkeptLocked();
    // Study values of records `first` and after are stale.
    void RecordsChangedLocked(int first);
    // The listener hears of changed records first..last (mode 0: all).
    void NotifyLocked(int mode, int first, int last);
    void InvalidateLocked(int mode, int first, int last);
    const CSessionRules* Rules();
    void ForgetRules();

    mutable std::recursive_mutex m_lock;
    CString m_symbol;
    CString m_interval;
    int m_bExtended = 0;
    const CSessionRules* m_pRules = nullptr;
    CBarStore m_bars;
    BYTE m_bCurrentDayBar = 0;
    // After a stream outage the quote record holds the values from before it until its next
    // notification: the current-day fill waits for that.
    BYTE m_bAwaitQuote = 0;
    CTime m_newestHistory;
    BYTE m_bLoaded = 0;
    int m_nOutstanding = 0;
    int m_nResets = 0;
    // Changes under way outside the lock: answers in that still apply kept trades or a
    // deferred restore, bars laid out anew whose requests are not counted yet. Readers see
    // the series waiting until they are done.
    int m_nSettling = 0;
    CSeriesListener* m_pListener = nullptr;
    BYTE m_bWindow = 0;
    int m_nWanted = 0;
    int m_nEndOffset = 0;
    int m_nFrontCount = 0;
    CTime m_created;
    CTime m_now;
    int64_t m_timeOffsetSeconds = 0; // the symbol's time offset at the last layout
    CTime m_endTime;
    BYTE m_bHistorical = 0;
    std::unique_ptr<CTickFilter> m_pFilter;
    CBackfillGate m_backfill;
    DWORD m_keyEndTime = 0;
    std::unique_ptr<CStudyValues> m_pStudy;
    std::unique_ptr<CSeriesStudy> m_pStudyState; // the study's values, beside the records
    DWORD m_context = 0;
    BYTE m_bPending = 0;
    const CEquityRecordArray* m_pEquity = nullptr;
    bool m_bKeyValid = false;
    bool m_bListening = false;
    // Since the last layout: an owner wrote a record, empty records were added without
    // being asked for, or a download failed.
    bool m_bEdited = false;
    bool m_bUnrequested = false;
    std::vector<Span> m_failedHistory;
    int m_nLiveAppends = 0;
    // Of a fixed history: the start of the oldest record added after the newest that has not
    // been asked for (0: none). Every later one has not been asked for either.
    int64_t m_unaskedStart = 0;
    // The start of the newest record PrependBars added since the last AskRecords (0: none):
    // it and every record before it wait for AskRecords.
    int64_t m_toAskThrough = 0;
    // Spans of record starts PrependBars added that AskRecords left unasked.
    std::vector<std::pair<int64_t, int64_t>> m_passedOver;
    // While an owner keeps older records: the records at the front that stay, and how many
    // newer ones stay at least (the records held when keeping began, and those added since at
    // either end).
    bool m_bKeeping = false;
    int m_nKept = 0;
    int m_nKeptNewer = 0;
};
