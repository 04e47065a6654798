// The one gate of new and saved orders: from the trade ticket, the saved-orders list and
// fired alerts. Checks the legs, resolves the target accounts, confirms when the trading
// defaults ask for it and sends one request per account through the broker session.
#pragma once

#include "platform/core/CString.h"
#include "trading/COrderRecord.h"

#include <vector>

class CWnd;

// Origins of orders; origin 4 sends the source tag "QXVEL", every other "Quorvantelix".
inline constexpr int kOriginAlert = 3;
inline constexpr int kOriginTicket = 4;

// place 1 places the order, 0 saves it for later; securityKind 0 stock, 1 option;
// conditionalType -1 or 0..5; accountMode 0 the account viewed, 1 all, 2 the named
// accounts. Messages go to owner (null: the application's window). True when the last
// request succeeded. Runs on the interface thread and blocks it for the requests.
bool SendOrders(int origin, int place, int securityKind, int conditionalType, const std::vector<COrderRecord>& legs,
                int accountMode, const std::vector<CString>& accountNames, CWnd* owner);

// The question asked before sending: the conditional type, one paragraph per leg, the
// account text and "Place Order?" or "Save Order?".
CString BuildOrderConfirmation(int securityKind, int conditionalType, const std::vector<COrderRecord>& legs,
                               int place, const CString& accountText);

// Why a leg cannot be sent (empty when it can): a symbol of other than symbol
// characters, a quantity that is not a whole number from 1 to 2147483647, a missing
// price or activation price for its order type, then any text the order string cannot
// carry (an unknown word, a date out of its form, a price finer than four decimals),
// named by its field. Prefixed by "Order N: " when the order has several legs.
CString CheckOrderLegs(const std::vector<COrderRecord>& legs, int securityKind);
