#include "views/NewsKeys.h"

#include "broker/core/SymbolText.h"

#include <algorithm>

std::vector<CString> NewsKeysOf(const CString& symbols, bool allNews, bool hotNews)
{
    CString text = symbols;
    if (allNews)
        text += CString(" ") + kNewsKeyAll;
    if (hotNews)
        text += CString(" ") + kNewsKeyHot;
    std::vector<CString> keys;
    int pos = 0;
    for (;;) {
        const CString token = text.Tokenize(" ,\r\n\t", pos);
        if (pos < 0)
            break;
        const CString key = NormalizeSymbol(token);
        if (!key.IsEmpty() && std::find(keys.begin(), keys.end(), key) == keys.end())
            keys.push_back(key);
    }
    return keys;
}

CString NewsWindowTitle(const CString& symbols, bool hotNews, bool allNews, bool alertOn)
{
    CString middle = symbols;
    middle.Replace("\r\n", " ");
    middle.Replace("\r", " ");
    middle.Replace("\n", " ");
    middle.Trim();
    if (hotNews)
        middle += middle.IsEmpty() ? "HOT" : " HOT";
    if (allNews)
        middle += middle.IsEmpty() ? "ALL" : " ALL";
    CString title;
    if (middle.IsEmpty())
        title.Format("News (Alert %s)", alertOn ? "On" : "Off");
    else
        title.Format("News - %s (Alert %s)", middle.GetString(), alertOn ? "On" : "Off");
    if (title.GetLength() > kNewsTitleLimit)
        title = title.Left(kNewsTitleLimit) + "...";
    return title;
}
