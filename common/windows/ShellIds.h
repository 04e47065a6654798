// Resource, command and message ids of the application shell.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"
#include "platform/ui/WinUser.h"

// Window kinds opened by OpenWindowOfKind.
enum EWindowKind : int {
    kKindLevel1 = 0,
    kKindLevel2 = 1,
    kKindChart = 2,
    kKindTimeSales = 3,
    kKindBarTable = 4,
    kKindNews = 5,
    kKindBackTesting = 6,
    kKindTradeTicket = 7,
    kKindBalances = 8,
    kKindOrderStatus = 9,
    kKindBrowser = 10,
    kKindAlertManager = 11,
    kKindSavedOrders = 12,
    kWindowKindCount = 13
};

// "Level I", "Level II", "Chart", ... ; "" outside 0..12.
const char* WindowKindName(int kind);
// The document template resource id of a kind.
UINT WindowKindResource(int kind);

// Resources.
inline constexpr UINT IDR_MAINFRAME = 128;
inline constexpr UINT IDD_LOGIN = 100;
inline constexpr UINT IDD_LOGIN_STATUS = 101;
inline constexpr UINT IDD_DATETIME = 132;
inline constexpr UINT IDD_ENTER_NAME = 138;
inline constexpr UINT IDD_EXPORT_RANGE = 155;
inline constexpr UINT IDD_ENTER_TITLE = 139;
inline constexpr UINT IDD_SYMBOLS = 140;
inline constexpr UINT IDD_MONTHCAL = 141;
inline constexpr UINT IDD_SYMBOL_ENTRY = 247;
inline constexpr UINT IDD_TRADING_OPTIONS = 177;
inline constexpr UINT IDD_MISC_OPTIONS = 178;

// Menu commands.
inline constexpr UINT ID_WORKSPACE_OPEN = 32801;
inline constexpr UINT ID_WORKSPACE_SAVE = 32802;
inline constexpr UINT ID_WORKSPACE_SAVE_AS = 32803;
inline constexpr UINT ID_PREFERENCES = 32810;
inline constexpr UINT ID_LIST_FONTS = 32811;
inline constexpr UINT ID_LIST_COLORS = 32812;
inline constexpr UINT ID_REFRESH_ACCOUNT_DATA = 32820;
inline constexpr UINT ID_LOG_IN_AGAIN = 32830;
inline constexpr UINT ID_OPEN_KIND_FIRST = 33100;  // + kind, MDI
inline constexpr UINT ID_OPEN_FLOATING_FIRST = 33120;  // + kind, floating
inline constexpr UINT ID_OPTION_CHAIN_LIST = 34374;
inline constexpr UINT ID_ADD_ALERT = 34409;

// Tool bar controls.
inline constexpr UINT IDC_SYMBOL_BOX = 34001;
inline constexpr UINT IDC_INTERVAL_BOX = 34002;
inline constexpr UINT IDC_EXT_SESSION = 34003;
inline constexpr UINT ID_SYMBOL_GO = 34004;

// Caption buttons of the windows, and the link-group popup (+ group).
inline constexpr UINT ID_LINK_SYMBOL = 34700;
inline constexpr UINT ID_LINK_INTERVAL = 34701;
inline constexpr UINT ID_DETACH = 34702;
inline constexpr UINT ID_LINK_GROUP_FIRST = 34710;

// Private window messages.
inline constexpr UINT WM_ALERT_DELIVERY = WM_APP + 3;
inline constexpr UINT WM_TRAY_NOTIFY = WM_APP + 4;
inline constexpr UINT WM_ALERT_LISTS_CHANGED = WM_APP + 5;
inline constexpr UINT WM_SET_SYMBOL_INTERVAL = WM_APP + 6;
inline constexpr UINT WM_FRAME_ACTIVATED = WM_APP + 7;
// The shell's own: move a window between an MDI child and a floating frame (lParam the view's handle).
inline constexpr UINT WM_SHELL_TOGGLE_DETACH = WM_APP + 40;

// Timers of the main frame.
inline constexpr UINT_PTR kTimerWorkspaceBackup = 1;
inline constexpr UINT_PTR kTimerClock = 2;

// What WM_APP+6 carries (lParam points at it while the message is sent). An empty text
// keeps the window's current value.
struct CSymbolIntervalMsg {
    CString symbol;
    CString interval;
    bool extSession = false;
    // The tool bar applied another interval to the symbol its box already showed: the
    // symbol is no new one.
    bool intervalChange = false;
};
