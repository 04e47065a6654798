// Resource and command ids of the alert windows: the alert list, the alert popup and the
// e-mail settings page.
#pragma once

#include "platform/core/WinTypes.h"
#include "platform/ui/WinUser.h"

// The alert list window: document template and menu, form, list.
inline constexpr UINT IDR_ALERT_LIST = 250;
inline constexpr UINT IDD_ALERT_LIST_FORM = 144;
inline constexpr UINT IDC_ALERT_LIST = 1004;
inline constexpr UINT ID_ALERT_EXPORT_HISTORY = 34408;
inline constexpr UINT ID_ALERT_ADD = 34409;
inline constexpr UINT ID_ALERT_ADD_STRATEGY = 34410;
inline constexpr UINT ID_ALERT_EDIT_NO_RESET = 34411;
inline constexpr UINT ID_ALERT_EDIT_RESET = 34412;
inline constexpr UINT ID_ALERT_PAUSE = 34413;
inline constexpr UINT ID_ALERT_RESUME = 34414;
inline constexpr UINT ID_ALERT_RESET = 34415;
inline constexpr UINT ID_ALERT_DELETE = 34416;
inline constexpr UINT ID_ALERT_DELETE_ALL = 34417;
inline constexpr UINT ID_ALERT_DELETE_TRIGGERED = 34418;
inline constexpr UINT ID_ALERT_PAUSE_ALL = 34419;
inline constexpr UINT ID_ALERT_RESUME_ALL = 34420;
inline constexpr UINT ID_ALERT_RESET_ALL = 34421;
inline constexpr UINT ID_ALERT_EXPORT = 34422;
inline constexpr UINT ID_ALERT_GRID = 34423;
inline constexpr UINT ID_ALERT_SET_LAYOUT = 34424;
inline constexpr UINT ID_ALERT_COLUMN_FIRST = 34425;  // + field, to 34430
inline constexpr UINT ID_ALERT_COLUMN_LAST = 34430;
inline constexpr UINT ID_ALERT_FONTS = 50028;
inline constexpr UINT ID_ALERT_COLORS = 50041;

// The alert popup.
inline constexpr UINT IDD_ALERT_POPUP = 147;
inline constexpr UINT IDC_POPUP_SYMBOL = 1601;
inline constexpr UINT IDC_POPUP_CONDITION = 1602;
inline constexpr UINT IDC_POPUP_ORDER = 1603;
inline constexpr UINT IDC_POPUP_PRICE = 1604;
inline constexpr UINT IDC_POPUP_DATE = 1605;
inline constexpr UINT IDC_POPUP_EDIT_ORDER = 1606;
inline constexpr UINT IDC_POPUP_DISMISS_ALL = 1607;
inline constexpr UINT IDC_POPUP_RESET = 1608;
inline constexpr UINT IDC_POPUP_EDIT_RESET = 1609;
inline constexpr UINT IDC_POPUP_EDIT_NO_RESET = 1610;
inline constexpr UINT IDC_POPUP_SYMBOL_LABEL = 1611;
inline constexpr UINT IDC_POPUP_CONDITION_LABEL = 1612;
inline constexpr UINT IDC_POPUP_ORDER_LABEL = 1613;

// The e-mail settings page of the preferences.
inline constexpr UINT IDD_EMAIL_SETTINGS = 179;
inline constexpr UINT IDC_EMAIL_ALERTS = 1620;
inline constexpr UINT IDC_EMAIL_ADDRESS = 1621;
inline constexpr UINT IDC_EMAIL_SERVER = 1622;
inline constexpr UINT IDC_EMAIL_PORT = 1623;
inline constexpr UINT IDC_EMAIL_LOGIN = 1624;
inline constexpr UINT IDC_EMAIL_USER = 1625;
inline constexpr UINT IDC_EMAIL_PASSWORD = 1626;
inline constexpr UINT IDC_EMAIL_PLAIN_LOGIN = 1627;
inline constexpr UINT IDC_EMAIL_TEST = 1628;
inline constexpr UINT IDC_EMAIL_STATUS = 1629;

// Runs a closure posted from another thread (CUiCallbackWindow).
inline constexpr UINT WM_ALERT_UI_CALLBACK = WM_APP + 46;
