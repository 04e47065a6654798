// Texts of the backtest's XML files: markup characters of plain element texts become
// entities (the parser turns them back).
#pragma once

#include "platform/core/CString.h"

// "&", "<" and ">" as entities; every other character unchanged.
CString EscapeXmlText(const char* text);
