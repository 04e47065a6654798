// The Bar Table window: the bars of one symbol at one interval, newest first, following the
// symbol and interval link groups.
#pragma once

#include "common/services/TextHelpers.h"
#include "common/services/ExportFileType.h"
#include "views/ui/CSeriesListView.h"

class CBarView : public CSeriesListView {
public:
    CBarView();

    // Asks for the bars of the symbol, interval and session.
    void RequestData();
    // The Enter Symbol and Interval dialog: the text goes into the interval field when the
    // typed character was a digit, else into the symbol field.
    void PromptSymbolInterval(const CString& text, bool intervalTyped, BOOL selectAll);
    void ShowSymbolInterval(const CString& symbol, const CString& interval, bool extended);
    CListExportJob MakeExportJob(const CExportTarget& target, DWORD startFeedTime, DWORD endFeedTime) const override;

    const CString& GetIntervalText() const { return m_interval; }

    BOOL SaveToWorkspace(CArchive& ar) override;
    BOOL LoadFromWorkspace(CArchive& ar, DWORD version) override;
    void OnInitialUpdate() override;
    void OnActivateView(BOOL activate, CView* activated, CView* deactivated) override;
    const CMessageMap& GetMessageMap() const override;

protected:
    void OnDetachedChar(char c) override;
    void ApplySettingsLook() override;

private:
    void OnSymbolInterval();
    void OnColumn(UINT id);
    void OnUpdateColumn(CCmdUI* ui);
    LRESULT OnSetSymbol(WPARAM group, LPARAM message);
    // The main window's boxes show the window's symbol and interval (not for a floating window).
    void ShowInToolBar();

    CString m_interval = PeriodCodeToName("1"); // one-minute bars, named as the Interval box names them
};
