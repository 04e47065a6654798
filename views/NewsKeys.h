// The news subscription keys of a headline window and its title.
#pragma once

#include "platform/core/CString.h"

#include <vector>

inline constexpr const char* kNewsKeyAll = "*ALL*";
inline constexpr const char* kNewsKeyHot = "*HOT*";
// Titles longer than this are cut and end in "...".
inline constexpr int kNewsTitleLimit = 128;

// The symbols text split at blanks, commas and line ends, each upper-cased without an
// exchange prefix, then "*ALL*" and "*HOT*" when asked; every key once, in that order.
std::vector<CString> NewsKeysOf(const CString& symbols, bool allNews, bool hotNews);

// "News - <symbols>[ HOT][ ALL] (Alert On|Off)", line ends made blanks; "News (Alert ...)"
// when there is nothing between.
CString NewsWindowTitle(const CString& symbols, bool hotNews, bool allNews, bool alertOn);
