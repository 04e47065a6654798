// The broker's symbol sets of the "IndustryGroups" kind: named groups of set names.
#pragma once

#include "platform/core/CString.h"

#include <vector>

struct CIndustryGroup {
    CString name;
    std::vector<CString> sets;

    bool operator==(const CIndustryGroup&) const = default;
};

// What a reply may hold at most: set names over all groups, and symbols of one set.
inline constexpr size_t kMaxIndustrySets = 1000;
inline constexpr size_t kMaxSymbolSetSymbols = 10000;
