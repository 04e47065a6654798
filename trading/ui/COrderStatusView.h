// The order status window (kind 9): the account's orders as the broker reports them,
// filled again whenever the account data store has a new order list. Filters, sorts,
// column layouts, printing and exports; cancels one order or every open one, and opens
// an open order in the Trade Ticket to change it.
#pragma once

#include "broker/session/COrderStatusListHandle.h"
#include "trading/ReportViewState.h"
#include "trading/ui/COrderStatusListCtrl.h"
#include "trading/ui/CReportView.h"

#include <memory>

class COrderStatusView : public CReportView {
public:
    COrderStatusView();
    ~COrderStatusView() override;

    COrderStatusListCtrl& GetList() { return m_list; }
    const COrderListFilter& GetFilter() const { return m_filter; }
    // Hands the filter to the list handle and fills the list again.
    void SetFilter(const COrderListFilter& filter);

    void OnInitialUpdate() override;
    void FillList() override;

    // The list's text colour and font; repaints.
    void SetFontAndColor(const CFontInfo& font, COLORREF color);
    BOOL SaveToWorkspace(CArchive& ar) override;
    BOOL LoadFromWorkspace(CArchive& ar, DWORD version) override;

    // What the row menu and the commands do, for the item under a click or chosen.
    void CancelOrderOf(int item);
    void UpdateOrderOf(int item);
    void CancelOrder(const COrderStatusRecord& record);
    void UpdateOrder(const COrderStatusRecord& record);
    void CancelOpenOrders();
    // The row menu of an item (-1: none), as it is shown.
    void BuildRowMenu(CMenu& menu, int item);
    // "\Layouts\default.osl".
    static CString DefaultLayoutPath();

    const CMessageMap& GetMessageMap() const override;

protected:
    void DoDataExchange(CDataExchange* dx) override;

private:
    void OnFilter();
    void OnExport();
    void OnSetLayout();
    void OnColumn(UINT id);
    void OnUpdateColumn(CCmdUI* ui);
    void OnRowCommand();
    void OnHeaderRightClick(NMHDR* header, LRESULT* result);
    void OnListRightClick(NMHDR* header, LRESULT* result);
    void OnListDoubleClick(NMHDR* header, LRESULT* result);
    void LoadDefaultLayout();

    COrderStatusListCtrl m_list;
    std::unique_ptr<COrderStatusListHandle> m_handle;
    COrderListFilter m_filter;
};
