// Resource files and menus built from them.
#include "UiTestSupport.h"

#include "platform/ui/CCmdUI.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CResourceStore.h"
#include "platform/ui/CWnd.h"
#include "tests/support/DocumentedMenus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

namespace {

const char* kMenuText = R"(# a report window's menu
menu 9226
  popup "&Order Status"
    item 34357 "&Refresh"
    item 34356 "&Filter..."
    separator
    popup "&Columns"
      item 34332 "&Entered Date" checked
      item 34333 "Status"
      item 34334 "Action" grayed
    end
    item 57607 "&Print Order Status...\tCtrl+P"
  end
end
strings
  9226 "Order Status\nwith \"quotes\""
end
)";

CResourceStore& Store()
{
    static bool loaded = [] {
        std::vector<CString> errors;
        const bool ok = CResourceStore::Instance().LoadText("menu-test", kMenuText, &errors);
        EXPECT_TRUE(ok) << (errors.empty() ? "" : errors.front().GetString());
        return ok;
    }();
    (void)loaded;
    return CResourceStore::Instance();
}

class MenuOwner : public CWnd {
public:
    std::vector<UINT> commands;
    bool refreshEnabled = true;

    const CMessageMap& GetMessageMap() const override
    {
        static const CMessageMap map = MessageMapFor<MenuOwner>(CWnd::GetMessageMap())
                                           .CommandRange(34300, 34399, &MenuOwner::OnAny)
                                           .UpdateUI(34357, &MenuOwner::OnUpdateRefresh)
                                           .Build();
        return map;
    }

private:
    void OnAny(UINT id) { commands.push_back(id); }
    void OnUpdateRefresh(CCmdUI* ui) { ui->Enable(refreshEnabled); }
};

// The text of the item with the command, or of the popup that holds it directly, in the
// menu or its popups; none when none of them has it.
std::optional<std::string> ShownText(CMenu& menu, UINT command, bool popup)
{
    for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
        CString text;
        menu.GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
        CMenu* sub = menu.GetSubMenu(i);
        if (!sub) {
            if (!popup && menu.GetMenuItemID(i) == command)
                return std::string(text.GetString());
            continue;
        }
        if (popup)
            for (int j = 0; j < sub->GetMenuItemCount(); ++j)
                if (!sub->GetSubMenu(j) && sub->GetMenuItemID(j) == command)
                    return std::string(text.GetString());
        if (std::optional<std::string> inside = ShownText(*sub, command, popup))
            return inside;
    }
    return std::nullopt;
}

}  // namespace

TEST(Resources, ShippedFilesLoadWithoutErrors)
{
    const auto& errors = CResourceStore::Instance().LoadErrors();
    EXPECT_TRUE(errors.empty()) << (errors.empty() ? "" : errors.front().GetString());
    const DialogTemplate* name = CResourceStore::Instance().FindDialog(138);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->caption, "Enter New Name");
    ASSERT_NE(name->Control(1027), nullptr);
    EXPECT_EQ(name->Control(1027)->kind, "edit");
}

TEST(Resources, BadTextIsRefusedWithItsLineAndKeepsNothing)
{
    CResourceStore store;
    std::vector<CString> errors;
    EXPECT_FALSE(store.LoadText("bad.dlg", "dialog 5000\n  control edit 1 \"x\" 1 2 3\nend\n", &errors));
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.front().Find("bad.dlg:2:"), 0) << errors.front().GetString();
    EXPECT_EQ(store.FindDialog(5000), nullptr);

    errors.clear();
    EXPECT_FALSE(store.LoadText("open.mnu", "menu 1\n popup \"x\"\n", &errors));
    EXPECT_FALSE(errors.empty());
    errors.clear();
    EXPECT_FALSE(store.LoadText("dup.dlg", "dialog 7\n control edit 1 \"\" 0 0 1 1\n control static 1 \"\" 0 0 1 1\nend\n",
                                &errors));
    errors.clear();
    EXPECT_FALSE(store.LoadText("esc.txt", "strings\n 1 \"bad \\q escape\"\nend\n", &errors));
    EXPECT_TRUE(store.LoadText("ok.txt", "strings\n 1 \"tab\\there\"\nend\n", &errors));
    ASSERT_NE(store.FindString(1), nullptr);
    EXPECT_EQ(*store.FindString(1), "tab\there");
}

