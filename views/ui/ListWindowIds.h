// Resource, control, command and message ids of the Level II, time and sales and bar
// windows.
#pragma once

#include "platform/core/WinTypes.h"
#include "platform/ui/WinUser.h"

// Menus (the windows' document templates).
inline constexpr UINT IDR_LEVEL2 = 211;
inline constexpr UINT IDR_TIME_SALES = 213;
inline constexpr UINT IDR_BAR_TABLE = 214;
// Positions of the window's own popups in its menu: its commands, then its columns.
inline constexpr int kWindowPopup = 3;
inline constexpr int kColumnsPopup = 4;

// Level II.
inline constexpr UINT IDC_L2_DEPTH_BAR = 1007;
inline constexpr UINT IDC_L2_SUMMARY = 1008;
inline constexpr UINT IDC_L2_LOG = 1010;
inline constexpr UINT IDC_L2_BIDS = 1013;
inline constexpr UINT IDC_L2_ASKS = 1014;
inline constexpr UINT ID_L2_SOURCE_FIRST = 32977; // INET Book, Auto, Level II, TotalView
inline constexpr UINT ID_L2_SOURCE_LAST = 32980;
inline constexpr UINT ID_L2_MM_LOG = 34307;
inline constexpr UINT ID_L2_SYMBOL = 50144;
inline constexpr UINT_PTR kLevel2Timer = 2;
inline constexpr UINT kLevel2RefreshMs = 500;

// Time and sales.
inline constexpr UINT IDD_TIME_SALES_FILTER = 153;
inline constexpr UINT IDC_FILTER_PRICE = 50139;
inline constexpr UINT IDC_FILTER_MIN_PRICE = 1035;
inline constexpr UINT IDC_FILTER_MAX_PRICE = 1034;
inline constexpr UINT IDC_FILTER_VOLUME = 50137;
inline constexpr UINT IDC_FILTER_MIN_SIZE = 1007;
inline constexpr UINT IDC_TICK_LIST = 50135;
inline constexpr UINT ID_TS_COLUMN_FIRST = 50126; // + column kind 0..7
inline constexpr UINT ID_TS_COLUMN_LAST = 50133;
inline constexpr UINT ID_TS_FILTER = 50140;
inline constexpr UINT ID_TS_EXPORT = 50142;
inline constexpr UINT ID_TS_SYMBOL = 50143;
inline constexpr UINT ID_TS_GOTO = 34312;
inline constexpr UINT ID_TS_GRID = 32773;
inline constexpr UINT ID_TS_DEFAULT_LAYOUT = 32951;

// Bars. The column commands stand apart from the shell's Preferences, Fonts and Colors
// commands (32810-32812).
inline constexpr UINT ID_BAR_COLUMN_FIRST = 32960; // + column kind 0..6
inline constexpr UINT ID_BAR_COLUMN_LAST = 32966;
inline constexpr UINT ID_BAR_GRID = 32950;
inline constexpr UINT ID_BAR_SYMBOL = 32952;
inline constexpr UINT ID_BAR_DEFAULT_LAYOUT = 32953;
inline constexpr UINT ID_BAR_EXPORT = 32954;

// Messages. WM_APP+2 reaches the Level II view as a title refresh, its market-maker log
// with an entry, and the tick and bar windows when their series changed.
inline constexpr UINT WM_DEPTH_UPDATE = WM_APP + 2;
inline constexpr UINT WM_SERIES_UPDATE = WM_APP + 2;
// An export's progress (wParam percent) and its end (a CListExportResult payload).
inline constexpr UINT WM_EXPORT_PROGRESS = WM_APP + 31;
inline constexpr UINT WM_EXPORT_DONE = WM_APP + 32;
