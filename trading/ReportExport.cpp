#include "trading/ReportExport.h"

#include "platform/core/CArchive.h"
#include "platform/core/CSafeFile.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

// A number as spreadsheets read one: a sign, a "$", digits with "," and one ".", a "%".
bool LooksNumeric(const std::string& text)
{
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    if (i < text.size() && text[i] == '$')
        ++i;
    bool digit = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c == ',' && !point)
            continue;
        else if (c == '.' && !point)
            point = true;
        else
            break;
    }
    if (i < text.size() && text[i] == '%')
        ++i;
    return digit && i == text.size();
}

bool StartsFormula(char c)
{
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

}  // namespace

CString ExportCell(const CString& text, char separator, bool blankBeforePlus)
{
    std::string cell = text.str();
    if (!cell.empty() && StartsFormula(cell.front()) && !LooksNumeric(cell))
        cell.insert(0, 1, '\'');
    else if (blankBeforePlus && !cell.empty() && cell.front() == '+')
        cell.insert(0, 1, ' ');
    if (cell.find_first_of(std::string{separator, '"', '\r', '\n'}) != std::string::npos) {
        std::string quoted = "\"";
        for (char c : cell) {
            if (c == '"')
                quoted += '"';
            quoted += c;
        }
        quoted += '"';
        cell.swap(quoted);
    }
    return CString(cell);
}

bool WriteReportExport(const CString& path, char separator, const std::vector<CExportRow>& rows,
                       bool blankBeforePlus, CString& error)
{
    std::string text;
    for (const CExportRow& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i > 0)
                text += separator;
            text += ExportCell(row[i], separator, blankBeforePlus).str();
        }
        text += '\n';
    }
    int osError = 0;
    const bool written = SaveFileSafely(
        path, [&](CArchive& ar) { ar.Write(text.data(), static_cast<UINT>(text.size())); }, &osError);
    if (written) {
        error.Empty();
        return true;
    }
    error = osError > 0 ? CString(std::strerror(osError)) : CString("the file could not be written");
    return false;
}
