#include "views/ListLayout.h"

#include "platform/core/CArchive.h"
#include "platform/core/CSafeFile.h"
#include "platform/core/FileVersion.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <set>
#include <string>

namespace {

// A whole number with an optional sign, leading zeros allowed; false for anything else.
// Values beyond a million stay at a million, which no kind or width reaches.
bool ReadNumber(const std::string& part, int& value)
{
    constexpr int kCeiling = 1000000;
    size_t i = part[0] == '-' || part[0] == '+' ? 1 : 0;
    if (i >= part.size())
        return false;
    int magnitude = 0;
    for (size_t k = i; k < part.size(); ++k) {
        if (!std::isdigit(static_cast<unsigned char>(part[k])))
            return false;
        magnitude = std::min(magnitude * 10 + (part[k] - '0'), kCeiling);
    }
    value = part[0] == '-' ? -magnitude : magnitude;
    return true;
}

CString FileName(const CString& path)
{
    const int slash = path.ReverseFind('/');
    return slash >= 0 ? path.Mid(slash + 1) : path;
}

} // namespace

CString FormatListLayout(const std::vector<CListColumn>& columns)
{
    CString text;
    for (const CListColumn& column : columns) {
        CString pair;
        pair.Format("%d|%d", column.kind, column.width);
        if (!text.IsEmpty())
            text += "|";
        text += pair;
    }
    return text;
}

std::vector<CListColumn> ParseListLayout(const char* text, int kinds)
{
    std::vector<CListColumn> columns;
    if (!text)
        return columns;
    std::vector<std::string> parts;
    std::string part;
    for (const char* p = text;; ++p) {
        if (*p == '|' || *p == '\0') {
            parts.push_back(part);
            part.clear();
            if (*p == '\0')
                break;
        } else {
            part += *p;
        }
    }
    std::set<int> shown;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        int kind = 0, width = 0;
        if (parts[i].empty() || parts[i + 1].empty() || !ReadNumber(parts[i], kind) || !ReadNumber(parts[i + 1], width))
            break;
        if (kind < 0 || kind >= kinds)
            break;
        if (!shown.insert(kind).second)
            continue;
        columns.push_back({kind, std::clamp(width, 0, kMaxColumnWidth)});
    }
    return columns;
}

std::vector<CListColumn> DefaultListLayout(int kinds, const std::function<int(int kind)>& widthOf)
{
    std::vector<CListColumn> columns;
    for (int kind = 0; kind < kinds; ++kind)
        columns.push_back(
            {kind, std::clamp(widthOf ? std::max(widthOf(kind), kListColumnWidth) : kListColumnWidth, 0, kMaxColumnWidth)});
    return columns;
}

ELayoutFile ReadListLayoutFile(const CString& path, CString& text)
{
    text.Empty();
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path, "rb"), &std::fclose);
    if (!file)
        return ELayoutFile::kMissing;
    return ReadListLayoutLine(file.get(), text);
}

ELayoutFile ReadListLayoutLine(std::FILE* file, CString& text)
{
    text.Empty();
    std::string line;
    for (int c = std::fgetc(file); c != EOF && c != '\n'; c = std::fgetc(file)) {
        if (c == '\0' || line.size() >= static_cast<size_t>(kMaxLayoutLine))
            return ELayoutFile::kDamaged;
        line += static_cast<char>(c);
    }
    if (std::ferror(file))
        return ELayoutFile::kDamaged;
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
        line.pop_back();
    text = line.c_str();
    return ELayoutFile::kRead;
}

bool WriteListLayoutFile(const CString& path, const CString& text, CString& error)
{
    int osError = 0;
    const CString line = text + "\n";
    if (SaveFileSafely(
            path, [&](CArchive& ar) { ar.Write(line.GetString(), static_cast<UINT>(line.GetLength())); }, &osError))
        return true;
    error = WriteErrorMessage(FileName(path), osError);
    return false;
}
