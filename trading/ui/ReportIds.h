// Resource and command ids of the order status, saved orders and balances windows.
#pragma once

#include "platform/core/WinTypes.h"

// Balances: document template, menu and form.
inline constexpr UINT IDR_BALANCES = 225;
inline constexpr UINT IDD_BALANCES_FORM = 224;
inline constexpr UINT IDC_BALANCES_LIST = 1292;
inline constexpr UINT ID_BALANCES_GRID = 34358;
inline constexpr UINT ID_BALANCES_REFRESH = 34359;
inline constexpr UINT ID_BALANCES_EXPORT = 34360;
inline constexpr UINT ID_BALANCES_FONTS = 50025;

// Order status.
inline constexpr UINT IDR_ORDER_STATUS = 226;
inline constexpr UINT IDD_ORDER_STATUS_FORM = 227;
inline constexpr UINT IDC_ORDER_STATUS_LIST = 1293;
inline constexpr UINT ID_ORDER_CANCEL = 34317;
inline constexpr UINT ID_ORDER_UPDATE = 34318;
inline constexpr UINT ID_ORDER_CANCEL_OPEN = 34319;
inline constexpr UINT ID_ORDER_SET_LAYOUT = 34331;
inline constexpr UINT ID_ORDER_COLUMN_FIRST = 34332;  // + field index, to 34349
inline constexpr UINT ID_ORDER_COLUMN_LAST = 34349;
inline constexpr UINT ID_ORDER_GRID = 34351;
inline constexpr UINT ID_ORDER_EXPORT = 34355;
inline constexpr UINT ID_ORDER_FILTER = 34356;
inline constexpr UINT ID_ORDER_REFRESH = 34357;
inline constexpr UINT ID_ORDER_FONTS = 50026;

// Order status filter dialog.
inline constexpr UINT IDD_ORDER_FILTER = 235;
inline constexpr UINT IDC_FILTER_STATUS = 1295;
inline constexpr UINT IDC_FILTER_TYPE = 1296;
inline constexpr UINT IDC_FILTER_PAST = 1297;
inline constexpr UINT IDC_FILTER_DAYS = 1298;
inline constexpr UINT IDC_FILTER_RANGE = 1299;
inline constexpr UINT IDC_FILTER_FROM_MONTH = 1300;
inline constexpr UINT IDC_FILTER_FROM_DAY = 1301;
inline constexpr UINT IDC_FILTER_FROM_YEAR = 1302;
inline constexpr UINT IDC_FILTER_TODAY = 1303;
inline constexpr UINT IDC_FILTER_YESTERDAY = 1304;
inline constexpr UINT IDC_FILTER_TO_MONTH = 1196;
inline constexpr UINT IDC_FILTER_TO_DAY = 1197;
inline constexpr UINT IDC_FILTER_TO_YEAR = 1198;

// Saved orders.
inline constexpr UINT IDR_SAVED_ORDERS = 251;
inline constexpr UINT IDD_SAVED_ORDERS_FORM = 276;
inline constexpr UINT IDC_SAVED_ORDERS_LIST = 1356;
inline constexpr UINT ID_SAVED_REFRESH = 34500;
inline constexpr UINT ID_SAVED_EXPORT = 34501;
inline constexpr UINT ID_SAVED_GRID = 34502;
inline constexpr UINT ID_SAVED_SET_LAYOUT = 34503;
inline constexpr UINT ID_SAVED_PLACE = 34505;
inline constexpr UINT ID_SAVED_EDIT_PLACE = 34506;
inline constexpr UINT ID_SAVED_DELETE = 34507;
inline constexpr UINT ID_SAVED_DELETE_ALL = 34508;
inline constexpr UINT ID_SAVED_COLUMN_FIRST = 34510;  // + field index, to 34522
inline constexpr UINT ID_SAVED_COLUMN_LAST = 34522;
inline constexpr UINT ID_SAVED_FONTS = 50029;
inline constexpr UINT ID_SAVED_COLORS = 50042;

// The saved orders list asks its window to place a row (wParam) on Ctrl+digit.
inline constexpr UINT WM_SAVED_ORDER_HOTKEY = WM_APP + 45;
