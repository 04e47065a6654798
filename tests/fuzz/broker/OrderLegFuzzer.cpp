// Order legs with any texts in their fields go through the checks and the request
// builders: whether a leg is refused or not, no field text adds a key or a separator to
// the order string, and a leg that passes the checks carries only the broker's words.
#include "broker/protocol/OrderWords.h"
#include "broker/session/OrderRequest.h"
#include "tests/fuzz/FuzzCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    double Number()
    {
        double value = 0;
        uint8_t bytes[sizeof value] = {};
        for (uint8_t& b : bytes)
            b = Byte();
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }
    // Up to the next '\n'.
    CString Text()
    {
        std::string text;
        while (m_pos < m_size && m_data[m_pos] != '\n')
            text += static_cast<char>(m_data[m_pos++]);
        if (m_pos < m_size)
            ++m_pos;
        return CString(text);
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// The order string's items; aborts on an item without exactly one "=" or a key twice.
std::set<std::string> Keys(const std::string& text, std::vector<std::pair<std::string, std::string>>& items)
{
    std::set<std::string> keys;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('~', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string item = text.substr(start, end - start);
        start = end + 1;
        const size_t eq = item.find('=');
        FuzzCheck(eq != std::string::npos && eq > 0 && item.find('=', eq + 1) == std::string::npos);
        FuzzCheck(keys.insert(item.substr(0, eq)).second);
        items.emplace_back(item.substr(0, eq), item.substr(eq + 1));
    }
    return keys;
}

bool KnownOrEmpty(qx::protocol::OrderWordKind kind, const std::string& word)
{
    return word.empty() || !qx::protocol::ToUserWord(kind, word).empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    const int securityKind = in.Byte() & 1;
    const int conditionalType = static_cast<int>(in.Byte() % 8) - 1;
    const size_t count = 1 + in.Byte() % 3;
    std::vector<COrderLeg> legs(count);
    for (COrderLeg& leg : legs) {
        leg.action = static_cast<int>(in.Byte() % 6) - 1;
        leg.quantity = in.Byte() & 1 ? in.Number() : in.Byte() + 1;
        leg.price = in.Byte() & 1 ? in.Number() : in.Byte() / 8.0;
        leg.activationPrice = in.Byte() & 1 ? in.Number() : in.Byte() / 8.0;
        leg.symbol = in.Text();
        leg.orderType = in.Text();
        leg.expire = in.Text();
        leg.instructions = in.Text();
        leg.route = in.Text();
        leg.expirationMonth = in.Text();
        leg.expirationDay = in.Text();
        leg.expirationYear = in.Text();
    }
    const CString problem = CheckOrderRequestLegs(legs, securityKind);

    // New orders: the ticket keys, then the fourteen keys of every leg.
    std::vector<std::pair<std::string, std::string>> items;
    const std::string text = BuildOrderString(legs, securityKind, conditionalType, "10000001").str();
    const std::set<std::string> keys = Keys(text, items);
    std::set<std::string> expected = {"accountid"};
    CString word;
    int ticketLegs = 0;
    if (ConditionalTicket(conditionalType, word, ticketLegs))
        expected.insert({"ordticket", "totlegs"});
    static const char* const kLegKeys[] = {"action",  "quantity", "symbol",         "ordtype", "price",
                                           "actprice", "tsparam", "expire",         "spinstructions",
                                           "routing", "exmonth",  "exday",          "exyear"};
    for (size_t i = 0; i < count; ++i)
        for (const char* key : kLegKeys)
            expected.insert(std::string(key) + (count > 1 ? std::to_string(i + 1) : ""));
    FuzzCheck(keys == expected);
    FuzzCheck(static_cast<size_t>(std::count(text.begin(), text.end(), '~')) == expected.size());

    using qx::protocol::OrderWordKind;
    if (problem.IsEmpty()) {
        for (const auto& [key, value] : items) {
            const std::string base = key.substr(0, key.find_first_of("0123456789"));
            if (base == "ordtype")
                FuzzCheck(!value.empty() && KnownOrEmpty(OrderWordKind::OrderType, value));
            else if (base == "expire")
                FuzzCheck(!value.empty() && KnownOrEmpty(OrderWordKind::Expire, value));
            else if (base == "spinstructions")
                FuzzCheck(KnownOrEmpty(OrderWordKind::Instructions, value));
            else if (base == "routing")
                FuzzCheck(KnownOrEmpty(OrderWordKind::Routing, value));
            else if (base == "symbol")
                FuzzCheck(IsOrderSymbol(value.c_str()));
            else if (base == "exmonth" || base == "exday" || base == "exyear")
                FuzzCheck(value.find_first_not_of("0123456789") == std::string::npos);
        }
        // What was checked goes out as it was entered: prices to their last decimal.
        for (size_t i = 0; i < count; ++i) {
            const std::string n = count > 1 ? std::to_string(i + 1) : "";
            for (const auto& [key, value] : items)
                if ((key == "price" + n || key == "tsparam" + n) && !value.empty())
                    FuzzCheck(std::stod(value) == std::stod(OrderPriceText(legs[i].price).str()) &&
                              std::fabs(std::stod(value) - legs[i].price) <= 1e-9 * std::max(1.0, legs[i].price));
        }
    }

    // Changes of an open order: the ten keys of an edit.
    COrderLeg edit = legs.front();
    edit.orderId = in.Text();
    items.clear();
    const std::string editText = BuildEditOrderString(edit, in.Text()).str();
    const std::set<std::string> editKeys = Keys(editText, items);
    const std::set<std::string> expectedEdit = {"accountid", "orderid", "ordtype", "quantity", "price",
                                                "actprice",  "expire",  "exmonth", "exday",    "exyear"};
    FuzzCheck(editKeys == expectedEdit);
    FuzzCheck(static_cast<size_t>(std::count(editText.begin(), editText.end(), '~')) == expectedEdit.size() - 1);
    return 0;
}
