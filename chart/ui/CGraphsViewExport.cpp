// Printing the chart window and exporting its picture as a BMP or PNG file. Both run on
// the interface thread from a timer 500 ms after the command, so that the menu that
// started them has closed and the chart has repainted.
#include "chart/ui/CGraphsView.h"

#include "chart/ChartImage.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "common/services/CAppSettings.h"
#include "common/services/TextHelpers.h"
#include "common/windows/CWindowPrinter.h"
#include "platform/core/CTime.h"
#include "platform/ui/CBitmap.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/CommonDialogs.h"

#include <QImage>

#include <filesystem>

namespace {

constexpr UINT_PTR kTimerPrint = 1980;
constexpr UINT_PTR kTimerExport = 1981;
constexpr UINT kCommandDelay = 500;

COLORREF ChartColor(int index)
{
    static const CAppSettings defaults;
    const CAppSettings* settings = CAppSettings::Instance();
    return (settings ? settings : &defaults)->m_chartColors[static_cast<size_t>(index)];
}

} // namespace

void CGraphsView::OnPrintChart()
{
    SetTimer(kTimerPrint, kCommandDelay);
}

void CGraphsView::OnExportImage()
{
    SetTimer(kTimerExport, kCommandDelay);
}

void CGraphsView::OnTimer(UINT_PTR id)
{
    if (id == kTimerPrint) {
        KillTimer(id);
        PrintChart();
    } else if (id == kTimerExport) {
        KillTimer(id);
        ExportChartImage();
    } else {
        CView::OnTimer(id);
    }
}

bool CGraphsView::PrintChart(const char* pdfPath)
{
    CWindowPrinter printer("Quorvantelix Chart", "Unable to print chart");
    return printer.Print(2, 2, 1, GetParentFrame(), pdfPath);
}

std::vector<uint8_t> CGraphsView::CaptureChartImage()
{
    CFrameWnd* frame = GetParentFrame();
    CBitmap window;
    if (!frame || !frame->CaptureToBitmap(window) || !window.Image() || window.Image()->isNull())
        return {};
    const QImage& picture = *window.Image();
    const int width = picture.width();
    const int height = picture.height();

    // A caption line below the window's picture, in the chart's colours.
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap measure;
    measure.CreateCompatibleBitmap(&dc, 4, 4);
    dc.SelectObject(&measure);
    dc.SelectStockObject(ANSI_VAR_FONT);
    TEXTMETRIC metrics{};
    dc.GetTextMetrics(&metrics);
    const int footer = static_cast<int>(metrics.tmHeight) + 4;

    CBitmap whole;
    whole.CreateCompatibleBitmap(&dc, width, height + footer);
    dc.SelectObject(&whole);
    dc.SelectStockObject(ANSI_VAR_FONT);
    CDC source;
    source.CreateCompatibleDC(nullptr);
    source.SelectObject(&window);
    dc.BitBlt(0, 0, width, height, &source, 0, 0, SRCCOPY);
    dc.FillSolidRect(0, height, width, footer, ChartColor(kChartColorBackground));
    CString caption = "Quorvantelix";
    if (CGraphsDoc* doc = GetGraphsDoc(); doc && !doc->GetSymbol().IsEmpty())
        caption += " - " + doc->GetSymbol() + ", " + PeriodDisplayName(doc->GetInterval());
    caption += " - " + CTime::GetCurrentTime().Format("%Y-%m-%d %H:%M");
    dc.SetTextColor(ChartColor(kChartColorText));
    dc.SetBkMode(TRANSPARENT);
    CRect line(2, height + 2, width - 2, height + footer);
    dc.DrawText(caption, &line, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    dc.DeleteDC();
    source.DeleteDC();

    const QImage* image = whole.Image();
    if (!image || image->isNull())
        return {};
    const QImage rgb = image->convertToFormat(QImage::Format_RGB32);
    return PackDib24(reinterpret_cast<const uint32_t*>(rgb.constBits()), rgb.width(), rgb.height(),
                     static_cast<int>(rgb.bytesPerLine() / 4));
}

bool CGraphsView::ExportChartImageTo(const CString& path, const std::vector<uint8_t>& image)
{
    CUiResponder& ask = CUiResponder::Current();
    const CString extension = CString(std::filesystem::path(path.GetString()).extension().string().c_str()).Mid(1);
    bool written = false;
    if (extension.CompareNoCase("bmp") == 0) {
        CWaitCursor wait;
        written = WriteBitmapFile(path, image);
        if (!written)
            ask.MessageBox(GetParentFrame(), "Error saving to BMP file", "Export Error", MB_OK | MB_ICONSTOP);
    } else if (extension.CompareNoCase("png") == 0) {
        CWaitCursor wait;
        written = WritePngFile(path, image);
        if (!written)
            ask.MessageBox(GetParentFrame(), "Error saving to PNG file", "Export Error", MB_OK | MB_ICONSTOP);
    } else {
        CString text;
        text.Format("Exporting images as type '%s' is not supported", extension.GetString());
        ask.MessageBox(GetParentFrame(), text, "", MB_OK);
    }
    const CAppSettings* settings = CAppSettings::Instance();
    if (written && settings && settings->m_bViewExportData)
        ask.OpenExternal(path);
    return written;
}

void CGraphsView::ExportChartImage()
{
    const std::vector<uint8_t> image = CaptureChartImage();
    if (image.empty())
        return;
    CFileDialog dialog(FALSE, "bmp", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                       "Bitmap Files (*.bmp)|*.bmp|PNG Files (*.png)|*.png||", GetParentFrame());
    dialog.m_request.title = "Export Image";
    if (const CAppSettings* settings = CAppSettings::Instance()) {
        dialog.m_request.initialDir = settings->GetFilePath("Charts");
        std::error_code ec;
        std::filesystem::create_directories(dialog.m_request.initialDir.GetString(), ec);
    }
    if (dialog.DoModal() == IDOK)
        ExportChartImageTo(dialog.GetPathName(), image);
}
