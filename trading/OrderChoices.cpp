#include "trading/OrderChoices.h"

#include <algorithm>
#include <initializer_list>

namespace {

using Texts = std::vector<CString>;

const char* const kStockActions[] = {"Buy", "Sell", "Sell Short", "Buy to Cover"};
const char* const kOptionActions[] = {"Buy to Open", "Sell to Close", "Sell to Open", "Buy to Close"};
const char* const kOrderTypes[] = {"Limit", "Market", "StopMarket", "StopLimit", "T-Stop%", "T-Stop$"};

struct ExpireRow {
    const char* orderType;
    std::initializer_list<const char*> expires;
};

const ExpireRow kStockExpires[] = {
    {"Limit", {"DAY", "DAY+EXT", "GTC", "GTC+EXT", "ExtAM", "ExtPM"}},
    {"Market", {"DAY", "MktClose"}},
    {"StopMarket", {"DAY", "GTC"}},
    {"StopLimit", {"DAY", "GTC"}},
    {"T-Stop%", {"DAY", "GTC"}},
    {"T-Stop$", {"DAY", "GTC"}},
};
const ExpireRow kOptionExpires[] = {
    {"Limit", {"DAY", "GTC"}},
    {"Market", {"DAY"}},
    {"StopMarket", {"DAY", "GTC"}},
    {"StopLimit", {"DAY", "GTC"}},
};
const ExpireRow kConditionalExpires[] = {
    {"Limit", {"DAY", "GTC"}},
    {"Market", {"DAY", "MktClose"}},
    {"StopMarket", {"DAY", "GTC"}},
    {"StopLimit", {"DAY", "GTC"}},
    {"T-Stop%", {"DAY", "GTC"}},
    {"T-Stop$", {"DAY", "GTC"}},
};

// One row of an instructions-and-routes table; an empty order type is the last row,
// which matches everything else.
struct InstructionRow {
    const char* orderType;
    std::initializer_list<const char*> expires;
    std::initializer_list<const char*> instructions;
    std::initializer_list<const char*> routes;
};

const InstructionRow kStockInstructions[] = {
    {"Limit", {"DAY"}, {"None", "AON", "FOK"}, {"Auto", "NSDQ (INET)", "ARCA"}},
    {"Limit", {"DAY+EXT"}, {"None"}, {"Auto", "NSDQ (INET)", "ARCA"}},
    {"Limit", {"GTC"}, {"None", "AON", "DNR", "AON/DNR"}, {"Auto"}},
    {"Limit", {"GTC+EXT", "ExtAM", "ExtPM"}, {"None"}, {"Auto"}},
    {"StopMarket", {"DAY"}, {"None"}, {"Auto"}},
    {"StopMarket", {"GTC"}, {"None", "DNR"}, {"Auto"}},
    {"StopLimit", {"DAY"}, {"None", "AON"}, {"Auto"}},
    {"StopLimit", {"GTC"}, {"None", "AON", "DNR", "AON/DNR"}, {"Auto"}},
    {"", {}, {"None"}, {"Auto"}},
};
const InstructionRow kOptionInstructions[] = {
    {"Limit", {"DAY"}, {"None", "AON", "FOK"}, {"Auto"}},
    {"Limit", {"GTC"}, {"None", "AON"}, {"Auto"}},
    {"StopLimit", {"DAY", "GTC"}, {"None", "AON"}, {"Auto"}},
    {"StopMarket", {"DAY", "GTC"}, {"None"}, {"Auto"}},
    {"", {}, {"None"}, {"Auto"}},
};
const InstructionRow kConditionalInstructions[] = {
    {"Market", {"DAY", "MktClose"}, {"None"}, {"Auto"}},
    {"T-Stop%", {"DAY", "GTC"}, {"None"}, {"Auto"}},
    {"T-Stop$", {"DAY", "GTC"}, {"None"}, {"Auto"}},
    {"", {}, {"None", "AON"}, {"Auto"}},
};
const char* const kOptionRoutes[] = {"Auto", "CBOE", "PHLX", "AMEX", "ISE", "BOX", "NYSE", "NASDAQ", "BATS"};

struct ConditionalRow {
    const char* text;
    int legs;
    int linkedFirst;  // -1: no linked pair
};
const ConditionalRow kConditionalTypes[kConditionalTypeCount] = {
    {"One Cancels Another (OCA)", 2, 0},   {"Bracket Order", 2, 0},
    {"One Triggers Another (OTA)", 2, -1}, {"One Triggers Two (OTT)", 3, -1},
    {"One Triggers OCA (OT/OCA)", 3, 1},   {"One Triggers OTA (OT/OTA)", 3, -1},
};

Texts ToTexts(std::initializer_list<const char*> list)
{
    return Texts(list.begin(), list.end());
}

bool Holds(const Texts& list, const CString& text)
{
    return std::find(list.begin(), list.end(), text) != list.end();
}

bool Holds(std::initializer_list<const char*> list, const CString& text)
{
    return std::any_of(list.begin(), list.end(), [&](const char* item) { return text == item; });
}

template <size_t N>
const ExpireRow* FindExpireRow(const ExpireRow (&table)[N], const CString& orderType)
{
    for (const ExpireRow& row : table)
        if (orderType == row.orderType)
            return &row;
    return nullptr;
}

template <size_t N>
const InstructionRow& FindInstructionRow(const InstructionRow (&table)[N], const CString& orderType,
                                         const CString& expire)
{
    for (const InstructionRow& row : table)
        if (*row.orderType && orderType == row.orderType && Holds(row.expires, expire))
            return row;
    return table[N - 1];
}

CString Kept(const Texts& list, const CString& current)
{
    if (Holds(list, current))
        return current;
    return list.empty() ? CString() : list.front();
}

}  // namespace

