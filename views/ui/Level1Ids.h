// Resource, command and message ids of the Level I window and its dialogs.
#pragma once

#include "platform/core/WinTypes.h"
#include "platform/ui/WinUser.h"

// Resources.
inline constexpr UINT IDR_LEVEL1 = 210;         // the window's menu (its document template)
inline constexpr UINT IDR_GRID_ROW_MENU = 150;
inline constexpr UINT IDC_QUOTE_GRID = 1002;
inline constexpr UINT IDD_WATCH_LIST_MANAGER = 133;
inline constexpr UINT IDD_SYMBOL_SETTINGS = 135;
inline constexpr UINT IDD_OPTION_CHAINS = 145;
inline constexpr UINT IDD_COLOR_RULES = 172;
inline constexpr UINT IDD_COLUMN_PROPERTIES = 173;
inline constexpr UINT IDD_COLOR_FIELD = 174;
inline constexpr UINT IDD_COLUMN_WIZARD = 175;
inline constexpr UINT IDD_COLUMN_ALERTS = 210;
inline constexpr UINT IDD_ACTIVES = 236;

// Level I commands.
inline constexpr UINT ID_L1_OPTION_CHAINS = 32786;
inline constexpr UINT ID_L1_GRID = 32788;
inline constexpr UINT ID_L1_EXPORT = 32789;
inline constexpr UINT ID_L1_LOAD_SYMBOLS = 32902;
inline constexpr UINT ID_L1_SAVE_SYMBOLS = 32903;
inline constexpr UINT ID_L1_INSERT_SYMBOLS = 32904;
inline constexpr UINT ID_L1_INSERT_TOTAL = 32940;
inline constexpr UINT ID_L1_REMOVE_ALL = 32941;
inline constexpr UINT ID_L1_MARKET_STATS = 32942;
inline constexpr UINT ID_L1_ADD_SCREENER = 32943;
inline constexpr UINT ID_L1_EDIT_SCREENER = 32944;
inline constexpr UINT ID_L1_PAUSE_SCREENER = 32945;
inline constexpr UINT ID_L1_REMOVE_SCREENER = 32946;
inline constexpr UINT ID_L1_LOAD_LAYOUT = 34011;
inline constexpr UINT ID_L1_SAVE_LAYOUT = 34012;
inline constexpr UINT ID_L1_DEFAULT_LAYOUT = 34014;
inline constexpr UINT ID_L1_CUSTOM_WIZARD = 34218;
inline constexpr UINT ID_L1_COLOR_WIZARD = 34219;
inline constexpr UINT ID_L1_EDIT_TITLE = 34306;
inline constexpr UINT ID_L1_POSITIONS = 34328;
inline constexpr UINT ID_L1_ACTIVES = 34353;
inline constexpr UINT ID_L1_COPY_SYMBOLS = 50050;

// Add-column commands: catalogue fields, then custom fields and colour fields by index.
inline constexpr UINT ID_ADD_COLUMN_FIRST = 35000;
inline constexpr UINT ID_ADD_CUSTOM_FIELD_FIRST = 35115;
inline constexpr UINT ID_ADD_COLOR_FIELD_FIRST = 35215;
inline constexpr UINT ID_ADD_COLUMN_LAST = 35314;

// Mode menus: local portfolios, symbol sets, the account's watch lists.
inline constexpr UINT ID_PORTFOLIO_FIRST = 40000;
inline constexpr UINT ID_PORTFOLIO_LAST = 40200;
inline constexpr UINT ID_SYMBOL_SET_FIRST = 40301;
inline constexpr UINT ID_SYMBOL_SET_LAST = 40700;
inline constexpr UINT ID_WATCH_LIST_FIRST = 40800;
inline constexpr UINT ID_WATCH_LIST_LAST = 41000;

// Header and row menus of the grid.
inline constexpr UINT ID_GRID_DELETE_COLUMN = 1182;
inline constexpr UINT ID_GRID_COLUMN_PROPERTIES = 1184;
inline constexpr UINT ID_ROW_DELETE = 34390;
inline constexpr UINT ID_ROW_NOTES = 34391;
inline constexpr UINT ID_ROW_MODIFY = 34392;
inline constexpr UINT ID_ROW_ADD_ALERT = 34393;
inline constexpr UINT ID_ROW_COPY = 34394;
inline constexpr UINT ID_ROW_BUY = 34395;
inline constexpr UINT ID_ROW_SELL = 34396;
inline constexpr UINT ID_ROW_SELL_SHORT = 34397;
inline constexpr UINT ID_ROW_BUY_TO_COVER = 34398;

// The main frame's commands that open a Level I window in a mode, and the manager.
inline constexpr UINT ID_FRAME_POSITIONS = 34375;
inline constexpr UINT ID_FRAME_OPTION_CHAINS = 34376;
inline constexpr UINT ID_FRAME_SCREENER = 34377;
inline constexpr UINT ID_FRAME_ACTIVES = 34378;
inline constexpr UINT ID_WATCH_LIST_MANAGER = 34379;

// Private messages.
inline constexpr UINT WM_GRID_SYMBOLS = WM_APP + 1;     // to the grid: the rows to show
inline constexpr UINT WM_GRID_ROW_CHANGED = WM_APP + 2; // to the grid: a row's quote changed
inline constexpr UINT WM_GRID_WIDEN = WM_APP + 3;       // to the grid: columns hold texts wider than they are
inline constexpr UINT WM_ACTIVES_SYMBOLS = WM_APP + 9;  // to the view: the actives list changed
inline constexpr UINT WM_POSITIONS_CHANGED = WM_APP + 10;
inline constexpr UINT WM_WATCH_LISTS_CHANGED = WM_APP + 17;
inline constexpr UINT WM_SCREENER_CHANGED = WM_APP + 18; // to the view: screener progress

// The grid's repaint timer.
inline constexpr UINT_PTR kGridTimerId = 2;
inline constexpr UINT kGridTimerMillis = 500;
