// Arbitrary text as a symbol list file, an option-chain definition and an actives key.
// Nothing reads outside its tables; what a definition gives the dialog builds back into a
// definition the window accepts.
#include "broker/session/CActivesHandle.h"
#include "broker/session/CQuoteStore.h"
#include "views/ActivesKey.h"
#include "views/OptionChainDefinition.h"
#include "views/OptionChainSet.h"
#include "views/SymbolListFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const CString text(std::string(reinterpret_cast<const char*>(data), size));
    for (const CString& symbol : ParseSymbolList(text))
        if (symbol.IsEmpty() || symbol.Find('\n') >= 0)
            std::abort();

    OptionChainSet set(text, nullptr);
    set.GetCount();
    COptionChainChoice choice;
    if (ChoiceFromDefinition(text, choice)) {
        const CString built = BuildDefinition(choice);
        if (!IsValidChainDefinition(built))
            std::abort();
    }

    static CQuoteStore store;
    CActivesHandle handle(store, text);
    const CString title = FormatActivesTitle(&handle);
    if (title.Left(7) != "Actives")
        std::abort();
    if (IsValidActivesKey(text)) {
        const int exchange = FindActivesExchange(handle.GetExchangeKey());
        const int interval = FindActivesInterval(handle.GetIntervalKey());
        if (MakeActivesKey(exchange, interval, handle.GetType()) != text)
            std::abort();
    }
    return 0;
}
