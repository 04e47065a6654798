// The BackTesting window: runs, cancels and re-runs backtests (on a symbol of its link
// group), keeps every result of the last run, and shows them in its list as fills (trade
// mode) or as statistics per symbol and strategy with an optional Total row (summary
// mode). It saves and loads results (.btr) and column layouts (.btl), exports the list,
// prints it, opens a chart for a row and keeps its state in workspaces.
#pragma once

#include "backtest/BackTestColumns.h"
#include "backtest/BackTestContext.h"
#include "backtest/BackTestRecords.h"
#include "backtest/CBackTestResults.h"
#include "backtest/CStrategySetup.h"
#include "backtest/ui/CBackTestCtrl.h"
#include "common/windows/CListPrinter.h"
#include "common/windows/IListAppearance.h"
#include "common/windows/IWorkspaceView.h"
#include "platform/ui/CFont.h"
#include "platform/ui/CFormView.h"

#include <array>
#include <memory>
#include <vector>

class CCmdUI;
class CCommonDoc;
class CWndMessage;

class CBackTestView : public CFormView, public IWorkspaceView, public IListAppearance {
public:
    CBackTestView();
    ~CBackTestView() override;

    CCommonDoc* GetCommonDoc() const;
    BackTestContext& GetContext() { return m_context; }
    const CStrategySetup* GetSetup() const { return m_setup.get(); }
    CBackTestCtrl& GetList() { return m_list; }
    const CBackTestResults& GetResults() const { return m_results; }
    int GetMode() const { return m_nMode; }
    bool IsShowingTotal() const { return m_bShowTotal; }
    bool IsRunning() const { return m_context.IsRunning(); }
    // "BackTesting", the progress of a run and the number of strategies.
    CString MakeTitle() const;

    // Runs a job on this window (the Strategy Setup dialog's "Backtest").
    bool StartJob(std::shared_ptr<const CStrategySetup> job);
    void CancelBacktest();
    // The Strategy Setup dialog on this window, with a symbol text to start with.
    void OpenStrategySetup(const CString& presetSymbols);
    void SetMode(int mode);
    void ToggleTotal();
    void ToggleColumn(int mode, int index);
    // The column's default width, widened to show its title and usual values whole in
    // the list's font.
    int DefaultListColumnWidth(int mode, int index);
    // Results and layout files; false after telling why.
    bool SaveResults(const CString& path);
    bool LoadResults(const CString& path);
    bool SaveLayout(const CString& path);
    void LoadLayout(const CString& path);
    // The list's texts as exported: header then rows, columns in display order.
    std::vector<std::vector<CString>> ExportRows() const;
    // A chart for the row's symbol and strategy (custom: with the formulas' studies).
    bool OpenChartForRow(int row, bool custom);

    BOOL SaveToWorkspace(CArchive& ar) override;
    BOOL LoadFromWorkspace(CArchive& ar, DWORD version) override;
    void SetListFont(const CFontInfo& font, COLORREF textColor) override;
    void SetListColors(const std::array<COLORREF, 8>& colors) override;

    void OnInitialUpdate() override;
    void DoDataExchange(CDataExchange* dx) override;
    const CMessageMap& GetMessageMap() const override;

protected:
    void OnSize(UINT type, int cx, int cy) override;
    BOOL OnPreparePrinting(CPrintInfo* info) override;
    void OnBeginPrinting(CDC* dc, CPrintInfo* info) override;
    void OnPrint(CDC* dc, CPrintInfo* info) override;
    void OnEndPrinting(CDC* dc, CPrintInfo* info) override;
    void OnDestroy() override;
    void OnChar(UINT ch, UINT repeat, UINT flags) override;

private:
    void UpdateTitle();
    void ApplyGrid();
    // Removes the rows (freeing summaries), optionally the columns, and zeroes the Total.
    void ClearRows(bool columns);
    void InsertColumns();
    void SaveShownLayout();
    void FillRows();
    void AddTradeRow(BackTestEntry& entry, const BackTestEntry* previous);
    void AddSummaryRow(const EntryGroup& group);
    void SetTotalTexts();
    int TotalRow() const;
    void ApplyLayouts(const std::array<CBackTestLayout, 2>& layouts);
    void Adopt(std::shared_ptr<const CStrategySetup> setup);
    void ShowMessage(const CString& text);
    static CString LayoutFolder();
    static CString DefaultLayoutPath();

    LRESULT OnStarted(CWndMessage& message);
    LRESULT OnTrade(CWndMessage& message);
    LRESULT OnGroup(CWndMessage& message);
    LRESULT OnProgress(WPARAM, LPARAM);
    LRESULT OnProblem(CWndMessage& message);
    LRESULT OnEnded(WPARAM, LPARAM);
    LRESULT OnSetSymbolInterval(WPARAM group, LPARAM message);

    void OnStrategySetup();
    void OnUpdateStrategySetup(CCmdUI* ui);
    void OnCancel();
    void OnUpdateCancel(CCmdUI* ui);
    void OnSummaryView();
    void OnTradeView();
    void OnUpdateSummaryView(CCmdUI* ui);
    void OnUpdateTradeView(CCmdUI* ui);
    void OnShowTotal();
    void OnUpdateShowTotal(CCmdUI* ui);
    void OnLoadResults();
    void OnSaveResults();
    void OnExport();
    void OnGrid();
    void OnUpdateGrid(CCmdUI* ui);
    void OnColumn(UINT id);
    void OnUpdateColumn(CCmdUI* ui);
    void OnLoadLayout();
    void OnSaveLayout();
    void OnSetDefaultLayout();
    void OnRowCommand();
    void OnListRightClick(NMHDR* header, LRESULT* result);
    void OnHeaderRightClick(NMHDR* header, LRESULT* result);
    void OnListDoubleClick(NMHDR* header, LRESULT* result);
    // A character typed into the window or its list starts a symbol: in the Strategy Setup
    // when detached, in the tool bar's box otherwise.
    void OnTyped(char c);

    BackTestContext m_context;
    std::unique_ptr<IBackTestSink> m_sink;
    std::shared_ptr<const CStrategySetup> m_setup;
    CString m_symbol;
    CBackTestCtrl m_list;
    CListPrinter m_printer;
    CFont m_font;
    std::array<std::array<bool, kSummaryColumnCount>, 2> m_present{};
    std::array<CBackTestLayout, 2> m_saved;  // the layout of the mode not shown
    CBackTestResults m_results;
    std::vector<std::unique_ptr<BackTestSummary>> m_summaries;  // the summary rows' records
    int m_nMode = kTradeMode;
    int m_nGrid = 1;
    bool m_bShowTotal = false;
    BackTestSummary m_total;
    bool m_bTotalPercent = false;
    std::vector<CString> m_problems;  // told when the run ends
};
