#include "broker/session/CSymbolHandle.h"

#include "broker/core/Formatters.h"
#include "broker/core/FeedTime.h"
#include "broker/session/CQuoteStore.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

bool CopyText(const char* text, char* buffer, int size)
{
    if (!buffer || size <= 0)
        return false;
    if (!text)
        text = "(null)"; // what "%s" prints for it
    const size_t length = std::min(std::strlen(text), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    return true;
}

} // namespace

bool FormatQuoteField(const CQuoteRecord& record, int id, char* buffer, int size)
{
    if (!buffer || size <= 0)
        return false;
    buffer[0] = '\0';
    if (!record.HasField(id))
        return false;
    const double v = record.GetValue(id);
    switch (QuoteFieldKind(id)) {
    case kKindPrice:
        return CopyText(FormatNumber(v, 2, 4), buffer, size);
    case kKindCount:
        return CopyText(FormatIntThousands(static_cast<int64_t>(v)), buffer, size);
    case kKindRatio:
        return CopyText(FormatNumber(v, 2, 2), buffer, size);
    case kKindLarge:
        return CopyText(FormatNumber(v, 0, 2), buffer, size);
    case kKindText:
        if (id == kFieldBidXAsk) {
            char text[64];
            std::snprintf(text, sizeof text, "%s x %s", FormatIntThousands(static_cast<int64_t>(record.GetValue(kFieldBidSize))).GetString(),
                          FormatIntThousands(static_cast<int64_t>(record.GetValue(kFieldAskSize))).GetString());
            return CopyText(text, buffer, size);
        }
        return CopyText(record.GetText(id), buffer, size);
    case kKindTime: {
        int hour = 0, minute = 0, second = 0;
        FeedTimeToTimeOfDay(static_cast<DWORD>(v), hour, minute, second);
        char text[16];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", hour, minute, second);
        return CopyText(text, buffer, size);
    }
    case kKindNone:
        break;
    }
    return false;
}

CSymbolHandle::CSymbolHandle(CQuoteStore& store, const CString& symbol) : m_store(store), m_symbol(symbol)
{
}

CSymbolHandle::~CSymbolHandle()
{
    Unsubscribe();
}

bool CSymbolHandle::Subscribe()
{
    if (m_pShared)
        return true;
    CQuoteRecord* record = m_store.AddHandle(this);
    std::lock_guard<std::recursive_mutex> lock(m_store.GetLock());
    m_pShared = record;
    m_pRecord = record;
    return record != nullptr;
}

void CSymbolHandle::Unsubscribe()
{
    if (!m_pShared)
        return;
    std::lock_guard<std::recursive_mutex> lock(m_store.GetLock());
    if (m_pRecord == m_pShared)
        m_pRecord = nullptr;
    m_pShared = nullptr;
    m_store.RemoveHandle(this);
}

void CSymbolHandle::Snapshot()
{
    std::lock_guard<std::recursive_mutex> lock(m_store.GetLock());
    const CQuoteRecord* source = m_pShared ? m_pShared : m_store.Lookup(m_symbol);
    if (!source) {
        m_pRecord = nullptr;
        return;
    }
    m_copy = *source;
    m_pRecord = &m_copy;
}

void CSymbolHandle::Attach()
{
    std::lock_guard<std::recursive_mutex> lock(m_store.GetLock());
    m_pRecord = m_pShared;
}

// Reads the snapshot without a lock, the shared record under the store lock.
template <class F>
auto CSymbolHandle::Read(F&& reader) const
{
    const CQuoteRecord* record = m_pRecord.load();
    if (record && record == &m_copy)
        return reader(record);
    std::lock_guard<std::recursive_mutex> lock(m_store.GetLock());
    return reader(m_pRecord.load());
}

bool CSymbolHandle::GetField(int id, double& value) const
{
    value = 0;
    return Read([&](const CQuoteRecord* record) {
        if (!record || record->IsPending() || !record->HasField(id))
            return false;
        const EQuoteFieldKind kind = QuoteFieldKind(id);
        if (kind == kKindText || kind == kKindNone)
            return false;
        value = record->GetValue(id);
        return true;
    });
}

double CSymbolHandle::GetDouble(int id) const
{
    double value = 0;
    return GetField(id, value) ? value : 0.0;
}

bool CSymbolHandle::FormatField(int id, char* buffer, int size) const
{
    if (buffer && size > 0)
        buffer[0] = '\0';
    return Read([&](const CQuoteRecord* record) {
        if (!record || record->IsPending())
            return false;
        return FormatQuoteField(*record, id, buffer, size);
    });
}

bool CSymbolHandle::GetDescription(char* buffer, int size) const
{
    if (buffer && size > 0)
        buffer[0] = '\0';
    return Read([&](const CQuoteRecord* record) {
        if (!record || record->IsPending())
            return false;
        return CopyText(record->GetDescription(), buffer, size);
    });
}

bool CSymbolHandle::GetQualifiedSymbol(char* buffer, int size) const
{
    if (buffer && size > 0)
        buffer[0] = '\0';
    return Read([&](const CQuoteRecord* record) {
        if (!record) {
            CopyText(m_symbol, buffer, size);
            return false;
        }
        if (record->IsPending())
            return false;
        if (record->GetExchange().IsEmpty())
            return CopyText(m_symbol, buffer, size);
        char text[128];
        std::snprintf(text, sizeof text, "%s:%s", record->GetExchange().GetString(), m_symbol.GetString());
        return CopyText(text, buffer, size);
    });
}

bool CSymbolHandle::IsPending() const
{
    return Read([](const CQuoteRecord* record) { return !record || record->IsPendingFlagSet(); });
}
