#include "common/windows/CWindowPrinter.h"

#include "platform/ui/CDC.h"
#include "platform/ui/CPrintJob.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/CWnd.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

CWindowPrinter::CWindowPrinter(const char* title, const char* errorText)
    : m_title(title ? title : ""), m_errorText(errorText ? errorText : "")
{
}

bool CWindowPrinter::Print(int fitToPage, int center, int, CWnd* window, const char* pdfPath)
{
    QWidget* widget = window ? window->GetOuterWidget() : nullptr;
    if (!widget) {
        AfxMessageBox(m_errorText, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const QImage picture = widget->grab().toImage();
    CPrintJob job;
    const bool started = pdfPath ? job.BeginPdf(pdfPath) : job.BeginWithDialog(window);
    if (!started)
        return false;
    QPainter* painter = job.GetDC().GetPainter();
    const CRect page = job.GetPageRect();
    if (!painter || picture.isNull() || page.IsRectEmpty()) {
        job.End();
        AfxMessageBox(m_errorText, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    double scale = static_cast<double>(job.GetResolution()) / 96.0;
    if (fitToPage)
        scale = std::min(static_cast<double>(page.Width()) / picture.width(),
                         static_cast<double>(page.Height()) / picture.height());
    const int width = static_cast<int>(picture.width() * scale);
    const int height = static_cast<int>(picture.height() * scale);
    const int x = center ? page.left + (page.Width() - width) / 2 : page.left;
    const int y = center ? page.top + (page.Height() - height) / 2 : page.top;
    painter->drawImage(QRect(x, y, width, height), picture);
    if (!job.End()) {
        AfxMessageBox(m_errorText, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}
