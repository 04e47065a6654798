#include "views/ActivesKey.h"

#include "broker/session/CActivesHandle.h"

#include <cstdlib>
#include <cstring>

namespace {

const char* const kExchangeKeys[kActivesExchangeCount] = {"NYSE", "NASDAQ", "OTCBB", "OPTS", "CALLS", "PUTS"};
const char* const kExchangeNames[kActivesExchangeCount] = {"LISTED", "NASDAQ", "OTCBB", "OPTIONS", "CALLS", "PUTS"};
const char* const kIntervalKeys[kActivesIntervalCount] = {"60", "300", "600", "1800", "3600", "ALL"};
const char* const kIntervalNames[kActivesIntervalCount] = {"1 min", "5 min", "10 min", "30 min", "60 min", "All Day"};
const char* const kStockTypes[kActivesTypeCount] = {"Shares Traded", "Trades"};
const char* const kOptionTypes[kActivesTypeCount] = {"Contracts Traded", "Trades"};

template <size_t N>
const char* At(const char* const (&table)[N], int index)
{
    return index >= 0 && index < static_cast<int>(N) ? table[index] : "";
}

// Whole texts compare: a key with bytes after a NUL matches nothing.
template <size_t N>
int Find(const char* const (&table)[N], const CString& key)
{
    for (size_t i = 0; i < N; ++i)
        if (key == table[i])
            return static_cast<int>(i);
    return -1;
}

} // namespace

const char* ActivesExchangeKey(int index) { return At(kExchangeKeys, index); }
const char* ActivesExchangeName(int index) { return At(kExchangeNames, index); }
const char* ActivesIntervalKey(int index) { return At(kIntervalKeys, index); }
const char* ActivesIntervalName(int index) { return At(kIntervalNames, index); }
int FindActivesExchange(const CString& key) { return Find(kExchangeKeys, key); }
int FindActivesInterval(const CString& key) { return Find(kIntervalKeys, key); }

const char* ActivesTypeName(int exchange, int type)
{
    if (exchange < 0 || exchange >= kActivesExchangeCount)
        return "";
    return exchange >= 3 ? At(kOptionTypes, type) : At(kStockTypes, type);
}

CString MakeActivesKey(int exchange, int interval, int type)
{
    if (!*ActivesExchangeKey(exchange) || !*ActivesIntervalKey(interval))
        return CString();
    CString key;
    key.Format("%s-%s,%d", ActivesExchangeKey(exchange), ActivesIntervalKey(interval), type);
    return key;
}

bool IsValidActivesKey(const CString& key)
{
    const int dash = key.Find('-');
    const int comma = key.Find(',');
    if (dash <= 0 || comma <= dash)
        return false;
    const CString type = key.Mid(comma + 1);
    return FindActivesExchange(key.Left(dash)) >= 0 && FindActivesInterval(key.Mid(dash + 1, comma - dash - 1)) >= 0 &&
           (type == "0" || type == "1");
}

CString FormatActivesTitle(const CString& exchangeKey, const CString& intervalKey, int type)
{
    CString title = "Actives";
    const int exchange = FindActivesExchange(exchangeKey);
    if (exchange >= 0) {
        title += " - ";
        title += ActivesExchangeName(exchange);
    }
    if (type >= 0 && type < kActivesTypeCount) {
        title += ", ";
        title += exchange >= 3 ? kOptionTypes[type] : kStockTypes[type];
    }
    const int interval = FindActivesInterval(intervalKey);
    if (interval >= 0) {
        title += ", ";
        title += ActivesIntervalName(interval);
    }
    return title;
}

CString FormatActivesTitle(const CActivesHandle* handle)
{
    if (!handle)
        return "Actives";
    return FormatActivesTitle(handle->GetExchangeKey(), handle->GetIntervalKey(), handle->GetType());
}
