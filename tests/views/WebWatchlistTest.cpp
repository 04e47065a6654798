// The Web Watch List Manager offscreen against the in-process test broker: lists are
// created, edited and deleted on the server, the calls leave the interface thread
// free, declined and unsaved edits make no call, and server errors keep the local state.
#include "Level1Harness.h"

#include "broker/session/CWatchlistListHandle.h"
#include "platform/ui/CListBox.h"
#include "platform/ui/CListCtrl.h"
#include "tests/support/CTestBrokerSession.h"
#include "tools/testbroker/CTestBroker.h"
#include "views/ui/CWatchedSymbolDlg.h"
#include "views/ui/EditWatchlistDlg.h"
#include "views/ui/PanelIds.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

struct CBox {
    CString text;
    CString caption;
    UINT type = 0;
};

// Answers yes/no questions from a queue (no when empty) and records every box.
class CPromptResponder : public CAnsweringResponder {
public:
    int MessageBox(CWnd*, const CString& text, const CString& caption, UINT type) override
    {
        shown.push_back({text, caption, type});
        if ((type & MB_TYPEMASK) != MB_YESNO)
            return IDOK;
        if (yesNo.empty())
            return IDNO;
        const int answer = yesNo.front();
        yesNo.pop_front();
        return answer;
    }
    std::vector<CBox> shown;
    std::deque<int> yesNo;
};

class WebWatchlistTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_session.Start());
        m_session.Install();
        ASSERT_TRUE(m_session.LogIn());
        auto responder = std::make_unique<CPromptResponder>();
        m_answers = responder.get();
        m_responder = std::make_unique<CScopedUiResponder>(std::move(responder));
    }
    void TearDown() override
    {
        if (m_dialog && m_dialog->m_hWnd)
            m_dialog->DestroyWindow();
        m_dialog.reset();
        m_handle.reset();
        m_responder.reset();
        m_harness.reset();
        m_session.Stop();
    }

    CBrokerSession& Session() { return m_session.Manager().GetSession(); }
    std::vector<qx::testbroker::Watchlist> Server() { return m_session.Broker().Watchlists(); }

    // A list saved on the server before the dialog opens; its id.
    CString ServerList(const char* name, std::vector<CWatchedSymbol> symbols)
    {
        CString error, id;
        EXPECT_TRUE(Session().SaveWatchlist({name, "", std::move(symbols)}, 1, error, &id)) << error.GetString();
        return id;
    }
    // Waits until the account data store holds that many lists.
    bool StoreHolds(size_t count)
    {
        CWatchlistListHandle lists(m_session.Manager().GetAccountData());
        return PumpUntil(
            [&] {
                CArray<CWatchlistRecord> records;
                return lists.CopyRecords(records) && static_cast<size_t>(records.GetSize()) == count;
            },
            10000);
    }
    EditWatchlistDlg& Open()
    {
        m_handle = std::make_unique<CWatchlistListHandle>(m_session.Manager().GetAccountData());
        m_dialog = std::make_unique<EditWatchlistDlg>(*m_handle, Session(), m_harness->main);
        EXPECT_TRUE(m_dialog->Create(IDD_WEB_WATCH_LISTS, m_harness->main));
        return *m_dialog;
    }
    bool Finish(EditWatchlistDlg& dlg) { return PumpUntil([&] { return !dlg.IsBusy(); }, 10000); }
    CListCtrl& SymbolList(EditWatchlistDlg& dlg) { return *static_cast<CListCtrl*>(dlg.GetDlgItem(1007)); }
    bool Enabled(EditWatchlistDlg& dlg, int id) { return dlg.GetDlgItem(id)->IsWindowEnabled(); }
    bool Requested(const char* name) { return m_session.LogHas((CString("request ") + name).GetString()); }

    qx::testsupport::CTestBrokerSession m_session;
    std::unique_ptr<CLevel1Harness> m_harness = std::make_unique<CLevel1Harness>();
    std::unique_ptr<CScopedUiResponder> m_responder;
    CPromptResponder* m_answers = nullptr;
    std::unique_ptr<CWatchlistListHandle> m_handle;
    std::unique_ptr<EditWatchlistDlg> m_dialog;
};

} // namespace

