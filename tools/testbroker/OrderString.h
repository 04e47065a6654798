// Parsing of the "key=value~" order strings of the order requests.
#pragma once

#include "tools/testbroker/AccountTypes.h"

#include <map>
#include <string>
#include <vector>

namespace qx::testbroker {

using OrderFields = std::map<std::string, std::string>;

// Splits "a=1~b=2~" into its pairs; false on an item without "=" or a repeated key.
bool ParseOrderString(const std::string& text, OrderFields& out, std::string& error);

// The legs of an order string: one leg with plain keys, or totlegs legs whose keys
// end in the leg number. Checks the words; prices and symbols are checked later.
bool ReadOrderLegs(const OrderFields& fields, bool option, std::vector<OrderLeg>& legs, std::string& ticketWord,
                   std::string& error);

}  // namespace qx::testbroker
