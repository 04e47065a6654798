#include "common/services/TextHelpers.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <cstring>
#include <string_view>

namespace {
bool parseUnsigned(std::string_view text, double& out)
{
    if (text.empty())
        return false;
    double value = 0;
    for (char ch : text) {
        if (!std::isdigit(static_cast<unsigned char>(ch)))
            return false;
        value = value * 10 + (ch - '0');
    }
    out = value;
    return true;
}

bool parseFraction(std::string_view text, double& out)
{
    const size_t slash = text.find('/');
    if (slash == std::string_view::npos)
        return false;
    double numerator = 0, denominator = 0;
    if (!parseUnsigned(text.substr(0, slash), numerator) || !parseUnsigned(text.substr(slash + 1), denominator))
        return false;
    out = denominator == 0 ? 0.0 : numerator / denominator;
    return true;
}

bool parseDecimal(std::string_view text, double& out)
{
    if (text.empty())
        return false;
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(value))
        return false;
    out = value;
    return true;
}

const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
}  // namespace

CString EscapeOperatorChars(const char* name)
{
    CString result;
    for (const char* p = name ? name : ""; *p; ++p) {
        if (*p == '%')
            result += "Pct";
        else if (!std::strchr("+-*/^<=>&|() ", *p))
            result += *p;
    }
    return result;
}

CString FormatTrimmedDouble(double value)
{
    CString text;
    text.Format("%.4lf", value);
    if (text.Find('.') >= 0) {
        text.TrimRight('0');
        text.TrimRight('.');
    }
    if (text == "-0")
        text = "0";
    return text;
}

int GetSymbolKind(const char* symbol)
{
    const std::string_view text(symbol ? symbol : "");
    if (text.empty())
        return kSymbolStock;
    if (text[0] == '+')
        return kSymbolOption;
    if (text[0] == '$')
        return kSymbolIndex;
    if (text.size() >= 10 && text.find('_', 1) != std::string_view::npos)
        return kSymbolOption;
    return kSymbolStock;
}

