// What the order forms offer: actions, order types, expires, special instructions and
// routes by security kind and order type, and the conditional order types with their legs.
#pragma once

#include "platform/core/CString.h"

#include <vector>

// "Buy", "Sell", "Sell Short", "Buy to Cover" or the option words; "" outside 0..3.
const char* OrderActionWord(int securityKind, int action);
// The four action words of a security kind.
std::vector<CString> OrderActionWords(int securityKind);
// True for "Buy", "Buy to Cover" and their option words (actions 0 and 3).
bool IsBuyingAction(int action);

// The order types a leg offers: all six; the first four in update mode (1) and for
// options; "Market" left out for a leg of a linked pair.
std::vector<CString> OrderTypeChoices(int securityKind, int mode, bool linked);
// The second member of a linked pair: the candidates without "Limit" when the pair is
// tied (same symbol, a Bracket, or alert setup) and the first member is a "Limit";
// only "Limit" when tied otherwise; every candidate when not tied.
std::vector<CString> LinkedOrderTypeChoices(int securityKind, const CString& firstType, bool tied);

// The lists one refill of a leg's expire, instructions and route combos gives, and the
// texts then shown (each current text kept where the new list holds it).
struct COrderChoiceLists {
    bool found = false;  // the order type has a row; nothing else is set without one
    CString orderType;
    std::vector<CString> expires;
    std::vector<CString> instructions;
    std::vector<CString> routes;
    CString expire;
    CString instruction;
    CString route;
};
// Texts are matched exactly; an empty order type takes the first row's ("Limit").
COrderChoiceLists ComputeOrderChoices(const CString& orderType, const CString& expire, const CString& instruction,
                                      const CString& route, int securityKind, bool conditional);

// Conditional order types 0..5.
inline constexpr int kConditionalTypeCount = 6;
// "One Cancels Another (OCA)", ... ; "" outside 0..5.
const char* ConditionalTypeText(int conditionalType);
// 2 or 3 for types 0..5, else 1.
int ConditionalLegCount(int conditionalType);
// Whether a leg belongs to the linked pair of the type (legs 0 and 1 of OCA and
// Bracket, legs 1 and 2 of OT/OCA); the pair's first member is its lower leg.
bool IsLinkedLeg(int conditionalType, int leg);
bool IsFirstOfLinkedPair(int conditionalType, int leg);
bool IsSecondOfLinkedPair(int conditionalType, int leg);
inline constexpr int kBracketType = 1;

// Order types with a price, an activation price, a trailing parameter.
bool OrderTypeHasPrice(const CString& orderType);           // every type but "Market", "StopMarket"
bool OrderTypeHasActivationPrice(const CString& orderType); // "StopMarket", "StopLimit"
bool IsTrailingStop(const CString& orderType);              // "T-Stop" in it
bool IsGoodTillExpire(const CString& expire);               // "GTC" in it
