// The keys of a menu's items and what their texts are held to. An item's key is the letter
// after a single '&' of its text ("&&" shows an ampersand). A documented text is shown as
// documented, letter included, even when another item of its level has the same letter: the
// letter then moves the highlight between them. Every other item has a letter, one that no
// other item of its level has where its text offers such a letter.
#pragma once

#include "platform/ui/CMenu.h"

#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace qx::testsupport {

// The item's key in lower case, or 0 when it has none.
inline char MenuKeyOf(const CString& item)
{
    const std::string text(item.GetString());
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] != '&')
            return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
        ++i;
    }
    return 0;
}

// What the texts of one menu are held to.
struct MenuTextRules {
    // The documented text of the item with the command id, or, for popup, of the popup that
    // holds an item with that id directly; null when there is none.
    std::function<const char*(UINT command, bool popup)> documented = [](UINT, bool) { return nullptr; };
    // Items that name something (a study, a quote field, a watch list): they need no letter.
    std::function<bool(UINT command)> isName = [](UINT) { return false; };
    // Letters the top level counts as taken besides its own (menu bars share their menus).
    std::string topLevelTaken;
    // A context menu: the titles of its root popups never show.
    bool contextMenu = false;
    // The documented entries met, as (command, popup), when not null.
    std::set<std::pair<UINT, bool>>* met = nullptr;
};

// One line for each fault of the menu's level, named by path, then of its popups' levels:
// a documented item shown with another text, an item without a letter, an item that shares
// its letter although its text has one that no other item of the level has. Empty when none.
inline std::string MenuTextFaults(CMenu& menu, const std::string& path, const MenuTextRules& rules, bool top = true)
{
    struct Item {
        std::string text;
        UINT id;
        CMenu* popup;
        const char* documented;
    };
    std::vector<Item> items;
    for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
        const UINT id = menu.GetMenuItemID(i);
        if (id == 0)
            continue;  // a separator
        CString text;
        menu.GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
        Item item{text.GetString(), id, menu.GetSubMenu(i), nullptr};
        if (item.popup) {
            for (int j = 0; j < item.popup->GetMenuItemCount() && !item.documented; ++j) {
                const UINT inside = item.popup->GetMenuItemID(j);
                if (inside != 0 && !item.popup->GetSubMenu(j) && (item.documented = rules.documented(inside, true)))
                    if (rules.met)
                        rules.met->insert({inside, true});
            }
        } else if ((item.documented = rules.documented(id, false)) && rules.met) {
            rules.met->insert({id, false});
        }
        items.push_back(item);
    }
    std::set<char> taken(rules.topLevelTaken.begin(), rules.topLevelTaken.end());
    if (!top)
        taken.clear();
    std::map<char, int> users;
    for (const Item& item : items)
        if (const char key = MenuKeyOf(item.text.c_str())) {
            ++users[key];
            taken.insert(key);
        }
    std::string faults;
    for (const Item& item : items) {
        const std::string named = path + ": \"" + item.text + "\"";
        if (item.documented) {
            if (item.text != item.documented)
                faults += named + " is documented as \"" + item.documented + "\"\n";
            continue;
        }
        if ((item.popup && top && rules.contextMenu) || (!item.popup && rules.isName(item.id)))
            continue;
        const char key = MenuKeyOf(item.text.c_str());
        if (!key) {
            faults += named + " has no letter\n";
            continue;
        }
        if (users[key] < 2)
            continue;
        for (char c : item.text.substr(0, item.text.find('\t'))) {
            const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (std::isalnum(static_cast<unsigned char>(c)) && !taken.count(letter)) {
                faults += named + " shares '" + key + "' although '" + letter + "' is free\n";
                break;
            }
        }
    }
    for (const Item& item : items)
        if (item.popup)
            faults += MenuTextFaults(*item.popup, path + "|" + item.text, rules, false);
    return faults;
}

}  // namespace qx::testsupport
