// The keys of a menu's items: the letter after a single '&' of each text ("&&" shows an
// ampersand), and the letters that two or more items of one menu level share.
#pragma once

#include "platform/ui/CMenu.h"

#include <cctype>
#include <map>
#include <string>
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

// One line for each key that items of one level share, the level named by its path from
// the menu named title ("main|&Quotes: 'b' in "&Bar Table" "We&b Watch List Manager...""),
// then those of its popups' levels. Empty when each item has a key of its own.
inline std::string SharedMenuKeys(CMenu& menu, const std::string& title)
{
    std::map<char, std::vector<std::string>> items;
    std::string shared;
    for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
        CString text;
        menu.GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
        const std::string plain(text.GetString(), static_cast<size_t>(text.GetLength()));
        if (const char key = MenuKeyOf(text))
            items[key].push_back(plain.substr(0, plain.find('\t')));
    }
    for (const auto& [key, texts] : items) {
        if (texts.size() < 2)
            continue;
        shared += title + ": '" + key + "' in";
        for (const std::string& text : texts)
            shared += " \"" + text + "\"";
        shared += "\n";
    }
    for (int i = 0; i < menu.GetMenuItemCount(); ++i)
        if (CMenu* popup = menu.GetSubMenu(i)) {
            CString text;
            menu.GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
            shared += SharedMenuKeys(*popup, title + "|" + text.GetString());
        }
    return shared;
}

}  // namespace qx::testsupport
