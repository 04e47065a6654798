// Accounts, positions, balances, orders and saved orders of the test broker,
// with the order engine that fills orders against the simulated market.
// Not thread-safe; the broker serialises every call.
#pragma once

#include "broker/protocol/StreamRecord.h"
#include "tools/testbroker/AccountTypes.h"
#include "tools/testbroker/OrderString.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qx::testbroker {

using Activities = std::vector<protocol::AccountActivityRecord>;

struct BalanceLine {
    std::string name;
    double amount = 0.0;
    double change = 0.0;
};

class CAccountBook {
public:
    using QuoteSource = std::function<std::optional<MarketQuote>(const std::string&)>;
    using Clock = std::function<int64_t()>;  // unix seconds

    static constexpr size_t kMaxSavedOrders = 200;

    CAccountBook(QuoteSource quotes, Clock clock);

    // Gives a user its two accounts (once).
    void AddUser(const std::string& user);
    std::vector<Account> AccountsOf(const std::string& user) const;
    bool Owns(const std::string& user, const std::string& account) const;

    // Places (or saves) the order of an order string. On failure nothing is kept;
    // errorElement is false for the failure that carries no error text.
    struct Result {
        bool ok = false;
        bool errorElement = true;
        std::string error;
        std::vector<std::string> ids;
    };
    Result Place(const std::string& user, const std::string& orderString, bool option, bool conditional, bool save,
                 Activities& out);
    Result Edit(const std::string& user, const std::string& orderString, Activities& out);
    // Cancels one order; false with the per-order error text.
    bool Cancel(const std::string& account, const std::string& orderId, std::string& error, Activities& out);
    bool DeleteSaved(const std::string& account, const std::string& id, std::string& error, Activities& out);
    // Re-checks the open orders of a symbol after its quote moved.
    void OnQuote(const std::string& symbol, Activities& out);

    std::vector<Order> Orders(const std::string& account) const;  // newest first
    std::vector<SavedOrder> SavedOrders(const std::string& account) const;
    std::vector<BalanceLine> Balances(const std::string& account) const;
    std::optional<Position> PositionOf(const std::string& account, const std::string& symbol) const;
    std::optional<Account> FindAccount(const std::string& account) const;

private:
    // pending: the position change that earlier legs of the same ticket will make.
    bool ValidateLeg(const Account& a, const OrderLeg& leg, bool option, int64_t pending, std::string& error) const;
    double OpenOrderReserve(const std::string& account) const;
    void TryFill(Order& o, Activities& out);
    void Execute(Order& o, double price, Activities& out);
    void Activate(Order& o, Activities& out);
    void CancelOrder(Order& o, const std::string& why, Activities& out);
    void AfterFill(const Order& filled, Activities& out);
    Order* FindOrder(const std::string& account, const std::string& id);
    protocol::AccountActivityRecord Notice(const Order& o, protocol::ActivityKind kind, std::string text) const;

    QuoteSource m_quotes;
    Clock m_clock;
    std::map<std::string, Account> m_accounts;                  // by id
    std::map<std::string, std::vector<std::string>> m_userAccounts;
    std::vector<Order> m_orders;                                // oldest first
    std::vector<SavedOrder> m_saved;
    int m_nextOrder = 1001;
    int m_nextSaved = 9001;
    int m_nextTicket = 1;
    int m_nextAccount = 10000001;
};

bool IsBuyAction(const std::string& action);

}  // namespace qx::testbroker