// Each documented text of a shipped menu is shown as documented, letter included.
TEST(Menus, ShippedMenusShowTheDocumentedTexts)
{
    using namespace qx::testsupport;
    size_t checked = 0;
    for (const DocumentedMenu& documented : DocumentedMenus()) {
        if (documented.addedByWindow)
            continue;
        const bool everyBar = documented.menus == MenuBars();
        for (UINT id : documented.menus) {
            if (id == kChartPaneMenu)
                continue;  // built by the pane when it shows (ChartPaneTest)
            CMenu menu;
            ASSERT_TRUE(menu.LoadMenu(id)) << id;
            for (const DocumentedEntry& entry : documented.entries) {
                const std::optional<std::string> shown = ShownText(menu, entry.command, entry.popup);
                if (!shown && everyBar && id != kMainMenu)
                    continue;  // the main window's commands, in the bars that offer them
                EXPECT_EQ(shown.value_or("(none)"), entry.text)
                    << "menu " << id << (entry.popup ? ", the popup holding " : ", command ") << entry.command;
                ++checked;
            }
        }
    }
    EXPECT_GE(checked, 300u);
}

// Every other item of a shipped menu has a letter, one that no other item of its level has
// where its text offers such a letter; a menu of every bar keeps one letter in all of them.
TEST(Menus, EveryOtherItemHasALetterOfItsOwnWhereOneIsFree)
{
    using namespace qx::testsupport;
    std::vector<UINT> bars = MenuBars();
    bars.push_back(kChartMenu);  // its popups join the main menu's in a chart's bar
    std::string barLetters;
    for (UINT id : bars) {
        CMenu menu;
        ASSERT_TRUE(menu.LoadMenu(id)) << id;
        for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
            CString text;
            menu.GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
            if (const char key = MenuKeyOf(text))
                barLetters += key;
        }
    }
    std::string faults;
    size_t menus = 0;
    for (UINT id : CResourceStore::Instance().GetMenuIds()) {
        if (id == 9226)
            continue;  // the test menu above
        CMenu menu;
        ASSERT_TRUE(menu.LoadMenu(id)) << id;
        MenuTextRules rules = DocumentedRules(id);
        rules.contextMenu = std::find(ContextMenus().begin(), ContextMenus().end(), id) != ContextMenus().end();
        if (std::find(bars.begin(), bars.end(), id) != bars.end())
            rules.topLevelTaken = barLetters;
        faults += MenuTextFaults(menu, "menu " + std::to_string(id), rules);
        ++menus;
    }
    EXPECT_GE(menus, 20u) << "the shipped menus";
    EXPECT_TRUE(faults.empty()) << faults;
}

