#include "views/ui/EditWatchlistDlg.h"

#include "broker/session/CBrokerSession.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/CWatchlistListHandle.h"
#include "common/services/TextHelpers.h"
#include "common/windows/CEnterNameDlg.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CListBox.h"
#include "platform/ui/CWinApp.h"
#include "views/WatchedSymbolForm.h"
#include "views/ui/CWatchedSymbolDlg.h"
#include "views/ui/PanelIds.h"

#include <algorithm>
#include <utility>

namespace {

constexpr UINT kListBox = 1381;
constexpr UINT kSymbolList = 1007;
constexpr UINT kSaveButton = 1015;
constexpr UINT kStatus = 1385;

struct ColumnSpec {
    const char* title;
    int width; // dialog units
    int format;
};
constexpr ColumnSpec kColumns[] = {{"Symbol", 95, LVCFMT_LEFT},
                                   {"Qty", 50, LVCFMT_RIGHT},
                                   {"Price", 50, LVCFMT_RIGHT},
                                   {"Fee", 40, LVCFMT_RIGHT},
                                   {"Date", 70, LVCFMT_LEFT}};

// Whether two records are the same list: by server id, or by name for lists not saved yet.
bool SameList(const CWatchlistRecord& a, const CWatchlistRecord& b)
{
    return a.listId.IsEmpty() && b.listId.IsEmpty() ? a.name == b.name : a.listId == b.listId;
}

} // namespace

EditWatchlistDlg::EditWatchlistDlg(CWatchlistListHandle& handle, CBrokerSession& session, CWnd* parent)
    : CDialog(IDD_WEB_WATCH_LISTS, parent), m_handle(handle), m_session(session)
{
}

EditWatchlistDlg::~EditWatchlistDlg()
{
    m_call.Join();
}

BOOL EditWatchlistDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CDataExchange dx(this, FALSE);
    DDX_Control(&dx, kSymbolList, m_symbols);
    m_symbols.SetExtendedStyle(m_symbols.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i)
        m_symbols.InsertColumn(i, kColumns[i].title, kColumns[i].format, kColumns[i].width * 3 / 2);
    Load(0);
    return TRUE;
}

CListBox* EditWatchlistDlg::ListBox() const
{
    return static_cast<CListBox*>(GetDlgItem(kListBox));
}

int EditWatchlistDlg::SelectedList() const
{
    const CListBox* box = ListBox();
    const int index = box ? box->GetCurSel() : -1;
    return index >= 0 && index < static_cast<int>(m_lists.size()) ? index : -1;
}

int EditWatchlistDlg::SelectedSymbol() const
{
    return m_symbols.m_hWnd ? m_symbols.GetNextItem(-1, LVNI_SELECTED) : -1;
}

