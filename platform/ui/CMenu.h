// A menu or popup menu, built from a resource or item by item. Item ids are command ids.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"
#include "platform/ui/HWND.h"
#include "platform/ui/MenuTemplate.h"

#include <map>
#include <memory>

class CCmdTarget;
class CWnd;
class QMenu;

inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_ENABLED = 0x0000;
inline constexpr UINT MF_UNCHECKED = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_POPUP = 0x0010;
inline constexpr UINT MF_BYPOSITION = 0x0400;
inline constexpr UINT MF_SEPARATOR = 0x0800;
inline constexpr UINT MF_MENUBREAK = 0x0040;

inline constexpr UINT TPM_LEFTALIGN = 0x0000;
inline constexpr UINT TPM_RIGHTBUTTON = 0x0002;
inline constexpr UINT TPM_CENTERALIGN = 0x0004;
inline constexpr UINT TPM_RIGHTALIGN = 0x0008;
inline constexpr UINT TPM_TOPALIGN = 0x0000;
inline constexpr UINT TPM_VCENTERALIGN = 0x0010;
inline constexpr UINT TPM_BOTTOMALIGN = 0x0020;
inline constexpr UINT TPM_NONOTIFY = 0x0080;
inline constexpr UINT TPM_RETURNCMD = 0x0100;

class CMenu {
public:
    CMenu();
    ~CMenu();
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    BOOL LoadMenu(UINT resourceId);
    BOOL LoadMenuTemplate(const MenuTemplate& menu);
    BOOL DestroyMenu();
    bool IsValid() const;

    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr);
    // Adds a popup; the new item owns what popup held (popup then refers to it).
    BOOL AppendMenu(UINT flags, CMenu* popup, const char* text);
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR id = 0, const char* text = nullptr);
    BOOL InsertMenu(UINT position, UINT flags, CMenu* popup, const char* text);
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR id = 0, const char* text = nullptr);
    BOOL DeleteMenu(UINT position, UINT flags);
    BOOL RemoveMenu(UINT position, UINT flags);

    // Previous state (MF_CHECKED / MF_UNCHECKED), or -1 when the item is missing.
    UINT CheckMenuItem(UINT item, UINT flags);
    BOOL CheckMenuRadioItem(UINT first, UINT last, UINT item, UINT flags);
    // Previous state (MF_ENABLED / MF_GRAYED), or -1 when the item is missing.
    UINT EnableMenuItem(UINT item, UINT flags);
    // MF_CHECKED, MF_GRAYED, MF_SEPARATOR, MF_POPUP bits, or -1 when missing.
    UINT GetMenuState(UINT item, UINT flags) const;
    int GetMenuItemCount() const;
    // Command id of the item at position; -1 for a popup, 0 for a separator.
    UINT GetMenuItemID(int position) const;
    int GetMenuString(UINT item, CString& text, UINT flags) const;
    CMenu* GetSubMenu(int position) const;
    // Finds the popup (searching sub-popups too) that holds the command.
    CMenu* FindPopupOf(UINT id);

    // Shows the popup at the screen point. With TPM_RETURNCMD returns the chosen
    // command (0 for none); otherwise sends it to owner as WM_COMMAND and returns TRUE
    // when something was chosen. The owner's update-UI handlers run first.
    UINT TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* exclude = nullptr);

    // Runs update-UI handlers of target for every command item (sub-popups included).
    void UpdateCommandUI(CCmdTarget* target, bool disableIfNoHandler = false);

    QMenu* GetQMenu() const;
    // Items chosen in popup (from a menu bar or by their shortcut) send WM_COMMAND to
    // target; popups shown by TrackPopupMenu have none.
    static void SetCommandTarget(QMenu* popup, HWND target);
    // Wraps a menu owned elsewhere.
    static std::unique_ptr<CMenu> Wrap(QMenu* menu);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
