// Control identifiers of the order forms: per leg i the base id + i, then the form's own.
#pragma once

#include "platform/core/WinTypes.h"

namespace order_ids {

inline constexpr UINT kActionLabel = 1400;
inline constexpr UINT kAction = 1403;
inline constexpr UINT kQuantityLabel = 1406;
inline constexpr UINT kQuantityMode = 1409;
inline constexpr UINT kQuantity = 1412;
inline constexpr UINT kQuantitySpin = 1415;
inline constexpr UINT kSymbolLabel = 1418;
inline constexpr UINT kSymbol = 1421;
inline constexpr UINT kOrderTypeLabel = 1424;
inline constexpr UINT kOrderType = 1427;
inline constexpr UINT kPriceLabel = 1430;
inline constexpr UINT kPrice = 1433;
inline constexpr UINT kPriceSpin = 1436;
inline constexpr UINT kPriceSource = 1439;
inline constexpr UINT kActPriceLabel = 1442;
inline constexpr UINT kActPrice = 1445;
inline constexpr UINT kActPriceSpin = 1448;
inline constexpr UINT kExpireLabel = 1451;
inline constexpr UINT kExpire = 1454;
inline constexpr UINT kDateLabel = 1457;
inline constexpr UINT kMonth = 1460;
inline constexpr UINT kDay = 1463;
inline constexpr UINT kYear = 1466;
inline constexpr UINT kInstructionsLabel = 1469;
inline constexpr UINT kInstructions = 1472;
inline constexpr UINT kRouteLabel = 1475;
inline constexpr UINT kRoute = 1478;
inline constexpr UINT kGroup = 1481;
inline constexpr UINT kOptionChain = 1488;

inline constexpr UINT kStockRadio = 1484;
inline constexpr UINT kOptionRadio = 1485;
inline constexpr UINT kConditionalType = 1486;
inline constexpr UINT kConditionalTypeLabel = 1487;
inline constexpr UINT kPlace = 1275;
inline constexpr UINT kClear = 1276;
inline constexpr UINT kSave = 1290;
inline constexpr UINT kDisclaimer = 1309;
inline constexpr UINT kAccountLabel = 1322;
inline constexpr UINT kAccount = 1323;
inline constexpr UINT kAccounts = 1324;
inline constexpr UINT kPageFrame = 1325;

// Every control of a leg, by its leg-0 id.
inline constexpr UINT kLegControls[] = {kActionLabel, kAction,        kQuantityLabel,     kQuantityMode, kQuantity,
                                        kQuantitySpin, kSymbolLabel,  kSymbol,            kOrderTypeLabel, kOrderType,
                                        kPriceLabel,  kPrice,         kPriceSpin,         kPriceSource, kActPriceLabel,
                                        kActPrice,    kActPriceSpin,  kExpireLabel,       kExpire,      kDateLabel,
                                        kMonth,       kDay,           kYear,              kInstructionsLabel,
                                        kInstructions, kRouteLabel,   kRoute,             kGroup,       kOptionChain};

// The leg of a per-leg control id, or -1; base receives the leg-0 id.
inline int LegOfControl(UINT id, UINT& base)
{
    for (UINT first : kLegControls)
        if (id >= first && id < first + 3) {
            base = first;
            return static_cast<int>(id - first);
        }
    return -1;
}

}  // namespace order_ids
