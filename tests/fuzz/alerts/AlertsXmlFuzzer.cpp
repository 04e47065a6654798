// Arbitrary text read as alerts.xml. Reading never fails hard; every alert read is found
// at its index, with a strategy's entry and exit alerts at the strategy's; and when the
// written text reads again, the checking hours come back unchanged.
#include "alerts/CAlertBook.h"
#include "alerts/CStrategyAlert.h"
#include "common/services/CAppSettings.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CAppSettings settings;
    const std::string text(reinterpret_cast<const char*>(data), size);

    CAlertBook book(settings);
    CString error;
    if (!book.FromXmlText(text.c_str(), &error)) {
        if (error.IsEmpty() || !(book.Count() == 0))
            std::abort();
        return 0;
    }
    for (size_t i = 0; i < book.Count(); ++i) {
        const CAlert* alert = book.At(i);
        if (book.FindAlertIndex(alert->GetId()) != static_cast<int>(i))
            std::abort();
        if (const auto* strategy = dynamic_cast<const CStrategyAlert*>(alert)) {
            for (const CFormulaAlert* sub : {strategy->GetEntryAlert(), strategy->GetExitAlert()}) {
                if (sub && (sub->GetOwner() != strategy || book.FindAlertIndex(sub->GetId()) != static_cast<int>(i)))
                    std::abort();
            }
        }
    }

    CAlertBook again(settings);
    if (again.FromXmlText(book.ToXmlText(), &error) && again.m_alertHours.ToXml() != book.m_alertHours.ToXml())
        std::abort();
    return 0;
}
