#include "views/GridExport.h"

#include "platform/core/CArchive.h"
#include "platform/core/CSafeFile.h"
#include "platform/core/FileVersion.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// A number as the grid writes it: digits with "," groups, an optional sign and point.
bool LooksNumeric(const CString& text)
{
    CString t = text;
    t.Remove(',');
    if (t.IsEmpty())
        return false;
    char* end = nullptr;
    errno = 0;
    std::strtod(t, &end);
    return errno == 0 && end && *end == '\0' && !std::isspace(static_cast<unsigned char>(t[0]));
}

} // namespace

CString ExportField(const CString& text, char separator)
{
    CString field = text;
    if (!field.IsEmpty()) {
        const char first = field[0];
        if (first == '=' || first == '+' || first == '@' || (first == '-' && !LooksNumeric(field)))
            field = " " + field;
    }
    const bool quote = field.Find(separator) >= 0 || field.Find('"') >= 0 || field.Find('\n') >= 0 ||
                       field.Find('\r') >= 0;
    if (!quote)
        return field;
    field.Replace("\"", "\"\"");
    return "\"" + field + "\"";
}

CString ExportLine(const std::vector<CString>& fields, char separator)
{
    CString line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += separator;
        line += ExportField(fields[i], separator);
    }
    line += "\n";
    return line;
}

bool WriteExportFile(const CString& path, char separator, const std::vector<CString>& header,
                     const std::vector<std::vector<CString>>& rows, CString& error)
{
    int osError = 0;
    const bool ok = SaveFileSafely(
        path,
        [&](CArchive& ar) {
            const CString head = ExportLine(header, separator);
            ar.Write(head.GetString(), static_cast<UINT>(head.GetLength()));
            for (const auto& row : rows) {
                const CString line = ExportLine(row, separator);
                ar.Write(line.GetString(), static_cast<UINT>(line.GetLength()));
            }
        },
        &osError);
    if (!ok) {
        const int slash = path.ReverseFind('/');
        error = WriteErrorMessage(slash >= 0 ? path.Mid(slash + 1) : path, osError);
    }
    return ok;
}
