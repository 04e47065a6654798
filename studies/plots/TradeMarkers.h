// The four 9 x 15 glyphs that mark a backtest's trades on the price bars: an up arrow
// over B (buy) or BC (buy to cover) below the bar, S (sell) or SS (sell short) over a
// down arrow above it, in the scheme's backtest label colours.
#pragma once

#include "platform/core/WinTypes.h"

class CDC;

inline constexpr int kTradeMarkerWidth = 9;
inline constexpr int kTradeMarkerHeight = 15;

// Makes the glyphs (also done on first use).
void LoadTradeMarkerBitmaps();
// Repaints them in the current scheme colours (after the colour scheme changed).
void ColorTradeMarkerBitmaps();
void FreeTradeMarkerBitmaps();
// Kinds 0 and 1 with their top-left corner at (x - 4, yLow + 2), below the bar; kinds
// 2 and 3 at (x - 4, yHigh - 16), above it. Other kinds draw nothing.
void DrawTradeMarker(CDC* dc, int kind, int x, int yHigh, int yLow);
// Whether pixel (column, row) of a kind's glyph is foreground.
bool TradeMarkerPixel(int kind, int column, int row);
