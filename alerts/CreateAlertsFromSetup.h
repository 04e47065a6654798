// Turning a filled setup dialog into alerts of the global array, and finding alerts in it.
#pragma once

#include "platform/core/CString.h"

#include <cstdint>

class CAlert;
class CStrategyAlert;
struct CAlertSetup;

// One alert per symbol of the setup's symbols text (split at blanks, empty pieces
// skipped, upper-cased): a formula alert on the formula for an alert type other than 0,
// else a price alert with the setup's field, direction and target; the order when Place
// Order is on, the sound when Play sound is on, and the state of stateSource when given.
// Each is appended to the installed alert book and activated; then the alert lists are
// told. Returns the number of symbols.
int CreateAlertsFromSetup(const CAlertSetup& setup, const CAlert* stateSource);

// The same for a strategy: one copy of the template per symbol, whose symbol and that of
// its entry and exit alerts is the piece.
int CreateStrategyAlertsFromSetup(const CStrategyAlert& templateAlert, const CString& symbols,
                                  const CAlert* stateSource);

// Index in the installed alert book of the alert with that id, or of the strategy alert
// whose entry or exit alert it is; -1 when absent (or without a book).
int FindAlertIndex(std::uint64_t alertId);
