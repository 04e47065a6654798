// Arbitrary bytes read as an alert list layout ("\Layouts\default.aml") and as the alert
// list's workspace record (the first byte picks which). A damaged record ends in an
// archive error or a refused link state, never in a crash or an unbounded allocation;
// what is read names only the six fields, once each, with bounded widths.
#include "alerts/AlertListText.h"
#include "common/services/CLinkState.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"
#include "trading/ReportLayout.h"

#include <cstdint>
#include <cstdlib>
#include <set>

namespace {

void CheckLayout(const CReportLayout& layout)
{
    std::set<int> fields;
    for (const CReportLayoutColumn& c : layout)
        if (c.field < 0 || c.field >= kAlertFieldCount || !fields.insert(c.field).second || c.width < 0 ||
            c.width > kMaxReportColumnWidth)
            std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    CMemFile file(data + 1, size - 1);
    try {
        CArchive ar(&file, CArchive::load);
        if (data[0] % 2 == 0) {
            CheckLayout(ReadReportLayout(ar, kAlertFieldCount));
        } else {
            CAlertListState state;
            CLinkState link;
            link.SetButtons(true, false);
            if (LoadAlertListState(ar, state, link)) {
                CheckLayout(state.layout);
                if (state.sortColumn < -1 || state.sortColumn >= static_cast<int>(state.layout.size()) ||
                    (state.sortAscending != 0 && state.sortAscending != 1) || (state.grid != 0 && state.grid != 1))
                    std::abort();
            }
        }
    } catch (CException&) {
    }
    return 0;
}
