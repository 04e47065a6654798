// The shared quote records of every watched symbol, under one lock.
#pragma once

#include "broker/session/CQuoteRecord.h"
#include "broker/session/SessionMessages.h"
#include "platform/core/CString.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

class IStreamSubscriber;
class CSymbolHandle;
class CPriceSeries;
class CMarketDepthHandle;
class CActivesHandle;
class OptionChainSet;
class CMarketCalendar;

class CQuoteStore {
public:
    explicit CQuoteStore(IStreamSubscriber* subscriber = nullptr);
    ~CQuoteStore();
    CQuoteStore(const CQuoteStore&) = delete;
    CQuoteStore& operator=(const CQuoteStore&) = delete;

    void SetSubscriber(IStreamSubscriber* subscriber);
    // Gives new records the time offset of their symbol's trading hours.
    void SetCalendar(const CMarketCalendar* calendar) { m_pCalendar = calendar; }

    // The store lock (re-entrant). Listeners run with it held.
    void Lock() { m_lock.lock(); }
    void Unlock() { m_lock.unlock(); }
    std::recursive_mutex& GetLock() { return m_lock; }

    // The symbol's record or none; hold the lock while using it.
    CQuoteRecord* Lookup(const CString& symbol);
    size_t GetRecordCount();

    CQuoteRecord* AddHandle(CSymbolHandle* handle);
    void RemoveHandle(CSymbolHandle* handle);

    // Series listeners: every trade reaches the series' live entry, quotes its exchange check.
    CQuoteRecord* AddSeriesListener(CPriceSeries* series);
    CQuoteRecord* AddSeriesListener(const CString& symbol, CPriceSeries* series);
    void RemoveSeriesListener(const CString& symbol, CPriceSeries* series);

    CQuoteRecord* AddDepthHandle(const CString& symbol, CMarketDepthHandle* handle);
    void RemoveDepthHandle(const CString& symbol, CMarketDepthHandle* handle);

    // Actives lists by key (exchange key "-" interval key).
    CQuoteRecord* AddActivesHandle(const CString& key, CActivesHandle* handle, bool* existed);
    void RemoveActivesHandle(const CString& key, CActivesHandle* handle);
    CQuoteRecord* LookupActives(const CString& key);

    void AddOptionChainSet(OptionChainSet* set);
    void RemoveOptionChainSet(OptionChainSet* set);

    // Dispatcher side.
    void ApplyQuote(const CQuoteMessage& message);
    void ApplyTrade(const CTradeMessage& message);
    void ApplyActives(const CActivesMessage& message);
    void ApplyOptionChain(const COptionChainMessage& message);
    // The server does not know the symbol: its record keeps the server's words.
    void ApplyRefusal(const CSymbolRefusedMessage& message);
    // The server's words when it refused the symbol; false while its data may still come.
    bool GetRefusal(const CString& symbol, CString& text);
    // The market-data stream is back after an outage: every series backfills the gap.
    void OnStreamRestored();

    // Listener callbacks made (for tests and benchmarks).
    uint64_t GetNotifications() const { return m_nNotifications; }

private:
    CQuoteRecord* FindOrCreate(const CString& symbol);
    void ReleaseIfUnused(const CString& symbol);
    void Notify(CQuoteRecord& record, bool firstData, const std::vector<BYTE>& changed);

    using RecordMap = std::unordered_map<CString, std::unique_ptr<CQuoteRecord>>;

    std::recursive_mutex m_lock;
    IStreamSubscriber* m_pSubscriber = nullptr;
    const CMarketCalendar* m_pCalendar = nullptr;
    RecordMap m_records;
    RecordMap m_actives;
    struct ChainEntry {
        OptionChainSet* set;
        DWORD requestId;
    };
    std::vector<ChainEntry> m_chainSets;
    std::vector<BYTE> m_changed; // scratch of the dispatcher thread
    std::atomic<uint64_t> m_nNotifications{0};
};
