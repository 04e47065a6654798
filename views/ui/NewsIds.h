// Resource, command and message ids of the news and browser windows.
#pragma once

#include "platform/core/WinTypes.h"
#include "platform/ui/WinUser.h"

// Resources.
inline constexpr UINT IDR_NEWS = 215;        // the news window's menu (its document template)
inline constexpr UINT IDR_BROWSER = 217;     // the browser window's menu
inline constexpr UINT IDR_NEWS_CONTEXT = 162; // the headline list's context menu
inline constexpr UINT IDC_HEADLINES = 1323;

// News commands; the column commands follow from 40706 (ID_NEWS_COLUMN_FIRST).
inline constexpr UINT ID_NEWS_HOT = 40701;
inline constexpr UINT ID_NEWS_ALL = 40702;
inline constexpr UINT ID_NEWS_ALERT = 40703;
inline constexpr UINT ID_NEWS_DEFAULT_LAYOUT = 40704;
inline constexpr UINT ID_NEWS_SET_SYMBOLS = 40705;

// Browser commands.
inline constexpr UINT ID_BROWSER_BACK = 32962;
inline constexpr UINT ID_BROWSER_FORWARD = 32963;
inline constexpr UINT ID_BROWSER_REFRESH = 32964;
inline constexpr UINT ID_BROWSER_HOME = 32965;
inline constexpr UINT ID_BROWSER_STOP = 32966;

// To a headlines view: changes of its news subscriptions wait to be taken.
inline constexpr UINT WM_NEWS_CHANGED = WM_APP + 13;
