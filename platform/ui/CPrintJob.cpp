#include "platform/ui/CPrintJob.h"

#include "platform/ui/CDC.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/QtConvert.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

CPrintJob::CPrintJob() : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

CPrintJob::~CPrintJob()
{
    End();
}

bool CPrintJob::Start()
{
    m_dc = std::make_unique<CDC>();
    if (!m_dc->AttachDevice(m_printer.get(), true)) {
        m_dc.reset();
        return false;
    }
    return true;
}

bool CPrintJob::BeginWithDialog(CWnd* owner, int minPage, int maxPage)
{
    bool range = false;
    int from = minPage;
    int to = maxPage;
    if (!CUiResponder::Current().SetupPrinter(owner, *m_printer, range, from, to))
        return false;
    m_from = range ? from : minPage;
    m_to = range ? to : maxPage;
    return Start();
}

bool CPrintJob::BeginPdf(const char* path)
{
    if (!path || !*path)
        return false;
    m_printer->setOutputFormat(QPrinter::PdfFormat);
    m_printer->setOutputFileName(ToQString(path));
    return Start();
}

CDC& CPrintJob::GetDC()
{
    if (!m_dc)
        m_dc = std::make_unique<CDC>();  // inactive: drawing does nothing
    return *m_dc;
}

CRect CPrintJob::GetPageRect() const
{
    const QRect r = m_printer->pageLayout().paintRectPixels(m_printer->resolution());
    return CRect(0, 0, r.width(), r.height());
}

int CPrintJob::GetResolution() const
{
    return m_printer->resolution();
}

bool CPrintJob::NewPage()
{
    return m_dc && m_dc->IsValid() && m_printer->newPage();
}

bool CPrintJob::End()
{
    if (!m_dc)
        return false;
    const bool ok = m_dc->IsValid() && m_dc->GetPainter()->end();
    m_dc->Detach();
    m_dc.reset();
    return ok;
}
