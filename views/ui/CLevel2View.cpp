#include "views/ui/CLevel2View.h"

#include "broker/session/CMarketDepthHandle.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/CSymbolHandle.h"
#include "common/services/CAppSettings.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "common/windows/SymbolEntryDialog.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMessageQueue.h"
#include "platform/ui/CWndMessage.h"
#include "trading/ui/COrderPropertySheet.h"
#include "views/ListWorkspace.h"
#include "views/ui/ListWindowIds.h"

#include <QWidget>

namespace {

constexpr int kMaxSymbolText = 64;

const CAppSettings& Settings()
{
    if (const CAppSettings* settings = CAppSettings::Instance())
        return *settings;
    static const CAppSettings defaults;
    return defaults;
}

} // namespace

CLevel2View::CLevel2View() = default;

CLevel2View::~CLevel2View()
{
    ReleaseHandles();
}

CCommonDoc* CLevel2View::GetCommonDoc() const
{
    return dynamic_cast<CCommonDoc*>(GetDocument());
}

int CLevel2View::OnCreate(LPCREATESTRUCT create)
{
    if (CView::OnCreate(create) == -1)
        return -1;
    const TypedCharFn typed = [this](char c) { OnTyped(c); };
    if (!m_summary.CreatePanel(this, IDC_L2_SUMMARY, typed) || !m_bar.CreatePanel(this, IDC_L2_DEPTH_BAR, typed) ||
        !m_bids.CreateList(this, IDC_L2_BIDS, typed) || !m_asks.CreateList(this, IDC_L2_ASKS, typed) ||
        !m_log.CreateList(this, IDC_L2_LOG, typed))
        return -1;
    m_viewWnd = m_hWnd;
    m_logWnd = m_log.m_hWnd;
    return 0;
}

void CLevel2View::OnInitialUpdate()
{
    CView::OnInitialUpdate();
    CFrameWnd* frame = GetParentFrame();
    if (CCommonDoc* doc = GetCommonDoc()) {
        doc->SetKind(kKindLevel2);
        doc->SetDetached(frame && frame->GetOuterWidget() && frame->GetOuterWidget()->isWindow());
        doc->SetLinkButtons(frame, true, false, true);
    }
    m_bids.SetupColumns(false);
    m_asks.SetupColumns(false);
    m_bar.SetLevelColors(Settings().m_level2Colors);
    SetTimer(kLevel2Timer, kLevel2RefreshMs);
    ApplyFont(Settings().m_level2Font, Settings().m_level2TextColor);
    if (frame)
        frame->MoveWindow(0, 0, 490, 350);
    LayOut();
    if (IWorkstationFrame* main = GetWorkstationFrame()) {
        const CString symbol = main->GetSymbolBox();
        if (!symbol.IsEmpty())
            ShowSymbol(symbol);
    }
    RefreshTitle();
}

void CLevel2View::OnDestroy()
{
    KillTimer(kLevel2Timer);
    m_log.DeleteAllEntries();
    ReleaseHandles();
    CView::OnDestroy();
}

void CLevel2View::OnSize(UINT type, int cx, int cy)
{
    CView::OnSize(type, cx, cy);
    LayOut();
}

void CLevel2View::OnTimer(UINT_PTR id)
{
    if (id == kLevel2Timer)
        RefreshNow();
    else
        CView::OnTimer(id);
}

void CLevel2View::OnChar(UINT ch, UINT repeat, UINT flags)
{
    // A new window has the focus on the view itself: it asks for a symbol as its controls do.
    if (ch >= 0x20 && ch <= 0x7E)
        OnTyped(static_cast<char>(ch));
    else
        CView::OnChar(ch, repeat, flags);
}

