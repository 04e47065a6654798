#include "platform/ui/CView.h"

#include "platform/ui/CCreateContext.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/QtConvert.h"
#include "platform/ui/QxWindowHost.h"

#include <QEvent>
#include <QPageLayout>
#include <QPrinter>

namespace {

// Makes a view the active view of its frame when it is clicked or focused.
class ViewActivator final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::FocusIn || e->type() == QEvent::MouseButtonPress)
            if (auto* v = dynamic_cast<CView*>(CWnd::FromWidget(static_cast<QWidget*>(watched))))
                if (CFrameWnd* f = v->GetParentFrame())
                    f->SetActiveView(v);
        return false;
    }
};

}  // namespace

CView::CView()
{
    m_background = GetSysColor(COLOR_WINDOW);
}

CView::~CView()
{
    CFrameWnd::ForgetView(this);
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

QWidget* CView::CreateWidget(QWidget* parent)
{
    QWidget* w = CWnd::CreateWidget(parent);
    w->installEventFilter(new ViewActivator(w));  // owned by the widget
    return w;
}

BOOL CView::CreateView(CWnd* parent, UINT id, CCreateContext* context)
{
    if (!Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(), parent, id))
        return FALSE;
    if (context && context->m_pCurrentDoc)
        context->m_pCurrentDoc->AddView(this);
    m_autoDelete = true;
    return TRUE;
}

void CView::SetDocument(CDocument* doc)
{
    if (doc == m_pDocument)
        return;
    if (m_pDocument)
        m_pDocument->RemoveView(this);
    if (doc)
        doc->AddView(this);
}

void CView::PostNcDestroy()
{
    if (m_autoDelete)
        delete this;  // views own themselves once created by their frame
}

void CView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void CView::OnUpdate(CView*, LPARAM, CUpdateHint*)
{
    Invalidate();
}

void CView::OnDraw(CDC*) {}

void CView::OnPaint()
{
    CPaintDC dc(this);
    OnPrepareDC(&dc);
    OnDraw(&dc);
}

void CView::OnPrepareDC(CDC*, CPrintInfo* info)
{
    // Without a known page count only the first page is printed.
    if (info && info->GetMaxPage() == 0xFFFF)
        info->m_bContinuePrinting = info->m_nCurPage == 1;
}

void CView::OnActivateView(BOOL, CView*, CView*) {}

void CView::OnActivateFrame(UINT, CFrameWnd*) {}

BOOL CView::OnPreparePrinting(CPrintInfo* info)
{
    return DoPreparePrinting(info);
}

void CView::OnBeginPrinting(CDC*, CPrintInfo*) {}

void CView::OnPrint(CDC* dc, CPrintInfo*)
{
    OnDraw(dc);
}

void CView::OnEndPrinting(CDC*, CPrintInfo*) {}

BOOL CView::DoPreparePrinting(CPrintInfo* info)
{
    if (!info || !info->m_printer)
        return FALSE;
    if (info->m_bPreview || info->m_bDirect || !info->m_outputFile.IsEmpty())
        return TRUE;
    bool range = false;
    int from = static_cast<int>(info->GetMinPage());
    int to = static_cast<int>(info->GetMaxPage() == 0xFFFF ? info->GetMinPage() : info->GetMaxPage());
    if (!CUiResponder::Current().SetupPrinter(this, *info->m_printer, range, from, to))
        return FALSE;
    if (range)
        info->SetPageRange(static_cast<UINT>(from), static_cast<UINT>(to));
    return TRUE;
}

static void RenderPages(CView& view, QPrinter& printer, CPrintInfo& info)
{
    CDC dc;
    if (!dc.AttachDevice(&printer, true))
        return;
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    info.m_rectDraw = CRect(0, 0, page.width(), page.height());
    view.OnBeginPrinting(&dc, &info);
    const UINT from = info.GetFromPage();
    const UINT to = info.GetToPage();
    for (UINT p = from; p <= to && info.m_bContinuePrinting; ++p) {
        info.m_nCurPage = p;
        info.m_rectDraw = CRect(0, 0, page.width(), page.height());
        view.OnPrepareDC(&dc, &info);
        if (!info.m_bContinuePrinting)
            break;
        if (p != from)
            printer.newPage();
        const int saved = dc.SaveDC();
        view.OnPrint(&dc, &info);
        dc.RestoreDC(saved);
    }
    view.OnEndPrinting(&dc, &info);
    dc.Detach();
}

bool CView::RunPrintJob(CPrintInfo& info)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!info.m_outputFile.IsEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(ToQString(info.m_outputFile));
    }
    info.m_printer = &printer;
    if (!OnPreparePrinting(&info)) {
        info.m_printer = nullptr;
        return false;
    }
    if (info.m_bPreview) {
        CUiResponder::Current().ShowPrintPreview(this, printer, [this, &info](QPrinter& p) {
            CPrintInfo pass = info;
            pass.m_printer = &p;
            pass.m_bContinuePrinting = true;
            RenderPages(*this, p, pass);
        });
    } else {
        RenderPages(*this, printer, info);
    }
    info.m_printer = nullptr;
    return true;
}

bool CView::Print(const char* pdfPath)
{
    CPrintInfo info;
    if (pdfPath && *pdfPath) {
        info.m_outputFile = pdfPath;
        info.m_bDirect = true;
    }
    return RunPrintJob(info);
}

void CView::PrintPreview()
{
    CPrintInfo info;
    info.m_bPreview = true;
    RunPrintJob(info);
}

void CView::OnFilePrint()
{
    Print(nullptr);
}

void CView::OnFilePrintDirect()
{
    CPrintInfo info;
    info.m_bDirect = true;
    RunPrintJob(info);
}

void CView::OnFilePrintPreview()
{
    PrintPreview();
}

const CMessageMap& CView::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CView>(CWnd::GetMessageMap())
                                       .Command(ID_FILE_PRINT, &CView::OnFilePrint)
                                       .Command(ID_FILE_PRINT_DIRECT, &CView::OnFilePrintDirect)
                                       .Command(ID_FILE_PRINT_PREVIEW, &CView::OnFilePrintPreview)
                                       .Build();
    return map;
}

BOOL CView::OnCmdMsg(UINT id, UINT code, CCmdUI* ui)
{
    if (CWnd::OnCmdMsg(id, code, ui))
        return TRUE;
    return m_pDocument ? m_pDocument->OnCmdMsg(id, code, ui) : FALSE;
}
