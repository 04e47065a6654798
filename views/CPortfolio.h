// Local portfolios (shown as watch lists): named lists of positions, kept by the
// settings object in "portfolios.dat".
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <vector>

class CAppSettings;
class CArchive;

enum EPositionSide : int { kSideLong = 0, kSideShort = 1 };

struct CPortfolioPosition {
    CString symbol;
    int shares = 0;
    double basePrice = 0;
    double fee = 0;
    int side = kSideLong;
    CString date;
    CString comments;
    int multiplier = 1;

    bool IsShort() const { return side != kSideLong; }
    // -1 for a short position, +1 otherwise.
    int Sign() const { return IsShort() ? -1 : 1; }
    bool operator==(const CPortfolioPosition&) const = default;
};

struct CPortfolio {
    CString name;
    std::vector<CPortfolioPosition> positions;

    bool operator==(const CPortfolio&) const = default;
};

using CPortfolioList = std::vector<CPortfolio>;

// The records of "portfolios.dat" after its version: DWORD portfolio count, then per
// portfolio its name and DWORD position count, then per position symbol, shares, base
// price, fee, side, date, comments and multiplier. Throws CArchiveException on damage.
void ReadPortfolios(CArchive& ar, DWORD version, CPortfolioList& out);
void WritePortfolios(CArchive& ar, const CPortfolioList& portfolios);

// The portfolios the settings hold; false (and *error) when their records are damaged.
bool LoadPortfolios(const CAppSettings& settings, CPortfolioList& out, CString* error = nullptr);
// Replaces the settings' records; they reach the file with the next save.
void StorePortfolios(CAppSettings& settings, const CPortfolioList& portfolios);
