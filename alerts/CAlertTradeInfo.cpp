#include "alerts/CAlertTradeInfo.h"

#include "alerts/CAlert.h"
#include "broker/core/Formatters.h"
#include "common/services/CAppSettings.h"
#include "common/services/TextHelpers.h"
#include "platform/core/XmlHelpers.h"

namespace {

constexpr int kMaxLegs = 3;

bool IsOddTrigger(int trigger)
{
    return trigger % 2 != 0;  // -1, -3 ... count as odd too
}

// Buy <-> Sell, Sell Short <-> Buy to Cover; the option actions likewise.
int ReverseAction(int action)
{
    switch (action) {
    case 0: return 1;
    case 1: return 0;
    case 2: return 3;
    case 3: return 2;
    default: return action;
    }
}

CString QuantityText(const COrderRecord& leg, int symbolType)
{
    const char* unit = symbolType == 1 ? "contracts" : "shares";
    CString text;
    switch (leg.quantityMode) {
    case 0: text.Format("$%.2f worth", leg.quantity); break;
    case 1: text.Format("%d %s", static_cast<int>(leg.quantity), unit); break;
    case 2: text.Format("%d entry %s", static_cast<int>(leg.quantity), unit); break;
    default: break;
    }
    return text;
}

CString OffsetText(double offset)
{
    if (offset == 0)
        return CString();
    return (offset > 0 ? CString("+") : CString()) + FormatNumber(offset, 2, 4);
}

CString PriceText(const COrderRecord& leg, int selection, double offset)
{
    switch (selection) {
    case 0: return leg.price != 0 ? FormatNumber(leg.price, 2, 4) : CString();
    case 1: return "Bid" + OffsetText(offset);
    case 2: return "Ask" + OffsetText(offset);
    case 3: return "Last" + OffsetText(offset);
    default: return CString();
    }
}

void ReadLeg(const TiXmlElement* element, COrderRecord& leg)
{
    ReadAlertInt(element, "Action", leg.action);
    ReadAlertInt(element, "QuantityType", leg.quantityMode);
    ReadAlertDouble(element, "QtyAmt", leg.quantity);
    ReadAlertText(element, "OrderType", leg.orderType);
    ReadAlertInt(element, "PriceSelection", leg.priceSource);
    ReadAlertDouble(element, "Offset", leg.priceOffset);
    ReadAlertDouble(element, "Price", leg.price);
    ReadAlertDouble(element, "ActPrice", leg.activationPrice);
    ReadAlertText(element, "Route", leg.route);
    ReadAlertText(element, "Instr", leg.instructions);
    ReadAlertText(element, "Expire", leg.expire);
    ReadAlertText(element, "Month", leg.expirationMonth);
    ReadAlertText(element, "Day", leg.expirationDay);
    ReadAlertText(element, "Year", leg.expirationYear);
}

} // namespace

const char* ConditionTypeName(int conditionType)
{
    static const char* const kNames[] = {"OCA", "BRACKET", "OTA", "OTT", "OT/OCA", "OT/OTA"};
    return conditionType >= 0 && conditionType < 6 ? kNames[conditionType] : "";
}

const char* OrderActionName(int symbolType, int action)
{
    static const char* const kStock[] = {"Buy", "Sell", "Sell Short", "Buy to Cover"};
    static const char* const kOption[] = {"Buy to Open", "Sell to Close", "Sell to Open", "Buy to Close"};
    if (action < 0 || action > 3)
        return "";
    return symbolType == 1 ? kOption[action] : kStock[action];
}

CAlertTradeInfo::CAlertTradeInfo(int symbolType) : m_nSymbolType(symbolType)
{
    for (COrderRecord& leg : m_legs) {
        leg = COrderRecord(symbolType);
        leg.orderType = "Market";
    }
}

int CAlertTradeInfo::GetLegCount() const
{
    static const int kCounts[] = {2, 2, 2, 3, 3, 3};
    return m_nConditionType >= 0 && m_nConditionType < 6 ? kCounts[m_nConditionType] : 1;
}

int CAlertTradeInfo::GetLegAction(int leg, int trigger) const
{
    if (leg < 0 || leg >= kMaxLegs)
        return 0;
    const int action = m_legs[leg].action;
    return IsOddTrigger(trigger) ? action : ReverseAction(action);
}

