#include "trading/OrderPriceText.h"

#include "broker/core/Formatters.h"

CString FormatOrderPrice(double price, int securityKind)
{
    if (securityKind != 1 && price < 1.0)
        return FormatNumber(price, 2, 4);
    CString text;
    text.Format("%.2f", price);
    return text;
}
