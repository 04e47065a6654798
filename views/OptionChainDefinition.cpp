#include "views/OptionChainDefinition.h"

#include "broker/core/SymbolText.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kTypeNames[kChainTypeCount] = {
    "Calls And Puts", "Calls",   "Puts",      "Vertical Call Spreads", "Vertical Put Spreads",
    "Calendar Call Spreads", "Calendar Put Spreads", "Straddles", "Strangles", "Buy/Write"};
const char* const kTypeCodes[kChainTypeCount] = {"CP", "C", "P", "VCS", "VPS", "CCS", "CPS", "STDL", "STGL", "BW"};
const char* const kRangeNames[kRangeCount] = {"Near The Money", "In The Money", "Out of The Money", "All"};
const char* const kRangeCodes[kRangeCount] = {"N", "I", "O", "ALL"};
const char* const kSpecialNames[kSpecialExpirationCount] = {"Weekly", "All", "Leaps", "All + Leaps"};
const char* const kSpecialCodes[kSpecialExpirationCount] = {"W", "A", "L", "AL"};
const char* const kIntervals[kIntervalCount] = {"Default", "2.5", "5", "7.5", "10", "12.5", "All"};
const char* const kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                 "July",    "August",   "September", "October", "November", "December"};

// Whole texts compare: a code with bytes after a NUL matches nothing.
template <size_t N>
int FindIn(const char* const (&table)[N], const CString& text)
{
    for (size_t i = 0; i < N; ++i)
        if (text == table[i])
            return static_cast<int>(i);
    return -1;
}

template <size_t N>
const char* At(const char* const (&table)[N], int index)
{
    return index >= 0 && index < static_cast<int>(N) ? table[index] : "";
}

bool IsNumber(const CString& text, double& value)
{
    CString t = text;
    t.Trim();
    if (t.IsEmpty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(t, &end);
    return errno == 0 && end && *end == '\0';
}

// A symbol as the definition can carry it: printable, without blanks, commas or colons.
bool IsSymbolText(const CString& text)
{
    if (text.IsEmpty())
        return false;
    for (int i = 0; i < text.GetLength(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c <= ' ' || c >= 0x7F || c == ',' || c == ':')
            return false;
    }
    return true;
}

// A "YYYYMM" expiration code: its year and month (1..12).
bool ParseMonthCode(const CString& code, int& year, int& month)
{
    if (code.GetLength() != 6)
        return false;
    for (int i = 0; i < 6; ++i)
        if (code[i] < '0' || code[i] > '9')
            return false;
    year = std::atoi(code.Left(4));
    month = std::atoi(code.Mid(4));
    return month >= 1 && month <= 12;
}

} // namespace

const char* ChainTypeName(int index) { return At(kTypeNames, index); }
const char* ChainTypeCode(int index) { return At(kTypeCodes, index); }
const char* RangeName(int index) { return At(kRangeNames, index); }
const char* RangeCode(int index) { return At(kRangeCodes, index); }
const char* SpecialExpirationName(int index) { return At(kSpecialNames, index); }
const char* SpecialExpirationCode(int index) { return At(kSpecialCodes, index); }
const char* ChainIntervalText(int index) { return At(kIntervals, index); }
const char* MonthName(int month) { return At(kMonths, month - 1); }
int FindChainTypeCode(const CString& code) { return FindIn(kTypeCodes, code); }
int FindRangeCode(const CString& code) { return FindIn(kRangeCodes, code); }
int FindSpecialExpirationCode(const CString& code) { return FindIn(kSpecialCodes, code); }
int FindChainInterval(const CString& text) { return FindIn(kIntervals, text); }

