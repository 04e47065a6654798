#include "alerts/IAlertHost.h"

#include <atomic>

namespace {

std::atomic<IAlertHost*> g_alertHost{nullptr};

} // namespace

void SetAlertHost(IAlertHost* host)
{
    g_alertHost = host;
}

IAlertHost* GetAlertHost()
{
    return g_alertHost.load();
}
