// The order an alert places when it fires: one leg or a conditional group of two or
// three, the account choice, and how a leg's action and price follow the trigger number.
#pragma once

#include "platform/core/CString.h"
#include "trading/COrderRecord.h"

#include <array>
#include <vector>

class TiXmlElement;

class CAlertTradeInfo {
public:
    // symbolType 0 stock, 1 option (option legs start at the default option contracts).
    explicit CAlertTradeInfo(int symbolType = 0);

    // 2 for conditional types 0..2, 3 for 3..5, else 1.
    int GetLegCount() const;
    // Odd trigger numbers use the leg as stored; even ones reverse it.
    int GetLegAction(int leg, int trigger) const;
    // The price selection (0 own price, 1 bid, 2 ask, 3 last) and the offset to add.
    int GetLegOffset(int leg, int trigger, double& offset) const;
    CString GetOrderText(int trigger) const;

    // The <TradeInfo> element with its line ends; account names scrambled.
    CString ToXml() const;
    void FromXml(const TiXmlElement* element);

    int m_nSymbolType;
    int m_nConditionType = -1;  // -1 single; 0 OCA, 1 Bracket, 2 OTA, 3 OTT, 4 OT/OCA, 5 OT/OTA
    int m_nAcctType = 0;        // 0 active account, 1 all, 2 those listed
    std::vector<CString> m_accounts;
    std::array<COrderRecord, 3> m_legs;
};

// "OCA", "BRACKET", "OTA", "OTT", "OT/OCA", "OT/OTA"; "" outside 0..5.
const char* ConditionTypeName(int conditionType);
// "Buy", "Sell", "Sell Short", "Buy to Cover" or the option words; "" outside 0..3.
const char* OrderActionName(int symbolType, int action);
