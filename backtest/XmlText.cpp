#include "backtest/XmlText.h"

CString EscapeXmlText(const char* text)
{
    CString out;
    for (const char* p = text ? text : ""; *p; ++p) {
        switch (*p) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += *p; break;
        }
    }
    return out;
}
