#include "trading/ReportColumns.h"

namespace {

using enum EReportSort;

constexpr CReportColumn kOrderStatus[kOrderStatusFieldCount] = {
    {"Entered", 34332, kDateTime},        {"Status", 34333, kText},          {"Action", 34334, kText},
    {"Quantity", 34335, kNumber},         {"Symbol", 34336, kText},          {"Type", 34337, kText},
    {"Price", 34338, kNumber},            {"Order ID", 34339, kText},        {"Session", 34340, kText},
    {"Routing", 34341, kText},            {"", 0, kText},                    {"Instructions", 34343, kText},
    {"Orig. Quantity", 34344, kNumber},   {"Orig. Price", 34345, kNumber},   {"Act. Price", 34346, kNumber},
    {"Expiration", 34347, kDateTime},     {"Reported", 34348, kDateTime},    {"Multi-Leg Order", 34349, kText}};

constexpr CReportColumn kSavedOrders[kSavedOrderFieldCount] = {
    {"Entered", 34510, kDateTime},   {"Action", 34511, kText},        {"Quantity", 34512, kNumber},
    {"Symbol", 34513, kText},        {"Type", 34514, kText},          {"Price", 34515, kNumber},
    {"Order ID", 0, kText},          {"Session", 34517, kText},       {"Routing", 34518, kText},
    {"Instructions", 34519, kText},  {"Act. Price", 34520, kNumber},  {"Expiration", 34521, kDateTime},
    {"Hot Key", 34522, kText}};

constexpr CBalanceColumn kBalances[kBalanceColumnCount] = {
    {"Account Balances", false, 180}, {"Balances($)", true, 100}, {"Today's Net Chg", true, 120}};

}  // namespace

std::span<const CReportColumn> OrderStatusColumns()
{
    return kOrderStatus;
}

std::span<const CReportColumn> SavedOrderColumns()
{
    return kSavedOrders;
}

std::span<const CBalanceColumn> BalanceColumns()
{
    return kBalances;
}

const CReportColumn* FindReportColumn(std::span<const CReportColumn> columns, int field)
{
    return field >= 0 && static_cast<size_t>(field) < columns.size() ? &columns[static_cast<size_t>(field)] : nullptr;
}

int DefaultColumnWidth(std::span<const CReportColumn> columns, int field)
{
    const CReportColumn* c = FindReportColumn(columns, field);
    if (c && c->width > 0)
        return c->width;
    return c && c->sort == EReportSort::kDateTime ? kDefaultDateColumnWidth : kDefaultColumnWidth;
}
