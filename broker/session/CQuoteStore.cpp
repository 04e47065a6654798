#include "broker/session/CQuoteStore.h"

#include "broker/session/CActivesHandle.h"
#include "broker/session/CMarketCalendar.h"
#include "broker/session/CMarketDepthHandle.h"
#include "broker/session/CQuoteListener.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/IStreamSubscriber.h"
#include "broker/session/PriceSeriesHooks.h"

#include <algorithm>

namespace {

template <class T>
bool EraseFirst(std::vector<T*>& list, T* item)
{
    auto it = std::find(list.begin(), list.end(), item);
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}

} // namespace

CQuoteStore::CQuoteStore(IStreamSubscriber* subscriber) : m_pSubscriber(subscriber)
{
    m_changed.reserve(kQuoteFieldCount * 2);
}

CQuoteStore::~CQuoteStore() = default;

void CQuoteStore::SetSubscriber(IStreamSubscriber* subscriber)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_pSubscriber = subscriber;
}

CQuoteRecord* CQuoteStore::Lookup(const CString& symbol)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_records.find(symbol);
    return it == m_records.end() ? nullptr : it->second.get();
}

size_t CQuoteStore::GetRecordCount()
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_records.size();
}

CQuoteRecord* CQuoteStore::FindOrCreate(const CString& symbol)
{
    auto it = m_records.find(symbol);
    if (it != m_records.end())
        return it->second.get();
    auto record = std::make_unique<CQuoteRecord>(symbol);
    CQuoteRecord* raw = record.get();
    m_records.emplace(symbol, std::move(record));
    if (m_pSubscriber)
        m_pSubscriber->Subscribe(symbol, kServiceQuote);
    return raw;
}

void CQuoteStore::ReleaseIfUnused(const CString& symbol)
{
    auto it = m_records.find(symbol);
    if (it == m_records.end() || it->second->HasListeners())
        return;
    const CString key = it->first; // the record's own key outlives the erase
    m_records.erase(it);
    if (m_pSubscriber)
        m_pSubscriber->Unsubscribe(key, kServiceQuote);
}

CQuoteRecord* CQuoteStore::AddHandle(CSymbolHandle* handle)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    CQuoteRecord* record = FindOrCreate(handle->GetSymbol());
    record->m_handles.push_back(handle);
    return record;
}

void CQuoteStore::RemoveHandle(CSymbolHandle* handle)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_records.find(handle->GetSymbol());
    if (it == m_records.end())
        return;
    EraseFirst(it->second->m_handles, handle);
    ReleaseIfUnused(handle->GetSymbol());
}

CQuoteRecord* CQuoteStore::AddSeriesListener(CPriceSeries* series)
{
    const auto& hooks = GetPriceSeriesHooks();
    if (!series || !hooks.symbol)
        return nullptr;
    return AddSeriesListener(CString(hooks.symbol(series)), series);
}

CQuoteRecord* CQuoteStore::AddSeriesListener(const CString& symbol, CPriceSeries* series)
{
    if (symbol.IsEmpty() || !series)
        return nullptr;
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    CQuoteRecord* record = FindOrCreate(symbol);
    record->StampRequest();
    if (std::find(record->m_series.begin(), record->m_series.end(), series) == record->m_series.end())
        record->m_series.push_back(series);
    return record;
}

void CQuoteStore::RemoveSeriesListener(const CString& symbol, CPriceSeries* series)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_records.find(symbol);
    if (it == m_records.end())
        return;
    EraseFirst(it->second->m_series, series);
    ReleaseIfUnused(symbol);
}

CQuoteRecord* CQuoteStore::AddDepthHandle(const CString& symbol, CMarketDepthHandle* handle)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    CQuoteRecord* record = FindOrCreate(symbol);
    record->m_depthHandles.push_back(handle);
    return record;
}

