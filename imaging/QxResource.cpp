#include "imaging/QxResource.h"

#include <cstring>

HRSRC QxFindResource(HMODULE module, const char* name)
{
    if (module == nullptr || name == nullptr || module->entries == nullptr)
        return nullptr;
    for (DWORD i = 0; i < module->count; ++i)
        if (module->entries[i].name != nullptr && std::strcmp(module->entries[i].name, name) == 0)
            return &module->entries[i];
    return nullptr;
}

DWORD QxSizeofResource(HMODULE /*module*/, HRSRC res)
{
    return res == nullptr ? 0 : res->size;
}

const BYTE* QxLockResource(HRSRC res)
{
    return res == nullptr ? nullptr : res->data;
}
