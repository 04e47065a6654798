// The Level I record of a workspace file: columns, sort, link state, title, grid lines,
// mode with its parameter, a running screener and the rows the user inserted.
#pragma once

#include "views/Level1Layout.h"

class CLinkState;

enum ELevel1Mode : int {
    kModeNone = 0,
    kModePortfolio = 1,
    kModeSymbolSet = 2,
    kModeOptionChain = 3,
    kModeActives = 4,
    kModeSymbolList = 5,
    kModePositions = 7,
    kModeWatchList = 8,
};

// Whether a stored mode number is one of the modes above.
bool IsLevel1Mode(int mode);

struct CLevel1Record {
    std::vector<CLayoutColumn> columns;
    int sortColumn = -1;
    int ascending = 1;
    CString userTitle;
    int gridLines = 1;
    int mode = kModeNone;
    // Portfolio and symbol-set modes by name; the other modes by their definition text.
    CString parameter;
    // Older records name a portfolio or symbol set by its menu command id (0 when not).
    DWORD legacyCommandId = 0;
    bool screener = false;
    CString screenerSymbols;
    CString screenerFormula;
    std::vector<CString> userRows;
};

inline constexpr DWORD kFirstWorkspaceWithLinks = 4;
inline constexpr DWORD kFirstWorkspaceWithGridLines = 10;

// Writes the record; false when the link state could not be written. Archive errors throw.
bool WriteLevel1Record(CArchive& ar, const CLevel1Record& record, const CLinkState& links);
// Reads a record of that workspace version into record and links; false when the link
// state is refused. Damage throws CArchiveException (columns read so far stay in record).
bool ReadLevel1Record(CArchive& ar, DWORD version, CLevel1Record& record, CLinkState& links);
