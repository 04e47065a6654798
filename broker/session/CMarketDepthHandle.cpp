#include "broker/session/CMarketDepthHandle.h"

#include "broker/core/Formatters.h"
#include "broker/session/CQuoteStore.h"

#include <cctype>
#include <cmath>
#include <cstdio>

bool IsOptionSymbol(const CString& symbol)
{
    // "+ROOT..." or the OCC form: root, six date digits, C or P, eight strike digits.
    if (symbol.GetLength() > 1 && symbol[0] == '+')
        return true;
    const int n = symbol.GetLength();
    if (n < 16 || n > 21)
        return false;
    for (int i = n - 8; i < n; ++i)
        if (!std::isdigit(static_cast<unsigned char>(symbol[i])))
            return false;
    const char right = symbol[n - 9];
    if (right != 'C' && right != 'P')
        return false;
    for (int i = n - 15; i < n - 9; ++i)
        if (!std::isdigit(static_cast<unsigned char>(symbol[i])))
            return false;
    return true;
}

CMarketDepthHandle::CMarketDepthHandle(CMarketDepthStore& store, CQuoteStore& quotes, const CString& text)
    : m_store(store), m_quotes(quotes)
{
    CString upper = text;
    upper.MakeUpper();
    const int colon = upper.Find(':');
    if (colon >= 0) {
        m_source = upper.Left(colon);
        m_symbol = upper.Mid(colon + 1);
    } else {
        m_symbol = upper;
        m_source = m_symbol.GetLength() < 4 ? "NYSE" : "L2";
    }
    if (IsOptionSymbol(m_symbol))
        m_source = "OPRA";
    m_copy.m_symbol = m_symbol;
    m_copy.m_source = m_source;
}

CMarketDepthHandle::~CMarketDepthHandle()
{
    if (!m_bSubscribed)
        return;
    m_store.UnregisterHandle(m_symbol, GetSource(), this);
    m_quotes.RemoveDepthHandle(m_symbol, this);
}

bool CMarketDepthHandle::Subscribe()
{
    // Lock order: quote store before depth store, so the two are never taken the other way.
    {
        std::lock_guard<std::recursive_mutex> lock(m_store.GetLock());
        int existed = 0;
        m_pBook = m_store.RegisterHandle(m_symbol, m_source, this, &existed);
        m_bSubscribed = true;
        if (existed && m_pListener)
            m_pListener->OnDepthChange(this, 0, 0, 0, 0);
        m_bRecheck = true;
    }
    bool ready = false;
    {
        std::lock_guard<std::recursive_mutex> lock(m_quotes.GetLock());
        CQuoteRecord* record = m_quotes.AddDepthHandle(m_symbol, this);
        ready = record && !record->IsPendingFlagSet();
    }
    if (ready)
        UpdateSource();
    return true;
}

void CMarketDepthHandle::UpdateSource()
{
    if (!m_bRecheck.exchange(false))
        return;
    std::lock_guard<std::recursive_mutex> quoteLock(m_quotes.GetLock());
    CString exchange;
    const CQuoteRecord* record = m_quotes.Lookup(m_symbol);
    if (record && !record->IsPendingFlagSet())
        exchange = record->GetExchange();
    std::lock_guard<std::recursive_mutex> lock(m_store.GetLock());
    CString source = m_source;
    if (exchange == "NASD" && m_symbol.GetLength() < 4)
        source = "L2";
    else if ((exchange == "NYSE" || exchange == "AMEX") && m_symbol.GetLength() >= 4)
        source = "NYSE";
    if (source == m_source)
        return;
    m_store.UnregisterHandle(m_symbol, m_source, this);
    m_source = source;
    int existed = 0;
    m_pBook = m_store.RegisterHandle(m_symbol, m_source, this, &existed);
}

void CMarketDepthHandle::Attach()
{
    std::lock_guard<std::recursive_mutex> lock(m_store.GetLock());
    m_pBook = m_store.FindBook(m_symbol, m_source);
}

CString CMarketDepthHandle::GetSource() const
{
    std::lock_guard<std::recursive_mutex> lock(m_store.GetLock());
    return m_source;
}

