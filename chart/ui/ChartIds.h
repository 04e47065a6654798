// Command, message, timer and resource ids of the chart windows.
#pragma once

#include "platform/core/WinTypes.h"

// Menus: the chart frame's popups, the tools' context menus.
inline constexpr UINT IDR_CHART = 166;
inline constexpr UINT IDR_TOOL_MENU = 207;
inline constexpr UINT IDR_NOTE_MENU = 208;
inline constexpr UINT IDR_MINIMIZED_NOTE_MENU = 209;

// Commands choosing the current drawing tool (34273 the pointer).
enum EDrawingCommand : UINT {
    kCmdSegment = 34268,
    kCmdRay = 34269,
    kCmdLine = 34270,
    kCmdRetracement = 34271,
    kCmdRegression = 34272,
    kCmdPointer = 34273,
    kCmdNote = 34274,
};

// Chart commands.
inline constexpr UINT ID_SET_DEFAULT_LAYOUT = 32790;
inline constexpr UINT ID_LOAD_LAYOUT = 32797;
inline constexpr UINT ID_SAVE_LAYOUT = 32798;
inline constexpr UINT ID_STUDY_MANAGER = 32787;
inline constexpr UINT ID_SYMBOL_INTERVAL = 32791;
inline constexpr UINT ID_REMOVE_ALL_STUDIES = 32793;
inline constexpr UINT ID_FIRST_STUDY_TYPE = 170;
inline constexpr UINT ID_LAST_STUDY_TYPE = 199;
inline constexpr UINT ID_FIRST_CUSTOM_STUDY = 34020;
inline constexpr UINT ID_LAST_CUSTOM_STUDY = 34169;
inline constexpr UINT ID_FIRST_EDIT_STUDY = 34170;
inline constexpr UINT ID_FIRST_REMOVE_STUDY = 34190;
inline constexpr UINT ID_TRADE_BUY = 34220;
inline constexpr UINT ID_TRADE_SELL = 34221;
inline constexpr UINT ID_TRADE_SELL_SHORT = 34222;
inline constexpr UINT ID_TRADE_BUY_TO_COVER = 34223;
inline constexpr UINT ID_STRATEGY_SETUP = 34226;
inline constexpr UINT ID_CROSSHAIRS = 34278;
inline constexpr UINT ID_TAB_WINDOW = 34308;
inline constexpr UINT ID_TRACKING_WINDOW = 34309;
inline constexpr UINT ID_SNAPSHOT_WINDOW = 34310;
inline constexpr UINT ID_EXPORT_IMAGE = 34313;
inline constexpr UINT ID_BACKTEST_REPORT = 34370;
inline constexpr UINT ID_CUSTOM_STUDY_WIZARD = 34289;
inline constexpr UINT ID_COLOR_BAR_SETUP = 34320;
inline constexpr UINT ID_REMOVE_DRAWINGS_SYMBOL = 34284;
inline constexpr UINT ID_REMOVE_DRAWINGS_ALL = 34285;
inline constexpr UINT ID_TOOL_PREFERENCES = 34286;
inline constexpr UINT ID_GOTO_DATE = 34312;
inline constexpr UINT ID_FIRST_DATE_RANGE = 34380;
inline constexpr UINT ID_LAST_DATE_RANGE = 34388;
// "&Print Chart...\tCtrl+P" (the framework's print command).
inline constexpr UINT ID_PRINT_CHART = 0xE107;
// The chart font (handled by the main frame for every chart).
inline constexpr UINT ID_CHART_FONTS = 50019;
inline constexpr UINT ID_FIRST_OVERLAY_STUDY = 50200;
inline constexpr UINT ID_LAST_OVERLAY_STUDY = 50299;
inline constexpr UINT ID_FIRST_OVERLAY_CUSTOM = 50300;
inline constexpr UINT ID_LAST_OVERLAY_CUSTOM = 50449;
// Price pane: style, thickness, scale, spacing, reset.
inline constexpr UINT ID_STYLE_CURVE = 50500;
inline constexpr UINT ID_STYLE_BAR = 50501;
inline constexpr UINT ID_STYLE_CANDLE = 50502;
inline constexpr UINT ID_STYLE_COLOR_BAR = 50503;
inline constexpr UINT ID_LOG_SCALE = 50504;
inline constexpr UINT ID_AUTO_SCALE = 50505;
inline constexpr UINT ID_ZOOM_IN = 50506;
inline constexpr UINT ID_ZOOM_OUT = 50507;
inline constexpr UINT ID_THICKNESS_DOWN = 50508;
inline constexpr UINT ID_SPACING_UP = 50509;
inline constexpr UINT ID_SPACING_DOWN = 50510;
inline constexpr UINT ID_THICKNESS_UP = 50511;
inline constexpr UINT ID_RESET_SCALE = 50512;


// The settings' chart colours by index.
enum EChartColor : int {
    kChartColorBackground = 0,
    kChartColorGrid = 1,
    kChartColorAxis = 2,
    kChartColorText = 3,
    kChartColorCrosshair = 4,
};

// Update hints sent to every pane of a chart.
enum EChartHint : LPARAM {
    kHintRepaint = 1,
    kHintBarsAdded = 2,
    kHintReinitialise = 3,
    kHintCrosshair = 4,
    kHintCrosshairOff = 5,
};
