// Conversions between record times (local CTime of the exchange wall clock) and feed times.
#pragma once

#include "broker/core/FeedTime.h"
#include "platform/core/CTime.h"

// The time's local calendar fields as a feed time (0 outside the feed range).
DWORD CTimeToFeedTime(CTime time);
// The feed time's calendar fields as a local CTime.
CTime FeedTimeToRecordTime(DWORD feedTime);