void CQuoteStore::RemoveDepthHandle(const CString& symbol, CMarketDepthHandle* handle)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_records.find(symbol);
    if (it == m_records.end())
        return;
    EraseFirst(it->second->m_depthHandles, handle);
    ReleaseIfUnused(symbol);
}

CQuoteRecord* CQuoteStore::AddActivesHandle(const CString& key, CActivesHandle* handle, bool* existed)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_actives.find(key);
    if (existed)
        *existed = it != m_actives.end();
    CQuoteRecord* record;
    if (it == m_actives.end()) {
        auto created = std::make_unique<CQuoteRecord>(key);
        created->m_bActives = true;
        record = created.get();
        m_actives.emplace(key, std::move(created));
        if (m_pSubscriber)
            m_pSubscriber->Subscribe(key, kServiceActives);
    } else {
        record = it->second.get();
    }
    record->m_activesHandles.push_back(handle);
    return record;
}

void CQuoteStore::RemoveActivesHandle(const CString& key, CActivesHandle* handle)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_actives.find(key);
    if (it == m_actives.end())
        return;
    EraseFirst(it->second->m_activesHandles, handle);
    if (it->second->HasListeners())
        return;
    const CString stored = it->first;
    m_actives.erase(it);
    if (m_pSubscriber)
        m_pSubscriber->Unsubscribe(stored, kServiceActives);
}

CQuoteRecord* CQuoteStore::LookupActives(const CString& key)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_actives.find(key);
    return it == m_actives.end() ? nullptr : it->second.get();
}

void CQuoteStore::AddOptionChainSet(OptionChainSet* set)
{
    if (!set)
        return;
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    DWORD requestId = 0;
    const auto& hooks = GetOptionChainHooks();
    COptionChainRequest request;
    if (hooks.getRequest && hooks.getRequest(set, request) && m_pSubscriber)
        requestId = m_pSubscriber->RequestOptionChain(request);
    m_chainSets.push_back({set, requestId});
}

void CQuoteStore::RemoveOptionChainSet(OptionChainSet* set)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    std::erase_if(m_chainSets, [set](const ChainEntry& e) { return e.set == set; });
}

void CQuoteStore::Notify(CQuoteRecord& record, bool firstData, const std::vector<BYTE>& changed)
{
    if (firstData) {
        // The first data decide the book source of depth handles and the series' exchange.
        for (size_t i = 0; i < record.m_depthHandles.size(); ++i)
            record.m_depthHandles[i]->UpdateSource();
    }
    const auto& hooks = GetPriceSeriesHooks();
    if (hooks.exchangeCheck)
        for (size_t i = 0; i < record.m_series.size(); ++i)
            hooks.exchangeCheck(record.m_series[i]);
    if (changed.empty())
        return;
    const int count = static_cast<int>(changed.size());
    // Index loop: a listener may remove its own handle while being called.
    for (size_t i = 0; i < record.m_handles.size(); ++i) {
        CSymbolHandle* handle = record.m_handles[i];
        if (CQuoteListener* listener = handle->GetListener()) {
            listener->OnQuoteChange(handle, count, changed.data());
            m_nNotifications.fetch_add(1, std::memory_order_relaxed);
        }
    }
}

void CQuoteStore::ApplyQuote(const CQuoteMessage& message)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_records.find(message.m_symbol);
    if (it == m_records.end())
        return; // nobody watches the symbol any more
    CQuoteRecord& record = *it->second;
    m_changed.clear();
    for (int i = 0; i < message.m_nCount; ++i)
        if (record.SetValue(message.m_ids[i], message.m_values[i]))
            m_changed.push_back(message.m_ids[i]);
    for (const auto& field : message.m_more)
        if (record.SetValue(field.id, field.value))
            m_changed.push_back(field.id);
    for (const auto& text : message.m_texts)
        if (record.SetText(text.id, text.text))
            m_changed.push_back(text.id);
    record.Recompute(m_changed);
    const bool firstData = record.IsPendingFlagSet();
    record.SetRefusal(CString());
    if (firstData) {
        record.ClearPending();
        if (m_pCalendar) {
            CString name = record.GetExchange();
            name += ":";
            name += record.GetSymbol();
            if (const CSessionRules* rules = m_pCalendar->FindSessionRules(name))
                record.SetTimeOffset(rules->offsetMinutes);
        }
    }
    Notify(record, firstData, m_changed);
}

