#include "trading/AccountChoice.h"

#include "common/services/TextHelpers.h"

std::vector<CAccountInfo> NamedAccounts(const std::vector<CAccountInfo>& accounts, const std::vector<CString>& names)
{
    std::vector<CAccountInfo> named;
    for (const CAccountInfo& a : accounts)
        for (const CString& name : names)
            if (SameAccountName(a.name, name) || SameAccountName(a.number, name)) {
                named.push_back(a);
                break;
            }
    return named;
}

CString AccountNamesText(const std::vector<CAccountInfo>& accounts)
{
    CString text;
    for (const CAccountInfo& a : accounts) {
        if (!text.IsEmpty())
            text += ", ";
        text += a.name;
    }
    return text;
}
