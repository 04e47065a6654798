#include "analytics/formula/CFunctionCall.h"

#include "analytics/formula/FormulaNames.h"
#include "analytics/series/SeriesKey.h"
#include "analytics/studies/StudyTable.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

bool IsDigits(const char* text)
{
    if (!*text)
        return false;
    for (; *text; ++text)
        if (!std::isdigit(static_cast<unsigned char>(*text)))
            return false;
    return true;
}

bool IsIntegerText(const char* text)
{
    return IsDigits(*text == '-' ? text + 1 : text);
}

// A number: optional "-", digits with at most one "." and at least one digit.
bool IsStrictNumber(const char* text)
{
    if (*text == '-')
        ++text;
    int digits = 0, points = 0;
    for (; *text; ++text) {
        if (std::isdigit(static_cast<unsigned char>(*text)))
            ++digits;
        else if (*text == '.' && ++points == 1)
            continue;
        else
            return false;
    }
    return digits > 0;
}

bool IsIntervalText(const char* text)
{
    static const char* const kLetters[] = {"D", "W", "M", "Q", "Y"};
    for (const char* letter : kLetters)
        if (std::strcmp(text, letter) == 0)
            return true;
    if (!IsDigits(text) || std::strlen(text) > 4)
        return false;
    return std::atoi(text) <= 7199;
}

// Parameters as numbers for the study's range check; false when a value is out of range.
bool WithinStudyLimits(const CFormulaFunction& function, const std::vector<CString>& params)
{
    const int type = studies::FindStudyTypeByName(function.shortName, static_cast<int>(std::strlen(function.shortName)));
    if (type < 0 || type == studies::kBar)
        return true;
    double values[4] = {};
    for (int i = 0; i < function.paramCount - 1 && i < 4; ++i) {
        const char* text = params[static_cast<size_t>(i)];
        values[i] = function.params[static_cast<size_t>(i)] == kParamSource ? studies::FindPriceField(text)
                                                                             : std::atof(text);
    }
    return studies::ValidateStudyParams(type, values);
}

} // namespace

bool IsFormulaSymbolText(const char* text)
{
    return IsSeriesSymbolText(text);
}

bool CheckFunctionArgs(const char* args, const CFormulaFunction& function, CFunctionCall& call, CString& error)
{
    std::vector<CString> tokens;
    for (const char* p = args;;) {
        const char* comma = std::strchr(p, ',');
        const size_t length = comma ? static_cast<size_t>(comma - p) : std::strlen(p);
        if (length)
            tokens.emplace_back(std::string(p, length).c_str());
        if (!comma)
            break;
        p = comma + 1;
    }
    const int n = function.paramCount;
    const int count = static_cast<int>(tokens.size());
    if (count < n + 1 || count > n + 3) {
        error.Format("%d parameters required, 2 optional", n + 1);
        return false;
    }
    if (!IsFunctionOutput(function, tokens[0])) {
        error.Format("%s is not a valid field name", tokens[0].GetString());
        return false;
    }
    for (int i = 0; i < n; ++i) {
        const CString& token = tokens[static_cast<size_t>(i + 1)];
        const char* text = token.GetString();
        const char* message = nullptr;
        switch (function.params[static_cast<size_t>(i)]) {
        case kParamSource:
            if (studies::FindPriceField(text) < 0)
                message = "%s is not a valid <Source> parameter";
            break;
        case kParamNumber:
            if (!IsStrictNumber(text))
                message = "%s is not a number";
            break;
        case kParamInteger:
            if (!IsIntegerText(text))
                message = "%s is not an integer";
            break;
        case kParamBoolean:
            if (std::strcmp(text, "0") != 0 && std::strcmp(text, "1") != 0)
                message = "%s is not a boolean (0 or 1)";
            break;
        case kParamInterval:
            if (!IsIntervalText(text))
                message = "%s is not a valid <Interval> parameter";
            break;
        default: break;
        }
        if (message) {
            error.Format(message, text);
            return false;
        }
    }
    call.m_params.assign(tokens.begin() + 1, tokens.begin() + 1 + n);
    if (!WithinStudyLimits(function, call.m_params)) {
        error.Format("parameters out of range for %s", function.shortName);
        return false;
    }
    call.m_nBarOffset = 0;
    if (count >= n + 2) {
        const CString& offset = tokens[static_cast<size_t>(n + 1)];
        const char* digits = offset[0] == '-' ? offset.GetString() + 1 : offset.GetString();
        if (!IsIntegerText(offset)) {
            error.Format("%s is not an integer", offset.GetString());
            return false;
        }
        if (std::strlen(digits) > 6 || std::atoi(digits) > kMaxFormulaBarOffset) {
            error.Format("%s is out of range for a bar offset", offset.GetString());
            return false;
        }
        call.m_nBarOffset = std::atoi(digits);
    }
    call.m_symbol.Empty();
    if (count == n + 3) {
        if (!IsFormulaSymbolText(tokens[static_cast<size_t>(n + 2)])) {
            error.Format("%s is not a valid symbol", tokens[static_cast<size_t>(n + 2)].GetString());
            return false;
        }
        call.m_symbol = tokens[static_cast<size_t>(n + 2)];
    }
    call.m_function = function.shortName;
    call.m_output = tokens[0];
    return true;
}
