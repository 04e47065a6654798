#include "tests/support/OrderLegs.h"

namespace qx::testsupport {

COrderLeg DayOrderLeg(const char* symbol, double quantity, const char* orderType, double price)
{
    COrderLeg leg;
    leg.symbol = symbol;
    leg.quantity = quantity;
    leg.orderType = orderType;
    leg.price = price;
    leg.expire = "DAY";
    leg.instructions = "None";
    leg.route = "Auto";
    return leg;
}

}  // namespace qx::testsupport
