#include "views/ui/Level1Menus.h"

#include "common/services/CAppSettings.h"
#include "platform/ui/CMenu.h"
#include "views/CCustomColumn.h"
#include "views/ui/Level1Ids.h"

namespace {

CString WithoutAmpersands(CString text)
{
    text.Remove('&');
    return text;
}

void Clear(CMenu& popup)
{
    while (popup.GetMenuItemCount() > 0)
        popup.DeleteMenu(0, MF_BYPOSITION);
}

} // namespace

int FindPopupPosition(CMenu& menu, const char* title)
{
    const CString wanted = WithoutAmpersands(title);
    for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
        CString text;
        menu.GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
        if (menu.GetSubMenu(i) && WithoutAmpersands(text) == wanted)
            return i;
    }
    return -1;
}

CMenu* FindPopupByTitle(CMenu& menu, const char* title)
{
    const int position = FindPopupPosition(menu, title);
    return position < 0 ? nullptr : menu.GetSubMenu(position);
}

CString MenuItemText(const CString& name)
{
    CString text = name;
    text.Replace("&", "&&");
    return text;
}

void FillListPopup(CMenu& popup, const std::vector<CString>& names, UINT firstId, UINT lastId)
{
    Clear(popup);
    UINT id = firstId;
    for (const CString& name : names) {
        if (id > lastId)
            break;
        popup.AppendMenu(MF_STRING, id++, MenuItemText(name));
    }
    if (names.empty())
        popup.AppendMenu(MF_STRING | MF_GRAYED, firstId, "None");
}

void FillSymbolSetPopup(CMenu& popup, const std::vector<CSymbolSetGroup>& groups, UINT firstId, UINT lastId)
{
    Clear(popup);
    UINT id = firstId;
    for (const CSymbolSetGroup& group : groups) {
        if (group.names.empty() || id > lastId)
            continue;
        CMenu sub;
        sub.CreatePopupMenu();
        for (const CString& name : group.names)
            if (id <= lastId)
                sub.AppendMenu(MF_STRING, id++, MenuItemText(name));
        popup.AppendMenu(MF_POPUP, &sub, MenuItemText(group.name));
    }
    if (id == firstId)
        popup.AppendMenu(MF_STRING | MF_GRAYED, firstId, "None");
}

CString SymbolSetDefinitionOfItem(const CString& itemText)
{
    CString text = itemText;
    text.Replace("&&", "&");
    text.Remove(' ');
    return "IndustryGroups," + text;
}

std::vector<CString> CustomColumnNames(int kind)
{
    std::vector<CString> names;
    const CAppSettings* settings = CAppSettings::Instance();
    CCustomColumnLists lists;
    if (!settings || !LoadCustomColumns(*settings, lists))
        return names;
    for (const CCustomColumn& column : lists[kind])
        names.push_back(column.m_name);
    return names;
}

std::unique_ptr<CMenu> LoadLevel1Menu()
{
    auto menu = std::make_unique<CMenu>();
    if (!menu->LoadMenu(IDR_LEVEL1))
        return nullptr;
    return menu;
}
