#include "common/windows/ShellIds.h"

namespace {
constexpr const char* kKindNames[kWindowKindCount] = {
    "Level I",     "Level II",     "Chart",        "Time & Sales", "Bar Table", "News",         "BackTesting",
    "Trade Ticket", "Balances",    "Order Status", "Browser",      "Alert Manager", "Saved Orders"};
constexpr UINT kKindResources[kWindowKindCount] = {210, 211, 212, 213, 214, 215, 216, 222, 225, 226, 217, 250, 251};
}  // namespace

const char* WindowKindName(int kind)
{
    return kind >= 0 && kind < kWindowKindCount ? kKindNames[kind] : "";
}

UINT WindowKindResource(int kind)
{
    return kind >= 0 && kind < kWindowKindCount ? kKindResources[kind] : 0;
}
