// The program's icon in the system tray, with a tooltip and balloon messages. Mouse
// actions are posted to the notify window as its callback message: wParam the icon id,
// lParam WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONUP or NIN_BALLOONUSERCLICK.
#pragma once

#include "platform/core/CString.h"
#include "platform/ui/HWND.h"
#include "platform/core/WinTypes.h"

#include <memory>

class CBitmap;
class CWnd;

inline constexpr UINT NIIF_NONE = 0;
inline constexpr UINT NIIF_INFO = 1;
inline constexpr UINT NIIF_WARNING = 2;
inline constexpr UINT NIIF_ERROR = 3;
inline constexpr UINT NIN_BALLOONUSERCLICK = 0x0405;

class CTrayIcon {
public:
    CTrayIcon();
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    BOOL Create(CWnd* notify, UINT callbackMessage, const char* toolTip, const CBitmap* icon = nullptr, UINT id = 1);
    void Remove();
    BOOL SetToolTip(const char* text);
    BOOL SetIcon(const CBitmap* icon);
    BOOL ShowBalloon(const char* title, const char* text, UINT iconKind = NIIF_INFO, UINT timeoutMs = 10000);
    bool IsCreated() const;
    // Whether the desktop shows tray icons at all.
    static bool IsTrayAvailable();
    CString GetToolTip() const;
    CString GetLastBalloonText() const { return m_lastBalloon; }

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    CString m_lastBalloon;
};
