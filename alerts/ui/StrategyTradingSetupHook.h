// The Strategy Trading Setup dialog lives above the alert windows; the shell installs a
// hook that runs it, and the alert windows call it through here.
#pragma once

#include <functional>

class CStrategyAlert;
class CWnd;

// Runs the Strategy Trading Setup dialog modally: a new strategy alert when editedAlert is
// null, else an edit of it. editedAlert is a copy of the alert being edited that carries
// the state the new alerts start with (already reset for an edit with reset); the hook
// hands it to CreateStrategyAlertsFromSetup as the state source. On OK the hook creates
// the alerts and returns true.
using StrategyTradingSetupHook = std::function<bool(CWnd* parent, CStrategyAlert* editedAlert)>;
void SetStrategyTradingSetupHook(StrategyTradingSetupHook hook);
// False when no hook is installed (then "Add Strategy..." is greyed) or on Cancel.
bool RunStrategyTradingSetup(CWnd* parent, CStrategyAlert* editedAlert);
// Whether a hook is installed.
bool HasStrategyTradingSetup();
