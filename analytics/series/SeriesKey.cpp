#include "analytics/series/SeriesKey.h"

#include "analytics/studies/StudyTable.h"
#include "broker/core/SymbolText.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

CString NormalizeInterval(const char* text)
{
    CString interval = text ? text : "";
    const int cut = interval.FindOneOf(":&");
    if (cut >= 0)
        interval = interval.Left(cut);
    interval.Trim();
    interval.MakeUpper();
    if (interval.IsEmpty())
        interval = "0";
    return interval;
}

bool IsDailyOrLongerInterval(const CString& interval)
{
    return interval == "D" || interval == "W" || interval == "M" || interval == "Q" || interval == "Y";
}

int FindStudyCallType(const char* text, bool includeBar)
{
    if (!text)
        return -1;
    const char* paren = std::strchr(text, '(');
    if (!paren)
        return -1;
    const int type = studies::FindStudyTypeByName(text, static_cast<int>(paren - text));
    if (type < 0 || (!includeBar && type == studies::kBar))
        return -1;
    return type;
}

bool IsSeriesSymbolText(const char* text)
{
    const size_t length = text ? std::strlen(text) : 0;
    if (length == 0 || length > 31)
        return false;
    for (; *text; ++text) {
        const unsigned char c = static_cast<unsigned char>(*text);
        if (!std::isalnum(c) && !std::strchr("._$+/-#", c))
            return false;
    }
    return true;
}

bool ParseStudyCallText(const char* text, int type, CString& symbol, double params[4], CString& intervalToken)
{
    const studies::StudyTableRow* row = studies::GetStudyRow(type);
    const char* open = text ? std::strchr(text, '(') : nullptr;
    const char* close = open ? std::strchr(open, ')') : nullptr;
    if (!row || !close)
        return false;
    // Every comma-separated token between "(" and ")", empty ones included.
    std::vector<CString> tokens;
    for (const char* p = open + 1;;) {
        const char* comma = static_cast<const char*>(std::memchr(p, ',', static_cast<size_t>(close - p)));
        const char* end = comma ? comma : close;
        tokens.emplace_back(std::string(p, static_cast<size_t>(end - p)).c_str());
        if (!comma)
            break;
        p = comma + 1;
    }
    // The symbol, then one token per parameter but the interval (always the row's last).
    if (static_cast<int>(tokens.size()) != row->paramCount || row->paramCount - 1 > 4)
        return false;
    for (const CString& token : tokens)
        if (token.IsEmpty())
            return false;
    symbol = tokens[0];
    if (!IsSeriesSymbolText(NormalizeSymbol(symbol)))
        return false;
    for (int i = 0; i + 1 < row->paramCount; ++i) {
        const CString& token = tokens[static_cast<size_t>(i) + 1];
        if (row->paramKinds[i] == studies::kParamPriceField) {
            const int field = studies::FindPriceField(token);
            if (field < 0)
                return false;
            params[i] = field;
        } else {
            params[i] = std::atof(token);
        }
    }
    // The interval follows the call's ")" and a comma; nothing else may.
    CString tail(close + 1);
    tail.TrimLeft();
    if (!tail.IsEmpty() && tail[0] != ',')
        return false;
    intervalToken = tail.IsEmpty() ? tail : CString(tail.Mid(1));
    return studies::ValidateStudyParams(type, params);
}

bool ParseSeriesKey(const char* key, CSeriesKey& out)
{
    out = CSeriesKey{};
    const CString text = key ? key : "";
    CString intervalText;
    const int type = FindStudyCallType(text, false);
    if (type >= 0) {
        CString symbol;
        if (!ParseStudyCallText(text, type, symbol, out.params, intervalText))
            return false;
        out.studyType = type;
        out.symbol = NormalizeSymbol(symbol);
    } else {
        const int comma = text.Find(',');
        out.symbol = NormalizeSymbol(comma >= 0 ? CString(text.Left(comma)) : text);
        intervalText = comma >= 0 ? text.Mid(comma + 1) : CString();
        // A symbol with characters no symbol uses (a misspelt study call, a suffix in the
        // wrong place) never reaches the history request.
        if (!IsSeriesSymbolText(out.symbol))
            return false;
    }
    out.interval = NormalizeInterval(intervalText);
    out.extendedSession = text.Find(":255") >= 0 && !IsDailyOrLongerInterval(out.interval) ? 1 : 0;
    CTickFilter filter;
    if (filter.Parse(text))
        out.filter = filter;
    const int end = text.Find("EndETime=");
    if (end >= 0) {
        const long value = std::atol(text.Mid(end + 9).SpanExcluding("&"));
        out.endFeedTime = value > 0 ? static_cast<DWORD>(value) : 0;
    }
    return true;
}
