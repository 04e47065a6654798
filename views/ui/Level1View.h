// The Level I window: a quote grid that fills the view, whose rows come from one source
// at a time (the mode): symbols the user inserts, a local portfolio, a symbol set, an
// option chain, an actives list, a symbol list file, the account's positions or one of
// its watch lists; with screeners, column layouts, exports, printing and drag of symbols.
#pragma once

#include "common/windows/CListPrinter.h"
#include "common/windows/IListAppearance.h"
#include "common/windows/IWorkspaceView.h"
#include "platform/ui/CView.h"
#include "views/CScreener.h"
#include "views/Level1Workspace.h"
#include "views/ui/CListCtrlEx.h"

#include <memory>

class CActivesHandle;
class CCommonDoc;
class CPositionListHandle;
class CWatchlistListHandle;
class OptionChainSet;
struct CWndMessage;

class Level1View : public CView,
                   public IQuoteGridOwner,
                   public IWorkspaceView,
                   public IListAppearance,
                   private IScreenerSink {
public:
    Level1View();
    ~Level1View() override;

    CListCtrlEx& Grid() { return m_grid; }
    CCommonDoc* GetCommonDoc() const;
    int GetMode() const { return m_nMode; }
    // The mode's parameter: the portfolio, symbol-set or watch-list name, or the definition.
    const CString& GetModeParameter() const { return m_parameter; }
    // The window title as set on the document.
    CString ComposeTitle() const;
    void UpdateTitle();

    // Modes, without their dialogs. Each starts with RemoveAll.
    void RemoveAll();
    bool ShowPortfolio(int index);
    bool ShowPortfolioByName(const CString& name);
    void ShowSymbolSet(const CString& name);
    bool ShowOptionChain(const CString& definition);
    bool ShowActives(const CString& key);
    bool LoadSymbolList(const CString& path);
    void ShowPositions();
    bool ShowWatchList(const CString& name);
    // What the main frame's Positions, Option Chains, Screener and Actives commands do
    // with the window they open: the mode's layout first, then the mode (or its dialog).
    void ApplyFrameCommand(UINT command, const CString& frameSymbol);

    // Rows the user inserts (tag 1).
    void InsertSymbols(const std::vector<CString>& symbols);
    bool SaveSymbolList(const CString& path);
    bool ExportData(const CString& path);
    bool ExportData(const CString& path, char separator);
    CString GetSymbolsText() const;
    void SetUserTitle(const CString& title);
    void SetGridLines(bool on);
    bool HasGridLines() const { return m_bGridLines; }
    // An add-column command (catalogue, custom or colour field) after a list column (-1: the end).
    bool AddColumn(UINT command, int afterListColumn = -1);

    // Column layouts.
    bool LoadColumnLayout(const CString& path);
    bool SaveColumnLayout(const CString& path);
    void SetLayoutAsDefault();
    // "\Layouts\default.lil" and the files of the positions, actives and option-chain modes.
    static CString LayoutPath(int mode);

    // Screener.
    void StartScreener(const CString& symbols, const CString& formula);
    void StopScreener(bool restore);
    CScreener& Screener() { return m_screener; }
    void SetScreenerTimes(const CScreenerTimes& times) { m_screenerTimes = times; }

    // IWorkspaceView
    BOOL SaveToWorkspace(CArchive& ar) override;
    BOOL LoadFromWorkspace(CArchive& ar, DWORD version) override;
    // IListAppearance
    void SetListFont(const CFontInfo& font, COLORREF textColor) override;
    void SetListColors(const std::array<COLORREF, 8>& colors) override;
    // IQuoteGridOwner
    void OnGridRowsChanged() override { UpdateTitle(); }
    void OnGridCharTyped(char c) override;
    void OnGridAddColumn(UINT command, int afterListColumn) override { AddColumn(command, afterListColumn); }
    CView* GetGridView() override { return this; }

    void OnInitialUpdate() override;
    void OnDraw(CDC*) override {}
    void OnInitFrameMenu(CMenu* popup) override;
    BOOL OnPreparePrinting(CPrintInfo* info) override;
    void OnBeginPrinting(CDC* dc, CPrintInfo* info) override;
    void OnPrint(CDC* dc, CPrintInfo* info) override;
    void OnEndPrinting(CDC* dc, CPrintInfo* info) override;
    const CMessageMap& GetMessageMap() const override;

protected:
    int OnCreate(LPCREATESTRUCT create) override;
    void OnDestroy() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnSetFocus(CWnd* old) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;

private:
    class CListener;
    class CChainObserver;

    // IScreenerSink (worker thread)
    void OnScreenerSymbols(std::vector<CString> symbols) override;
    void OnScreenerProgress() override;

    // Rows come from a source that rebuilds them (a set, chain, actives list, positions,
    // watch list or a running screener).
    bool IsSourceMode() const;
    void ApplyDefaultLayout(int mode);
    void ApplyBuiltInLayout(int mode);
    void ShowPositionRows(const std::vector<CPortfolioPosition>& positions, bool totals);
    void RefreshPositions();
    void RefreshWatchList();
    void AskSymbols(const CString& start);
    CString SymbolSetNameOf(UINT command) const;
    CString WatchListNameOf(UINT command) const;
    CString PortfolioTitle(const CString& name) const { return name + " Portfolio"; }
    std::vector<CString> WatchListNames() const;
    CString ChooseFile(bool open, const char* folder, const char* filter, const char* extension);
    void EndDrag(CPoint screen);
    void Tell(const CString& text);

    // Commands.
    void OnPositions();
    void OnPortfolio(UINT id);
    void OnSymbolSet(UINT id);
    void OnWatchList(UINT id);
    void OnOptionChains();
    void OnActives();
    void OnLoadSymbols();
    void OnMarketStatistics();
    void OnSaveSymbols();
    void OnInsertSymbols();
    void OnInsertTotal();
    void OnRemoveAll();
    void OnCopySymbols();
    void OnExport();
    void OnGrid();
    void OnUpdateGrid(CCmdUI* ui);
    void OnEditTitle();
    void OnAddColumn(UINT id);
    void OnCustomFieldWizard();
    void OnColorFieldWizard();
    void OnLoadLayout();
    void OnSaveLayout();
    void OnDefaultLayout();
    void OnAddScreener();
    void OnEditScreener();
    void OnPauseScreener();
    void OnRemoveScreener();
    void OnUpdateAddScreener(CCmdUI* ui);
    void OnUpdateRunningScreener(CCmdUI* ui);
    void OnUpdatePauseScreener(CCmdUI* ui);
    void OnEndLabelEdit(NMHDR* header, LRESULT* result);
    void OnBeginDrag(NMHDR* header, LRESULT* result);
    LRESULT OnSetSymbol(WPARAM group, LPARAM message);
    LRESULT OnActivesChanged(WPARAM, LPARAM);
    LRESULT OnPositionsChanged(WPARAM, LPARAM);
    LRESULT OnWatchListsChanged(WPARAM, LPARAM);
    LRESULT OnScreenerChanged(WPARAM, LPARAM);

    CListCtrlEx m_grid;
    CListPrinter m_printer;
    int m_nMode = kModeNone;
    CString m_parameter;
    CString m_modeTitle = "Level I";
    CString m_userTitle;
    bool m_bGridLines = true;

    std::unique_ptr<CListener> m_listener;
    std::unique_ptr<CChainObserver> m_chainObserver;
    std::unique_ptr<OptionChainSet> m_chain;
    std::unique_ptr<CActivesHandle> m_actives;
    std::unique_ptr<CPositionListHandle> m_positions;
    std::unique_ptr<CWatchlistListHandle> m_watchlists;
    CScreener m_screener;
    CScreenerTimes m_screenerTimes;

    bool m_bDragging = false;
    int m_nDragRow = -1;
};
