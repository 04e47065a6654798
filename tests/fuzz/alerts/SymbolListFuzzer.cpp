// Any bytes as a symbol list file (.sym) read from disk and as text: both readers agree,
// the list holds no control characters and no blanks at its ends, and reading the list
// again gives it back.
#include "alerts/FormulaLibraryFile.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    static const std::string path = "/tmp/qx_symbol_list_fuzz_" + std::to_string(getpid()) + ".sym";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        const bool written = std::fwrite(data, 1, size, f) == size;
        std::fclose(f);
        CString symbols = "unchanged";
        CString error;
        const bool read = ReadSymbolListFile(path.c_str(), symbols, error);
        std::remove(path.c_str());
        if (written && size <= static_cast<size_t>(kMaxFormulaFileBytes))
            FuzzCheck(read && symbols == SymbolListFromText(text));
        if (!read)
            FuzzCheck(symbols == "unchanged" && !error.IsEmpty());
    }
    const CString symbols = SymbolListFromText(text);
    for (int i = 0; i < symbols.GetLength(); ++i)
        FuzzCheck(static_cast<unsigned char>(symbols[i]) >= 0x20);
    FuzzCheck(symbols.IsEmpty() || (symbols[0] != ' ' && symbols[symbols.GetLength() - 1] != ' '));
    FuzzCheck(SymbolListFromText(symbols.view()) == symbols);
    return 0;
}
