// A chart around plots without windows: a document, a chart and a pane answering what
// plots ask, minute bars fed straight into the plots' series, and an image to draw on.
#pragma once

#include "analytics/series/CPriceSeries.h"
#include "analytics/series/SeriesTime.h"
#include "broker/session/SessionMessages.h"
#include "platform/ui/CBitmap.h"
#include "platform/ui/CDC.h"
#include "studies/plots/CStudyPlot.h"
#include "studies/plots/PlotHost.h"
#include "tests/analytics/FakeSeriesServices.h"

#include <QImage>

#include <functional>
#include <memory>
#include <vector>

class FakePlotDocument : public IPlotDocument {
public:
    CString GetSymbol() const override { return symbol; }
    CString GetInterval() const override { return interval; }
    bool IsExtendedSession() const override { return false; }
    DWORD GetEndTimeAnchor() const override { return anchor; }
    void SetEndTimeAnchor(DWORD t) override { anchor = t; }
    int GetVisibleBarCount() const override { return visible; }
    int GetScrollOffset() const override { return offset; }
    double GetBarSpacing() const override { return spacing; }
    void SetChartTitle(const CString& t) override { title = t; }
    CPricePlot* GetBarSeries() const override { return pricePlot; }

    CString symbol = "IBM";
    CString interval = "1";
    DWORD anchor = 0;
    int visible = 50;
    int offset = 0;
    double spacing = 6.0;
    CString title;
    CPricePlot* pricePlot = nullptr;
};

class FakePlotChart : public IPlotChart, public IPlotPane {
public:
    const std::vector<CBacktestMarker>& GetTradeMarkers() const override { return markers; }
    const CEquityRecordArray* GetEquityRecords() const override { return equity; }
    bool IsBacktestRunning() const override { return false; }
    HWND GetFrameHandle() const override { return HWND(); }
    std::shared_ptr<CChartSignals> GetSignals() const override { return chartSignals; }
    HWND GetPaneHandle() const override { return HWND(); }
    IPlotChart* GetPlotChart() const override { return const_cast<FakePlotChart*>(this); }

    std::vector<CBacktestMarker> markers;
    const CEquityRecordArray* equity = nullptr;
    std::shared_ptr<CChartSignals> chartSignals = std::make_shared<CChartSignals>();
};

inline DWORD MinuteFeedTime(int minutesAfterOpen)
{
    const int m = 30 + minutesAfterOpen;
    return CTimeToFeedTime(CTime(2026, 3, 4, 9 + m / 60, m % 60, 0));
}

// One-minute rows from 09:30 of 2026-03-04 (the fake services' day, "now" 12:07).
// The bar function gives open, high, low, close and volume of minute m.
struct BarValues {
    double open, high, low, close, volume;
};
inline std::vector<CHistoryRow> MinuteRows(int count, const std::function<BarValues(int)>& bar,
                                           const std::vector<int>& skip = {})
{
    std::vector<CHistoryRow> rows;
    for (int m = 0; m < count; ++m) {
        if (std::find(skip.begin(), skip.end(), m) != skip.end())
            continue;
        const BarValues v = bar(m);
        CHistoryRow r;
        r.feedTime = MinuteFeedTime(m);
        r.open = v.open;
        r.high = v.high;
        r.low = v.low;
        r.close = v.close;
        r.volume = v.volume;
        rows.push_back(r);
    }
    return rows;
}

// An image with a memory DC on it, filled white.
class TestCanvas {
public:
    TestCanvas(int width, int height)
    {
        m_dc.CreateCompatibleDC(nullptr);
        m_bitmap.CreateCompatibleBitmap(&m_dc, width, height);
        m_dc.SelectObject(&m_bitmap);
        m_dc.FillSolidRect(0, 0, width, height, RGB(255, 255, 255));
    }
    CDC* DC() { return &m_dc; }
    COLORREF Pixel(int x, int y) const
    {
        const QImage* image = m_bitmap.Image();
        if (!image || x < 0 || y < 0 || x >= image->width() || y >= image->height())
            return 0xFFFFFFFF;
        const QRgb c = image->pixel(x, y);
        return RGB(qRed(c), qGreen(c), qBlue(c));
    }

private:
    CBitmap m_bitmap; // outlives the context painting on it
    CDC m_dc;
};
