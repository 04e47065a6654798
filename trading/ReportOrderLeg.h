// Order legs made from the rows of the order status and saved orders windows, for
// changing an open order or placing a saved one. The broker's column texts become the
// words the order forms use.
#pragma once

#include "broker/session/COrderStatusRecord.h"
#include "broker/session/CSavedOrderRecord.h"
#include "platform/core/CString.h"
#include "trading/COrderRecord.h"

// Index of the action among "Buy", "Sell", "Sell Short", "Buy to Cover" or, at the same
// index, "Buy to Open", "Sell to Close", "Sell to Open", "Buy to Close" (case ignored);
// 0 when none matches.
int ReportActionIndex(const CString& action);
// "NSDQ (INET)" for a text containing "INET", else "ARCA", else "Auto" for one containing
// them, else the text itself.
CString ReportRouteText(const CString& routing);
// The time in force of a "Session" text: "DAY" or "GTC" (also "GOODTILLCANCEL") with
// "+EXT" when the text holds it; otherwise the whole texts "EXTAM" and "EXTPM" (and for
// saved orders "MKTCLOSE"), compared upper-cased without blanks; else empty.
CString ReportTimeInForce(const CString& session, bool savedOrder);

// The leg that changes an open order in the Trade Ticket.
COrderRecord OrderLegFromStatus(const COrderStatusRecord& record);
// The leg a saved order places; it carries no order id.
COrderRecord OrderLegFromSaved(const CSavedOrderRecord& record);
