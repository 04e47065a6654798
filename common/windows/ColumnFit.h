// Default widths of report list columns that show their titles and usual values whole in
// the list's font.
#pragma once

#include "platform/core/CString.h"

#include <initializer_list>

class CWnd;

// The widest of the texts in the list's font, inset by two blanks on each side as the
// lists draw their cells, with room for the header section's frame; never less than
// atLeast.
int FittedColumnWidth(CWnd& list, std::initializer_list<CString> texts, int atLeast);
