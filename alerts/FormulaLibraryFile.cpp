#include "alerts/FormulaLibraryFile.h"

#include "common/services/TextFiles.h"
#include "common/services/TextHelpers.h"
#include "platform/core/XmlHelpers.h"

#include <string>

bool WriteFormulaFile(const char* path, const char* name, const char* expression, CString& error)
{
    return WriteTextFileSafely(path, FormatFormulaXml(name, expression), error, "Error writing file ");
}

bool ParseFormulaText(std::string_view text, CString& name, CString& expression, CString& error)
{
    error.Empty();
    TiXmlDocument doc;
    XmlReadOptions options;
    options.latin1 = true;
    CString reason;
    if (!ParseXml(doc, text, &reason, options)) {
        error.Format("Error parsing formula: %s", reason.GetString());
        return false;
    }
    const CString foundName = GetElementText(FindChildNoCase(&doc, "Name", true));
    const CString foundExpression = GetElementText(FindChildNoCase(&doc, "Expression", true));
    if (foundName.IsEmpty() || foundExpression.IsEmpty())
        return false;
    name = foundName;
    expression = foundExpression;
    return true;
}

bool ReadFormulaFile(const char* path, CString& name, CString& expression, CString& error)
{
    std::string text;
    if (!ReadBoundedTextFile(path, static_cast<size_t>(kMaxFormulaFileBytes), text, error, "Error openning file "))
        return false;
    return ParseFormulaText(text, name, expression, error);
}

CString SymbolListFromText(std::string_view text)
{
    CString symbols;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        CString line(text.substr(start, end - start));
        start = end + 1;
        for (int i = 0; i < line.GetLength(); ++i)
            if (static_cast<unsigned char>(line[i]) < 0x20)
                line.SetAt(i, ' ');
        line.Trim(' ');
        if (line.IsEmpty())
            continue;
        if (!symbols.IsEmpty())
            symbols += " ";
        symbols += line;
    }
    return symbols;
}

bool ReadSymbolListFile(const char* path, CString& symbols, CString& error)
{
    std::string text;
    if (!ReadBoundedTextFile(path, static_cast<size_t>(kMaxFormulaFileBytes), text, error, "Error openning file ")) {
        error = CString("Error reading file ") + path;
        return false;
    }
    symbols = SymbolListFromText(text);
    return true;
}
