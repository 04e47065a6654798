// Arbitrary bytes read as a column layout file and as the workspace records of the order
// status, saved orders and balances windows (the first byte picks the record and its
// workspace version). A damaged record ends in an archive error or a refused link state,
// never in a crash or an unbounded allocation; what is read stays within its bounds.
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"
#include "trading/ReportColumns.h"
#include "trading/ReportLayout.h"
#include "trading/ReportViewState.h"

#include <cstdint>
#include <cstdlib>
#include <set>

namespace {

void CheckLayout(const CReportLayout& layout, int fieldCount)
{
    std::set<int> fields;
    for (const CReportLayoutColumn& c : layout)
        if (c.field < 0 || c.field >= fieldCount || !fields.insert(c.field).second || c.width < 0 ||
            c.width > kMaxReportColumnWidth)
            std::abort();
}

void CheckSort(int column, size_t columns)
{
    if (column < -1 || (column >= 0 && static_cast<size_t>(column) >= columns))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const int record = data[0] % 4;
    const DWORD version = data[0] / 4 % 20;
    CMemFile file(data + 1, size - 1);
    try {
        CArchive ar(&file, CArchive::load);
        CLinkState link;
        link.SetButtons(true, false);
        switch (record) {
        case 0:
            CheckLayout(ReadReportLayout(ar, kOrderStatusFieldCount), kOrderStatusFieldCount);
            break;
        case 1: {
            COrderStatusViewState state;
            if (LoadOrderStatusState(ar, version, state, link)) {
                CheckLayout(state.layout, kOrderStatusFieldCount);
                CheckSort(state.sortColumn, state.layout.size());
                const COrderListFilter& f = state.filter;
                if (f.status < 0 || f.status > 7 || f.type < 0 || f.type > 2 || f.dateMode < 0 || f.dateMode > 3 ||
                    f.days < 0 || f.days > 60)
                    std::abort();
            }
            break;
        }
        case 2: {
            CSavedOrdersViewState state;
            if (LoadSavedOrdersState(ar, state, link)) {
                CheckLayout(state.layout, kSavedOrderFieldCount);
                CheckSort(state.sortColumn, state.layout.size());
            }
            break;
        }
        default: {
            CBalanceViewState state;
            LoadBalanceState(ar, version, state);
            for (int width : state.widths)
                if (width < 0 || width > kMaxReportColumnWidth)
                    std::abort();
            break;
        }
        }
    } catch (CException&) {
    }
    return 0;
}
