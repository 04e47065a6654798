// Alerts made from drawing tools: a formula alert that fires when the close crosses a
// line over the bars it spans, and price alerts at retracement levels.
#pragma once

#include "platform/core/CPoint.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <memory>
#include <vector>

class CAlert;

class CPricePlot;
class CPriceScale;
struct CToolGeometry;

// Bars of a line's alert at most: the formula names each bar.
inline constexpr int kMaxLineAlertBars = 500;

// One bar the line crosses: the bar's end time and the line's price there.
struct CLineAlertBar {
    DWORD endTime = 0;
    double price = 0;
};

// The formula of a line alert: one clause per bar (the last first) comparing the bar's
// close with the line's price, joined by " OR \r\n". above: the line lies at or above
// the last price, so the alert waits for a close above it.
CString BuildLineAlertFormula(const std::vector<CLineAlertBar>& bars, const CString& interval, bool above);

// The formula alert of the line through two pixel points (extended by the mode) on the
// plot's bars: the bars from the later of its start and now to the earlier of its end
// and the pane's last bar, compared with the last price traded. False when the line is
// not visible or covers no bar.
bool BuildLineAlert(CPricePlot& plot, CPoint p1, CPoint p2, int extendMode, int thickness,
                    const CToolGeometry& geometry, const CPriceScale& scale, CString& formula);

// Appends the alert to the application's alert list and activates it; false (the alert
// dropped) without an alert list.
bool AddToAlertList(std::unique_ptr<CAlert> alert);
