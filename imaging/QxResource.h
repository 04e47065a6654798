// Resources embedded into the program at build time (see QxEmbedResources.cmake).
// A module is a table of named byte blocks; a resource handle points at one entry.
#pragma once

#include "imaging/QxTypes.h"

struct QxResource {
    const char* name;
    const BYTE* data;
    DWORD size;
};

struct QxResourceModule {
    const QxResource* entries;
    DWORD count;
};

using HRSRC = const QxResource*;
using HMODULE = const QxResourceModule*;

// The entry of that name (case-sensitive), or null.
HRSRC QxFindResource(HMODULE module, const char* name);
// Stand-ins of the resource calls: size (0 for null) and bytes (null for null).
DWORD QxSizeofResource(HMODULE module, HRSRC res);
const BYTE* QxLockResource(HRSRC res);
