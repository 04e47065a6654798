#include "broker/core/SymbolText.h"

CString NormalizeSymbol(const char* text)
{
    CString symbol(text);
    const int colon = symbol.Find(':');
    if (colon >= 0)
        symbol = symbol.Mid(colon + 1);
    symbol.Trim();
    symbol.MakeUpper();
    return symbol;
}
