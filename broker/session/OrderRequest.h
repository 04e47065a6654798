// The broker's order requests built from order legs: request names, order strings, word mapping.
#pragma once

#include "broker/session/COrderLeg.h"
#include "platform/core/CString.h"

#include <vector>

// "EquityTrade"/"OptionTrade", with "Conditional" in front for conditional types 0..5 and
// "Save" in front when the order is saved instead of placed.
CString OrderRequestName(int securityKind, int conditionalType, bool place);

// Ticket word and leg count of a conditional type (0..5); false outside.
bool ConditionalTicket(int conditionalType, CString& word, int& legs);

// False with "Invalid quantity: N" when a leg's quantity is not a whole number of at
// least 1 that fits 32 bits (it would not survive the order string's %d).
bool CheckOrderQuantities(const std::vector<COrderLeg>& legs, CString& error);

// "accountid=N~" then the ticket and the leg keys, not yet URL-encoded.
CString BuildOrderString(const std::vector<COrderLeg>& legs, int securityKind, int conditionalType,
                         const CString& accountNumber);
CString BuildEditOrderString(const COrderLeg& leg, const CString& accountId);

// The broker's words for the user's words (unknown words are sent lower case).
CString BrokerActionWord(int securityKind, int action);
CString BrokerOrderType(const CString& orderType);
CString BrokerExpire(const CString& expire);
CString BrokerInstructions(const CString& instructions);
CString BrokerRoute(const CString& route);
// Price text: up to 4 decimals, at least 2; empty for 0.
CString OrderPriceText(double price);
// Percent-encodes every byte but letters, digits and "-_.~".
CString UrlEncode(const char* text);
