// The order a fired alert places: its legs priced at the moment of placing and sent
// through the order gate.
#pragma once

#include "trading/COrderRecord.h"

#include <cstdint>
#include <vector>

class CAlert;
class CWnd;

// The legs of the alert's order for a trigger number: each leg with the alert's symbol,
// the action of the trigger's parity, and the quantity and price worked out from the
// quote (GetLegPrice). entryQuantity receives leg 0's quantity. Empty without an order.
std::vector<COrderRecord> AlertOrderLegs(const CAlert& alert, int trigger, int& entryQuantity);

// The same legs for the Trade Ticket, priced live there: each keeps its quantity (mode 1,
// or 0 for a dollar amount) and takes the trigger's price source and offset.
std::vector<COrderRecord> AlertTicketLegs(const CAlert& alert, int trigger);

// Everything SendOrders needs of an alert's order, copied while the alert is held.
struct CAlertOrder {
    std::vector<COrderRecord> legs;
    int entryQuantity = 0;
    int symbolType = 0;        // 0 stock, 1 option
    int conditionType = -1;
    int accountMode = 0;
    std::vector<CString> accounts;
};
// False without an order.
bool BuildAlertOrder(const CAlert& alert, int trigger, CAlertOrder& order);

enum class EAlertOrderResult { kGone, kNoOrder, kRefused, kSent };

// Looks the alert up by its id in the installed alert book and sends its order through
// SendOrders (origin 3): placed or added to the saved orders by the program-trading
// switch of the active trading defaults, to the accounts of the order, messages on
// owner. The alert is held only while its order is copied, never while the order goes
// out. Afterwards, when the alert is still there, its strategy hears of the entry
// quantity.
EAlertOrderResult PlaceAlertOrder(std::uint64_t alertId, int trigger, CWnd* owner);

// Hands the quantity of a placed entry order to the strategy of the alert with that id
// (nothing when it is gone or has no strategy).
void PassAlertEntryQuantity(std::uint64_t alertId, int quantity);
