// The symbol-set groups of the settings, from which the Level I symbol-set menu is built,
// follow the broker's industry groups once the session has read them.
#pragma once

#include <vector>

struct CIndustryGroup;
struct CSymbolSetGroup;

// `groups` become the broker's groups; false when they held them already.
bool AdoptIndustryGroups(std::vector<CSymbolSetGroup>& groups, const std::vector<CIndustryGroup>& served);

// The settings take the session's industry groups, when it has read them (interface thread).
bool AdoptSessionIndustryGroups();
