// The order a fired alert places: its legs priced at the moment of firing and sent
// through the order gate.
#pragma once

#include "trading/COrderRecord.h"

#include <vector>

class CAlert;

// The legs of the alert's order for a trigger number: each leg with the alert's symbol,
// the action of the trigger's parity, and the quantity and price worked out from the
// quote (GetLegPrice). entryQuantity receives leg 0's quantity. Empty without an order.
std::vector<COrderRecord> AlertOrderLegs(CAlert& alert, int trigger, int& entryQuantity);

// Sends the alert's order through SendOrders (origin 3): placed or added to the saved
// orders by the program-trading switch of the active trading defaults, to the accounts
// of the order, messages on no window. Hands the entry quantity to the alert's strategy.
// True when the order went out.
bool PlaceAlertOrder(CAlert& alert, int trigger);