double ParseMixedFraction(const char* text)
{
    CString trimmed(text);
    trimmed.Trim();
    std::string_view body = trimmed.view();
    double sign = 1.0;
    if (!body.empty() && (body[0] == '-' || body[0] == '+')) {
        sign = body[0] == '-' ? -1.0 : 1.0;
        body.remove_prefix(1);
    }
    double whole = 0, fraction = 0;
    const size_t blank = body.find(' ');
    if (blank != std::string_view::npos) {
        std::string_view rest = body.substr(blank + 1);
        while (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
        if (parseUnsigned(body.substr(0, blank), whole) && parseFraction(rest, fraction))
            return sign * (whole + fraction);
        return 0.0;
    }
    if (parseFraction(body, fraction))
        return sign * fraction;
    double value = 0;
    if (parseDecimal(body, value))
        return sign * value;
    return 0.0;
}

namespace {

// The count of "N minute" or "N minutes" (any case, blanks around), N from 1 to 1000000
// without a leading zero; 0 for other text.
long MinutesOfName(const CString& name)
{
    CString t = name;
    t.Trim();
    const char* p = t.GetString();
    if (*p < '1' || *p > '9')
        return 0;
    char* end = nullptr;
    const long count = std::strtol(p, &end, 10);
    if (count <= 0 || count > 1000000 || *end != ' ')
        return 0;
    const CString unit(end + 1);
    return unit.CompareNoCase("minute") == 0 || unit.CompareNoCase("minutes") == 0 ? count : 0;
}

}  // namespace

CString PeriodNameToCode(const char* name)
{
    const CString text(name);
    if (text.CompareNoCase("Tick") == 0)
        return CString("0");
    for (const char* period : {"Daily", "Weekly", "Monthly", "Quarterly", "Yearly"}) {
        if (text.CompareNoCase(period) == 0)
            return CString(period[0], 1);
    }
    // The minutes' own name, so that a name never turns into "5 minutes minutes".
    if (const long minutes = MinutesOfName(text))
        return CString(std::to_string(minutes).c_str());
    return text;
}

CString PeriodDisplayName(const char* code)
{
    return CString(code) == "0" ? CString("Tick") : PeriodCodeToName(code);
}

bool IsPeriodText(const char* text)
{
    CString t(text);
    t.Trim();
    if (t.IsEmpty())
        return false;
    if (PeriodNameToCode(t) != t || t == "0")
        return true;  // a period's name, a count of minutes with its unit, or the tick code
    const CString name = PeriodCodeToName(t);
    if (name != t && t.GetLength() == 1 && !std::isdigit(static_cast<unsigned char>(t[0])))
        return true;  // a letter code
    // Minutes: the code is the count itself.
    char* end = nullptr;
    const long minutes = std::strtol(t, &end, 10);
    return t[0] != '0' && minutes > 0 && minutes <= 1000000 && *end == '\0';
}

CString PeriodCodeToName(const char* code)
{
    const CString text(code);
    if (text.IsEmpty())
        return text;
    if (text[0] >= '1' && text[0] <= '9') {
        if (MinutesOfName(text))
            return PeriodCodeToName(PeriodNameToCode(text));  // already a name
        for (char c : text.view())
            if (!std::isdigit(static_cast<unsigned char>(c)))
                return text;
        return text + (text == "1" ? " minute" : " minutes");
    }
    if (text.GetLength() == 1) {
        switch (std::toupper(static_cast<unsigned char>(text[0]))) {
        case 'D': return CString("Daily");
        case 'W': return CString("Weekly");
        case 'M': return CString("Monthly");
        case 'Q': return CString("Quarterly");
        case 'Y': return CString("Yearly");
        default: break;
        }
    }
    return text;
}

bool TrimAndTest(CString& text)
{
    text.Trim(' ');
    return !text.IsEmpty();
}

bool SameAccountName(const char* a, const char* b)
{
    auto stripMain = [](const char* name) {
        CString text(name);
        constexpr const char* kSuffix = " (main)";
        const int n = static_cast<int>(std::strlen(kSuffix));
        if (text.GetLength() >= n && text.Right(n).CompareNoCase(kSuffix) == 0)
            text = text.Left(text.GetLength() - n);
        return text;
    };
    return stripMain(a).CompareNoCase(stripMain(b)) == 0;
}

CString DescribeOptionSymbol(const char* symbol)
{
    // "+" ROOT YYMMDD (C|P) and the strike in thousandths as eight digits.
    const CString text(symbol);
    std::string_view body = text.view();
    if (body.empty() || body[0] != '+')
        return text;
    body.remove_prefix(1);
    constexpr size_t kTail = 6 + 1 + 8;
    if (body.size() <= kTail)
        return text;
    const std::string_view root = body.substr(0, body.size() - kTail);
    const std::string_view date = body.substr(root.size(), 6);
    const char side = body[root.size() + 6];
    const std::string_view strike = body.substr(root.size() + 7);
    double year = 0, month = 0, day = 0, thousandths = 0;
    if (!parseUnsigned(date.substr(0, 2), year) || !parseUnsigned(date.substr(2, 2), month) ||
        !parseUnsigned(date.substr(4, 2), day) || !parseUnsigned(strike, thousandths) || (side != 'C' && side != 'P') ||
        month < 1 || month > 12 || day < 1 || day > 31)
        return text;
    CString description;
    description.Format("%s %s %02d %d %s %s", std::string(root), kMonthNames[static_cast<int>(month) - 1],
                       static_cast<int>(day), 2000 + static_cast<int>(year), FormatTrimmedDouble(thousandths / 1000.0),
                       side == 'C' ? "Call" : "Put");
    return description;
}

CString MakeCData(const char* text)
{
    CString body(text);
    body.Replace("]]>", "]]]]><![CDATA[>");
    return "<![CDATA[" + body + "]]>";
}

CString FormatFormulaXml(const char* name, const char* expression)
{
    CString xml;
    xml.Format("<Formula>\r\n<Version>%d</Version>\r\n", 19);
    xml += "<Name>" + MakeCData(name) + "</Name>\r\n";
    xml += "<Expression>" + MakeCData(expression) + "</Expression>\r\n";
    xml += "</Formula>";
    return xml;
}

int CompareVersions(const char* a, const char* b)
{
    std::string_view left = a ? a : "";
    std::string_view right = b ? b : "";
    // The next part's number, with leading zeros and any suffix ("1-beta") ignored.
    auto nextPart = [](std::string_view& text) {
        const size_t dot = text.find('.');
        std::string_view part = text.substr(0, dot);
        text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
        while (!part.empty() && part.front() == ' ')
            part.remove_prefix(1);
        size_t digits = 0;
        while (digits < part.size() && std::isdigit(static_cast<unsigned char>(part[digits])))
            ++digits;
        part = part.substr(0, digits);
        while (part.size() > 1 && part.front() == '0')
            part.remove_prefix(1);
        return part;
    };
    while (!left.empty() || !right.empty()) {
        const std::string_view x = nextPart(left);
        const std::string_view y = nextPart(right);
        // Equal-length digit strings compare as numbers; longer is larger (no overflow).
        const std::string_view xs = x.empty() ? "0" : x;
        const std::string_view ys = y.empty() ? "0" : y;
        if (xs.size() != ys.size())
            return xs.size() < ys.size() ? -1 : 1;
        if (const int c = xs.compare(ys); c != 0)
            return c < 0 ? -1 : 1;
    }
    return 0;
}
