#include "trading/ReportOrderLeg.h"

#include "trading/OrderInput.h"

#include <cmath>
#include <ctime>

namespace {

constexpr const char* kStockActions[] = {"Buy", "Sell", "Sell Short", "Buy to Cover"};
constexpr const char* kOptionActions[] = {"Buy to Open", "Sell to Close", "Sell to Open", "Buy to Close"};

// A whole number of the cell, 0 when it is none.
double WholeNumber(const CString& text)
{
    double value = 0;
    if (!ParseOrderNumber(text, value))
        return 0;
    return std::trunc(value);
}

double Number(const CString& text)
{
    double value = 0;
    return ParseOrderNumber(text, value) ? value : 0;
}

CString FirstUpper(const CString& text)
{
    CString out = text;
    if (!out.IsEmpty() && out[0] >= 'a' && out[0] <= 'z')
        out.SetAt(0, static_cast<char>(out[0] - 'a' + 'A'));
    return out;
}

// The expiration date of the cell, as the order forms keep it.
void SetExpirationDate(COrderRecord& leg, const CString& text)
{
    int64_t seconds = 0;
    if (!ParseOrderTime(text, seconds))
        return;
    const time_t t = static_cast<time_t>(seconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    leg.expirationMonth.Format("%d", tm.tm_mon + 1);
    leg.expirationDay.Format("%d", tm.tm_mday);
    leg.expirationYear.Format("%d", tm.tm_year + 1900);
}

}  // namespace

int ReportActionIndex(const CString& action)
{
    for (int i = 0; i < 4; ++i)
        if (action.CompareNoCase(kStockActions[i]) == 0 || action.CompareNoCase(kOptionActions[i]) == 0)
            return i;
    return 0;
}

CString ReportRouteText(const CString& routing)
{
    if (routing.Find("INET") >= 0)
        return "NSDQ (INET)";
    if (routing.Find("ARCA") >= 0)
        return "ARCA";
    if (routing.Find("Auto") >= 0)
        return "Auto";
    return routing;
}

CString ReportTimeInForce(const CString& session, bool savedOrder)
{
    CString text = session;
    text.MakeUpper();
    text.Remove(' ');
    CString result;
    if (text.Find("DAY") >= 0)
        result = "DAY";
    else if (text.Find("GOODTILLCANCEL") >= 0 || text.Find("GTC") >= 0)
        result = "GTC";
    if (text.Find("+EXT") >= 0)
        return result + "+EXT";
    if (text == "EXTAM")
        return "ExtAM";
    if (text == "EXTPM")
        return "ExtPM";
    if (savedOrder && text == "MKTCLOSE")
        return "MktClose";
    return result;
}

COrderRecord OrderLegFromStatus(const COrderStatusRecord& record)
{
    using F = COrderStatusRecord;
    COrderRecord leg(0);
    leg.orderId = record.m_fields[F::kOrderId];
    leg.symbol = record.m_fields[F::kSymbol];
    leg.action = ReportActionIndex(record.m_fields[F::kAction]);
    leg.quantity = WholeNumber(record.m_fields[F::kQuantity]);
    leg.orderType = record.m_fields[F::kType];
    leg.orderType.Remove(' ');
    leg.instructions = FirstUpper(record.m_fields[F::kInstructions]);
    leg.route = ReportRouteText(record.m_fields[F::kRouting]);
    leg.expire = ReportTimeInForce(record.m_fields[F::kSession], false);
    leg.price = Number(record.m_fields[F::kPrice]);
    leg.activationPrice = Number(record.m_fields[F::kActPrice]);
    if (leg.expire.Find("GTC") >= 0)
        SetExpirationDate(leg, record.m_fields[F::kExpiration]);
    return leg;
}

COrderRecord OrderLegFromSaved(const CSavedOrderRecord& record)
{
    using F = CSavedOrderRecord;
    COrderRecord leg(0);
    leg.symbol = record.m_fields[F::kSymbol];
    leg.action = ReportActionIndex(record.m_fields[F::kAction]);
    leg.quantity = WholeNumber(record.m_fields[F::kQuantity]);
    leg.orderType = record.m_fields[F::kType];
    leg.orderType.Remove(' ');
    leg.instructions = FirstUpper(record.m_fields[F::kInstructions]);
    leg.route = ReportRouteText(record.m_fields[F::kRouting]);
    leg.expire = ReportTimeInForce(record.m_fields[F::kSession], true);
    leg.price = Number(record.m_fields[F::kPrice]);
    leg.activationPrice = Number(record.m_fields[F::kActPrice]);
    SetExpirationDate(leg, record.m_fields[F::kExpiration]);
    return leg;
}