TEST_F(WebWatchlistTest, AListIsCreatedEditedAndDeletedOnTheBroker)
{
    EditWatchlistDlg& dlg = Open();
    EXPECT_TRUE(dlg.Lists().empty());
    EXPECT_FALSE(Enabled(dlg, 1015));

    dlg.AddListNamed("  Tech Picks ");
    ASSERT_EQ(dlg.Lists().size(), 1u);
    EXPECT_EQ(dlg.Lists()[0].name, "Tech Picks");
    EXPECT_TRUE(dlg.IsModified());
    EXPECT_TRUE(Enabled(dlg, 1015));
    dlg.AddSymbolWith({"MSFT", 10, 300.5, 9.99, "01-15-2025"});
    dlg.AddSymbolWith({"IBM", 0, 0, 0, ""});
    CListCtrl& rows = SymbolList(dlg);
    ASSERT_EQ(rows.GetItemCount(), 2);
    EXPECT_EQ(rows.GetItemText(0, 2), "300.50");
    EXPECT_EQ(rows.GetItemText(0, 3), "9.99");
    EXPECT_EQ(rows.GetItemText(1, 1), "");
    EXPECT_EQ(dlg.SelectedSymbol(), 1);

    // Save returns at once; the call runs while the dialog waits with its controls off.
    dlg.OnSave();
    EXPECT_TRUE(dlg.IsBusy());
    EXPECT_FALSE(Enabled(dlg, 1381));
    EXPECT_FALSE(Enabled(dlg, 1015));
    EXPECT_EQ(dlg.GetDlgItemText(1385), "Saving watch list Tech Picks...");
    ASSERT_TRUE(Finish(dlg));
    EXPECT_TRUE(Enabled(dlg, 1381));
    EXPECT_EQ(dlg.GetDlgItemText(1385), "");
    EXPECT_FALSE(dlg.IsModified());
    EXPECT_FALSE(Enabled(dlg, 1015));
    std::vector<qx::testbroker::Watchlist> server = Server();
    ASSERT_EQ(server.size(), 1u);
    EXPECT_EQ(server[0].name, "Tech Picks");
    ASSERT_EQ(server[0].symbols.size(), 2u);
    EXPECT_EQ(server[0].symbols[0].symbol, "MSFT");
    EXPECT_EQ(server[0].symbols[0].quantity, 10);
    EXPECT_EQ(server[0].symbols[0].price, 300.5);
    EXPECT_EQ(server[0].symbols[0].commission, 9.99);
    EXPECT_EQ(server[0].symbols[0].purchaseDate, "01-15-2025");
    EXPECT_EQ(dlg.Lists()[0].listId, CString(server[0].id));

    // Edited, moved and renamed: the same list changes on the server, none is added.
    dlg.SelectSymbol(1);
    dlg.EditSymbolWith({"IBM", 5, 120.25, 0, ""});
    dlg.OnSymbolUp();
    EXPECT_EQ(dlg.SelectedSymbol(), 0);
    dlg.RenameList("Tech");
    dlg.OnSave();
    ASSERT_TRUE(Finish(dlg));
    server = Server();
    ASSERT_EQ(server.size(), 1u);
    EXPECT_EQ(server[0].id, dlg.Lists()[0].listId.str());
    EXPECT_EQ(server[0].name, "Tech");
    ASSERT_EQ(server[0].symbols.size(), 2u);
    EXPECT_EQ(server[0].symbols[0].symbol, "IBM");
    EXPECT_EQ(server[0].symbols[0].quantity, 5);
    // The session's refresh brings the list into the account data store.
    ASSERT_TRUE(StoreHolds(1));

    dlg.OnDeleteList();
    EXPECT_TRUE(dlg.IsBusy());
    ASSERT_TRUE(Finish(dlg));
    EXPECT_TRUE(Server().empty());
    EXPECT_TRUE(dlg.Lists().empty());
    EXPECT_EQ(dlg.EditedList(), -1);
    EXPECT_TRUE(m_answers->shown.empty());
}