void CQuoteStore::ApplyRefusal(const CSymbolRefusedMessage& message)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_records.find(message.m_symbol);
    if (it != m_records.end() && it->second->IsPendingFlagSet())
        it->second->SetRefusal(message.m_text);
}

bool CQuoteStore::GetRefusal(const CString& symbol, CString& text)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_records.find(symbol);
    if (it == m_records.end() || it->second->GetRefusal().IsEmpty())
        return false;
    text = it->second->GetRefusal();
    return true;
}

void CQuoteStore::OnStreamRestored()
{
    const auto& hooks = GetPriceSeriesHooks();
    if (!hooks.streamRestored)
        return;
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    // A copy: a series may change its symbol's listeners while it requests.
    std::vector<CPriceSeries*> series;
    for (const auto& [symbol, record] : m_records)
        series.insert(series.end(), record->m_series.begin(), record->m_series.end());
    for (CPriceSeries* s : series)
        hooks.streamRestored(s);
}

void CQuoteStore::ApplyTrade(const CTradeMessage& message)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_records.find(message.m_symbol);
    if (it == m_records.end())
        return;
    CQuoteRecord& record = *it->second;
    m_changed.clear();
    auto set = [&](int id, double value) {
        if (record.SetValue(id, value))
            m_changed.push_back(static_cast<BYTE>(id));
    };
    // The day's Volume and Tick Volume are the quote record's (absolute values the server sends
    // with each trade); the trade record must not add to them again.
    const double price = message.m_price;
    const double previous = record.GetValue(kFieldLast);
    if (record.HasField(kFieldLast) && price != previous)
        set(kFieldTick, price > previous ? 1 : -1);
    set(kFieldLast, price);
    set(kFieldTradeSize, 100.0 * message.m_size);
    if (message.m_feedTime)
        set(kFieldTradeTime, message.m_feedTime);
    if (!record.HasField(kFieldHigh) || price > record.GetValue(kFieldHigh))
        set(kFieldHigh, price);
    if (!record.HasField(kFieldLow) || price < record.GetValue(kFieldLow))
        set(kFieldLow, price);
    if (!record.HasField(kFieldOpen))
        set(kFieldOpen, price);
    record.Recompute(m_changed);

    const auto& hooks = GetPriceSeriesHooks();
    if (hooks.liveTrade)
        for (size_t i = 0; i < record.m_series.size(); ++i)
            hooks.liveTrade(record.m_series[i], message, message.m_feedTime);
    const bool firstData = record.IsPendingFlagSet();
    if (firstData)
        record.ClearPending();
    Notify(record, firstData, m_changed);
}

void CQuoteStore::ApplyActives(const CActivesMessage& message)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    auto it = m_actives.find(message.m_key);
    if (it == m_actives.end())
        return;
    CQuoteRecord& record = *it->second;
    record.m_ranked[0] = message.m_lists[0];
    record.m_ranked[1] = message.m_lists[1];
    record.ClearPending();
    for (size_t i = 0; i < record.m_activesHandles.size(); ++i)
        record.m_activesHandles[i]->OnListChanged();
}

void CQuoteStore::ApplyOptionChain(const COptionChainMessage& message)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    const auto& hooks = GetOptionChainHooks();
    for (const ChainEntry& entry : m_chainSets)
        if (entry.requestId == message.m_nRequestId && hooks.copySymbols)
            hooks.copySymbols(entry.set, message.m_symbols);
}