std::vector<CString> ExpirationMonthEntries(const CTime& now)
{
    std::vector<CString> entries;
    int year = now.GetYear();
    int month = now.GetMonth();
    for (int i = 0; i < kExpirationMonths; ++i) {
        CString entry;
        entry.Format("%s %d", MonthName(month), year);
        entries.push_back(entry);
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    return entries;
}

COptionChainFields ParseChainDefinition(const CString& definition)
{
    COptionChainFields fields;
    std::vector<CString> parts;
    int start = 0;
    for (;;) {
        const CString part = definition.Tokenize(",", start);
        if (start < 0)
            break;
        if (!part.IsEmpty())
            parts.push_back(part);
    }
    fields.fieldCount = static_cast<int>(parts.size());
    if (parts.empty())
        return fields;
    fields.kind = parts[0];
    if (fields.kind != kOptionChainKind)
        return fields;
    CString* targets[] = {&fields.underlying, &fields.chainType, &fields.range, &fields.expiration,
                          &fields.strikeText, &fields.interval};
    for (size_t i = 1; i < parts.size() && i <= 6; ++i)
        *targets[i - 1] = parts[i];
    fields.underlying = NormalizeSymbol(fields.underlying);
    fields.strike = std::atof(fields.strikeText);
    return fields;
}

bool IsValidChainDefinition(const CString& definition, CString* why)
{
    const COptionChainFields f = ParseChainDefinition(definition);
    auto fail = [why](const char* text) {
        if (why)
            *why = text;
        return false;
    };
    if (f.kind != kOptionChainKind)
        return fail("not an option chain");
    if (f.fieldCount < 6 || f.underlying.IsEmpty())
        return fail("fields are missing");
    if (!IsSymbolText(f.underlying))
        return fail("the underlying is no symbol");
    if (FindChainTypeCode(f.chainType) < 0)
        return fail("unknown chain type");
    if (FindRangeCode(f.range) < 0)
        return fail("unknown range");
    int year = 0, month = 0;
    if (FindSpecialExpirationCode(f.expiration) < 0 && !ParseMonthCode(f.expiration, year, month))
        return fail("unknown expiration");
    double strike = 0;
    if (!IsNumber(f.strikeText, strike))
        return fail("the strike is no number");
    if (!f.interval.IsEmpty() && FindChainInterval(f.interval) < 0)
        return fail("unknown interval");
    return true;
}

bool ChoiceFromDefinition(const CString& definition, COptionChainChoice& choice)
{
    if (!IsValidChainDefinition(definition))
        return false;
    const COptionChainFields f = ParseChainDefinition(definition);
    const int type = FindChainTypeCode(f.chainType);
    if (type >= kDialogChainTypes)
        return false;
    choice.symbol = f.underlying;
    choice.chainType = type;
    choice.range = FindRangeCode(f.range);
    const int special = FindSpecialExpirationCode(f.expiration);
    if (special >= 0) {
        choice.expiration = SpecialExpirationName(special);
    } else {
        int year = 0, month = 0;
        ParseMonthCode(f.expiration, year, month);
        choice.expiration.Format("%s %s", MonthName(month), f.expiration.Left(4).GetString());
    }
    choice.strike.Empty();
    if (f.strike != 0)
        choice.strike.Format("%.2lf", f.strike);
    choice.interval = f.interval.IsEmpty() ? 0 : FindChainInterval(f.interval);
    return true;
}

CString CheckChoice(const COptionChainChoice& choice)
{
    CString symbol = choice.symbol;
    symbol.Trim();
    if (symbol.IsEmpty())
        return "Please specify a symbol";
    CString strike = choice.strike;
    strike.Trim();
    if (choice.chainType == 0 && choice.range == 3 && choice.expiration.Left(3) == "All" && strike.IsEmpty())
        return "Please filter the option chain by ONE of the following:\n\n- Type: (Calls or Puts) OR\n- Range: (Near "
               "the Money, In the Money, or Out of the Money) OR\n- Expiration: (select month) OR\n- Strike\n";
    double value = 0;
    if (!strike.IsEmpty() && !IsNumber(strike, value))
        return "Please enter the strike as a number.";
    return CString();
}

CString BuildDefinition(const COptionChainChoice& choice)
{
    const char* type = ChainTypeCode(choice.chainType);
    const char* range = RangeCode(choice.range);
    if (!*type || !*range)
        return CString();
    CString expiration;
    for (int i = 0; i < kSpecialExpirationCount && expiration.IsEmpty(); ++i)
        if (choice.expiration == SpecialExpirationName(i))
            expiration = SpecialExpirationCode(i);
    if (expiration.IsEmpty()) {
        // "<Month> <Year>": the year is the last four characters.
        const CString& text = choice.expiration;
        for (int month = 1; month <= 12 && expiration.IsEmpty(); ++month) {
            const CString name = MonthName(month);
            if (text.GetLength() == name.GetLength() + 5 && text.Left(name.GetLength()) == name &&
                text[name.GetLength()] == ' ') {
                const CString year = text.Right(4);
                bool digits = true;
                for (int i = 0; i < 4; ++i)
                    digits = digits && year[i] >= '0' && year[i] <= '9';
                if (digits)
                    expiration.Format("%s%02d", year.GetString(), month);
            }
        }
    }
    if (expiration.IsEmpty())
        return CString();
    CString symbol = choice.symbol;
    symbol.Trim();
    CString strike = choice.strike;
    strike.Trim();
    double value = 0;
    if (strike.IsEmpty())
        strike = "0";
    else if (!IsNumber(strike, value))
        return CString();
    if (symbol.Find(',') >= 0 || !IsSymbolText(NormalizeSymbol(symbol)))
        return CString();
    CString definition;
    definition.Format("OptionChain,%s,%s,%s,%s,%s", symbol.GetString(), type, range, expiration.GetString(),
                      strike.GetString());
    if (choice.intervalShown) {
        const char* interval = ChainIntervalText(choice.interval);
        if (!*interval)
            return CString();
        definition += ",";
        definition += interval;
    }
    return definition;
}
