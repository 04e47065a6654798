// The balances window (kind 8): the account's balance lines as the broker reports them
// (name, amount, today's net change), filled again whenever the account data store has a
// new balance list; printing and exports.
#pragma once

#include "broker/session/CBalanceListHandle.h"
#include "platform/ui/CListCtrl.h"
#include "trading/ReportViewState.h"
#include "trading/ui/CReportView.h"

#include <memory>

class CBalanceView : public CReportView {
public:
    CBalanceView();
    ~CBalanceView() override;

    CListCtrl& GetList() { return m_list; }

    void OnInitialUpdate() override;
    void FillList() override;

    void SetFontAndColor(const CFontInfo& font, COLORREF color);
    BOOL SaveToWorkspace(CArchive& ar) override;
    BOOL LoadFromWorkspace(CArchive& ar, DWORD version) override;

    const CMessageMap& GetMessageMap() const override;

protected:
    void DoDataExchange(CDataExchange* dx) override;

private:
    void OnExport();
    void OnListRightClick(NMHDR* header, LRESULT* result);

    CListCtrl m_list;
    std::unique_ptr<CBalanceListHandle> m_handle;
};
