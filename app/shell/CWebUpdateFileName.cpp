#include "app/shell/CWebUpdateFileName.h"

#include <algorithm>

CString FileNameOfUrl(const CString& url)
{
    constexpr int kMaxName = 128;
    CString path = url;
    const int query = path.FindOneOf("?#");
    if (query >= 0)
        path = path.Left(query);
    const int slash = std::max(path.ReverseFind('/'), path.ReverseFind('\\'));
    const CString name = slash >= 0 ? path.Mid(slash + 1) : path;
    CString safe;
    for (const char c : name.view()) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                           c == '_' || c == '-' || c == '+';
        if (plain && !(safe.IsEmpty() && c == '.') && safe.GetLength() < kMaxName)
            safe += c;
    }
    return safe.IsEmpty() ? CString("QxUpdate.bin") : safe;
}
