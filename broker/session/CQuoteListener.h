// Listener of a symbol handle; the quote store calls it on the dispatcher thread with its lock held.
#pragma once

#include "platform/core/WinTypes.h"

class CSymbolHandle;

class CQuoteListener {
public:
    virtual ~CQuoteListener() = default;
    // Four words of the owner's own use; the store does not call it.
    virtual void OnQuoteInit(DWORD, DWORD, DWORD, DWORD) {}
    // Every update of the record: the number of changed fields and their ids.
    virtual void OnQuoteChange(CSymbolHandle* handle, int count, const BYTE* ids) = 0;
};
