#include "trading/ui/COrderView.h"

#include "common/services/TextHelpers.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "platform/ui/CFrameWnd.h"
#include "trading/SendOrders.h"

#include <QScrollArea>
#include <QTimer>
#include <QWidget>

COrderView::COrderView() : m_sheet(std::make_unique<COrderPropertySheet>(FALSE, nullptr)) {}

COrderView::~COrderView()
{
    m_sheet.reset();
}

CCommonDoc* COrderView::GetCommonDoc() const
{
    return dynamic_cast<CCommonDoc*>(GetDocument());
}

const CMessageMap& COrderView::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<COrderView>(CView::GetMessageMap())
                                       .Message(WM_SET_SYMBOL_INTERVAL, &COrderView::OnSetSymbolInterval)
                                       .Build();
    return map;
}

void COrderView::OnInitialUpdate()
{
    if (CCommonDoc* doc = GetCommonDoc()) {
        doc->SetKind(kKindTradeTicket);
        CFrameWnd* frame = GetParentFrame();
        doc->SetDetached(frame && frame->GetOuterWidget() && frame->GetOuterWidget()->isWindow());
        doc->SetLinkButtons(frame, true, false, true);
        doc->SetTitle(WindowKindName(kKindTradeTicket));
    }
    m_sheet->InitPages(0, 0, -1, nullptr, 0, nullptr, kOriginTicket);
    m_sheet->SetSizeRequest([this](CSize size) { ResizeFrameFor(size); });
    m_sheet->Create(this, WS_CHILD | WS_VISIBLE);
    if (QWidget* self = GetWidget()) {
        m_scroller = new QScrollArea(self);  // owned by the view's widget
        m_scroller->setFrameShape(QFrame::NoFrame);
        m_scroller->setWidgetResizable(true);
        m_scroller->setWidget(m_sheet->GetOuterWidget());
        m_scroller->setGeometry(self->rect());
        m_scroller->show();
    }
    m_sheet->FitToActivePage();
    SendMessage(WM_SET_SYMBOL_INTERVAL, static_cast<WPARAM>(-1), 0);
    CView::OnInitialUpdate();
}

void COrderView::OnDraw(CDC*) {}

void COrderView::OnSize(UINT type, int cx, int cy)
{
    CView::OnSize(type, cx, cy);
    if (m_scroller)
        m_scroller->setGeometry(0, 0, cx, cy);
}

void COrderView::ResizeFrameFor(CSize client)
{
    // After the pending layout, when the frame and the view have their sizes.
    QWidget* self = GetWidget();
    if (!self || client.cx <= 0 || client.cy <= 0)
        return;
    const HWND view = m_hWnd;
    QTimer::singleShot(0, self, [view, client] {
        auto* me = dynamic_cast<COrderView*>(CWnd::FromHandle(view));
        CFrameWnd* frame = me ? me->GetParentFrame() : nullptr;
        QWidget* outer = frame ? frame->GetOuterWidget() : nullptr;
        QWidget* inner = me ? me->GetWidget() : nullptr;
        if (!outer || !inner)
            return;
        const bool zoomed = frame->IsZoomed() != FALSE;
        if (zoomed)
            frame->ShowWindow(SW_RESTORE);
        const QSize chrome = outer->size() - inner->size();
        outer->resize(client.cx + std::max(chrome.width(), 0), client.cy + std::max(chrome.height(), 0));
        if (zoomed)
            frame->ShowWindow(SW_MAXIMIZE);
    });
}

LRESULT COrderView::OnSetSymbolInterval(WPARAM group, LPARAM message)
{
    CCommonDoc* doc = GetCommonDoc();
    const int g = static_cast<int>(static_cast<LONG_PTR>(group));
    // -1 with no message: the view's own start, which takes the main frame's symbol.
    if (message && (!doc || !doc->GetLinkState().AcceptsSymbolGroup(g)))
        return 0;
    CString symbol;
    if (const auto* msg = reinterpret_cast<const CSymbolIntervalMsg*>(message))
        symbol = msg->symbol;
    else if (IWorkstationFrame* frame = GetWorkstationFrame())
        symbol = frame->GetSymbolBox();
    const bool option = GetSymbolKind(symbol) == kSymbolOption;
    COrderPage* active = m_sheet->GetActiveOrderPage();
    if (!symbol.IsEmpty()) {
        if (active == &m_sheet->GetStockPage() && option)
            m_sheet->SetActivePage(&m_sheet->GetOptionPage());
        else if (active == &m_sheet->GetOptionPage() && !option)
            m_sheet->SetActivePage(&m_sheet->GetStockPage());
    }
    if (COrderPage* page = m_sheet->GetActiveOrderPage(); page && page->m_hWnd) {
        CSymbolIntervalMsg forwarded{symbol, CString(), false};
        page->SendMessage(WM_SET_SYMBOL_INTERVAL, group, reinterpret_cast<LPARAM>(&forwarded));
    }
    return 1;
}

BOOL COrderView::SaveToWorkspace(CArchive& ar)
{
    CCommonDoc* doc = GetCommonDoc();
    return doc && doc->GetLinkState().Save(ar) ? TRUE : FALSE;
}

BOOL COrderView::LoadFromWorkspace(CArchive& ar, DWORD)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc || !doc->GetLinkState().Load(ar))
        return FALSE;
    doc->UpdateLinkButtons();
    return TRUE;
}