void CMarketDepthHandle::TakeSnapshot()
{
    std::lock_guard<std::recursive_mutex> lock(m_store.GetLock());
    CMarketDepthBook* book = m_pBook.load();
    if (!book)
        return;
    m_copy.CopyDataFrom(*book);
    m_pBook = &m_copy;
}

const std::vector<CMarketDepthLevel>* CMarketDepthHandle::Side(int side) const
{
    const CMarketDepthBook* book = m_pBook.load();
    if (!book || book->m_bNoData)
        return nullptr;
    return side == 0 ? &book->m_bids : &book->m_asks;
}

int CMarketDepthHandle::GetBidCount() const
{
    const auto* levels = Side(0);
    return levels ? static_cast<int>(levels->size()) : 0;
}

int CMarketDepthHandle::GetAskCount() const
{
    const auto* levels = Side(1);
    return levels ? static_cast<int>(levels->size()) : 0;
}

bool CMarketDepthHandle::GetValue(int side, int index, int field, DWORD* value) const
{
    const auto* levels = Side(side);
    if (!levels || !value || index < 0 || index >= static_cast<int>(levels->size()))
        return false;
    const CMarketDepthLevel& level = (*levels)[static_cast<size_t>(index)];
    switch (field) {
    case 1: {
        // Thousandths of the price, rounded: 2.01 is 2010, not the 2009 a truncation of
        // 2009.9999... gives. A price the stream sent that does not fit has none.
        const double thousandths = std::round(level.price * 1000.0);
        if (!(thousandths >= 0 && thousandths <= 4294967295.0))
            return false;
        *value = static_cast<DWORD>(thousandths);
        return true;
    }
    case 2: *value = static_cast<DWORD>(level.size); return true;
    case 4: *value = static_cast<DWORD>(static_cast<int32_t>(level.sizeDirection)); return true;
    case 5: *value = static_cast<DWORD>(static_cast<int32_t>(level.priceDirection)); return true;
    default: return false;
    }
}

bool CMarketDepthHandle::GetPrice(int side, int index, double* price) const
{
    const auto* levels = Side(side);
    if (!levels || !price || index < 0 || index >= static_cast<int>(levels->size()))
        return false;
    *price = (*levels)[static_cast<size_t>(index)].price;
    return true;
}

bool CMarketDepthHandle::GetText(int side, int index, int field, char* buffer, int size) const
{
    const auto* levels = Side(side);
    if (!levels || !buffer || size <= 0 || index < 0 || index >= static_cast<int>(levels->size()))
        return false;
    const CMarketDepthLevel& level = (*levels)[static_cast<size_t>(index)];
    CString text;
    switch (field) {
    case 0: text = level.time; break;
    case 1: text = FormatNumber(level.price, 2, 4); break;
    case 2: text = FormatIntThousands(level.size); break;
    case 3: text = level.participant; break;
    default: return false;
    }
    std::snprintf(buffer, static_cast<size_t>(size), "%s", text.GetString());
    return true;
}

bool CMarketDepthHandle::GetBidValue(int index, int field, DWORD* value) const { return GetValue(0, index, field, value); }
bool CMarketDepthHandle::GetAskValue(int index, int field, DWORD* value) const { return GetValue(1, index, field, value); }
bool CMarketDepthHandle::GetBidPrice(int index, double* price) const { return GetPrice(0, index, price); }
bool CMarketDepthHandle::GetAskPrice(int index, double* price) const { return GetPrice(1, index, price); }
bool CMarketDepthHandle::GetBidText(int index, int field, char* buffer, int size) const
{
    return GetText(0, index, field, buffer, size);
}
bool CMarketDepthHandle::GetAskText(int index, int field, char* buffer, int size) const
{
    return GetText(1, index, field, buffer, size);
}

bool CMarketDepthHandle::GetTitle(CString& title) const
{
    title = m_symbol;
    std::lock_guard<std::recursive_mutex> lock(m_quotes.GetLock());
    const CQuoteRecord* record = m_quotes.Lookup(m_symbol);
    if (record && !record->IsPendingFlagSet()) {
        title += " - ";
        title += record->GetDescription();
    }
    return true;
}
