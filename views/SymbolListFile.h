// Symbol list files (".sym"): one symbol per line.
#pragma once

#include "platform/core/CString.h"

#include <vector>

// Longest file read (bytes).
inline constexpr long long kMaxSymbolListBytes = 4 * 1024 * 1024;

// The symbols of the file's lines, whatever their length, without line ends (LF or
// CR LF) or surrounding blanks; empty lines are skipped. False with the error text.
bool ReadSymbolList(const CString& path, std::vector<CString>& symbols, CString& error);
// The same from text already read.
std::vector<CString> ParseSymbolList(const CString& text);
// "%s\n" per symbol, through a temporary file.
bool WriteSymbolList(const CString& path, const std::vector<CString>& symbols, CString& error);
// "NAME Symbol List" title of a file: its name without folder and extension.
CString SymbolListTitle(const CString& path);
