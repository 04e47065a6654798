// File names made from user-given names (formula and strategy library files).
#pragma once

#include "platform/core/CString.h"

// Each of \ / : * ? " < > | becomes "-"; an empty result becomes "File"; at most 200
// characters.
CString MakeSafeFileName(const char* name);
