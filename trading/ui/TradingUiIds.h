// Resource and command ids of the order windows and dialogs.
#pragma once

#include "platform/core/WinTypes.h"
#include "platform/ui/WinUser.h"

inline constexpr UINT IDD_API_SETTINGS = 213;
inline constexpr UINT IDD_ORDER_FORM = 220;
inline constexpr UINT IDD_PRICE_OFFSET = 234;
inline constexpr UINT IDD_CONDITIONAL_ORDER_FORM = 272;
inline constexpr UINT IDD_ACCOUNTS = 280;
inline constexpr UINT IDR_PRICE_SOURCE_MENU = 237;

// The price-source menu: "&Manual", "&Bid", "&Ask", "&Last", "&Offset...".
inline constexpr UINT ID_PRICE_SOURCE_FIRST = 33701;
inline constexpr UINT ID_PRICE_OFFSET = 33705;

// A quote of leg wParam changed.
inline constexpr UINT WM_ORDER_LEG_QUOTE = WM_APP + 11;
// Enter in an edit of an order form (wParam the control id).
inline constexpr UINT WM_ORDER_FORM_ENTER = WM_APP + 43;