TEST(Menus, LoadFromResourceWithPopupsAndStrings)
{
    Store();
    EXPECT_EQ(LoadResourceString(9226), "Order Status\nwith \"quotes\"");
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(9226));
    ASSERT_EQ(menu.GetMenuItemCount(), 1);
    CMenu* popup = menu.GetSubMenu(0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->GetMenuItemCount(), 5);
    EXPECT_EQ(popup->GetMenuItemID(0), 34357u);
    EXPECT_EQ(popup->GetMenuItemID(2), 0u);                      // separator
    EXPECT_EQ(popup->GetMenuItemID(3), static_cast<UINT>(-1));  // sub-popup
    CString text;
    popup->GetMenuString(4, text, MF_BYPOSITION);
    EXPECT_EQ(text, "&Print Order Status...\tCtrl+P");
    CMenu* columns = popup->GetSubMenu(3);
    ASSERT_NE(columns, nullptr);
    EXPECT_EQ(columns->GetMenuState(34332, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    EXPECT_EQ(columns->GetMenuState(34334, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(menu.FindPopupOf(34333), columns);
}

TEST(Menus, DynamicCheckGreyInsertAndDelete)
{
    Store();
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(9226));
    // By command, searched through the popups.
    EXPECT_EQ(menu.CheckMenuItem(34333, MF_BYCOMMAND | MF_CHECKED), MF_UNCHECKED);
    EXPECT_EQ(menu.CheckMenuItem(34333, MF_BYCOMMAND | MF_UNCHECKED), MF_CHECKED);
    EXPECT_EQ(menu.CheckMenuItem(34332, MF_BYCOMMAND | MF_UNCHECKED), MF_CHECKED);
    EXPECT_EQ(menu.GetMenuState(34332, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_EQ(menu.EnableMenuItem(34356, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(menu.GetMenuState(34356, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(menu.EnableMenuItem(99999, MF_BYCOMMAND | MF_GRAYED), static_cast<UINT>(-1));
    EXPECT_TRUE(menu.CheckMenuRadioItem(34332, 34334, 34333, MF_BYCOMMAND));
    EXPECT_EQ(menu.GetMenuState(34333, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    EXPECT_EQ(menu.GetMenuState(34332, MF_BYCOMMAND) & MF_CHECKED, 0u);

    CMenu* popup = menu.GetSubMenu(0);
    ASSERT_TRUE(popup->InsertMenu(34356, MF_BYCOMMAND | MF_STRING, 34400, "&Inserted"));
    EXPECT_EQ(popup->GetMenuItemID(1), 34400u);
    ASSERT_TRUE(popup->AppendMenu(MF_STRING | MF_CHECKED, 34401, "Appended"));
    EXPECT_EQ(popup->GetMenuItemID(popup->GetMenuItemCount() - 1), 34401u);
    EXPECT_TRUE(menu.DeleteMenu(34400, MF_BYCOMMAND));
    EXPECT_EQ(popup->GetMenuItemID(1), 34356u);
    EXPECT_TRUE(popup->DeleteMenu(3, MF_BYPOSITION));  // the Columns popup
    EXPECT_EQ(menu.FindPopupOf(34333), nullptr);
    EXPECT_TRUE(popup->ModifyMenu(34357, MF_BYCOMMAND | MF_STRING, 34358, "Re&load"));
    EXPECT_EQ(popup->GetMenuItemID(0), 34358u);
}

TEST(Menus, TrackPopupReturnsOrSendsTheChosenCommandAfterUpdateUi)
{
    Store();
    std::vector<RecordingResponder::Box> boxes;
    std::vector<CString> opened;
    auto responder = std::make_unique<RecordingResponder>(&boxes, &opened);
    RecordingResponder* r = responder.get();
    CScopedUiResponder scope(std::move(responder));

    MenuOwner owner;
    ASSERT_TRUE(owner.Create(nullptr, "", 0, CRect(0, 0, 10, 10), nullptr, 1));
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(9226));
    CMenu* popup = menu.GetSubMenu(0);
    owner.refreshEnabled = false;
    r->menuChoice = 34356;
    EXPECT_EQ(popup->TrackPopupMenu(TPM_RETURNCMD | TPM_RIGHTBUTTON, 10, 10, &owner), 34356u);
    EXPECT_TRUE(owner.commands.empty());
    // The owner's update handler ran before the menu showed.
    EXPECT_EQ(popup->GetMenuState(34357, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);

    r->menuChoice = 34333;
    EXPECT_EQ(popup->TrackPopupMenu(TPM_LEFTALIGN, 10, 10, &owner), static_cast<UINT>(TRUE));
    ASSERT_TRUE(PumpUntil([&] { return !owner.commands.empty(); }));
    EXPECT_EQ(owner.commands.front(), 34333u);

    r->menuChoice = 0;
    EXPECT_EQ(popup->TrackPopupMenu(TPM_RETURNCMD, 10, 10, &owner), 0u);
}

TEST(Menus, PopupsBuiltInCodeOwnTheirItems)
{
    CMenu bar;
    ASSERT_TRUE(bar.CreateMenu());
    CMenu file;
    ASSERT_TRUE(file.CreatePopupMenu());
    file.AppendMenu(MF_STRING, 100, "&Open");
    file.AppendMenu(MF_SEPARATOR);
    file.AppendMenu(MF_STRING | MF_GRAYED, 101, "&Close");
    ASSERT_TRUE(bar.AppendMenu(MF_POPUP, &file, "&File"));
    EXPECT_EQ(bar.GetMenuItemCount(), 1);
    CString title;
    bar.GetMenuString(0, title, MF_BYPOSITION);
    EXPECT_EQ(title, "&File");
    EXPECT_EQ(bar.GetMenuState(101, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    EXPECT_TRUE(bar.ModifyMenu(0, MF_BYPOSITION | MF_STRING, 0, "F&iles"));
    bar.GetMenuString(0, title, MF_BYPOSITION);
    EXPECT_EQ(title, "F&iles");
    EXPECT_TRUE(bar.RemoveMenu(101, MF_BYCOMMAND));
    EXPECT_EQ(bar.GetMenuState(101, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_TRUE(bar.DestroyMenu());
    EXPECT_FALSE(bar.IsValid());
    EXPECT_FALSE(bar.DestroyMenu());
}

// A popup takes the flags it is added with (a chart's Overlay greyed at its limit), and
// wrappers of popups stay usable when a popup is deleted and another takes its place.
TEST(Menus, PopupsTakeTheirFlagsAndWrappersFollowDeletedPopups)
{
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    CMenu add, overlay, edit;
    for (CMenu* sub : {&add, &overlay, &edit}) {
        ASSERT_TRUE(sub->CreatePopupMenu());
        sub->AppendMenu(MF_STRING, 170, "Volume");
    }
    ASSERT_TRUE(menu.AppendMenu(MF_POPUP, &add, "&Add"));
    ASSERT_TRUE(menu.AppendMenu(MF_POPUP | MF_GRAYED, &overlay, "&Overlay"));
    ASSERT_TRUE(menu.InsertMenu(0, MF_BYPOSITION | MF_POPUP | MF_GRAYED, &edit, "&Edit"));
    EXPECT_EQ(menu.GetMenuState(0, MF_BYPOSITION) & (MF_GRAYED | MF_POPUP), MF_GRAYED | MF_POPUP);
    EXPECT_EQ(menu.GetMenuState(1, MF_BYPOSITION) & MF_GRAYED, 0u);
    EXPECT_EQ(menu.GetMenuState(2, MF_BYPOSITION) & MF_GRAYED, MF_GRAYED);

    CMenu* first = menu.GetSubMenu(0);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(menu.DeleteMenu(0, MF_BYPOSITION));
    for (int i = 0; i < 8; ++i) {
        CMenu more;
        ASSERT_TRUE(more.CreatePopupMenu());
        more.AppendMenu(MF_STRING, 300 + i, "More");
        ASSERT_TRUE(menu.InsertMenu(0, MF_BYPOSITION | MF_POPUP, &more, "&More"));
        CMenu* sub = menu.GetSubMenu(0);
        ASSERT_NE(sub, nullptr);
        EXPECT_EQ(sub->GetMenuItemID(0), static_cast<UINT>(300 + i));
        EXPECT_TRUE(menu.DeleteMenu(0, MF_BYPOSITION));
    }
    EXPECT_EQ(first->GetMenuItemCount(), -1) << "a wrapper of a deleted popup is empty, not dangling";
}
