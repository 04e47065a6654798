// The broker's order requests built from order legs: request names, order strings, word mapping,
// and the checks every leg passes before it goes into an order string.
#pragma once

#include "broker/session/COrderLeg.h"
#include "broker/session/COrderStatusRecord.h"
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

// Why a leg cannot go into an order string, naming the field; empty when it can. Every
// word (order type, expiration, special instructions, routing) is one the builder knows,
// the action is 0..3, the good-till date of a GTC order is in its one form (month and day
// of 1 or 2 digits, a year of 4, a real date), the prices the order type uses are above 0
// and keep their value at four decimals, and the symbol holds only symbol characters. An
// edit (orderId set) checks the order id instead of the symbol.
CString CheckOrderLegFields(const COrderLeg& leg, int securityKind);
// CheckOrderLegFields for every leg, with "Order N: " in front when there are several.
CString CheckOrderRequestLegs(const std::vector<COrderLeg>& legs, int securityKind);

// "accountid=N~" then the ticket and the leg keys, not yet URL-encoded. Legs must have
// passed CheckOrderRequestLegs; a word the builder does not know is sent empty.
CString BuildOrderString(const std::vector<COrderLeg>& legs, int securityKind, int conditionalType,
                         const CString& accountNumber);
CString BuildEditOrderString(const COrderLeg& leg, const CString& accountId);

// The broker's words for the user's words, compared without case; empty for a word the
// broker does not know. An empty instructions or routing text stays empty (the broker's
// default).
CString BrokerActionWord(int securityKind, int action);
CString BrokerOrderType(const CString& orderType);
CString BrokerExpire(const CString& expire);
CString BrokerInstructions(const CString& instructions);
CString BrokerRoute(const CString& route);
// Whether an order of the order list is the leg as it was sent: symbol, side, entered
// quantity, type, the prices its type uses (as entered), time in force and good-till date.
bool OrderMatchesLeg(const COrderStatusRecord& order, const COrderLeg& leg, int securityKind);
// Price text: up to 4 decimals, at least 2; empty for 0.
CString OrderPriceText(double price);
// A price an order can carry: above 0, not 0 at four decimals, and no finer than four
// decimals (so that the text sent is the price entered).
bool IsOrderPrice(double price);
// Letters, digits and ". / - _", with a "+" (option) or "$" in front; nothing else.
bool IsOrderSymbol(const char* symbol);
// The text with control characters shown as "?", for messages.
CString PrintableSymbol(const char* symbol);
// Percent-encodes every byte but letters, digits and "-_.~".
CString UrlEncode(const char* text);
