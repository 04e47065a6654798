// What the time and sales and bar windows share: a tick or bar list filling the window over
// a series of their own, newest first; the column layout and its default file; grid lines;
// printing; the context menus; exports of a date range on a worker thread; the title.
#pragma once

#include "common/services/ExportFileType.h"
#include "common/windows/CListPrinter.h"
#include "common/windows/IListAppearance.h"
#include "common/windows/IWorkspaceView.h"
#include "platform/core/CTime.h"
#include "platform/ui/CView.h"
#include "views/ListExport.h"
#include "views/ui/CListFont.h"
#include "views/ui/CTimeSalesList.h"

#include <atomic>
#include <memory>

class CCmdUI;
class CCommonDoc;
class CPriceSeries;
struct CWndMessage;

class CSeriesListView : public CView, public IWorkspaceView, public IListAppearance {
public:
    ~CSeriesListView() override;

    CCommonDoc* GetCommonDoc() const;
    CTimeSalesList& List() { return m_list; }
    CPriceSeries* GetSeries() const { return m_pSeries; }
    const CString& GetSymbolText() const { return m_symbolText; }
    bool IsExtended() const { return m_bExtended; }
    bool HasGridLines() const { return m_bGrid; }
    void SetGridLines(bool on);
    // The window title: the series' symbol title, " - " and the window's name.
    CString ComposeTitle() const;
    void RefreshTitle();

    // "\Layouts\" and the window's layout file.
    CString DefaultLayoutPath() const;
    // Writes the list's layout as the default; a failure is told.
    bool SetLayoutAsDefault();
    // The default file's layout, or every column 50 wide when it is missing (or damaged,
    // which is told).
    void ApplyDefaultLayout();
    void ToggleColumnKind(int kind);

    // Exports the job on a worker thread; its end comes back to this window.
    void StartExport(CListExportJob job);
    // The export's range: From and To, on the exchange's wall clock.
    bool ChooseExportRange(SYSTEMTIME& start, SYSTEMTIME& end);
    // The export of the range (feed times) into the target, as the window lists it.
    virtual CListExportJob MakeExportJob(const CExportTarget& target, DWORD startFeedTime, DWORD endFeedTime) const = 0;

    // IListAppearance: the main window's list font and text colour; the list's own colours
    // (the time and sales colours of the settings) again.
    void SetListFont(const CFontInfo& font, COLORREF textColor) override;
    void SetListColors(const std::array<COLORREF, 8>& colors) override;

    void OnInitialUpdate() override;
    void OnDraw(CDC*) override {}
    BOOL OnPreparePrinting(CPrintInfo* info) override;
    void OnBeginPrinting(CDC* dc, CPrintInfo* info) override;
    void OnPrint(CDC* dc, CPrintInfo* info) override;
    void OnEndPrinting(CDC* dc, CPrintInfo* info) override;
    const CMessageMap& GetMessageMap() const override;

protected:
    CSeriesListView(bool tickMode, int kind, UINT menuId, const char* name, const char* layoutFile);

    // Replaces the series with one of the key (none for an empty key) wanting the list's
    // records, and refreshes the title.
    void ReplaceSeries(const CString& key);
    // A character typed into the list: the symbol entry opens holding it.
    virtual void OnDetachedChar(char c) = 0;
    // The window's font and text colour from the settings.
    virtual void ApplySettingsLook() = 0;
    void ApplyLook(const CFontInfo& font, COLORREF textColor);
    // The layout text of the workspace record, applied.
    void ApplyLayoutText(const CString& text);

    // The commands both windows have.
    void OnGrid();
    void OnUpdateGrid(CCmdUI* ui);
    void OnDefaultLayout();
    // A file and a range asked for, the symbol's list exported.
    void OnExport();
    void UpdateColumnKind(CCmdUI* ui, int kind);

    int OnCreate(LPCREATESTRUCT create) override;
    void OnDestroy() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnSetFocus(CWnd* old) override;

    CString m_symbolText;
    bool m_bExtended = false;
    bool m_bGrid = true;

private:
    class CSeriesPoster;

    void OnTyped(char c);
    void OnRowsMenu(NMHDR* header, LRESULT* result);
    void OnHeaderMenu(NMHDR* header, LRESULT* result);
    void ShowPopup(int position, CPoint screen);
    LRESULT OnSeriesUpdate(WPARAM, LPARAM);
    LRESULT OnExportProgress(WPARAM percent, LPARAM);
    LRESULT OnExportDone(CWndMessage& message);
    // The printed copy of the rows: item texts while printing.
    void FillItemTexts(bool on);

    const bool m_bTickMode;
    const int m_nKind;
    const UINT m_nMenuId;
    const char* const m_name;
    const char* const m_layoutFile;
    CTimeSalesList m_list;
    CListPrinter m_printer;
    CListFont m_font;
    CListFont m_struckFont;
    CPriceSeries* m_pSeries = nullptr;
    std::unique_ptr<CSeriesPoster> m_poster;
};
