// "Web Watch List Manager": the watch lists kept on the broker's server. The dialog edits
// copies; a list reaches the server when it is saved or deleted. Server calls run on a
// thread of their own while the dialog waits with its controls disabled.
#pragma once

#include "broker/session/AccountRecords.h"
#include "platform/ui/CDialog.h"
#include "platform/ui/CListCtrl.h"
#include "views/ui/CWatchlistCall.h"

#include <functional>
#include <memory>
#include <vector>

class CBrokerSession;
class CListBox;
class CWaitCursor;
class CWatchlistListHandle;

class EditWatchlistDlg : public CDialog {
public:
    EditWatchlistDlg(CWatchlistListHandle& handle, CBrokerSession& session, CWnd* parent = nullptr);
    ~EditWatchlistDlg() override;

    BOOL OnInitDialog() override;
    void OnOK() override {}
    // Close: asks to save unsaved changes first; stays open when the save fails.
    void OnCancel() override;
    const CMessageMap& GetMessageMap() const override;

    // Commands. The name and item forms are asked for by their dialogs; the Named and
    // With variants do the work with given values.
    void OnSelectList();
    void OnAddList();
    void AddListNamed(const CString& name);
    void OnRenameList();
    void RenameList(const CString& name);
    void OnDeleteList();
    void OnAddSymbol();
    void AddSymbolWith(const CWatchedSymbol& item);
    void OnEditSymbol();
    void EditSymbolWith(const CWatchedSymbol& item);
    void OnDeleteSymbol();
    void OnSymbolUp();
    void OnSymbolDown();
    void OnSymbolDoubleClick(NMHDR* header, LRESULT* result);
    void OnSave();

    const std::vector<CWatchlistRecord>& Lists() const { return m_lists; }
    int EditedList() const { return m_nEdited; }
    bool IsModified() const { return m_bModified; }
    // A server call is running.
    bool IsBusy() const { return m_bBusy; }
    int SelectedList() const;
    int SelectedSymbol() const;
    void SelectSymbol(int index);

private:
    CListBox* ListBox() const;
    CWatchlistRecord* Edited();
    bool NeedList();
    bool NeedSymbol();
    // Copies the lists from the handle and selects the list at select.
    void Load(int select);
    void FillLists(int select);
    void FillSymbols(int select);
    void SetModified(bool modified);
    // Calls then(true) when nothing is to be saved, the user declined (the edits are
    // then dropped) or the save succeeded; then(false) after a failed save.
    void SaveIfModified(bool prompt, std::function<void(bool)> then);
    void BeginCall(const CString& status, std::function<CWatchlistCallResult()> work,
                   std::function<void(const CWatchlistCallResult&)> done);
    LRESULT OnCallDone(CWndMessage& message);
    void EnableControls(bool enable);

    CWatchlistListHandle& m_handle;
    CBrokerSession& m_session;
    std::vector<CWatchlistRecord> m_lists;
    int m_nEdited = -1;
    bool m_bModified = false;
    CListCtrl m_symbols;

    bool m_bBusy = false;
    std::function<void(const CWatchlistCallResult&)> m_onCallDone;
    std::unique_ptr<CWaitCursor> m_waitCursor;
    CWatchlistCall m_call; // last: its thread is joined before the rest goes
};

// Runs the Web Watch List Manager modally on the session's watch lists (the
// application's command); says so when there is no session.
void RunWebWatchListManager(CWnd* parent);
