#include "app/shell/CKindView.h"

#include "common/services/CAppSettings.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/ShellIds.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CFont.h"
#include "platform/ui/CFrameWnd.h"

#include <QWidget>

#include <cstdlib>

namespace {

const char* KindDescription(int kind)
{
    switch (kind) {
    case kKindLevel1: return "Quotes of a watch list, positions, actives, option chains and screeners.";
    case kKindLevel2: return "The Level II book of the linked symbol.";
    case kKindChart: return "Price bars of the linked symbol and interval with studies and drawing tools.";
    case kKindTimeSales: return "Trades and quotes of the linked symbol as they happen.";
    case kKindBarTable: return "The bars of the linked symbol and interval as a table.";
    case kKindNews: return "Headlines of the linked symbols with their stories.";
    case kKindBackTesting: return "Strategy backtests over historical bars.";
    case kKindTradeTicket: return "Equity, option and conditional orders.";
    case kKindBalances: return "Balances and positions of your accounts.";
    case kKindOrderStatus: return "Your orders with cancel and replace.";
    case kKindBrowser: return "Web pages inside the workstation.";
    case kKindAlertManager: return "Price, column, formula and strategy alerts.";
    case kKindSavedOrders: return "Orders saved for later.";
    default: return "";
    }
}

bool WantsIntervalLink(int kind)
{
    return kind == kKindChart || kind == kKindBarTable || kind == kKindBackTesting;
}

}  // namespace

CKindView::CKindView(int kind) : m_nKind(kind)
{
    if (WantsIntervalLink(kind))
        m_interval = "Daily";
}

CKindView::~CKindView() = default;

CCommonDoc* CKindView::GetCommonDoc() const
{
    return dynamic_cast<CCommonDoc*>(GetDocument());
}

void CKindView::OnInitialUpdate()
{
    if (const CAppSettings* settings = CAppSettings::Instance()) {
        m_listFont = settings->m_quoteFont;
        m_listTextColor = settings->m_quoteTextColor;
        m_listBackground = settings->m_quoteColors[0];
    }
    if (CCommonDoc* doc = GetCommonDoc()) {
        doc->SetKind(m_nKind);
        CFrameWnd* frame = GetParentFrame();
        doc->SetDetached(frame && frame->GetOuterWidget() && frame->GetOuterWidget()->isWindow());
        doc->SetLinkButtons(frame, true, WantsIntervalLink(m_nKind), true);
    }
    UpdateTitle();
    CView::OnInitialUpdate();
}

void CKindView::UpdateTitle()
{
    CString title = WindowKindName(m_nKind);
    if (!m_symbol.IsEmpty()) {
        title += " - ";
        title += m_symbol;
        if (!m_interval.IsEmpty()) {
            title += ", ";
            title += m_interval;
        }
    }
    if (CDocument* doc = GetDocument())
        doc->SetTitle(title);
}

void CKindView::SetSymbolInterval(const CString& symbol, const CString& interval)
{
    if (!symbol.IsEmpty()) {
        m_symbol = symbol;
        ++m_nSymbolChanges;
    }
    if (!interval.IsEmpty() && WantsIntervalLink(m_nKind))
        m_interval = interval;
    UpdateTitle();
    Invalidate();
}

LRESULT CKindView::OnSetSymbolInterval(WPARAM group, LPARAM message)
{
    const auto* msg = reinterpret_cast<const CSymbolIntervalMsg*>(message);
    CCommonDoc* doc = GetCommonDoc();
    if (!msg || !doc)
        return 0;
    const int g = static_cast<int>(static_cast<LONG_PTR>(group));
    const bool symbol = doc->GetLinkState().AcceptsSymbolGroup(g);
    const bool interval = doc->GetLinkState().AcceptsIntervalGroup(g);
    if (symbol || interval)
        SetSymbolInterval(symbol ? msg->symbol : CString(), interval ? msg->interval : CString());
    return 1;
}

BOOL CKindView::SaveToWorkspace(CArchive& ar)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc || !doc->GetLinkState().Save(ar))
        return FALSE;
    try {
        ar << m_symbol << m_interval;
    } catch (CException&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CKindView::LoadFromWorkspace(CArchive& ar, DWORD)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc || !doc->GetLinkState().Load(ar))
        return FALSE;
    CString symbol;
    CString interval;
    try {
        ar >> symbol >> interval;
    } catch (CException&) {
        return FALSE;
    }
    if (symbol.GetLength() > 64 || interval.GetLength() > 64)
        return FALSE;
    m_symbol = symbol;
    m_interval = interval;
    doc->UpdateLinkButtons();
    UpdateTitle();
    return TRUE;
}

void CKindView::SetListFont(const CFontInfo& font, COLORREF textColor)
{
    m_listFont = font;
    m_listTextColor = textColor;
    Invalidate();
}

void CKindView::SetListColors(const std::array<COLORREF, 8>& colors)
{
    m_listBackground = colors[0];
    Invalidate();
}

void CKindView::OnDraw(CDC* dc)
{
    CRect client;
    GetClientRect(&client);
    dc->FillSolidRect(&client, m_listBackground);
    CRect band(client.left, client.top, client.right, client.top + 34);
    dc->FillSolidRect(&band, RGB(32, 56, 92));
    dc->SetBkMode(TRANSPARENT);

    CFont titleFont;
    titleFont.CreateFont(-15, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    CFont* old = dc->SelectObject(&titleFont);
    dc->SetTextColor(RGB(255, 255, 255));
    CRect titleRect = band;
    titleRect.left += 10;
    CString title = WindowKindName(m_nKind);
    if (!m_symbol.IsEmpty())
        title += "   " + m_symbol;
    if (!m_interval.IsEmpty() && WantsIntervalLink(m_nKind))
        title += "   " + m_interval;
    dc->DrawText(title, &titleRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);

    CFont bodyFont;
    bodyFont.CreateFont(-std::abs(m_listFont.height), 0, 0, 0, m_listFont.weight, m_listFont.italic ? 1 : 0, 0,
                        m_listFont.strikeOut ? 1 : 0, 0, 0, 0, 0, 0, m_listFont.face);
    dc->SelectObject(&bodyFont);
    dc->SetTextColor(m_listTextColor);
    CRect body(client.left + 10, band.bottom + 12, client.right - 10, client.bottom - 10);
    dc->DrawText(KindDescription(m_nKind), &body, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    dc->SelectObject(old);
}

const CMessageMap& CKindView::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CKindView>(CView::GetMessageMap())
                                       .Message(WM_SET_SYMBOL_INTERVAL, &CKindView::OnSetSymbolInterval)
                                       .Build();
    return map;
}
