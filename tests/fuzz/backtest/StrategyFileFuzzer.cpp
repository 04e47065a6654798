// Arbitrary bytes read as a strategy library file (.qxs). A strategy read is written and
// read again unchanged (the writer escapes what it must); a failure leaves the record.
#include "backtest/CStrategyDefinition.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CStrategyDefinition read;
    read.m_name = "unchanged";
    const CStrategyDefinition before = read;
    CString error;
    if (!ParseStrategyText(text, read, error)) {
        if (!(read == before) || error.Find("Error parsing strategy: ") != 0)
            std::abort();
        return 0;
    }
    read.m_nOverrideInterval = read.m_nOverrideInterval ? 1 : 0;  // written as 0 or 1
    // Texts the parser does not hand back whole (line ends, entities) do not come back.
    for (const CString* t : {&read.m_name, &read.m_entryName, &read.m_exitName, &read.m_entryExpression,
                             &read.m_exitExpression, &read.m_entryFlag, &read.m_entryAction, &read.m_exitAction,
                             &read.m_interval, &read.m_entryPriceType, &read.m_exitPriceType})
        if (t->Find('\r') >= 0 || t->Find('\n') >= 0 || t->Find('&') >= 0 || t->Find('<') >= 0)
            return 0;
    // The fixed words are plain element texts, whose runs of white space the parser
    // condenses; the dialogs only offer words without them.
    for (const CString* t : {&read.m_entryFlag, &read.m_entryAction, &read.m_exitAction, &read.m_interval,
                             &read.m_entryPriceType, &read.m_exitPriceType}) {
        const std::string& v = t->str();
        if (v.find("  ") != std::string::npos || v.find('\t') != std::string::npos ||
            (!v.empty() && (v.front() == ' ' || v.back() == ' ')))
            return 0;
    }
    CStrategyDefinition again;
    if (!ParseStrategyText(read.ToXml().view(), again, error))
        std::abort();
    // Empty elements read as unchanged (fresh) fields, which compare equal anyway.
    if (!(again == read))
        std::abort();
    return 0;
}
