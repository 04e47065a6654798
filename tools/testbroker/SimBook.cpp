#include "tools/testbroker/SimBook.h"

#include "tools/testbroker/ExchangeClock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qx::testbroker {

namespace {

// Steps of the tick a participant may stand off the inside.
constexpr int kMaxSteps = 6;

double RoundCents(double v)
{
    return std::round(v * 100.0) / 100.0;
}

int32_t RandomSize(bool option, std::mt19937_64& rng)
{
    return static_cast<int32_t>(option ? 1 + rng() % 100 : 100 * (1 + rng() % 50));
}

std::string TimeOf(int64_t unixSeconds)
{
    const ExchangeTime t = UnixToExchange(unixSeconds);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return buf;
}

} // namespace

SimBook SimBook::Start(const std::vector<std::string>& names, bool levels, double bid, double ask, double tick,
                       bool option, uint64_t seed, int64_t nowUnix)
{
    std::mt19937_64 rng(seed);
    SimBook book;
    book.m_bLevels = levels;
    if (levels) {
        const std::string venue = names.empty() ? std::string() : names.front();
        for (size_t k = 0; k < kRows; ++k)
            book.m_entries.push_back({venue, {}, {}});
        book.MoveLevels(bid, ask, tick, option, rng, nowUnix);
        return book;
    }
    for (const std::string& name : names) {
        SimBookEntry e;
        e.participant = name;
        // Most quote within two ticks of the inside, so several share each price.
        const int bidSteps = static_cast<int>(rng() % 3 + (rng() % 4 == 0 ? 2 : 0));
        const int askSteps = static_cast<int>(rng() % 3 + (rng() % 4 == 0 ? 2 : 0));
        e.bid = {std::max(RoundCents(bid - bidSteps * tick), 0.0), RandomSize(option, rng),
                 nowUnix - static_cast<int64_t>(rng() % 90)};
        e.ask = {RoundCents(ask + askSteps * tick), RandomSize(option, rng), nowUnix - static_cast<int64_t>(rng() % 90)};
        book.m_entries.push_back(std::move(e));
    }
    book.MoveParticipants(0, bid, tick, option, rng, nowUnix);
    book.MoveParticipants(1, ask, tick, option, rng, nowUnix);
    return book;
}

void SimBook::Move(double bid, double ask, double tick, bool option, std::mt19937_64& rng, int64_t nowUnix)
{
    if (m_bLevels) {
        MoveLevels(bid, ask, tick, option, rng, nowUnix);
        return;
    }
    MoveParticipants(0, bid, tick, option, rng, nowUnix);
    MoveParticipants(1, ask, tick, option, rng, nowUnix);
}

void SimBook::MoveLevels(double bid, double ask, double tick, bool option, std::mt19937_64& rng, int64_t nowUnix)
{
    for (size_t k = 0; k < m_entries.size(); ++k) {
        SimBookEntry& e = m_entries[k];
        const double bidPrice = RoundCents(bid - static_cast<double>(k) * tick);
        const double askPrice = RoundCents(ask + static_cast<double>(k) * tick);
        if (e.bid.size == 0 || e.bid.price != bidPrice || rng() % 100 < 40)
            e.bid = {bidPrice, RandomSize(option, rng), nowUnix};
        if (e.ask.size == 0 || e.ask.price != askPrice || rng() % 100 < 40)
            e.ask = {askPrice, RandomSize(option, rng), nowUnix};
    }
}

void SimBook::MoveParticipants(int side, double inside, double tick, bool option, std::mt19937_64& rng,
                               int64_t nowUnix)
{
    // Deeper is lower for bids and higher for asks.
    const double deeper = side == 0 ? -tick : tick;
    auto better = [side](double a, double b) { return side == 0 ? a > b : a < b; };
    SimQuote* best = nullptr;
    for (SimBookEntry& e : m_entries) {
        SimQuote& q = side == 0 ? e.bid : e.ask;
        const SimQuote before = q;
        const int roll = static_cast<int>(rng() % 100);
        if (roll < 12)
            q.price = RoundCents(q.price + deeper);
        else if (roll < 24)
            q.price = RoundCents(q.price - deeper);
        else if (roll < 40)
            q.size = RandomSize(option, rng);
        if (better(q.price, inside))
            q.price = RoundCents(inside + deeper * static_cast<double>(rng() % 3)); // passed: at or behind the inside
        const double steps = std::fabs(q.price - inside) / tick;
        if (steps > kMaxSteps + 0.5)
            q.price = RoundCents(inside + deeper * static_cast<double>(rng() % 3));
        if (q.price <= 0.0)
            q.price = RoundCents(std::max(inside, tick));
        if (q.price != before.price || q.size != before.size)
            q.time = nowUnix;
        if (!best || better(q.price, best->price))
            best = &q;
    }
    // Somebody makes the inside.
    if (best && best->price != inside) {
        best->price = inside;
        best->time = nowUnix;
    }
}

std::vector<protocol::BookRow> SimBook::Rows(int side, bool times) const
{
    std::vector<const SimBookEntry*> order;
    for (const SimBookEntry& e : m_entries)
        if ((side == 0 ? e.bid : e.ask).price > 0.0)
            order.push_back(&e);
    std::stable_sort(order.begin(), order.end(), [side](const SimBookEntry* a, const SimBookEntry* b) {
        const SimQuote& x = side == 0 ? a->bid : a->ask;
        const SimQuote& y = side == 0 ? b->bid : b->ask;
        if (x.price != y.price)
            return side == 0 ? x.price > y.price : x.price < y.price;
        if (x.size != y.size)
            return x.size > y.size;
        return a->participant < b->participant;
    });
    std::vector<protocol::BookRow> rows;
    for (const SimBookEntry* e : order) {
        if (rows.size() >= kRows)
            break;
        const SimQuote& q = side == 0 ? e->bid : e->ask;
        protocol::BookRow row;
        row.participant = e->participant;
        row.price = q.price;
        row.size = q.size;
        if (times)
            row.time = TimeOf(q.time);
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace qx::testbroker
