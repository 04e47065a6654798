#include "alerts/ui/StrategyTradingSetupHook.h"

#include <utility>

namespace {

StrategyTradingSetupHook& Hook()
{
    static StrategyTradingSetupHook hook;
    return hook;
}

} // namespace

void SetStrategyTradingSetupHook(StrategyTradingSetupHook hook)
{
    Hook() = std::move(hook);
}

bool RunStrategyTradingSetup(CWnd* parent, CStrategyAlert* editedAlert)
{
    return Hook() ? Hook()(parent, editedAlert) : false;
}

bool HasStrategyTradingSetup()
{
    return static_cast<bool>(Hook());
}
