// A menu read from the resource files: items, separators and popups.
#pragma once

#include "platform/core/CString.h"

#include <vector>

struct MenuItemTemplate {
    enum class Kind { Item, Separator, Popup };
    Kind kind = Kind::Item;
    UINT id = 0;
    CString text;
    bool checked = false;
    bool grayed = false;
    std::vector<MenuItemTemplate> children;
};

struct MenuTemplate {
    UINT id = 0;
    std::vector<MenuItemTemplate> items;
};
