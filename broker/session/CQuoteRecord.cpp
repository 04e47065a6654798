#include "broker/session/CQuoteRecord.h"

#include "broker/core/FeedTime.h"

#include <chrono>

int64_t SteadyMillis()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

CQuoteRecord::CQuoteRecord(const CString& symbol) : m_symbol(symbol)
{
    SetText(kFieldSymbol, symbol);
    m_present[0] = m_present[1] = 0;
    StampRequest();
}

CQuoteRecord& CQuoteRecord::operator=(const CQuoteRecord& other)
{
    if (this == &other)
        return *this;
    m_symbol = other.m_symbol;
    m_refusal = other.m_refusal;
    m_bPending = other.m_bPending;
    m_requestMillis = other.m_requestMillis;
    m_nTimeOffset = other.m_nTimeOffset;
    m_present[0] = other.m_present[0];
    m_present[1] = other.m_present[1];
    for (int i = 0; i < kQuoteFieldCount; ++i)
        m_values[i] = other.m_values[i];
    for (int i = 0; i < kTextSlots; ++i)
        m_texts[i] = other.m_texts[i];
    m_bActives = other.m_bActives;
    m_ranked[0] = other.m_ranked[0];
    m_ranked[1] = other.m_ranked[1];
    return *this;
}

CTime CQuoteRecord::GetTradeDate() const
{
    const DWORD feedTime = GetTradeFeedTime();
    return feedTime ? FeedTimeToCTime(feedTime) : CTime(0);
}

bool CQuoteRecord::IsPending() const
{
    return m_bPending && SteadyMillis() - m_requestMillis < kPendingMillis;
}

void CQuoteRecord::StampRequest()
{
    m_requestMillis = SteadyMillis();
}

int CQuoteRecord::TextSlot(int id)
{
    switch (id) {
    case 18: return 0;
    case kFieldDescription: return 1;
    case kFieldSymbol: return 2;
    case 64: return 4;
    case 81: return 5;
    case 82: return 6;
    case 83: return 7;
    case kFieldExchange: return 8;
    default: return -1;
    }
}

bool CQuoteRecord::HasField(int id) const
{
    if (id < 0 || id >= kQuoteFieldCount)
        return false;
    return (m_present[id >> 6] >> (id & 63)) & 1u;
}

const CString& CQuoteRecord::GetText(int id) const
{
    static const CString kEmpty;
    const int slot = TextSlot(id);
    return slot >= 0 ? m_texts[slot] : kEmpty;
}

bool CQuoteRecord::SetValue(int id, double value)
{
    if (id < 0 || id >= kQuoteFieldCount || TextSlot(id) >= 0 || QuoteFieldKind(id) == kKindNone)
        return false;
    const uint64_t bit = uint64_t{1} << (id & 63);
    uint64_t& word = m_present[id >> 6];
    if ((word & bit) && m_values[id] == value)
        return false;
    word |= bit;
    m_values[id] = value;
    return true;
}

bool CQuoteRecord::SetText(int id, const CString& text)
{
    const int slot = TextSlot(id);
    if (slot < 0)
        return false;
    const uint64_t bit = uint64_t{1} << (id & 63);
    uint64_t& word = m_present[id >> 6];
    if ((word & bit) && m_texts[slot] == text)
        return false;
    word |= bit;
    m_texts[slot] = text;
    return true;
}

void CQuoteRecord::Recompute(std::vector<BYTE>& changed)
{
    auto set = [&](int id, double value) {
        if (SetValue(id, value))
            changed.push_back(static_cast<BYTE>(id));
    };
    const double last = GetValue(kFieldLast);
    if (HasField(kFieldLast) && HasField(kFieldYesterdayClose)) {
        const double yclose = GetValue(kFieldYesterdayClose);
        set(kFieldChange, last - yclose);
        if (yclose != 0)
            set(kFieldPercentChange, (last - yclose) / yclose * 100.0);
    }
    if (HasField(kFieldLast) && HasField(kFieldHigh) && HasField(kFieldLow)) {
        const double range = GetValue(kFieldHigh) - GetValue(kFieldLow);
        if (range > 0)
            set(kFieldPercentDailyRange, (last - GetValue(kFieldLow)) / range * 100.0);
    }
    if (HasField(kFieldLast) && HasField(kFieldYearHigh) && HasField(kFieldYearLow)) {
        const double range = GetValue(kFieldYearHigh) - GetValue(kFieldYearLow);
        if (range > 0)
            set(kFieldPercentYearlyRange, (last - GetValue(kFieldYearLow)) / range * 100.0);
    }
    if (HasField(kFieldBid) && HasField(kFieldAsk))
        set(kFieldSpread, GetValue(kFieldAsk) - GetValue(kFieldBid));
    // "Bid x Ask" is formatted when read; here it only reports the change of the sizes.
    bool sizesMoved = false;
    for (BYTE id : changed)
        sizesMoved |= id == kFieldBidSize || id == kFieldAskSize;
    if (sizesMoved && HasField(kFieldBidSize) && HasField(kFieldAskSize)) {
        m_present[kFieldBidXAsk >> 6] |= uint64_t{1} << (kFieldBidXAsk & 63);
        changed.push_back(static_cast<BYTE>(kFieldBidXAsk));
    }
}
