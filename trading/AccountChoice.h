// Pure helpers for the accounts an order goes to.
#pragma once

#include "broker/session/AccountRecords.h"
#include "platform/core/CString.h"

#include <vector>

// The accounts whose name or number is one of names (SameAccountName), in the accounts' order.
std::vector<CAccountInfo> NamedAccounts(const std::vector<CAccountInfo>& accounts, const std::vector<CString>& names);
// The accounts' names joined by ", ".
CString AccountNamesText(const std::vector<CAccountInfo>& accounts);
