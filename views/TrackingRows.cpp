#include "views/TrackingRows.h"

#include <algorithm>

CSize LayOutTrackingRows(const std::vector<CTrackingRow>& rows, int rowHeight,
                         const std::function<int(const CString&)>& textWidth)
{
    if (rows.empty())
        return CSize(textWidth("None") + 4, rowHeight);
    int widest = 0;
    for (const CTrackingRow& row : rows)
        widest = std::max(widest, textWidth(row.name + ":" + row.value));
    return CSize(widest + 4, static_cast<int>(rows.size()) * rowHeight);
}
