// The alert list window "Alert Manager" (kind 11): one row per alert of the alert book,
// where alerts and strategy alerts are added, edited with or without their trigger state,
// paused, resumed, reset and deleted, and the list and the trigger histories exported.
// It owns no alert: rows hold alert ids, looked up in the book when acted on.
#pragma once

#include "alerts/AlertListText.h"
#include "alerts/ui/CAlertListCtrl.h"
#include "trading/ui/CReportView.h"

#include <functional>

class EditAlertList : public CReportView {
public:
    EditAlertList();
    ~EditAlertList() override;

    CAlertListCtrl& GetList() { return m_list; }

    void OnInitialUpdate() override;
    // Every alert of the book in array order, sorted by the current sort; the selection
    // stays on the same alerts.
    void FillList() override;

    // The colour is the list's normal text colour.
    void SetListFontAndColor(const CFontInfo& font, COLORREF color);
    // The list's background: the first colour of the alert list's colour table.
    void ApplyBackgroundColor();
    BOOL SaveToWorkspace(CArchive& ar) override;
    BOOL LoadFromWorkspace(CArchive& ar, DWORD version) override;

    // Edits the first selected alert (the Edit commands).
    void EditSelected(bool reset);
    // "\Layouts\default.aml".
    static CString DefaultLayoutPath();

    const CMessageMap& GetMessageMap() const override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnDestroy() override;

private:
    void OnAddAlert();
    void OnAddStrategy();
    void OnUpdateAddStrategy(CCmdUI* ui);
    void OnEditReset() { EditSelected(true); }
    void OnEditNoReset() { EditSelected(false); }
    void OnDelete();
    void OnPause();
    void OnResume();
    void OnReset();
    void OnDeleteTriggered();
    void OnDeleteAll();
    void OnPauseAll();
    void OnResumeAll();
    void OnResetAll();
    void OnExport();
    void OnExportHistory();
    void OnSetLayout();
    void OnColumn(UINT id);
    void OnUpdateColumn(CCmdUI* ui);
    void OnHeaderRightClick(NMHDR* header, LRESULT* result);
    void OnListRightClick(NMHDR* header, LRESULT* result);
    void OnListDoubleClick(NMHDR* header, LRESULT* result);
    LRESULT OnAlertListsChanged(WPARAM oldId, LPARAM newId);

    // The selected rows' ids; tells the user when none is.
    bool SelectedIds(std::vector<AlertId>& ids, const char* none);
    // Runs the action on every alert of the ids still in the book, then tells the lists.
    void ForAlerts(const std::vector<AlertId>& ids, const std::function<void(CAlert&)>& action);
    // Takes the alerts out of the book and deletes them, then tells the lists.
    void DeleteAlerts(const std::vector<AlertId>& ids);
    void LoadDefaultLayout();
    static void TellAlertLists(AlertId oldId = 0, AlertId newId = 0);

    CAlertListCtrl m_list;
};
