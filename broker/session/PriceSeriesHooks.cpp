#include "broker/session/PriceSeriesHooks.h"

namespace {
CPriceSeriesHooks g_seriesHooks;
COptionChainHooks g_chainHooks;
} // namespace

void SetPriceSeriesHooks(const CPriceSeriesHooks& hooks)
{
    g_seriesHooks = hooks;
}

const CPriceSeriesHooks& GetPriceSeriesHooks()
{
    return g_seriesHooks;
}

void SetOptionChainHooks(const COptionChainHooks& hooks)
{
    g_chainHooks = hooks;
}

const COptionChainHooks& GetOptionChainHooks()
{
    return g_chainHooks;
}
