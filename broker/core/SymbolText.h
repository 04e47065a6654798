#pragma once

#include "platform/core/CString.h"

// Upper-cased symbol with any exchange prefix up to the first ':' removed; surrounding
// blanks dropped.
CString NormalizeSymbol(const char* text);
