// Update-UI request for one command: handlers enable, check or rename the item
// (menu item, toolbar button or control) that stands for the command.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

class CCmdTarget;
class CMenu;
class CWnd;

class CCmdUI {
public:
    explicit CCmdUI(UINT id = 0) : m_nID(id) {}
    virtual ~CCmdUI() = default;

    virtual void Enable(BOOL on = TRUE);
    virtual void SetCheck(int check = 1);  // 0 clear, 1 checked, 2 indeterminate
    virtual void SetRadio(BOOL on = TRUE) { SetCheck(on ? 1 : 0); }
    virtual void SetText(const char* text);

    // Asks the target (through its routing); disables the item when nobody handles it
    // and disableIfNoHandler is set. Returns whether a handler ran.
    bool DoUpdate(CCmdTarget* target, bool disableIfNoHandler);

    UINT m_nID;
    UINT m_nIndex = 0;
    CMenu* m_pMenu = nullptr;
    CWnd* m_pOther = nullptr;
    bool m_bEnableChanged = false;

    // What the handlers asked for (read back by the owner of the item).
    bool m_enabled = true;
    int m_check = -1;  // -1 untouched
    bool m_textSet = false;
    CString m_text;
};
