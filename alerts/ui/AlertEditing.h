// Editing an alert of the alert book in its setup dialog: a strategy alert in the
// Strategy Trading Setup dialog, any other in the formula wizard. The new alerts replace
// the old one, with its trigger state and history unless reset is asked.
#pragma once

#include "alerts/CAlert.h"

class CWnd;

// False when the alert is gone, the dialog was cancelled, or, without reset, the alert
// vanished while the dialog was open (then the user is told).
bool EditAlert(AlertId id, bool reset, CWnd* parent);
