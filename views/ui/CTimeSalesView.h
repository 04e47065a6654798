// The Time & Sales window of one symbol: its ticks newest first, live or ending at a chosen
// date and time, optionally filtered by a price range and a minimum size.
#pragma once

#include "platform/ui/CDialog.h"
#include "views/TimeSalesKeys.h"
#include "common/services/ExportFileType.h"
#include "views/ui/CSeriesListView.h"

class CTimeSalesView : public CSeriesListView {
public:
    CTimeSalesView();

    // Asks for the symbol's ticks again: live, or ending at the go-to time.
    void RequestData(bool historical);
    // The Enter Symbol dialog with the text; another symbol is asked for live.
    void PromptSymbol(const CString& text, BOOL selectAll);
    void ShowSymbol(const CString& symbol, bool extended);
    void SetFilter(const CTimeSalesFilter& filter);
    void GoTo(const CTime& time);
    // A date and time on the exchange's wall clock.
    void GoTo(const SYSTEMTIME& time);
    // The export of a range: the job a file and a range make (the window's columns, its
    // filter), started on a worker thread.
    CListExportJob MakeExportJob(const CExportTarget& target, DWORD startFeedTime, DWORD endFeedTime) const override;

    const CTimeSalesFilter& GetFilter() const { return m_filter; }
    bool IsHistorical() const { return m_bHistorical; }
    DWORD GetGoToFeedTime() const { return m_goTo; }

    BOOL SaveToWorkspace(CArchive& ar) override;
    BOOL LoadFromWorkspace(CArchive& ar, DWORD version) override;
    void OnInitialUpdate() override;
    void OnActivateView(BOOL activate, CView* activated, CView* deactivated) override;
    const CMessageMap& GetMessageMap() const override;

protected:
    void OnDetachedChar(char c) override { PromptSymbol(CString(c, 1), FALSE); }
    void ApplySettingsLook() override;

private:
    void OnSymbol();
    void OnFilter();
    void OnGoTo();
    void OnColumn(UINT id);
    void OnUpdateColumn(CCmdUI* ui);
    LRESULT OnSetSymbol(WPARAM group, LPARAM message);
    // The main window's boxes show the window's symbol (not for a floating window).
    void ShowInToolBar();

    DWORD m_goTo = 0; // feed time
    bool m_bHistorical = false;
    CTimeSalesFilter m_filter;
};

// "Time & Sales Filter": a price range and a minimum size, each with its check box.
class CTimeSalesFilterDlg : public CDialog {
public:
    CTimeSalesFilterDlg(const CTimeSalesFilter& filter, CWnd* parent = nullptr);
    const CTimeSalesFilter& GetFilter() const { return m_filter; }

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    const CMessageMap& GetMessageMap() const override;

private:
    void OnCheck();
    void EnableEdits();

    CTimeSalesFilter m_filter;
    int m_nPrice = 0;
    int m_nVolume = 0;
    float m_minPrice = 0;
    float m_maxPrice = 0;
    UINT m_nMinSize = 0;
};
