#include "chart/ui/CGraphsDoc.h"

#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsView.h"
#include "common/services/CAppSettings.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CBitmap.h"
#include "platform/ui/CDC.h"

#include <QGuiApplication>
#include <QScreen>

#include <cstdlib>

CGraphsDoc::CGraphsDoc()
{
    SetKind(2);
    m_strTitle = "Chart";
    MeasureAxisLabels();
}

CGraphsDoc::~CGraphsDoc() = default;

BOOL CGraphsDoc::OnNewDocument()
{
    return CCommonDoc::OnNewDocument();
}

BOOL CGraphsDoc::SetIntervalKind(BOOL resetSpacing)
{
    const int before = m_kind.periodKind;
    m_kind = ParseIntervalKind(m_interval);
    if (resetSpacing)
        m_barSpacing = 6.0;
    if (m_kind.periodKind != before) {
        m_metrics.periodValue = 0;
        m_metrics.samplesMeasured = false;
    }
    // The axes fit the texts of the new data, as in a new chart.
    m_metrics.textWidth = m_metrics.sampleWidth;
    m_metrics.labelWidth = m_metrics.textWidth + 2;
    // The panes lay their data out again up to a new newest bar.
    m_endTimeAnchor = 0;
    m_fixedEndTime = 0;
    UpdateAllViews(nullptr, kHintReinitialise);
    return TRUE;
}

void CGraphsDoc::MeasureAxisLabels()
{
    CFontInfo font;
    if (const CAppSettings* settings = CAppSettings::Instance())
        font = settings->m_chartFont;
    m_chartFont.CreateFont(-std::abs(font.height), 0, 0, 0, font.weight, font.italic ? 1 : 0, 0,
                           font.strikeOut ? 1 : 0, 0, 0, 0, 0, 0, font.face);
    CBitmap scratch;
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    scratch.CreateCompatibleBitmap(&dc, 4, 4);
    dc.SelectObject(&scratch);
    dc.SelectObject(&m_chartFont);
    const CSize sample = dc.GetTextExtent("000000000");
    m_metrics.sampleWidth = sample.cx;
    m_metrics.sampleHeight = sample.cy;
    TEXTMETRIC tm{};
    if (dc.GetTextMetrics(&tm)) {
        m_metrics.internalLeading = tm.tmInternalLeading;
        m_metrics.ascent = tm.tmAscent;
    }
    m_metrics.periodValue = 0;
    m_metrics.samplesMeasured = false;
    m_metrics.textWidth = m_metrics.sampleWidth;
    m_metrics.labelWidth = m_metrics.textWidth + 2;
    m_metrics.labelHeight =
        m_metrics.internalLeading / 2 + 2 * m_metrics.ascent + 2 - m_metrics.internalLeading;
}

void CGraphsDoc::ApplyChartFont()
{
    MeasureAxisLabels();
    for (CView* view : GetViews())
        if (auto* pane = dynamic_cast<CGraphsView*>(view))
            pane->OnMetricsChanged();
    // The side windows lay themselves out again as well.
    if (CView* first = GetFirstView())
        if (CChartController* chart = GetChartController(first->GetParentFrame()))
            chart->RefreshSideWindows();
}

void CGraphsDoc::FitAxisText(int width)
{
    if (width <= m_metrics.textWidth)
        return;
    m_metrics.textWidth = width;
    m_metrics.labelWidth = width + 2;
    m_bAxisWidened = true;
}

HCURSOR CGraphsDoc::GetCursorFor(UINT command) const
{
    UINT resource = 130;
    switch (command) {
    case kCmdSegment: resource = 196; break;
    case kCmdNote: resource = 197; break;
    case kCmdRay: resource = 198; break;
    case kCmdRegression: resource = 199; break;
    case kCmdRetracement: resource = 200; break;
    case kCmdLine: resource = 201; break;
    default: break;
    }
    const HCURSOR cursor = LoadCursorResource(resource);
    return cursor ? cursor : IDC_ARROW;
}

HCURSOR CGraphsDoc::GetDragCursor() const
{
    const HCURSOR cursor = LoadCursorResource(132);
    return cursor ? cursor : IDC_SIZEALL;
}

int GetMaxChartWidth()
{
    static const int width = [] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const int w = screen ? screen->virtualGeometry().width() : 1920;
        return w > 0 ? w : 1920;
    }();
    return width + 1;
}