void CLevel2View::OnActivateView(BOOL activate, CView* activated, CView* deactivated)
{
    CView::OnActivateView(activate, activated, deactivated);
    CCommonDoc* doc = GetCommonDoc();
    if (!activate || !doc || doc->IsDetached() || m_symbolText.IsEmpty())
        return;
    if (IWorkstationFrame* main = GetWorkstationFrame())
        main->SetSymbolBox(m_symbolText, TRUE);
}

void CLevel2View::RefreshNow()
{
    const std::array<COLORREF, 5>& colors = Settings().m_level2Colors;
    m_bids.Refresh(colors);
    m_asks.Refresh(colors);
    m_bar.Invalidate();
    m_summary.Invalidate();
    RefreshTitle(); // the quote's description comes after the book opened
}

// The book.

BOOL CLevel2View::OpenBook()
{
    ReleaseHandles();
    m_log.DeleteAllEntries();
    CSessionManager* manager = CSessionManager::Instance();
    const CString text = Level2HandleText(m_symbolText, m_nSource);
    if (!manager || text.IsEmpty())
        return FALSE;
    m_pDepth = manager->CreateMarketDepthHandle(text);
    if (!m_pDepth) {
        RefreshTitle();
        return FALSE;
    }
    m_listener = std::make_unique<CLevel2DepthListener>(static_cast<IMMLogSink&>(*this));
    m_pDepth->m_pListener = m_listener.get();
    m_pSymbol = manager->CreateSymbolHandle(m_pDepth->GetSymbol());
    if (!m_pSymbol) {
        ReleaseHandles();
        return FALSE;
    }
    m_pDepth->Subscribe();
    m_pSymbol->Subscribe();
    m_bids.SetDepthHandle(m_pDepth);
    m_asks.SetDepthHandle(m_pDepth);
    m_log.SetDepthHandle(m_pDepth);
    m_bar.SetDepthHandle(m_pDepth);
    m_summary.SetSymbolHandle(m_pSymbol);
    const bool timeMode = m_pDepth->GetSource() == "TV";
    m_bids.SetupColumns(timeMode);
    m_asks.SetupColumns(timeMode);
    RefreshTitle();
    RefreshNow();
    return TRUE;
}

void CLevel2View::ReleaseHandles()
{
    m_bids.SetDepthHandle(nullptr);
    m_asks.SetDepthHandle(nullptr);
    m_log.SetDepthHandle(nullptr);
    m_bar.SetDepthHandle(nullptr);
    m_summary.SetSymbolHandle(nullptr);
    CSessionManager* manager = CSessionManager::Instance();
    if (m_pDepth) {
        // Unregistered under the store's lock: the listener is called no more after this.
        if (manager)
            manager->DeleteMarketDepthHandle(m_pDepth);
        m_pDepth = nullptr;
    }
    m_listener.reset();
    if (m_pSymbol) {
        if (manager)
            manager->DeleteSymbolHandle(m_pSymbol);
        m_pSymbol = nullptr;
    }
    if (m_hWnd)
        RefreshTitle();
}

void CLevel2View::RefreshTitle()
{
    CString title;
    if (m_pDepth)
        m_pDepth->GetTitle(title);
    const CString text = Level2Title(title, m_pDepth ? m_pDepth->GetSource() : CString(), m_pDepth != nullptr);
    if (CDocument* doc = GetDocument(); doc && doc->GetTitle() != text)
        doc->SetTitle(text);
}

void CLevel2View::ShowSymbol(const CString& symbolText)
{
    m_symbolText = symbolText;
    OpenBook();
}

void CLevel2View::PromptSymbol(const CString& text, BOOL selectAll)
{
    SymbolEntryDialog dlg(selectAll, GetParentFrame());
    dlg.SetSymbol(text);
    if (dlg.DoModal() != IDOK)
        return;
    CString symbol = dlg.GetSymbol();
    symbol.Trim();
    if (symbol.IsEmpty() || symbol == m_symbolText)
        return;
    ShowSymbol(symbol);
}

