#include "common/windows/ColumnFit.h"

#include "platform/ui/CDC.h"
#include "platform/ui/CWnd.h"

#include <algorithm>

namespace {

// A header section's own frame beyond the blanks.
constexpr int kHeaderRoom = 6;

} // namespace

int FittedColumnWidth(CWnd& list, std::initializer_list<CString> texts, int atLeast)
{
    CClientDC dc(&list); // in the list's font
    int widest = 0;
    for (const CString& text : texts)
        widest = std::max(widest, static_cast<int>(dc.GetTextExtent(text).cx));
    const int blank = static_cast<int>(dc.GetTextExtent(" ").cx);
    return std::max(atLeast, widest + 4 * blank + kHeaderRoom);
}
