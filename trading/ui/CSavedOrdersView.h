// The saved orders window (kind 12): the orders saved at the broker for later, filled
// again whenever the account data store has a new saved-order list. Places them (the
// first ten rows also with Ctrl+1 ... Ctrl+0), opens them in the Trade Ticket, deletes
// them; sorts, column layouts, printing and exports.
#pragma once

#include "broker/session/CSavedOrderListHandle.h"
#include "trading/ReportViewState.h"
#include "trading/ui/CReportView.h"
#include "trading/ui/CSavedOrdersListCtrl.h"

#include <memory>

class CSavedOrdersView : public CReportView {
public:
    CSavedOrdersView();
    ~CSavedOrdersView() override;

    CSavedOrdersListCtrl& GetList() { return m_list; }

    void OnInitialUpdate() override;
    void FillList() override;

    // The colour is the list's normal text colour.
    void SetFont(const CFontInfo& font, COLORREF color);
    // The list's background: the first colour of the saved orders' colour table.
    void SetBackgroundColor();
    BOOL SaveToWorkspace(CArchive& ar) override;
    BOOL LoadFromWorkspace(CArchive& ar, DWORD version) override;

    // Places the saved order of a row through the order gate; nothing for a row that
    // does not exist. True when it was placed.
    bool PlaceRow(int row);
    // "\Layouts\default.sol".
    static CString DefaultLayoutPath();

    const CMessageMap& GetMessageMap() const override;

protected:
    void DoDataExchange(CDataExchange* dx) override;

private:
    void OnPlace();
    void OnEditPlace();
    void OnDelete();
    void OnDeleteAll();
    void OnExport();
    void OnSetLayout();
    void OnColumn(UINT id);
    void OnUpdateColumn(CCmdUI* ui);
    void OnHeaderRightClick(NMHDR* header, LRESULT* result);
    void OnListRightClick(NMHDR* header, LRESULT* result);
    void OnListDoubleClick(NMHDR* header, LRESULT* result);
    LRESULT OnHotKey(WPARAM row, LPARAM);
    // Copies of the selected rows' records, in list order; tells the user when none is.
    bool SelectedRecords(std::vector<CSavedOrderRecord>& out);
    bool Place(const CSavedOrderRecord& record);
    void DeleteIds(const std::vector<CString>& ids);
    void LoadDefaultLayout();

    CSavedOrdersListCtrl m_list;
    std::unique_ptr<CSavedOrderListHandle> m_handle;
};
