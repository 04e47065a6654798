// Arbitrary bytes read as a formula library file (.qxf) and as a symbol list (.sym).
// A formula read back is written and read again unchanged; a symbol list holds no control
// characters and no blanks at its ends.
#include "alerts/FormulaLibraryFile.h"
#include "common/services/TextHelpers.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CString name = "unchanged";
    CString expression = "unchanged";
    CString error;
    if (ParseFormulaText(text, name, expression, error)) {
        if (name.IsEmpty() || expression.IsEmpty() || !error.IsEmpty())
            std::abort();
        CString again;
        CString againExpression;
        if (!ParseFormulaText(FormatFormulaXml(name, expression).view(), again, againExpression, error) ||
            again != name || againExpression != expression)
            std::abort();
    } else if (name != "unchanged" || expression != "unchanged") {
        std::abort();
    }

    const CString symbols = SymbolListFromText(text);
    for (int i = 0; i < symbols.GetLength(); ++i)
        if (static_cast<unsigned char>(symbols[i]) < 0x20)
            std::abort();
    if (!symbols.IsEmpty() && (symbols[0] == ' ' || symbols[symbols.GetLength() - 1] == ' '))
        std::abort();
    return 0;
}
