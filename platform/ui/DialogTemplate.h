// A dialog layout read from the resource files: caption, font, size in dialog units
// and one entry per control.
#pragma once

#include "platform/core/CRect.h"
#include "platform/core/CString.h"

#include <algorithm>
#include <vector>

struct DialogControlTemplate {
    CString kind;     // static, edit, button, check, radio, groupbox, combo, listbox, listctrl,
                      // spin, datetime, monthcal, tab, progress, slider, custom
    int id = -1;
    CString text;
    CRect rect;       // dialog units
    std::vector<CString> styles;

    bool Has(const char* style) const
    {
        return std::any_of(styles.begin(), styles.end(), [style](const CString& s) { return s == style; });
    }
};

struct DialogTemplate {
    UINT id = 0;
    CString caption;
    int fontSize = 8;
    CString fontFace;
    int width = 0;   // dialog units
    int height = 0;
    std::vector<CString> styles;
    std::vector<DialogControlTemplate> controls;

    bool Has(const char* style) const
    {
        return std::any_of(styles.begin(), styles.end(), [style](const CString& s) { return s == style; });
    }
    const DialogControlTemplate* Control(int controlId) const
    {
        for (const auto& c : controls)
            if (c.id == controlId)
                return &c;
        return nullptr;
    }
};