void CLevel2View::SetSourceChoice(int choice)
{
    if (choice < kSourceInet || choice > kSourceTotalView || choice == m_nSource)
        return;
    m_nSource = choice;
    OpenBook();
}

void CLevel2View::ShowLog(bool shown)
{
    m_bLogShown = shown;
    LayOut();
}

bool CLevel2View::MakeRowOrder(int side, int row, COrderRecord& order) const
{
    const CBookSideList& list = side == 0 ? m_bids : m_asks;
    if (!m_pDepth || row < 0 || row >= static_cast<int>(list.Rows().size()))
        return false;
    const CBookRow& book = list.Rows()[static_cast<size_t>(row)];
    if (!book.price)
        return false;
    order = MakeBookOrder(m_pDepth->GetSymbol(), m_pDepth->GetSource(), side, *book.price,
                          book.texts[kBookParticipant], Settings());
    return true;
}

void CLevel2View::OpenTicket(int side, int row)
{
    COrderRecord order;
    if (MakeRowOrder(side, row, order))
        OpenTradeTicket(order, GetParentFrame());
}

// Look and layout.

void CLevel2View::ApplyFont(const CFontInfo& font, COLORREF textColor)
{
    m_font.Create(font, *this);
    m_textColor = textColor;
    m_bids.SetLook(&m_font.Font(), m_font.GetRowHeight(), m_font.GetBlankWidth(), textColor);
    m_asks.SetLook(&m_font.Font(), m_font.GetRowHeight(), m_font.GetBlankWidth(), textColor);
    m_log.SetLook(&m_font.Font(), m_font.GetRowHeight(), m_font.GetBlankWidth());
    m_summary.SetLook(&m_font.Font(), textColor);
}

void CLevel2View::SetListFont(const CFontInfo& font, COLORREF textColor)
{
    ApplyFont(font, textColor);
    // The summary's height follows the font.
    LayOut();
    m_bids.Invalidate();
    m_asks.Invalidate();
    m_summary.Invalidate();
}

void CLevel2View::SetListColors(const std::array<COLORREF, 8>&)
{
    m_bids.Invalidate();
    m_asks.Invalidate();
}

void CLevel2View::LayOut()
{
    if (!m_summary.m_hWnd || !m_bar.m_hWnd || !m_bids.m_hWnd || !m_asks.m_hWnd || !m_log.m_hWnd)
        return;
    CRect client;
    GetClientRect(&client);
    const CLevel2Layout layout = LayOutLevel2(client.Width(), client.Height(), m_font.GetCharHeight(), m_bLogShown);
    m_summary.MoveWindow(&layout.summary);
    m_bar.MoveWindow(&layout.bar);
    m_bids.MoveWindow(&layout.bids);
    m_asks.MoveWindow(&layout.asks);
    m_log.MoveWindow(&layout.log);
    m_log.ShowWindow(m_bLogShown ? SW_SHOW : SW_HIDE);
}

// Typing and commands.

void CLevel2View::OnTyped(char c)
{
    // The symbol entry holds the character, so the keys that follow add to it (the main
    // frame's box would take each key in place of the last).
    PromptSymbol(CString(c, 1), FALSE);
}

void CLevel2View::OnSource(UINT id)
{
    SetSourceChoice(static_cast<int>(id - ID_L2_SOURCE_FIRST));
}

void CLevel2View::OnUpdateSource(CCmdUI* ui)
{
    ui->Enable(TRUE);
    ui->SetCheck(static_cast<int>(ui->m_nID - ID_L2_SOURCE_FIRST) == m_nSource ? 1 : 0);
}

void CLevel2View::OnToggleLog()
{
    ShowLog(!m_bLogShown);
}

void CLevel2View::OnUpdateLog(CCmdUI* ui)
{
    ui->Enable(TRUE);
    ui->SetCheck(m_bLogShown ? 1 : 0);
}

void CLevel2View::OnSymbol()
{
    PromptSymbol(m_symbolText, TRUE);
}

