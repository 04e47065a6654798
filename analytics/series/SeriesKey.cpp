#include "analytics/series/SeriesKey.h"

#include "analytics/studies/StudyTable.h"
#include "broker/core/SymbolText.h"

#include <cstdlib>
#include <cstring>

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

bool ParseStudyCallText(const char* text, int type, CString& symbol, double params[4], CString& intervalToken)
{
    const studies::StudyTableRow* row = studies::GetStudyRow(type);
    const char* paren = text ? std::strchr(text, '(') : nullptr;
    if (!row || !paren)
        return false;
    const CString rest(paren + 1);
    int pos = 0;
    symbol = rest.Tokenize(",)", pos);
    if (pos < 0)
        return false;
    int stored = 0;
    for (int i = 0; i < row->paramCount; ++i) {
        const int kind = row->paramKinds[i];
        if (kind == studies::kParamInterval) {
            // The rest of the key after the call's ")" (suffixes included).
            const int close = rest.Find(')');
            if (close < 0)
                return false;
            CString tail = rest.Mid(close + 1);
            tail.TrimLeft();
            if (!tail.IsEmpty() && tail[0] == ',')
                tail = tail.Mid(1);
            intervalToken = tail;
            break;
        }
        if (pos < 0)
            return false;
        const CString token = rest.Tokenize(",)", pos);
        if (token.IsEmpty() || stored >= 4)
            return false;
        double value = 0;
        if (kind == studies::kParamPriceField) {
            const int field = studies::FindPriceField(token);
            if (field < 0)
                return false;
            value = field;
        } else {
            value = std::atof(token);
        }
        params[stored++] = value;
    }
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
