// What the order status, saved orders and balances windows share: a form whose report
// list fills the window, the account data store's change listener, the grid lines, the
// list font, exports, printing through the list printer, the caption link buttons and
// symbol broadcasts. Failures are told in message boxes with an OK button and no caption.
#pragma once

#include "common/services/CFontInfo.h"
#include "common/windows/CListPrinter.h"
#include "common/windows/IWorkspaceView.h"
#include "platform/ui/CFont.h"
#include "platform/ui/CFormView.h"
#include "trading/ReportExport.h"
#include "trading/ReportLayout.h"
#include "trading/ui/CReportListener.h"

#include <functional>
#include <memory>

class CAccountDataStore;
class CCmdUI;
class CCommonDoc;
class CLinkState;
class CListCtrl;
class CMenu;
class CReportListCtrl;

class CReportView : public CFormView, public IWorkspaceView {
public:
    ~CReportView() override;

    CCommonDoc* GetCommonDoc() const;
    int GetGrid() const { return m_nGrid; }
    // Fills the list again from a snapshot of the store's list.
    virtual void FillList() = 0;

    const CMessageMap& GetMessageMap() const override;

protected:
    CReportView(UINT formId, int kind);

    // The window's part of the initial update: link buttons, title, the list taking the
    // whole window with the given extended styles, grid lines by the flag.
    void InitReport(CListCtrl& list, DWORD extendedStyle);
    // The process-wide account data store, null without a session.
    static CAccountDataStore* GetStore();
    CReportListener* GetListener() const { return m_listener.get(); }

    void ApplyGrid();
    void SetListLook(const CFontInfo& font, COLORREF textColor);
    // Asks for a file under "\SpreadSheets" and writes the rows to it; tells a write
    // failure; opens the file afterwards when the settings ask for it.
    void ExportRows(const std::vector<CExportRow>& rows, bool blankBeforePlus);
    // The list's columns and rows, as shown, through ExportRows.
    void ExportList(const CReportListCtrl& list);
    // The list's columns from the layout file: the default columns when it is missing or
    // damaged (told).
    void LoadListLayout(CReportListCtrl& list, const CString& path);
    // The list's column layout into the file; tells a failure.
    void SaveListLayout(const CReportListCtrl& list, const CString& path);
    // A column command of a list: shows or hides the field's column, never the fixed one's.
    void ToggleListField(CReportListCtrl& list, int field, int fixedField);
    static void UpdateListField(const CReportListCtrl& list, CCmdUI* ui, int field, int fixedField);
    // The list's layout and sort and the grid flag, for a workspace record.
    void KeepListState(const CReportListCtrl& list, CReportListState& state) const;
    // A workspace record read whole: the link groups and the list's layout and grid flag
    // taken, the list filled by fill(), then its sort.
    void ApplyListState(CReportListCtrl& list, const CReportListState& state, const CLinkState& link,
                        const std::function<void()>& fill);
    // The symbol goes into the tool bar's box and to the windows linked with this one.
    void BroadcastSymbol(const CString& symbol);
    // "\Layouts\<name>" under the program folder.
    static CString LayoutPath(const char* name);
    // Loads a menu of the resources and returns its popup of that text, or null.
    static CMenu* FindPopup(CMenu& menu, UINT menuId, const char* text);
    void ShowMessage(const CString& text);

    void OnRefresh();
    void OnToggleGrid();
    void OnUpdateGrid(CCmdUI* ui);
    void OnSize(UINT type, int cx, int cy) override;

    BOOL OnPreparePrinting(CPrintInfo* info) override;
    void OnBeginPrinting(CDC* dc, CPrintInfo* info) override;
    void OnPrint(CDC* dc, CPrintInfo* info) override;
    void OnEndPrinting(CDC* dc, CPrintInfo* info) override;

    int m_nGrid = 1;

private:
    LRESULT OnDataChanged(WPARAM, LPARAM);

    const int m_nKind;
    CListCtrl* m_pList = nullptr;
    CListPrinter m_printer;
    CFont m_font;
    std::unique_ptr<CReportListener> m_listener;
};
