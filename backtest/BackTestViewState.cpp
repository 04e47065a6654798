#include "backtest/BackTestViewState.h"

#include "platform/core/CArchive.h"

void StoreBackTestViewState(CArchive& ar, const CBackTestViewState& state, const CLinkState& link)
{
    ar << state.mode;
    WriteBackTestLayouts(ar, state.layouts);
    for (int m = 0; m < 2; ++m)
        ar << state.sortColumn[static_cast<size_t>(m)] << state.sortAscending[static_cast<size_t>(m)];
    if (state.setup)
        state.setup->Store(ar);
    else
        ar << -1;
    link.Save(ar);
    ar << state.grid;
}

bool LoadBackTestViewState(CArchive& ar, DWORD version, CBackTestViewState& state, CLinkState& link)
{
    CBackTestViewState read;
    ar >> read.mode;
    read.mode = read.mode == kSummaryMode ? kSummaryMode : kTradeMode;
    read.layouts = ReadBackTestLayouts(ar);
    for (int m = 0; m < 2; ++m)
        ar >> read.sortColumn[static_cast<size_t>(m)] >> read.sortAscending[static_cast<size_t>(m)];
    int count = 0;
    ar >> count;
    if (count != -1) {
        read.setup = std::make_unique<CStrategySetup>();
        read.setup->Load(ar, count, version);
    }
    CLinkState readLink = link;
    if (!readLink.Load(ar))
        return false;
    read.grid = state.grid;
    if (version >= 10)
        ar >> read.grid;
    state = std::move(read);
    link = readLink;
    return true;
}
