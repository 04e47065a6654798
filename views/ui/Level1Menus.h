// Building the Level I window's menus: popups found by their title, and the popups whose
// items are lists of the moment (portfolios, symbol sets, watch lists, custom columns).
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <memory>
#include <vector>

class CMenu;
struct CSymbolSetGroup;

// The popup of that title ('&' ignored) directly in menu, or null.
CMenu* FindPopupByTitle(CMenu& menu, const char* title);
// Position of that popup in menu, -1 when none.
int FindPopupPosition(CMenu& menu, const char* title);
// Replaces the popup's items by one item per name from firstId on (at most
// lastId - firstId + 1), or a grayed "None" with firstId when there are none.
void FillListPopup(CMenu& popup, const std::vector<CString>& names, UINT firstId, UINT lastId);
// One submenu per group with set names, items numbered from firstId across the groups;
// a grayed "None" when no group has any.
void FillSymbolSetPopup(CMenu& popup, const std::vector<CSymbolSetGroup>& groups, UINT firstId, UINT lastId);
// The menu text of a symbol-set item as a definition: "&&" made "&", blanks removed.
CString SymbolSetDefinitionOfItem(const CString& itemText);
// The text of a portfolio, watch list or column name as a menu item ('&' doubled).
CString MenuItemText(const CString& name);
// The names of the kind's custom columns held by the settings.
std::vector<CString> CustomColumnNames(int kind);
// The Level I menu resource (210), loaded afresh.
std::unique_ptr<CMenu> LoadLevel1Menu();