void CLevel2View::OnBidDoubleClick(NMHDR* header, LRESULT* result)
{
    *result = 0;
    OpenTicket(0, reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem);
}

void CLevel2View::OnAskDoubleClick(NMHDR* header, LRESULT* result)
{
    *result = 0;
    OpenTicket(1, reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem);
}

LRESULT CLevel2View::OnTitleRefresh(WPARAM, LPARAM)
{
    RefreshTitle();
    return 0;
}

LRESULT CLevel2View::OnSetSymbol(WPARAM group, LPARAM message)
{
    const auto* msg = reinterpret_cast<const CSymbolIntervalMsg*>(message);
    CCommonDoc* doc = GetCommonDoc();
    if (!msg || !doc || !doc->GetLinkState().AcceptsSymbolGroup(static_cast<int>(static_cast<LONG_PTR>(group))))
        return 0;
    if (!msg->symbol.IsEmpty())
        ShowSymbol(msg->symbol);
    return 1;
}

// The listener's posts (dispatcher thread).

bool CLevel2View::PostTitleRefresh()
{
    return ::PostMessage(m_viewWnd, WM_DEPTH_UPDATE);
}

bool CLevel2View::PostEntry(std::unique_ptr<CMMLogEntry> entry)
{
    return ::PostMessage(m_logWnd, WM_DEPTH_UPDATE, 0, 0, MakePayload<std::unique_ptr<CMMLogEntry>>(std::move(entry)));
}

// Workspace.

BOOL CLevel2View::SaveToWorkspace(CArchive& ar)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return FALSE;
    const CLevel2Record record{m_symbolText, m_nSource, m_bLogShown ? 1 : 0};
    return SucceedsWithoutException([&] { return WriteLevel2Record(ar, record, doc->GetLinkState()); }) ? TRUE : FALSE;
}

BOOL CLevel2View::LoadFromWorkspace(CArchive& ar, DWORD version)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return FALSE;
    CLevel2Record record;
    if (!SucceedsWithoutException([&] { return ReadLevel2Record(ar, version, record, doc->GetLinkState()); }))
        return FALSE;
    if (record.symbol.GetLength() > kMaxSymbolText)
        return FALSE;
    doc->UpdateLinkButtons();
    m_nSource = record.source;
    ShowLog(record.logShown != 0);
    m_symbolText = record.symbol;
    if (IWorkstationFrame* main = GetWorkstationFrame(); main && !m_symbolText.IsEmpty())
        main->SetSymbolBox(m_symbolText, TRUE);
    if (m_symbolText.IsEmpty())
        ReleaseHandles();
    else
        OpenBook();
    return TRUE;
}

const CMessageMap& CLevel2View::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CLevel2View>(CView::GetMessageMap())
                                       .CommandRange(ID_L2_SOURCE_FIRST, ID_L2_SOURCE_LAST, &CLevel2View::OnSource)
                                       .UpdateUIRange(ID_L2_SOURCE_FIRST, ID_L2_SOURCE_LAST, &CLevel2View::OnUpdateSource)
                                       .Command(ID_L2_MM_LOG, &CLevel2View::OnToggleLog)
                                       .UpdateUI(ID_L2_MM_LOG, &CLevel2View::OnUpdateLog)
                                       .Command(ID_L2_SYMBOL, &CLevel2View::OnSymbol)
                                       .Notify(NM_DBLCLK, IDC_L2_BIDS, &CLevel2View::OnBidDoubleClick)
                                       .Notify(NM_DBLCLK, IDC_L2_ASKS, &CLevel2View::OnAskDoubleClick)
                                       .Message(WM_DEPTH_UPDATE, &CLevel2View::OnTitleRefresh)
                                       .Message(WM_SET_SYMBOL_INTERVAL, &CLevel2View::OnSetSymbol)
                                       .Build();
    return map;
}