void EditWatchlistDlg::SelectSymbol(int index)
{
    if (index >= 0 && index < m_symbols.GetItemCount())
        m_symbols.SetItemState(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

CWatchlistRecord* EditWatchlistDlg::Edited()
{
    return m_nEdited >= 0 && m_nEdited < static_cast<int>(m_lists.size()) ? &m_lists[static_cast<size_t>(m_nEdited)]
                                                                          : nullptr;
}

bool EditWatchlistDlg::NeedList()
{
    if (Edited() && SelectedList() == m_nEdited)
        return true;
    MessageBox("Please select a watch list", nullptr, MB_OK);
    return false;
}

bool EditWatchlistDlg::NeedSymbol()
{
    if (!NeedList())
        return false;
    const int row = SelectedSymbol();
    if (row >= 0 && row < static_cast<int>(Edited()->symbols.size()))
        return true;
    MessageBox("Please select a symbol", nullptr, MB_OK);
    return false;
}

void EditWatchlistDlg::Load(int select)
{
    // The list that was selected stays selected when it is still there.
    const CWatchlistRecord* wanted =
        select >= 0 && select < static_cast<int>(m_lists.size()) ? &m_lists[static_cast<size_t>(select)] : nullptr;
    const CWatchlistRecord keep = wanted ? *wanted : CWatchlistRecord{};
    m_handle.TakeSnapshot();
    CArray<CWatchlistRecord> records;
    m_handle.CopyRecords(records);
    m_handle.UseLive();
    m_lists.clear();
    for (INT_PTR i = 0; i < records.GetSize(); ++i)
        m_lists.push_back(records[i]);
    if (wanted) {
        const auto it = std::find_if(m_lists.begin(), m_lists.end(),
                                     [&](const CWatchlistRecord& r) { return SameList(r, keep); });
        if (it != m_lists.end())
            select = static_cast<int>(it - m_lists.begin());
    }
    SetModified(false);
    FillLists(select);
}

void EditWatchlistDlg::FillLists(int select)
{
    CListBox* box = ListBox();
    if (!box)
        return;
    box->ResetContent();
    for (const CWatchlistRecord& list : m_lists)
        box->AddString(list.name);
    m_nEdited = m_lists.empty() ? -1 : std::clamp(select, 0, static_cast<int>(m_lists.size()) - 1);
    box->SetCurSel(m_nEdited);
    FillSymbols(0);
}

void EditWatchlistDlg::FillSymbols(int select)
{
    if (!m_symbols.m_hWnd)
        return;
    m_symbols.DeleteAllItems();
    const CWatchlistRecord* list = Edited();
    if (!list)
        return;
    for (size_t i = 0; i < list->symbols.size(); ++i) {
        const std::vector<CString> texts = WatchedSymbolRowTexts(list->symbols[i]);
        const int row = m_symbols.InsertItem(static_cast<int>(i), texts[0]);
        for (int c = 1; c < static_cast<int>(texts.size()); ++c)
            m_symbols.SetItemText(row, c, texts[static_cast<size_t>(c)]);
    }
    SelectSymbol(std::clamp(select, 0, std::max(0, static_cast<int>(list->symbols.size()) - 1)));
}

void EditWatchlistDlg::SetModified(bool modified)
{
    m_bModified = modified;
    if (CWnd* save = m_hWnd ? GetDlgItem(kSaveButton) : nullptr)
        save->EnableWindow(modified && !m_bBusy);
}

void EditWatchlistDlg::SaveIfModified(bool prompt, std::function<void(bool)> then)
{
    CWatchlistRecord* list = Edited();
    if (!m_bModified || !list) {
        then(true);
        return;
    }
    if (prompt) {
        CString text;
        text.Format("Save changes to watch list %s?", list->name.GetString());
        if (MessageBox(text, "Save Watch List?", MB_YESNO | MB_ICONQUESTION) != IDYES) {
            Load(SelectedList());
            then(true);
            return;
        }
    }
    const int index = m_nEdited;
    const CWatchlistRecord record = *list;
    const bool create = record.listId.IsEmpty();
    CBrokerSession* session = &m_session;
    BeginCall(
        "Saving watch list " + record.name + "...",
        [session, record, create] {
            CWatchlistCallResult result;
            result.ok = session->SaveWatchlist(record, create ? 1 : 0, result.error, &result.listId);
            return result;
        },
        [this, index, create, then = std::move(then)](const CWatchlistCallResult& result) {
            if (!result.ok) {
                MessageBox("Error saving watch list: " + result.error, "Error", MB_OK | MB_ICONERROR);
                then(false);
                return;
            }
            // The next save of a created list edits it.
            if (create && index < static_cast<int>(m_lists.size()))
                m_lists[static_cast<size_t>(index)].listId = result.listId;
            SetModified(false);
            then(true);
        });
}

void EditWatchlistDlg::BeginCall(const CString& status, std::function<CWatchlistCallResult()> work,
                                 std::function<void(const CWatchlistCallResult&)> done)
{
    m_bBusy = true;
    m_onCallDone = std::move(done);
    EnableControls(false);
    SetDlgItemText(kStatus, status);
    m_waitCursor = std::make_unique<CWaitCursor>();
    m_call.Start(m_hWnd, WM_WATCHLIST_CALL_DONE, std::move(work));
}

LRESULT EditWatchlistDlg::OnCallDone(CWndMessage& message)
{
    m_call.Join();
    const auto payload = message.Take<CWatchlistCallResult>();
    m_bBusy = false;
    m_waitCursor.reset();
    SetDlgItemText(kStatus, "");
    EnableControls(true);
    auto done = std::move(m_onCallDone);
    m_onCallDone = nullptr;
    if (done)
        done(payload ? payload->value : CWatchlistCallResult{});
    return 0;
}

void EditWatchlistDlg::EnableControls(bool enable)
{
    for (CWnd* child : GetChildWindows())
        if (child->GetDlgCtrlID() != static_cast<int>(kStatus))
            child->EnableWindow(enable);
    SetModified(m_bModified);
}

void EditWatchlistDlg::OnSelectList()
{
    if (m_bBusy)
        return;
    const int selected = SelectedList();
    if (selected == m_nEdited)
        return;
    const int previous = m_nEdited;
    SaveIfModified(true, [this, previous](bool ok) {
        if (!ok) {
            if (CListBox* box = ListBox())
                box->SetCurSel(previous);
            return;
        }
        m_nEdited = SelectedList();
        FillSymbols(0);
    });
}

void EditWatchlistDlg::AddListNamed(const CString& text)
{
    CString name = text;
    if (m_bBusy || !TrimAndTest(name))
        return;
    // Saved on the server only with Save.
    m_lists.push_back({name, CString(), {}});
    FillLists(static_cast<int>(m_lists.size()) - 1);
    SetModified(true);
}

void EditWatchlistDlg::OnAddList()
{
    if (m_bBusy)
        return;
    SaveIfModified(true, [this](bool ok) {
        if (!ok)
            return;
        CEnterNameDlg dlg("", this);
        if (dlg.DoModal() == IDOK)
            AddListNamed(dlg.m_name);
    });
}

void EditWatchlistDlg::RenameList(const CString& text)
{
    CString name = text;
    CWatchlistRecord* list = Edited();
    if (m_bBusy || !list || !TrimAndTest(name))
        return;
    list->name = name;
    FillLists(m_nEdited);
    SetModified(true);
}

void EditWatchlistDlg::OnRenameList()
{
    if (m_bBusy || !NeedList())
        return;
    CEnterNameDlg dlg(Edited()->name, this);
    if (dlg.DoModal() == IDOK)
        RenameList(dlg.m_name);
}

void EditWatchlistDlg::OnDeleteList()
{
    if (m_bBusy || !NeedList())
        return;
    const int index = m_nEdited;
    const auto removeLocally = [this, index] {
        if (index < static_cast<int>(m_lists.size()))
            m_lists.erase(m_lists.begin() + index);
        SetModified(false);
        FillLists(0);
    };
    const CWatchlistRecord& list = m_lists[static_cast<size_t>(index)];
    if (list.listId.IsEmpty()) {
        removeLocally();
        return;
    }
    CBrokerSession* session = &m_session;
    BeginCall(
        "Deleting watch list " + list.name + "...",
        [session, id = list.listId] {
            CWatchlistCallResult result;
            result.ok = session->DeleteWatchlist(id, result.error);
            return result;
        },
        [this, removeLocally](const CWatchlistCallResult& result) {
            if (!result.ok) {
                MessageBox("Error deleting watch list: " + result.error, "Error", MB_OK | MB_ICONERROR);
                return;
            }
            removeLocally();
        });
}

void EditWatchlistDlg::AddSymbolWith(const CWatchedSymbol& item)
{
    CWatchlistRecord* list = Edited();
    if (m_bBusy || !list)
        return;
    list->symbols.push_back(item);
    FillSymbols(static_cast<int>(list->symbols.size()) - 1);
    SetModified(true);
}

void EditWatchlistDlg::OnAddSymbol()
{
    if (m_bBusy || !NeedList())
        return;
    CWatchedSymbolDlg dlg(CWatchedSymbol{}, this);
    if (dlg.DoModal() == IDOK)
        AddSymbolWith(dlg.GetItem());
}

void EditWatchlistDlg::EditSymbolWith(const CWatchedSymbol& item)
{
    CWatchlistRecord* list = Edited();
    const int row = SelectedSymbol();
    if (m_bBusy || !list || row < 0 || row >= static_cast<int>(list->symbols.size()))
        return;
    list->symbols[static_cast<size_t>(row)] = item;
    FillSymbols(row);
    SetModified(true);
}

void EditWatchlistDlg::OnEditSymbol()
{
    if (m_bBusy || !NeedSymbol())
        return;
    CWatchedSymbolDlg dlg(Edited()->symbols[static_cast<size_t>(SelectedSymbol())], this);
    if (dlg.DoModal() == IDOK)
        EditSymbolWith(dlg.GetItem());
}

void EditWatchlistDlg::OnSymbolDoubleClick(NMHDR*, LRESULT* result)
{
    *result = 0;
    if (SelectedSymbol() >= 0)
        OnEditSymbol();
}

void EditWatchlistDlg::OnDeleteSymbol()
{
    if (m_bBusy || !NeedSymbol())
        return;
    const int row = SelectedSymbol();
    auto& symbols = Edited()->symbols;
    symbols.erase(symbols.begin() + row);
    FillSymbols(row);
    SetModified(true);
}

void EditWatchlistDlg::OnSymbolUp()
{
    if (m_bBusy || !NeedSymbol())
        return;
    const int row = SelectedSymbol();
    if (row == 0)
        return;
    auto& symbols = Edited()->symbols;
    std::swap(symbols[static_cast<size_t>(row)], symbols[static_cast<size_t>(row - 1)]);
    FillSymbols(row - 1);
    SetModified(true);
}

void EditWatchlistDlg::OnSymbolDown()
{
    if (m_bBusy || !NeedSymbol())
        return;
    const int row = SelectedSymbol();
    auto& symbols = Edited()->symbols;
    if (row + 1 >= static_cast<int>(symbols.size()))
        return;
    std::swap(symbols[static_cast<size_t>(row)], symbols[static_cast<size_t>(row + 1)]);
    FillSymbols(row + 1);
    SetModified(true);
}

void EditWatchlistDlg::OnSave()
{
    if (!m_bBusy)
        SaveIfModified(false, [](bool) {});
}

void EditWatchlistDlg::OnCancel()
{
    if (m_bBusy)
        return;
    SaveIfModified(true, [this](bool ok) {
        if (ok)
            EndDialog(IDCANCEL);
    });
}

const CMessageMap& EditWatchlistDlg::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<EditWatchlistDlg>(CDialog::GetMessageMap())
                                       .Control(LBN_SELCHANGE, kListBox, &EditWatchlistDlg::OnSelectList)
                                       .Control(BN_CLICKED, 1382, &EditWatchlistDlg::OnAddList)
                                       .Control(BN_CLICKED, 1383, &EditWatchlistDlg::OnRenameList)
                                       .Control(BN_CLICKED, 1384, &EditWatchlistDlg::OnDeleteList)
                                       .Control(BN_CLICKED, 1013, &EditWatchlistDlg::OnAddSymbol)
                                       .Control(BN_CLICKED, 1027, &EditWatchlistDlg::OnEditSymbol)
                                       .Control(BN_CLICKED, 1014, &EditWatchlistDlg::OnDeleteSymbol)
                                       .Control(BN_CLICKED, kSaveButton, &EditWatchlistDlg::OnSave)
                                       .Control(BN_CLICKED, 1008, &EditWatchlistDlg::OnSymbolUp)
                                       .Control(BN_CLICKED, 1009, &EditWatchlistDlg::OnSymbolDown)
                                       .Notify(NM_DBLCLK, kSymbolList, &EditWatchlistDlg::OnSymbolDoubleClick)
                                       .Message(WM_WATCHLIST_CALL_DONE, &EditWatchlistDlg::OnCallDone)
                                       .Build();
    return map;
}

void RunWebWatchListManager(CWnd* parent)
{
    CSessionManager* manager = CSessionManager::Instance();
    if (!manager) {
        AfxMessageBox("There is no connection to the broker.");
        return;
    }
    CWatchlistListHandle handle(manager->GetAccountData());
    EditWatchlistDlg dlg(handle, manager->GetSession(), parent);
    dlg.DoModal();
}
