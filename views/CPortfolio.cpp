#include "views/CPortfolio.h"

#include "common/services/CAppSettings.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"

namespace {

// Smallest stored forms: a name and a count; a position of empty texts.
constexpr UINT kMinPortfolioBytes = 1 + 4;
constexpr UINT kMinPositionBytes = 1 + 4 + 8 + 8 + 4 + 1 + 1 + 4;

} // namespace

void ReadPortfolios(CArchive& ar, DWORD, CPortfolioList& out)
{
    out.clear();
    const DWORD count = ar.ReadBoundedCount(kMinPortfolioBytes);
    out.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        CPortfolio portfolio;
        ar >> portfolio.name;
        const DWORD positions = ar.ReadBoundedCount(kMinPositionBytes);
        portfolio.positions.reserve(positions);
        for (DWORD k = 0; k < positions; ++k) {
            CPortfolioPosition p;
            int side = 0;
            ar >> p.symbol >> p.shares >> p.basePrice >> p.fee >> side >> p.date >> p.comments >> p.multiplier;
            p.side = side ? kSideShort : kSideLong;
            portfolio.positions.push_back(std::move(p));
        }
        out.push_back(std::move(portfolio));
    }
}

void WritePortfolios(CArchive& ar, const CPortfolioList& portfolios)
{
    ar << static_cast<DWORD>(portfolios.size());
    for (const CPortfolio& portfolio : portfolios) {
        ar << portfolio.name << static_cast<DWORD>(portfolio.positions.size());
        for (const CPortfolioPosition& p : portfolio.positions)
            ar << p.symbol << p.shares << p.basePrice << p.fee << p.side << p.date << p.comments << p.multiplier;
    }
}

bool LoadPortfolios(const CAppSettings& settings, CPortfolioList& out, CString* error)
{
    out.clear();
    const CKeptRecords& kept = settings.m_portfolios;
    if (kept.body.empty())
        return true;
    try {
        CMemFile file(kept.body.data(), kept.body.size());
        CArchive ar(&file, CArchive::load);
        ReadPortfolios(ar, kept.version, out);
    } catch (CException&) {
        out.clear();
        if (error)
            *error = "Error reading file portfolios.dat: the file is damaged. It is kept unchanged; your watch "
                     "lists are not loaded.";
        return false;
    }
    return true;
}

void StorePortfolios(CAppSettings& settings, const CPortfolioList& portfolios)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        WritePortfolios(ar, portfolios);
        ar.Close();
    }
    settings.m_portfolios.body = file.Detach();
    settings.m_portfolios.version = kUserFileVersion;
}
