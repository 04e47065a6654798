#include "platform/core/CTimeSpan.h"

CString CTimeSpan::Format(const char* format) const
{
    CString out;
    for (const char* p = format ? format : ""; *p; ++p) {
        if (*p != '%' || p[1] == '\0') {
            out += *p;
            continue;
        }
        switch (*++p) {
        case 'D':
            out.AppendFormat("%lld", static_cast<long long>(GetDays()));
            break;
        case 'H':
            out.AppendFormat("%02d", static_cast<int>(GetHours()));
            break;
        case 'M':
            out.AppendFormat("%02d", static_cast<int>(GetMinutes()));
            break;
        case 'S':
            out.AppendFormat("%02d", static_cast<int>(GetSeconds()));
            break;
        case '%':
            out += '%';
            break;
        default:
            out += '%';
            out += *p;
            break;
        }
    }
    return out;
}
