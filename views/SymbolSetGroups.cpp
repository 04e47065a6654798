#include "views/SymbolSetGroups.h"

#include "broker/session/CSessionManager.h"
#include "broker/session/IndustryGroup.h"
#include "common/services/CAppSettings.h"

#include <algorithm>

bool AdoptIndustryGroups(std::vector<CSymbolSetGroup>& groups, const std::vector<CIndustryGroup>& served)
{
    std::vector<CSymbolSetGroup> adopted;
    adopted.reserve(served.size());
    for (const CIndustryGroup& group : served)
        adopted.push_back({group.name, group.sets});
    const bool same = std::equal(adopted.begin(), adopted.end(), groups.begin(), groups.end(),
                                 [](const CSymbolSetGroup& a, const CSymbolSetGroup& b) {
                                     return a.name == b.name && a.names == b.names;
                                 });
    if (same)
        return false;
    groups = std::move(adopted);
    return true;
}

bool AdoptSessionIndustryGroups()
{
    CAppSettings* settings = CAppSettings::Instance();
    CSessionManager* session = CSessionManager::Instance();
    std::vector<CIndustryGroup> served;
    if (!settings || !session || !session->GetSession().GetIndustryGroups(served))
        return false;
    return AdoptIndustryGroups(settings->m_symbolSetGroups, served);
}
