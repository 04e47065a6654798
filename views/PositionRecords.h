// Position records for the grid from the account's positions and watch lists, and the
// checks and arithmetic of the Symbol Settings dialog.
#pragma once

#include "broker/session/AccountRecords.h"
#include "views/CPortfolio.h"

// Shares = the absolute quantity, short when it is negative; multiplier 100 for an
// option symbol, else 1.
CPortfolioPosition PositionFromAccount(const CPositionRecord& position);
// The same from a watch-list entry, with its price, commission and purchase date.
CPortfolioPosition PositionFromWatchedSymbol(const CWatchedSymbol& entry);

// A whole number of shares or a multiplier: digits only (an optional leading "+"),
// within int. "1.2.3", "-" or "" are refused.
bool ParseWholeNumber(const CString& text, int& value);
// A transaction fee or another amount: a plain decimal number.
bool ParseAmount(const CString& text, double& value);
// A position date is free text, but one written as a date (month, day and year joined
// by "/", "-" or ".", or year-month-day) must be a real day of the calendar.
bool IsAcceptablePositionDate(const CString& text);
// Splits n : m: shares x n / m (truncated) and price x m / n, in 64-bit arithmetic.
// False (nothing changed) when n or m is not above 0 or the shares leave int.
bool SplitPosition(int& shares, double& price, int n, int m);
