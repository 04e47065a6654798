// Feeds arbitrary text to the readers of the broker's industry groups and of one symbol
// set's symbols, and checks the bounds and the empty entries they leave out.
#include "broker/session/ApiReplies.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string xml(reinterpret_cast<const char*>(data), size);
    std::vector<CIndustryGroup> groups;
    if (ParseIndustryGroups(xml, groups)) {
        size_t names = 0;
        for (const CIndustryGroup& group : groups) {
            if (group.name.IsEmpty() || group.sets.empty())
                __builtin_trap();
            for (const CString& set : group.sets)
                if (set.IsEmpty())
                    __builtin_trap();
            names += group.sets.size();
        }
        if (names > kMaxIndustrySets)
            __builtin_trap();
    }
    std::vector<CString> symbols;
    if (ParseIndustryGroup(xml, symbols)) {
        if (symbols.size() > kMaxSymbolSetSymbols)
            __builtin_trap();
        for (const CString& symbol : symbols)
            if (symbol.IsEmpty())
                __builtin_trap();
    }
    return 0;
}
