// Resource, command and message ids of the backtest window and the strategy dialogs.
#pragma once

#include "platform/core/WinTypes.h"

inline constexpr UINT IDR_BACKTEST = 216;  // the window's menu (its document template)
inline constexpr UINT IDD_BACKTEST_FORM = 291;
inline constexpr UINT IDC_BACKTEST_LIST = 1180;
inline constexpr UINT IDD_STRATEGY_SETUP = 290;
inline constexpr UINT IDD_STRATEGY_TRADING_SETUP = 230;

// Menu "&Backtest" and "&Columns".
inline constexpr UINT ID_BT_SUMMARY_VIEW = 34224;
inline constexpr UINT ID_BT_TRADE_VIEW = 34225;
inline constexpr UINT ID_BT_STRATEGY_SETUP = 34226;
inline constexpr UINT ID_BT_CANCEL = 34227;
inline constexpr UINT ID_BT_GRID = 34229;
inline constexpr UINT ID_BT_TRADE_COLUMN_FIRST = 34230;
inline constexpr UINT ID_BT_TRADE_COLUMN_LAST = 34240;
inline constexpr UINT ID_BT_EXPORT = 34287;
inline constexpr UINT ID_BT_SET_DEFAULT_LAYOUT = 34288;
inline constexpr UINT ID_BT_DEFAULT_CHART = 34315;
inline constexpr UINT ID_BT_CUSTOM_CHART = 34316;
inline constexpr UINT ID_BT_SHOW_TOTAL = 34367;
inline constexpr UINT ID_BT_LOAD_LAYOUT = 34368;
inline constexpr UINT ID_BT_SAVE_LAYOUT = 34369;
inline constexpr UINT ID_BT_SAVE_RESULTS = 34371;
inline constexpr UINT ID_BT_LOAD_RESULTS = 34372;
inline constexpr UINT ID_BT_SUMMARY_COLUMN_FIRST = 34451;
inline constexpr UINT ID_BT_SUMMARY_COLUMN_LAST = 34479;

// Strategy Setup dialog (its controls).
inline constexpr UINT IDC_SS_SYMBOLS_LABEL = 1158;
inline constexpr UINT IDC_SS_SYMBOLS = 1199;
inline constexpr UINT IDC_SS_SYMBOL_LISTS = 1200;
inline constexpr UINT IDC_SS_FROM_MONTH = 1190;
inline constexpr UINT IDC_SS_FROM_DAY = 1191;
inline constexpr UINT IDC_SS_FROM_YEAR = 1192;
inline constexpr UINT IDC_SS_FROM_HOUR = 1196;
inline constexpr UINT IDC_SS_FROM_MINUTE = 1197;
inline constexpr UINT IDC_SS_FROM_CALENDAR = 1318;
inline constexpr UINT IDC_SS_TO_MONTH = 1193;
inline constexpr UINT IDC_SS_TO_DAY = 1194;
inline constexpr UINT IDC_SS_TO_YEAR = 1195;
inline constexpr UINT IDC_SS_TO_HOUR = 1203;
inline constexpr UINT IDC_SS_TO_MINUTE = 1204;
inline constexpr UINT IDC_SS_TO_CALENDAR = 1319;
inline constexpr UINT IDC_SS_TSTOP = 1314;
inline constexpr UINT IDC_SS_TSTOP_TYPE = 1315;
inline constexpr UINT IDC_SS_TSTOP_PARAM = 1316;
inline constexpr UINT IDC_SS_EXIT_AT_END = 1238;
inline constexpr UINT IDC_SS_UNTIL_NOW = 1212;
inline constexpr UINT IDC_SS_INTRADAY = 1209;
inline constexpr UINT IDC_SS_MINUTE_BARS = 1214;
inline constexpr UINT IDC_SS_PORTFOLIO = 1321;
inline constexpr UINT IDC_SS_CAPITAL = 1217;
inline constexpr UINT IDC_SS_COMISSION = 1216;
inline constexpr UINT IDC_SS_NAME = 1210;
inline constexpr UINT IDC_SS_BROWSE = 1202;
inline constexpr UINT IDC_SS_INTERVAL = 1213;
inline constexpr UINT IDC_SS_OVERRIDE = 1222;
inline constexpr UINT IDC_SS_SIZING = 1007;
inline constexpr UINT IDC_SS_QUANTITY = 1208;
inline constexpr UINT IDC_SS_ENTRY_NAME = 1181;
inline constexpr UINT IDC_SS_ENTRY_WIZARD = 1005;
inline constexpr UINT IDC_SS_ENTRY_ACTION = 1206;
inline constexpr UINT IDC_SS_ENTRY_PRICE = 1224;
inline constexpr UINT IDC_SS_EXIT_NAME = 1182;
inline constexpr UINT IDC_SS_EXIT_WIZARD = 1006;
inline constexpr UINT IDC_SS_EXIT_ACTION = 1207;
inline constexpr UINT IDC_SS_EXIT_PRICE = 1225;
inline constexpr UINT IDC_SS_ADD = 1010;
inline constexpr UINT IDC_SS_REMOVE = 1011;
inline constexpr UINT IDC_SS_SAVE = 1008;
inline constexpr UINT IDC_SS_CLEAR = 1009;
inline constexpr UINT IDC_SS_LIST = 1215;
inline constexpr UINT IDC_SS_HELP = 3;
inline constexpr UINT IDC_SS_INTERVAL_HELP = 1293;
inline constexpr UINT IDC_SS_INTRADAY_HELP = 1294;
inline constexpr UINT IDC_SS_PORTFOLIO_HELP = 1295;

// Strategy Trading Setup dialog.
inline constexpr UINT IDC_ST_SYMBOLS = 1308;
inline constexpr UINT IDC_ST_SYMBOL_LISTS = 1311;
inline constexpr UINT IDC_ST_MAX_TRIPS = 1309;
inline constexpr UINT IDC_ST_NUM_TRIPS = 1310;
inline constexpr UINT IDC_ST_NAME = 1210;
inline constexpr UINT IDC_ST_BROWSE = 1320;
inline constexpr UINT IDC_ST_OVERRIDE = 1324;
inline constexpr UINT IDC_ST_INTERVAL = 1323;
inline constexpr UINT IDC_ST_ENTRY_NAME = 1313;
inline constexpr UINT IDC_ST_ENTRY_WIZARD = 1316;
inline constexpr UINT IDC_ST_EXIT_NAME = 1314;
inline constexpr UINT IDC_ST_EXIT_WIZARD = 1317;
inline constexpr UINT IDC_ST_SAVE = 1315;
inline constexpr UINT IDC_ST_CLEAR = 1009;
inline constexpr UINT IDC_ST_HELP = 1318;
inline constexpr UINT IDC_ST_INTERVAL_HELP = 1312;
