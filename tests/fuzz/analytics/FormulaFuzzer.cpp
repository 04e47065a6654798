// Arbitrary text through the formula pre-pass, parser and argument checks. A text that
// compiles must give a well-formed postfix list, whose operators are applied to the values.
#include "analytics/formula/FormulaNames.h"
#include "analytics/formula/FormulaOperators.h"
#include "analytics/formula/FormulaParser.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool initialised = (InitFormulaNames(), true);
    static_cast<void>(initialised);
    const std::string text(reinterpret_cast<const char*>(data), size);
    CFormulaItemArray items;
    CString error;
    const bool ok = CompileFormulaText(text.c_str(), items, error);
    if (ok != error.IsEmpty() || (!ok && !items.empty()))
        std::abort();
    if (!ok)
        return 0;
    // Every operator finds two operands and one value is left.
    std::vector<double> stack;
    for (const auto& item : items) {
        if (item->m_nKind == kItemOperator) {
            if (stack.size() < 2)
                std::abort();
            const double right = stack.back();
            stack.pop_back();
            double result = 0;
            if (!ApplyFormulaOperator(static_cast<CFormulaOperatorItem*>(item.get())->m_nCode, stack.back(), right,
                                      result))
                result = 0;
            stack.back() = result;
        } else {
            stack.push_back(item->m_value);
        }
    }
    if (!items.empty() && stack.size() != 1)
        std::abort();
    return 0;
}
