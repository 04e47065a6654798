// The Level II window of one symbol: a quote summary, the depth bar, the bid and ask books
// with colour bands by price and, optionally, the market-maker log. The books refresh every
// 500 ms; a double click on a row opens the Trade Ticket at that row's price.
#pragma once

#include "common/services/CFontInfo.h"
#include "common/windows/IListAppearance.h"
#include "common/windows/IWorkspaceView.h"
#include "platform/ui/CView.h"
#include "views/MMLog.h"
#include "views/ui/CListFont.h"
#include "views/ui/Level2Controls.h"

#include <memory>

class CCmdUI;
class CCommonDoc;
class CMarketDepthHandle;
class CSymbolHandle;
class COrderRecord;

class CLevel2View : public CView, public IWorkspaceView, public IListAppearance, private IMMLogSink {
public:
    CLevel2View();
    ~CLevel2View() override;

    CCommonDoc* GetCommonDoc() const;
    // (Re)opens the book of the symbol text under the source choice.
    BOOL OpenBook();
    void ReleaseHandles();
    // Opens the Enter Symbol dialog with the text; a new symbol opens its book.
    void PromptSymbol(const CString& text, BOOL selectAll);
    // Shows a symbol's book without a dialog, as a link broadcast does.
    void ShowSymbol(const CString& symbolText);
    void SetSourceChoice(int choice);
    void ShowLog(bool shown);
    void RefreshTitle();
    // One timer tick: both books read again, the bar and summary repainted.
    void RefreshNow();
    // A double click on row `row` of side 0 (bids) or 1 (asks): the ticket's leg, false when
    // there is no such row.
    bool MakeRowOrder(int side, int row, COrderRecord& order) const;

    const CString& GetSymbolText() const { return m_symbolText; }
    int GetSourceChoice() const { return m_nSource; }
    bool IsLogShown() const { return m_bLogShown; }
    CMarketDepthHandle* GetDepthHandle() const { return m_pDepth; }
    CBookSideList& Bids() { return m_bids; }
    CBookSideList& Asks() { return m_asks; }
    CMMLogList& Log() { return m_log; }
    CDepthBarPanel& DepthBar() { return m_bar; }
    CLevel2SummaryPanel& Summary() { return m_summary; }

    // IListAppearance: the main window's list font and text colour for the books, the log and
    // the summary; the books repainted in their level colours.
    void SetListFont(const CFontInfo& font, COLORREF textColor) override;
    void SetListColors(const std::array<COLORREF, 8>& colors) override;

    // IWorkspaceView
    BOOL SaveToWorkspace(CArchive& ar) override;
    BOOL LoadFromWorkspace(CArchive& ar, DWORD version) override;

    void OnInitialUpdate() override;
    void OnDraw(CDC*) override {}
    void OnActivateView(BOOL activate, CView* activated, CView* deactivated) override;
    const CMessageMap& GetMessageMap() const override;

protected:
    int OnCreate(LPCREATESTRUCT create) override;
    void OnDestroy() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnTimer(UINT_PTR id) override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;

private:
    // IMMLogSink (dispatcher thread)
    bool PostTitleRefresh() override;
    bool PostEntry(std::unique_ptr<CMMLogEntry> entry) override;

    void LayOut();
    void ApplyFont(const CFontInfo& font, COLORREF textColor);
    void OnTyped(char c);
    void OpenTicket(int side, int row);

    void OnSource(UINT id);
    void OnUpdateSource(CCmdUI* ui);
    void OnToggleLog();
    void OnUpdateLog(CCmdUI* ui);
    void OnSymbol();
    void OnBidDoubleClick(NMHDR* header, LRESULT* result);
    void OnAskDoubleClick(NMHDR* header, LRESULT* result);
    LRESULT OnTitleRefresh(WPARAM, LPARAM);
    LRESULT OnSetSymbol(WPARAM group, LPARAM message);

    CLevel2SummaryPanel m_summary;
    CBookSideList m_bids{0};
    CBookSideList m_asks{1};
    CMMLogList m_log;
    CDepthBarPanel m_bar;
    CListFont m_font;
    COLORREF m_textColor = 0;
    CMarketDepthHandle* m_pDepth = nullptr;
    std::unique_ptr<CLevel2DepthListener> m_listener;
    CSymbolHandle* m_pSymbol = nullptr;
    CString m_symbolText;
    int m_nSource = 1;
    bool m_bLogShown = false;
    HWND m_logWnd;
    HWND m_viewWnd;
};
