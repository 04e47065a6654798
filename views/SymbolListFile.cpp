#include "views/SymbolListFile.h"

#include "platform/core/CArchive.h"
#include "platform/core/CSafeFile.h"
#include "platform/core/FileVersion.h"

#include <fstream>
#include <sstream>

std::vector<CString> ParseSymbolList(const CString& text)
{
    std::vector<CString> symbols;
    int start = 0;
    const int length = text.GetLength();
    while (start < length) {
        int end = text.Find('\n', start);
        if (end < 0)
            end = length;
        CString line = text.Mid(start, end - start);
        line.Trim(); // drops the CR of CR LF and blanks
        if (!line.IsEmpty())
            symbols.push_back(line);
        start = end + 1;
    }
    return symbols;
}

bool ReadSymbolList(const CString& path, std::vector<CString>& symbols, CString& error)
{
    symbols.clear();
    std::ifstream in(path.GetString(), std::ios::binary);
    if (!in) {
        error = "Error reading symbol list " + path;
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size > kMaxSymbolListBytes) {
        error = "Error reading symbol list " + path + ": the file is too large.";
        return false;
    }
    in.seekg(0, std::ios::beg);
    std::string bytes(static_cast<size_t>(size), '\0');
    if (size > 0 && !in.read(bytes.data(), size)) {
        error = "Error reading symbol list " + path;
        return false;
    }
    symbols = ParseSymbolList(CString(bytes));
    return true;
}

bool WriteSymbolList(const CString& path, const std::vector<CString>& symbols, CString& error)
{
    int osError = 0;
    const bool ok = SaveFileSafely(
        path,
        [&](CArchive& ar) {
            for (const CString& symbol : symbols) {
                const CString line = symbol + "\n";
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

CString SymbolListTitle(const CString& path)
{
    const int slash = path.ReverseFind('/');
    CString name = slash >= 0 ? path.Mid(slash + 1) : path;
    const int dot = name.ReverseFind('.');
    if (dot > 0)
        name = name.Left(dot);
    return name + " Symbol List";
}