TEST_F(WebWatchlistTest, DeclinedAndUnsavedEditsMakeNoServerCall)
{
    ServerList("Core", {{"MSFT", 0, 0, 0, ""}});
    ASSERT_TRUE(StoreHolds(1));
    EditWatchlistDlg& dlg = Open();
    ASSERT_EQ(dlg.Lists().size(), 1u);
    EXPECT_EQ(SymbolList(dlg).GetItemText(0, 0), "MSFT");

    // A new list deleted before it was saved.
    dlg.AddListNamed("Scratch");
    EXPECT_EQ(dlg.EditedList(), 1);
    dlg.OnDeleteList();
    EXPECT_FALSE(dlg.IsBusy());
    EXPECT_EQ(dlg.Lists().size(), 1u);
    EXPECT_EQ(dlg.EditedList(), 0);
    EXPECT_FALSE(dlg.IsModified());

    // Close with unsaved changes, answered No: the edits go, the dialog closes.
    dlg.AddSymbolWith({"AAPL", 0, 0, 0, ""});
    m_answers->yesNo = {IDNO};
    dlg.OnCancel();
    ASSERT_EQ(m_answers->shown.size(), 1u);
    EXPECT_EQ(m_answers->shown[0].text, "Save changes to watch list Core?");
    EXPECT_EQ(m_answers->shown[0].caption, "Save Watch List?");
    EXPECT_EQ(m_answers->shown[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(dlg.GetModalResult(), IDCANCEL);
    EXPECT_FALSE(dlg.IsBusy());
    ASSERT_EQ(dlg.Lists().size(), 1u);
    EXPECT_EQ(dlg.Lists()[0].symbols.size(), 1u);
    EXPECT_FALSE(Requested("EditWatchlist"));
    EXPECT_FALSE(Requested("DeleteWatchlist"));
    ASSERT_EQ(Server().size(), 1u);
    EXPECT_EQ(Server()[0].symbols.size(), 1u);
}

TEST_F(WebWatchlistTest, SwitchingListsAsksToSaveAndAFailedSaveKeepsTheEditedList)
{
    ServerList("Alpha", {{"MSFT", 0, 0, 0, ""}});
    ServerList("Beta", {{"IBM", 0, 0, 0, ""}, {"AAPL", 0, 0, 0, ""}});
    ASSERT_TRUE(StoreHolds(2));
    EditWatchlistDlg& dlg = Open();
    ASSERT_EQ(dlg.Lists().size(), 2u);
    CListBox& box = *static_cast<CListBox*>(dlg.GetDlgItem(1381));

    // Yes saves Alpha, then Beta is shown.
    dlg.AddSymbolWith({"INTC", 0, 0, 0, ""});
    m_answers->yesNo = {IDYES};
    box.SetCurSel(1);
    dlg.OnSelectList();
    EXPECT_TRUE(dlg.IsBusy());
    ASSERT_TRUE(Finish(dlg));
    EXPECT_EQ(dlg.EditedList(), 1);
    EXPECT_EQ(SymbolList(dlg).GetItemCount(), 2);
    EXPECT_EQ(Server()[0].symbols.size(), 2u);

    // A symbol the server does not know: the save fails, the list stays edited and
    // selected, the edits stay.
    dlg.AddSymbolWith({"ZZZQX", 0, 0, 0, ""});
    m_answers->yesNo = {IDYES};
    box.SetCurSel(0);
    dlg.OnSelectList();
    ASSERT_TRUE(Finish(dlg));
    ASSERT_EQ(m_answers->shown.size(), 3u);
    EXPECT_EQ(m_answers->shown[2].text, "Error saving watch list: Invalid symbol: ZZZQX");
    EXPECT_EQ(m_answers->shown[2].caption, "Error");
    EXPECT_TRUE(m_answers->shown[2].type & MB_ICONERROR);
    EXPECT_EQ(box.GetCurSel(), 1);
    EXPECT_EQ(dlg.EditedList(), 1);
    EXPECT_TRUE(dlg.IsModified());
    EXPECT_EQ(dlg.Lists()[1].symbols.size(), 3u);
    EXPECT_EQ(Server()[1].symbols.size(), 2u);

    // A separator inside a symbol would make the server read another item ("MSFT" with a
    // quantity of 5): refused before anything is sent.
    dlg.SelectSymbol(2);
    dlg.EditSymbolWith({"MSFT|5", 0, 0, 0, ""});
    dlg.OnSave();
    ASSERT_TRUE(Finish(dlg));
    EXPECT_EQ(m_answers->shown.back().text, "Error saving watch list: Invalid symbol: MSFT|5");
    EXPECT_TRUE(dlg.IsModified());
    ASSERT_EQ(Server()[1].symbols.size(), 2u);
    EXPECT_EQ(Server()[1].symbols[1].symbol, "AAPL");
}

TEST_F(WebWatchlistTest, AFailedDeleteKeepsTheList)
{
    const CString id = ServerList("Gone", {});
    ASSERT_TRUE(StoreHolds(1));
    EditWatchlistDlg& dlg = Open();
    ASSERT_EQ(dlg.Lists().size(), 1u);
    // Deleted elsewhere meanwhile.
    CString error;
    ASSERT_TRUE(Session().DeleteWatchlist(id, error));
    dlg.OnDeleteList();
    ASSERT_TRUE(Finish(dlg));
    ASSERT_EQ(m_answers->shown.size(), 1u);
    EXPECT_EQ(m_answers->shown[0].text, "Error deleting watch list: Watch list " + id + " not found.");
    EXPECT_EQ(m_answers->shown[0].caption, "Error");
    EXPECT_EQ(dlg.Lists().size(), 1u);
    EXPECT_EQ(dlg.EditedList(), 0);
}

TEST_F(WebWatchlistTest, ItemFormTellsTheFirstBadFieldAndStaysOpen)
{
    CWatchedSymbolDlg dlg(CWatchedSymbol{"MSFT", 10, 300.5, 0, "01-15-2025"}, m_harness->main);
    ASSERT_TRUE(dlg.Create(IDD_WATCHED_SYMBOL, m_harness->main));
    EXPECT_EQ(dlg.GetDlgItemText(1380), "10");
    EXPECT_EQ(dlg.GetDlgItemText(1379), "300.5");
    EXPECT_EQ(dlg.GetDlgItemText(1035), "01");
    EXPECT_EQ(dlg.GetDlgItemText(1037), "2025");

    dlg.SetDlgItemText(1379, "-5");
    dlg.OnOK();
    ASSERT_EQ(m_answers->shown.size(), 1u);
    EXPECT_EQ(m_answers->shown[0].text, "Please specify a valid price");
    EXPECT_EQ(dlg.GetModalResult(), -1);

    dlg.SetDlgItemText(1379, "301");
    dlg.SetDlgItemText(1037, "");
    dlg.OnOK();
    EXPECT_EQ(m_answers->shown.back().text, "Please specify a complete date");
    EXPECT_EQ(dlg.GetModalResult(), -1);

    dlg.SetDlgItemText(1035, "");
    dlg.SetDlgItemText(1042, "");
    dlg.OnOK();
    EXPECT_EQ(dlg.GetModalResult(), IDOK);
    EXPECT_EQ(dlg.GetItem(), (CWatchedSymbol{"MSFT", 10, 301, 0, ""}));
    dlg.DestroyWindow();
}
