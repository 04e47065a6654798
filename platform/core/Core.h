// The common platform headers in one include.
#pragma once

#include "platform/core/WinTypes.h"
#include "platform/core/CString.h"
#include "platform/core/Collections.h"
#include "platform/core/CTime.h"
#include "platform/core/CTimeSpan.h"
#include "platform/core/SystemTime.h"
#include "platform/core/CPoint.h"
#include "platform/core/CSize.h"
#include "platform/core/CRect.h"
