// Resource, command and message ids of the snapshot and tracking panels and the Web
// Watch List Manager.
#pragma once

#include "platform/core/WinTypes.h"
#include "platform/ui/WinUser.h"

// Snapshot panel: its context menu commands, the Insert Field menu (item n is command
// kInsertFieldFirst + n), the drag cursor and the quote message to its window.
inline constexpr UINT ID_SNAPSHOT_DELETE_FIELD = 34238;
inline constexpr UINT ID_SNAPSHOT_VERTICAL = 34239;
inline constexpr UINT ID_SNAPSHOT_ABBREVIATED = 34240;
inline constexpr UINT ID_SNAPSHOT_RESET_DEFAULTS = 34241;
inline constexpr UINT ID_SNAPSHOT_INSERT_FIELD_FIRST = 33000;
inline constexpr UINT IDR_SNAPSHOT_FIELDS = 175;
inline constexpr UINT IDC_PANEL_DRAG = 172;
inline constexpr UINT WM_SNAPSHOT_QUOTE = WM_APP + 14;

// Web Watch List Manager and its item dialog.
inline constexpr UINT IDD_WEB_WATCH_LISTS = 282;
inline constexpr UINT IDD_WATCHED_SYMBOL = 281;
inline constexpr UINT ID_WEB_WATCH_LIST_MANAGER = 32836;
// A server call of the manager ended (its result is the payload).
inline constexpr UINT WM_WATCHLIST_CALL_DONE = WM_APP + 20;
