// The series of one symbol at one interval: bar or tick records kept up to date from
// history and live trades, optionally computing one built-in study over its own bars.
// Readers hold Lock() while they read; the dispatcher thread changes records under it.
// SetBarCount, the history callbacks and live data must be called without the lock held:
// the series never calls the broker's stores while holding its own lock.
#pragma once

#include "analytics/series/CBarRecord.h"
#include "analytics/series/CEquityRecord.h"
#include "analytics/series/CTickFilter.h"
#include "analytics/series/SeriesKey.h"
#include "analytics/studies/CStudyValues.h"
#include "analytics/studies/StudyInput.h"
#include "platform/core/CString.h"
#include "platform/core/CTime.h"

#include <memory>
#include <mutex>
#include <vector>

class CSeriesListener;
class CTradeMessage;
struct CHistoryRow;
struct CSessionRules;
struct CSeriesQuote;

class CPriceSeries {
public:
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
    const CStudyValues* GetStudyValues() const { return m_pStudy.get(); }
    void SetListener(CSeriesListener* listener);

    // Owners.
    bool SetBarCount(int count, DWORD endFeedTime);
    void SetWindowMode(int on);
    int GetWindowMode() const { return m_bWindow; }
    bool IsWaitingForData();
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

    // The session's components.
    void OnIntradayHistory(const std::vector<CHistoryRow>& rows);
    void OnCachedIntradayFill(const std::vector<CHistoryRow>& rows, int first, int last);
    void OnDailyHistory(const std::vector<CHistoryRow>& rows);
    void OnCachedDailyFill(const std::vector<CHistoryRow>& rows, int first, int last);
    void OnLiveData(const CTradeMessage* trade, DWORD feedTime);
    void OnExchangeCheck();
    // The live trades stopped for a while: the bars since the newest one with data are asked
    // for anew, as a new series asks for its own.
    void OnStreamRestored();

    // State, for owners and tests.
    int GetRecordCount() const { return static_cast<int>(m_records.size()); }
    int GetWantedCount() const { return m_nWanted; }
    int GetEndOffset() const { return m_nEndOffset; }
    int GetFrontCount() const { return m_nFrontCount; }
    int GetOutstandingRequests() const { return m_nOutstanding; }
    bool IsLoaded() const { return m_bLoaded != 0; }
    bool IsPending() const { return m_bPending != 0; }
    bool IsHistorical() const { return m_bHistorical != 0; }
    bool HasCurrentDayBar() const { return m_bCurrentDayBar != 0; }
    const CBarRecord* GetRecordAt(int record) const;
    // Record number of a visible index (may lie outside the records).
    int GetRecordOfIndex(int index) const;
    // A copy of the records 0..upTo (all when upTo < 0), taken under the lock.
    std::vector<CBarRecord> CopyRecords(int upTo = -1) const;
    const CEquityRecordArray* GetEquity() const { return m_pEquity; }

private:
    struct Span {
        DWORD start;
        DWORD end;
    };
    int RecordOfIndex(int index) const { return index + (GetRecordCount() - m_nEndOffset - m_nWanted); }
    bool IsTickSeries() const { return m_interval == "0"; }
    void LayOutLocked(const CSessionRules* rules);
    void RequestRange(int first, int last);
    void CollectRunSpans(int first, int last, CTime now, std::vector<Span>& spans);
    void ApplyIntradayRows(const std::vector<CHistoryRow>& rows, int first, int last, bool answer);
    void ApplyDailyRows(const std::vector<CHistoryRow>& rows, int first, int last, bool answer);
    int CompareRecordPeriod(const CBarRecord& record, CTime time) const;
    void CurrentDayFill();
    void UpdateBar(const CTradeMessage& trade, CTime time);
    void AppendTicks(const CTradeMessage& trade, CTime time);
    void InvalidateLocked(int mode, int first, int last);
    bool ComputeStudyLocked(int record, int field, double& value);
    const CSessionRules* Rules();
    void ForgetRules();

    mutable std::recursive_mutex m_lock;
    CString m_symbol;
    CString m_interval;
    int m_bExtended = 0;
    const CSessionRules* m_pRules = nullptr;
    std::vector<CBarRecord> m_records;
    BYTE m_bCurrentDayBar = 0;
    CTime m_newestHistory;
    BYTE m_bLoaded = 0;
    int m_nOutstanding = 0;
    CSeriesListener* m_pListener = nullptr;
    BYTE m_bWindow = 0;
    int m_nWanted = 0;
    int m_nEndOffset = 0;
    int m_nFrontCount = 0;
    CTime m_created;
    CTime m_now;
    CTime m_endTime;
    BYTE m_bHistorical = 0;
    std::unique_ptr<CTickFilter> m_pFilter;
    DWORD m_keyEndTime = 0;
    std::unique_ptr<CStudyValues> m_pStudy;
    DWORD m_context = 0;
    BYTE m_bPending = 0;
    const CEquityRecordArray* m_pEquity = nullptr;
    bool m_bKeyValid = false;
    bool m_bListening = false;
    // Every output of the study at every record, computed on the first miss after a change.
    studies::CStudyColumns m_columns;
    bool m_bColumnsFresh = false;
};