int CAlertTradeInfo::GetLegOffset(int leg, int trigger, double& offset) const
{
    offset = 0;
    if (leg < 0 || leg >= kMaxLegs)
        return 0;
    const COrderRecord& record = m_legs[leg];
    offset = record.priceOffset;
    if (IsOddTrigger(trigger))
        return record.priceSource;
    offset = -offset;
    if (record.priceSource == 1)
        return 2;
    if (record.priceSource == 2)
        return 1;
    return record.priceSource;
}

CString CAlertTradeInfo::GetOrderText(int trigger) const
{
    const int count = GetLegCount();
    CString text;
    for (int i = 0; i < count; ++i) {
        const COrderRecord& leg = m_legs[i];
        CString prefix;
        if (count > 1) {
            const CString condition = CString(ConditionTypeName(m_nConditionType)) + " ";
            prefix.Format("%sOrder %d: ", condition, i + 1);
        }
        CString part;
        part.Format("%s%s %s, %s Order", prefix, OrderActionName(m_nSymbolType, GetLegAction(i, trigger)),
                    QuantityText(leg, m_nSymbolType), leg.orderType);
        double offset = 0;
        const int selection = GetLegOffset(i, trigger, offset);
        const CString price = PriceText(leg, selection, offset);
        if (!price.IsEmpty())
            part += CString(", ") + (leg.orderType.Find("T-Stop") >= 0 ? "Param" : "Price") + ": " + price;
        if (leg.activationPrice != 0)
            part += ", Act. Price: " + FormatNumber(leg.activationPrice, 2, 4);
        part += ", Expiration: " + leg.expire + ", Instructions: " + leg.instructions + ", Routing: " + leg.route;
        if (i + 1 < count)
            part += "; ";
        text += part;
    }
    return text;
}

CString CAlertTradeInfo::ToXml() const
{
    CString xml;
    xml.Format("<TradeInfo>\r\n<ConditionType>%d</ConditionType>\r\n<SymbolType>%d</SymbolType>\r\n"
               "<AcctType>%d</AcctType>\r\n",
               m_nConditionType, m_nSymbolType, m_nAcctType);
    for (const CString& name : m_accounts)
        xml += "<Bin>" + MakeCData(CAppSettings::Scramble(CAppSettings::ProgramKey(), name)) + "</Bin>\r\n";
    const int count = GetLegCount();
    for (int i = 0; i < count; ++i) {
        const COrderRecord& leg = m_legs[i];
        xml.AppendFormat("<Leg>\r\n<Action>%d</Action>\r\n<QuantityType>%d</QuantityType>\r\n<QtyAmt>%lf</QtyAmt>\r\n"
                         "<PriceSelection>%d</PriceSelection>\r\n<Offset>%lf</Offset>\r\n<Price>%lf</Price>\r\n"
                         "<ActPrice>%lf</ActPrice>\r\n",
                         leg.action, leg.quantityMode, leg.quantity, leg.priceSource, leg.priceOffset, leg.price,
                         leg.activationPrice);
        xml += "<OrderType>" + EscapeAlertText(leg.orderType) + "</OrderType>\r\n";
        xml += "<Route>" + EscapeAlertText(leg.route) + "</Route>\r\n";
        xml += "<Instr>" + EscapeAlertText(leg.instructions) + "</Instr>\r\n";
        xml += "<Expire>" + EscapeAlertText(leg.expire) + "</Expire>\r\n";
        xml += "<Month>" + EscapeAlertText(leg.expirationMonth) + "</Month>\r\n";
        xml += "<Day>" + EscapeAlertText(leg.expirationDay) + "</Day>\r\n";
        xml += "<Year>" + EscapeAlertText(leg.expirationYear) + "</Year>\r\n";
        xml += "</Leg>\r\n";
    }
    xml += "</TradeInfo>\r\n";
    return xml;
}

void CAlertTradeInfo::FromXml(const TiXmlElement* element)
{
    if (!element)
        return;
    ReadAlertInt(element, "ConditionType", m_nConditionType);
    ReadAlertInt(element, "SymbolType", m_nSymbolType);
    ReadAlertInt(element, "AcctType", m_nAcctType);
    for (const TiXmlElement* bin = FindChildNoCase(element, "Bin", true); bin; bin = NextSiblingNoCase(bin, "Bin"))
        m_accounts.push_back(CAppSettings::Unscramble(CAppSettings::ProgramKey(), GetElementText(bin)));
    int index = 0;
    for (const TiXmlElement* leg = FindChildNoCase(element, "Leg", true); leg && index < kMaxLegs;
         leg = NextSiblingNoCase(leg, "Leg"))
        ReadLeg(leg, m_legs[index++]);
}
