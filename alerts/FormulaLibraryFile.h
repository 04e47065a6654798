// Formula library files (.qxf): one formula with its name, as the wizard saves and loads
// them, and symbol list files (.sym) read into the symbols field.
#pragma once

#include "platform/core/CString.h"

#include <string_view>

// Files larger than this are refused by the readers.
inline constexpr long kMaxFormulaFileBytes = 1 << 20;

// Writes the file through a temporary file. False with "Error opening file <path> for
// writing" or "Error writing file <path>"; the old file then stays as it was.
bool WriteFormulaFile(const char* path, const char* name, const char* expression, CString& error);
// False with "Error openning file <file>", "Error reading file <file>" or "Error
// parsing formula: <parser text>"; also false (with an empty error) when the file has
// no "Name" or no "Expression" with text. Name and expression change only on success.
bool ReadFormulaFile(const char* path, CString& name, CString& expression, CString& error);
// The same from a file's text.
bool ParseFormulaText(std::string_view text, CString& name, CString& expression, CString& error);

// The symbols of a .sym file, one per line, joined by blanks (control characters read
// as blanks; blanks around a line and empty lines dropped). False with "Error reading file <file>" when it cannot be read.
bool ReadSymbolListFile(const char* path, CString& symbols, CString& error);
CString SymbolListFromText(std::string_view text);
