// Price series through the session manager (or directly when none is installed).
#pragma once

#include "platform/core/WinTypes.h"

class CPriceSeries;

// None for a refused key.
CPriceSeries* OpenPriceSeries(const char* key, DWORD context);
void ReleasePriceSeries(CPriceSeries* series);
