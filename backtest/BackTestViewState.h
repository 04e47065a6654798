// The backtest window's record in workspace files: its mode, the column layouts of both
// modes, their sort states, its job (or none), its links and its grid flag.
#pragma once

#include "backtest/BackTestColumns.h"
#include "backtest/CStrategySetup.h"
#include "common/services/CLinkState.h"

#include <array>
#include <memory>

struct CBackTestViewState {
    int mode = kTradeMode;
    std::array<CBackTestLayout, 2> layouts;
    std::array<int, 2> sortColumn = {-1, -1};  // header position
    std::array<int, 2> sortAscending = {1, 1};
    std::unique_ptr<CStrategySetup> setup;  // none: -1 in the record
    int grid = 1;
};

// Writes the record; a damaged archive throws.
void StoreBackTestViewState(CArchive& ar, const CBackTestViewState& state, const CLinkState& link);
// Reads the whole record before anything is handed back: false (or a throw) leaves state
// and link as they were. The grid flag is read from workspace version 10 on.
bool LoadBackTestViewState(CArchive& ar, DWORD version, CBackTestViewState& state, CLinkState& link);
