#include "trading/ITradingHost.h"

#include <atomic>

namespace {
std::atomic<ITradingHost*> g_host{nullptr};
}  // namespace

ITradingHost* GetTradingHost()
{
    return g_host.load();
}

ITradingHost* SetTradingHost(ITradingHost* host)
{
    return g_host.exchange(host);
}
