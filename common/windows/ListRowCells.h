// Cell texts of an owner-drawn list row.
#pragma once

#include "platform/ui/CDC.h"
#include "platform/ui/CHeaderCtrl.h"
#include "platform/ui/CListCtrl.h"

#include <functional>

// Draws the text of each cell of one row, in the header's display order, inset by two blanks
// on each side; a cell narrower than its insets is left out.
void DrawListRowCells(CListCtrl& list, CDC& dc, const CRect& row, int blank,
                      const std::function<CString(int column)>& cellText);
