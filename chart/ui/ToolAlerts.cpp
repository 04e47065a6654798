#include "chart/ui/ToolAlerts.h"

#include "alerts/CAlertBook.h"
#include "analytics/series/ISeriesServices.h"
#include "analytics/series/SeriesTime.h"
#include "broker/core/FeedTime.h"
#include "chart/ToolGeometry.h"
#include "chart/ui/CDrawingTool.h"
#include "studies/plots/CPricePlot.h"
#include "studies/plots/CPriceScale.h"

#include <algorithm>

CString BuildLineAlertFormula(const std::vector<CLineAlertBar>& bars, const CString& interval, bool above)
{
    CString formula;
    const char* comparison = above ? ">" : "<";
    for (auto it = bars.rbegin(); it != bars.rend(); ++it) {
        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
        FeedTimeToDate(it->endTime, year, month, day);
        FeedTimeToTimeOfDay(it->endTime, hour, minute, second);
        CString clause;
        clause.Format("(Bar[Year,%s] = %d AND Bar[Month,%s] = %d AND Bar[Day,%s] = %d AND Bar[Hour,%s] = %d AND "
                      "Bar[Minute,%s] = %d AND Bar[Close,%s] %s %.2f)",
                      interval.GetString(), year, interval.GetString(), month, interval.GetString(), day,
                      interval.GetString(), hour, interval.GetString(), minute, interval.GetString(), comparison,
                      it->price);
        if (!formula.IsEmpty())
            formula += " OR \r\n";
        formula += clause;
    }
    return formula;
}

bool AddToAlertList(std::unique_ptr<CAlert> alert)
{
    CAlertBook* book = CAlertBook::Instance();
    if (!book || !alert)
        return false;
    const AlertId id = book->Add(std::move(alert));
    book->WithAlert(id, [](CAlert& added) { added.Activate(); });
    return true;
}

bool BuildLineAlert(CPricePlot& plot, CPoint c1, CPoint c2, int extendMode, int thickness,
                    const CToolGeometry& geometry, const CPriceScale& scale, CString& formula)
{
    if (!ClipToolLine(c1, c2, geometry.plot, extendMode, thickness))
        return false;
    if (c1.x > c2.x)
        std::swap(c1, c2);
    const int barA = XToBarIndex(geometry.spacing, c1.x, geometry.firstBar, geometry.plot.left);
    const int barB = XToBarIndex(geometry.spacing, c2.x, geometry.firstBar, geometry.plot.left);
    const double priceA = scale.YToPrice(c1.y);
    const double priceB = scale.YToPrice(c2.y);
    const int lastBar = geometry.firstBar + std::max(0, static_cast<int>(geometry.plot.Width() / geometry.spacing) - 1);
    int nowBar = barA;
    plot.FindBarByTime(CTimeToFeedTime(GetSeriesServices().GetExchangeTime()), nowBar);
    const int from = std::max(barA, nowBar);
    const int to = std::min({barB, lastBar, from + kMaxLineAlertBars - 1});
    if (from > to)
        return false;
    auto priceAt = [&](int bar) {
        return barB == barA ? priceA : priceA + (priceB - priceA) * (bar - barA) / static_cast<double>(barB - barA);
    };
    std::vector<CLineAlertBar> bars;
    for (int bar = from; bar <= to; ++bar) {
        DWORD end = 0;
        if (plot.GetBarTime(bar, CStudyPlot::kBarEnd, end))
            bars.push_back(CLineAlertBar{end, priceAt(bar)});
    }
    if (bars.empty())
        return false;
    // The line against the last price traded (a future bar has no close yet).
    int lastCloseBar = 0;
    const double last = plot.GetLastClose(lastCloseBar);
    formula = BuildLineAlertFormula(bars, plot.GetInterval(), priceAt(to) >= last);
    return true;
}
