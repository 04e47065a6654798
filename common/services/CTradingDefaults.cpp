#include "common/services/CTradingDefaults.h"

#include "platform/core/CArchive.h"

CTradingDefaultsRow::CTradingDefaultsRow()
{
    orderTypes.fill("Limit");
    routes.fill("Default");
    instructions.fill("None");
    expires.fill("Day");
}

void CTradingDefaults::Write(CArchive& ar) const
{
    for (const CTradingDefaultsRow& row : m_rows) {
        for (int g = 0; g < kTradingGroupCount; ++g)
            ar << row.orderTypes[g] << row.routes[g] << row.instructions[g] << row.expires[g];
        ar << static_cast<DWORD>(row.inetBookEntry) << static_cast<DWORD>(row.level2Entry)
           << static_cast<DWORD>(row.confirmOrders) << static_cast<DWORD>(row.programTrading);
    }
}

void CTradingDefaults::Read(CArchive& ar)
{
    std::array<CTradingDefaultsRow, 2> rows;
    for (CTradingDefaultsRow& row : rows) {
        for (int g = 0; g < kTradingGroupCount; ++g)
            ar >> row.orderTypes[g] >> row.routes[g] >> row.instructions[g] >> row.expires[g];
        DWORD flags[4] = {};
        for (DWORD& flag : flags)
            ar >> flag;
        row.inetBookEntry = static_cast<int>(flags[0]);
        row.level2Entry = static_cast<int>(flags[1]);
        row.confirmOrders = static_cast<int>(flags[2]);
        row.programTrading = static_cast<int>(flags[3]);
    }
    m_rows = rows;
}
