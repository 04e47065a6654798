// Live trades of a series against the history answers it waits for. The server numbers each
// symbol's trades and names, in a history answer, the newest one its rows hold. While answers
// are on their way the numbered live trades are kept; a bar that took rows of a marked answer
// holds every trade up to the mark, so a kept or later trade is applied only above it. After
// an answer without the mark nothing tells which kept trades it holds: they go.
#pragma once

#include "platform/core/CTime.h"

#include <cstdint>
#include <utility>
#include <vector>

class CBackfillGate {
public:
    struct Trade {
        CTime time;
        double price = 0;
        double size = 0;       // shares
        uint64_t sequence = 0; // 0: the server sent no number
    };
    // Bars whose marks are kept, the newest ones: live trades land in them.
    static constexpr size_t kMarkedBars = 16;
    // Trades kept during one wait at most.
    static constexpr size_t kMaxKept = 100000;

    // A live trade that came while history was on its way; one without a number is not kept.
    void Keep(const Trade& trade);
    // The bar starting at barStart took rows of an answer holding the trades up to asOf.
    void Filled(CTime barStart, uint64_t asOf);
    // An answer came, marked or not.
    void Answered(bool marked);
    // Whether the bar starting at barStart holds the trade numbered sequence already.
    bool Holds(CTime barStart, uint64_t sequence) const;
    // The wait is over: the kept trades to apply now, oldest first (none after an unmarked answer).
    std::vector<Trade> TakeKept();
    // The bars from `from` on were emptied.
    void ForgetFrom(CTime from);
    // The stream came back while answers were on their way, which may not hold what it missed:
    // the series asks again once they are in.
    void DeferRestore() { m_bRestoreDeferred = true; }
    bool TakeDeferredRestore() { return std::exchange(m_bRestoreDeferred, false); }
    void Clear();

private:
    std::vector<std::pair<CTime, uint64_t>> m_marks; // bar start, newest trade its rows hold
    std::vector<Trade> m_kept;
    bool m_bUnmarked = false;
    bool m_bRestoreDeferred = false;
};
