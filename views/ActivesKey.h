// Actives keys ("EXCHANGE-INTERVAL,TYPE") and their display names: the six markets, the
// six intervals and the two ranking types.
#pragma once

#include "platform/core/CString.h"

class CActivesHandle;

inline constexpr int kActivesExchangeCount = 6;
inline constexpr int kActivesIntervalCount = 6;
inline constexpr int kActivesTypeCount = 2;

// Keys and display names by index; "" outside the tables.
const char* ActivesExchangeKey(int index);
const char* ActivesExchangeName(int index);
const char* ActivesIntervalKey(int index);
const char* ActivesIntervalName(int index);
// "Shares Traded" / "Trades", or for the option markets (3 to 5) "Contracts Traded" / "Trades".
const char* ActivesTypeName(int exchange, int type);

int FindActivesExchange(const CString& key);
int FindActivesInterval(const CString& key);

// "%s-%s,%d"; "" when an index lies outside its table.
CString MakeActivesKey(int exchange, int interval, int type);
// Whether a key names a list of the tables (the type 0 or 1).
bool IsValidActivesKey(const CString& key);
// "Actives - NASDAQ, Trades, 5 min" and the like; "Actives" without a handle.
CString FormatActivesTitle(const CActivesHandle* handle);
CString FormatActivesTitle(const CString& exchangeKey, const CString& intervalKey, int type);
