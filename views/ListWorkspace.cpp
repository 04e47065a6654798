#include "views/ListWorkspace.h"

#include "common/services/CLinkState.h"
#include "platform/core/CArchive.h"

#include <cmath>

namespace {

int Switch(DWORD value, int fallback)
{
    return value <= 1 ? static_cast<int>(value) : fallback;
}

float FinitePrice(float value)
{
    return std::isfinite(value) ? value : 0.0f;
}

} // namespace

bool WriteTimeSalesRecord(CArchive& ar, const CTimeSalesRecord& record, const CLinkState& links)
{
    const CTimeSalesFilter& f = record.filter;
    ar << record.layout << record.symbol << static_cast<DWORD>(record.extended) << static_cast<DWORD>(f.flags)
       << f.minPrice << f.maxPrice << f.text << static_cast<DWORD>(f.minSize) << f.suffix << record.goToTime
       << static_cast<DWORD>(record.historical);
    if (!links.Save(ar))
        return false;
    ar << static_cast<DWORD>(record.grid);
    return true;
}

bool ReadTimeSalesRecord(CArchive& ar, DWORD version, CTimeSalesRecord& record, CLinkState& links)
{
    CTimeSalesRecord r;
    DWORD extended = 0, flags = 0, minSize = 0, historical = 0;
    CString storedSuffix;
    ar >> r.layout >> r.symbol >> extended >> flags >> r.filter.minPrice >> r.filter.maxPrice >> r.filter.text >>
        minSize >> storedSuffix >> r.goToTime >> historical;
    r.extended = Switch(extended, 0);
    r.filter.flags = static_cast<int>(flags) & (kFilterPriceRange | kFilterMinSize);
    r.filter.minPrice = FinitePrice(r.filter.minPrice);
    r.filter.maxPrice = FinitePrice(r.filter.maxPrice);
    r.filter.minSize = minSize;
    r.filter.suffix = FilterSuffix(r.filter);
    r.historical = Switch(historical, 0);
    if (!links.Load(ar))
        return false;
    if (version >= kFirstListRecordWithGrid) {
        DWORD grid = 1;
        ar >> grid;
        r.grid = Switch(grid, 1);
    }
    record = r;
    return true;
}

bool WriteBarViewRecord(CArchive& ar, const CBarViewRecord& record, const CLinkState& links)
{
    ar << record.layout << record.symbol << record.interval << static_cast<DWORD>(record.extended);
    if (!links.Save(ar))
        return false;
    ar << static_cast<DWORD>(record.grid);
    return true;
}

bool ReadBarViewRecord(CArchive& ar, DWORD version, CBarViewRecord& record, CLinkState& links)
{
    CBarViewRecord r;
    DWORD extended = 0;
    ar >> r.layout >> r.symbol >> r.interval >> extended;
    r.extended = Switch(extended, 0);
    if (!links.Load(ar))
        return false;
    if (version >= kFirstListRecordWithGrid) {
        DWORD grid = 1;
        ar >> grid;
        r.grid = Switch(grid, 1);
    }
    record = r;
    return true;
}

bool WriteLevel2Record(CArchive& ar, const CLevel2Record& record, const CLinkState& links)
{
    ar << record.symbol << static_cast<DWORD>(record.source);
    if (!links.Save(ar))
        return false;
    ar << static_cast<DWORD>(record.logShown);
    return true;
}

bool ReadLevel2Record(CArchive& ar, DWORD version, CLevel2Record& record, CLinkState& links)
{
    CLevel2Record r;
    DWORD source = 1;
    ar >> r.symbol >> source;
    r.source = source <= 3 ? static_cast<int>(source) : 1;
    if (!links.Load(ar))
        return false;
    if (version >= kFirstLevel2RecordWithLog) {
        DWORD log = 0;
        ar >> log;
        r.logShown = Switch(log, 0);
    }
    record = r;
    return true;
}