const char* OrderActionWord(int securityKind, int action)
{
    if (action < 0 || action > 3)
        return "";
    return securityKind == 1 ? kOptionActions[action] : kStockActions[action];
}

std::vector<CString> OrderActionWords(int securityKind)
{
    Texts words;
    for (int action = 0; action < 4; ++action)
        words.emplace_back(OrderActionWord(securityKind, action));
    return words;
}

bool IsBuyingAction(int action)
{
    return action == 0 || action == 3;
}

std::vector<CString> OrderTypeChoices(int securityKind, int mode, bool linked)
{
    const size_t count = mode == 1 || securityKind == 1 ? 4 : std::size(kOrderTypes);
    Texts types;
    for (size_t i = 0; i < count; ++i)
        if (!(linked && CString(kOrderTypes[i]) == "Market"))
            types.emplace_back(kOrderTypes[i]);
    return types;
}

std::vector<CString> LinkedOrderTypeChoices(int securityKind, const CString& firstType, bool tied)
{
    Texts candidates = securityKind == 1 ? ToTexts({"Limit", "StopMarket", "StopLimit"})
                                         : ToTexts({"Limit", "StopMarket", "StopLimit", "T-Stop%", "T-Stop$"});
    if (!tied)
        return candidates;
    if (firstType == "Limit") {
        candidates.erase(candidates.begin());
        return candidates;
    }
    return {"Limit"};
}

COrderChoiceLists ComputeOrderChoices(const CString& orderType, const CString& expire, const CString& instruction,
                                      const CString& route, int securityKind, bool conditional)
{
    COrderChoiceLists out;
    const bool option = securityKind == 1;
    const ExpireRow* expireRow = nullptr;
    const CString type = orderType.IsEmpty() ? CString("Limit") : orderType;
    if (option)
        expireRow = FindExpireRow(kOptionExpires, type);
    else if (conditional)
        expireRow = FindExpireRow(kConditionalExpires, type);
    else
        expireRow = FindExpireRow(kStockExpires, type);
    out.orderType = type;
    if (!expireRow)
        return out;
    out.found = true;
    out.expires = ToTexts(expireRow->expires);
    out.expire = Kept(out.expires, expire);

    const InstructionRow& row = conditional ? FindInstructionRow(kConditionalInstructions, type, out.expire)
                                : option    ? FindInstructionRow(kOptionInstructions, type, out.expire)
                                            : FindInstructionRow(kStockInstructions, type, out.expire);
    out.routes = option && !conditional ? Texts(std::begin(kOptionRoutes), std::end(kOptionRoutes))
                                        : ToTexts(row.routes);
    out.route = Kept(out.routes, route);
    out.instructions = ToTexts(row.instructions);
    if (!option && !conditional && out.route != *row.routes.begin())
        out.instructions.resize(1);
    out.instruction = Kept(out.instructions, instruction);
    return out;
}

const char* ConditionalTypeText(int conditionalType)
{
    return conditionalType >= 0 && conditionalType < kConditionalTypeCount ? kConditionalTypes[conditionalType].text
                                                                           : "";
}

int ConditionalLegCount(int conditionalType)
{
    return conditionalType >= 0 && conditionalType < kConditionalTypeCount ? kConditionalTypes[conditionalType].legs
                                                                           : 1;
}

bool IsFirstOfLinkedPair(int conditionalType, int leg)
{
    return conditionalType >= 0 && conditionalType < kConditionalTypeCount &&
           kConditionalTypes[conditionalType].linkedFirst == leg;
}

bool IsSecondOfLinkedPair(int conditionalType, int leg)
{
    return conditionalType >= 0 && conditionalType < kConditionalTypeCount &&
           kConditionalTypes[conditionalType].linkedFirst >= 0 &&
           kConditionalTypes[conditionalType].linkedFirst + 1 == leg;
}

bool IsLinkedLeg(int conditionalType, int leg)
{
    return IsFirstOfLinkedPair(conditionalType, leg) || IsSecondOfLinkedPair(conditionalType, leg);
}

bool OrderTypeHasPrice(const CString& orderType)
{
    return orderType != "Market" && orderType != "StopMarket";
}

bool OrderTypeHasActivationPrice(const CString& orderType)
{
    return orderType == "StopMarket" || orderType == "StopLimit";
}

bool IsTrailingStop(const CString& orderType)
{
    return orderType.Find("T-Stop") >= 0;
}

bool IsGoodTillExpire(const CString& expire)
{
    CString upper = expire;
    upper.MakeUpper();
    return upper.Find("GTC") >= 0;
}
